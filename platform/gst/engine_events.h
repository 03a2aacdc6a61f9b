#pragma once
// What happens to the pipeline, as events on one queue. Streaming threads
// (through the bus's sync handler) and the pipeline's own thread push; the
// host's thread takes them all, in the order they were pushed, and is the
// only one that acts on them.

#include <gst/gst.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/media_player.h"

namespace lumo::platform::gst {

struct EngineEvent {
    enum class Kind {
        Message,  // a bus message (owned by the event)
        Begun,    // the pipeline was reset for `epoch`: what follows belongs to it
        Done,     // a command of `epoch` returned `result`
        Refused,  // the item of `epoch` was not opened: `refusal` says why
    };
    Kind kind = Kind::Message;
    GstMessage* message = nullptr;
    bool fromSink = false;  // an ERROR raised inside the audio output
    uint64_t epoch = 0;
    GstStateChangeReturn result = GST_STATE_CHANGE_SUCCESS;
    std::optional<ErrorItem> refusal;

    EngineEvent() = default;
    EngineEvent(EngineEvent&& other) noexcept;
    EngineEvent& operator=(EngineEvent&& other) noexcept;
    EngineEvent(const EngineEvent&) = delete;
    EngineEvent& operator=(const EngineEvent&) = delete;
    ~EngineEvent();

    static EngineEvent ofMessage(GstMessage* owned, bool fromSink);
    static EngineEvent begun(uint64_t epoch);
    static EngineEvent done(uint64_t epoch, GstStateChangeReturn result);
    static EngineEvent refused(uint64_t epoch, ErrorItem why);
};

class EventQueue {
public:
    // Called at each push, on the pushing thread, with the queue locked: it
    // must only wake the host (never block, never push).
    explicit EventQueue(std::function<void()> wake = {}) : wake_(std::move(wake)) {}

    void push(EngineEvent event);
    // Host thread: everything pushed so far. Hosts poll: an empty queue
    // costs no allocation.
    std::vector<EngineEvent> takeAll();
    bool empty() const;
    // Until something is pushed (at once when something is queued), or
    // `limit` has passed.
    void waitForPush(std::chrono::microseconds limit);
    // From now on pushes are kept aside and wake nobody (the pipeline is
    // being retired, or the player goes).
    void close();

private:
    mutable std::mutex mutex_;
    std::condition_variable pushed_;
    std::vector<EngineEvent> events_;
    std::vector<EngineEvent> retired_;  // pushed after close()
    bool closed_ = false;
    std::function<void()> wake_;
};

}  // namespace lumo::platform::gst
