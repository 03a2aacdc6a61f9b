#pragma once
// Lets the host's thread handle the engine's events whenever it runs an
// event loop: a GLib source on the default main context, which Qt's event
// dispatcher shares on the main thread. Any thread may wake it; it runs its
// work only on the thread that made it, when woken or at the deadline the
// owner gives. A host that runs no loop gets the same work done when it
// next calls the player.

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

typedef struct _GSource GSource;

namespace lumo::platform::gst {

class HostWakeup {
public:
    using Clock = std::chrono::steady_clock;
    using Deadline = std::function<std::optional<Clock::time_point>()>;

    HostWakeup(std::function<void()> work, Deadline deadline);
    ~HostWakeup();
    HostWakeup(const HostWakeup&) = delete;
    HostWakeup& operator=(const HostWakeup&) = delete;

    void wake();  // any thread

private:
    friend struct HostWakeupSource;
    // Whether the work is due now; else how long until it is (-1: not
    // before a wake).
    bool due(int* timeout) const;
    void run();

    std::function<void()> work_;
    Deadline deadline_;
    std::thread::id hostThread_ = std::this_thread::get_id();
    std::atomic<bool> woken_ = false;
    GSource* source_ = nullptr;
};

// Runs the default main context on this thread for `span` (one pass when
// zero): the player's work and events, and whatever else the host keeps
// there. Returns at once, after a pause of `span`, when another thread runs
// that context.
void runEventLoopFor(std::chrono::milliseconds span);

}  // namespace lumo::platform::gst
