#pragma once
// The pipeline's own thread. Every call that changes the pipeline may block:
// a state change waits for streaming threads, and opening an item can wait
// on a pipe, a device or a stalled mount. None of them runs on the host's
// thread: the host posts them here, where they run one after another in the
// order posted, and waits for one at most a bound it chooses. A task that
// never returns leaves this thread stuck; its owner sees that (busyFor),
// gives the thread up with what its tasks hold and makes new ones.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace lumo::platform::gst {

class PipelineThread {
public:
    using Task = std::function<void()>;
    using Clock = std::chrono::steady_clock;

    PipelineThread();
    // Runs what was posted, then ends; waits for that at most `limit`, and
    // leaves a stuck thread (and what its tasks hold) to itself.
    ~PipelineThread();
    PipelineThread(const PipelineThread&) = delete;
    PipelineThread& operator=(const PipelineThread&) = delete;

    // A ticket that tells this task from the later ones.
    uint64_t post(Task task);
    // True once the task of `ticket` and every one before it have run;
    // waits at most `limit`.
    bool waitFor(uint64_t ticket, std::chrono::milliseconds limit);
    // Nothing posted is waiting or running.
    bool idle() const;
    // How long the task running now has been running; zero when none runs.
    Clock::duration busyFor() const;
    // The thread is stuck: the destructor does not wait for it.
    void giveUp();

    static constexpr std::chrono::milliseconds kShutdownLimit{5000};

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    bool givenUp_ = false;
};

}  // namespace lumo::platform::gst
