#pragma once
// Between the host and playbin's streaming threads: whether playbin may
// switch to the next item without a gap now, and which item that is.
//
// playbin switches on the streaming thread of the decoder that drained: its
// "drained" handler emits about-to-finish, takes the URI set there and
// activates the next item, all on that thread. A state change of the
// pipeline in the middle of that deadlocks inside playbin; so does a late
// "drained" of a decoder playbin had already replaced, which makes playbin
// activate the URI the host has just set for an opening of its own.
//
// So every decoder's "drained" meets this gate before playbin's handler.
// The host opens the gate only while the pipeline plays, settled, with no
// command pending, and closes it before it posts any command. A drain that
// meets a closed gate is stopped and playbin never sees it: the stream just
// ends, and the host opens the next item itself (with a short gap). A drain
// that passes is in flight until playbin's handler has returned, and the
// pipeline's thread waits for it to land before it touches the pipeline.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

namespace lumo::platform::gst {

class Handover {
public:
    struct Next {
        int item = -1;
        std::string uri;
    };
    // Whether a URI can be opened now; asked on a streaming thread, so it
    // must touch nothing the host owns.
    using Openable = bool (*)(const std::string& uri);

    explicit Handover(Openable openable = nullptr) : openable_(openable) {}

    // Host thread.
    void open(std::optional<Next> next);  // switching allowed, to `next` (none: the playlist ends here)
    void close();                         // no switch may start from now on
    bool isOpen() const;
    // The item handed to playbin whose stream has not started yet.
    std::optional<int> takeQueued();
    bool hasQueued() const;
    void dropQueued();

    // The pipeline's thread: waits for switches in flight, at most `limit`;
    // false when one did not land (its thread failed inside playbin; it is
    // not waited for again).
    bool waitForLanding(std::chrono::milliseconds limit);

    // Streaming threads.
    bool drainBegins();  // false: the emission must be stopped
    void drainEnds();
    std::optional<std::string> takeNext();  // in about-to-finish

private:
    Openable openable_;
    mutable std::mutex mutex_;
    std::condition_variable landed_;
    bool open_ = false;
    int inFlight_ = 0;
    std::optional<Next> next_;
    std::optional<int> queued_;
};

}  // namespace lumo::platform::gst
