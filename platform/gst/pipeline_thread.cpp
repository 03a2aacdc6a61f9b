#include "platform/gst/pipeline_thread.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace lumo::platform::gst {

// What the thread and its owner share; the thread keeps it alive when its
// owner has given it up.
struct PipelineThread::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<uint64_t, Task>> tasks;
    uint64_t posted = 0;
    uint64_t finished = 0;
    std::optional<Clock::time_point> runningSince;
    bool stopping = false;
    bool exited = false;

    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stopping || !tasks.empty(); });
            if (tasks.empty()) break;
            auto [ticket, task] = std::move(tasks.front());
            tasks.pop_front();
            runningSince = Clock::now();
            lock.unlock();
            task();
            task = nullptr;  // what it held goes here, on this thread
            lock.lock();
            runningSince.reset();
            finished = ticket;
            changed.notify_all();
        }
        exited = true;
        changed.notify_all();
    }
};

PipelineThread::PipelineThread() : shared_(std::make_shared<Shared>()) {
    thread_ = std::thread([shared = shared_] { shared->run(); });
}

PipelineThread::~PipelineThread() {
    bool exited = false;
    {
        std::unique_lock lock(shared_->mutex);
        shared_->stopping = true;
        shared_->changed.notify_all();
        if (!givenUp_) exited = shared_->changed.wait_for(lock, kShutdownLimit, [&] { return shared_->exited; });
    }
    if (exited)
        thread_.join();
    else
        thread_.detach();
}

uint64_t PipelineThread::post(Task task) {
    std::lock_guard lock(shared_->mutex);
    const uint64_t ticket = ++shared_->posted;
    shared_->tasks.emplace_back(ticket, std::move(task));
    shared_->changed.notify_all();
    return ticket;
}

bool PipelineThread::waitFor(uint64_t ticket, std::chrono::milliseconds limit) {
    std::unique_lock lock(shared_->mutex);
    return shared_->changed.wait_for(lock, limit, [&] { return shared_->finished >= ticket; });
}

bool PipelineThread::idle() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->finished == shared_->posted;
}

PipelineThread::Clock::duration PipelineThread::busyFor() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->runningSince ? Clock::now() - *shared_->runningSince : Clock::duration::zero();
}

void PipelineThread::giveUp() { givenUp_ = true; }

}  // namespace lumo::platform::gst
