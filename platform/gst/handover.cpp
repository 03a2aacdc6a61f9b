#include "platform/gst/handover.h"

#include <utility>

namespace lumo::platform::gst {

void Handover::open(std::optional<Next> next) {
    std::lock_guard lock(mutex_);
    open_ = true;
    next_ = std::move(next);
}

void Handover::close() {
    std::lock_guard lock(mutex_);
    open_ = false;
    next_.reset();
}

bool Handover::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

std::optional<int> Handover::takeQueued() {
    std::lock_guard lock(mutex_);
    return std::exchange(queued_, std::nullopt);
}

bool Handover::hasQueued() const {
    std::lock_guard lock(mutex_);
    return queued_.has_value();
}

void Handover::dropQueued() {
    std::lock_guard lock(mutex_);
    queued_.reset();
}

bool Handover::waitForLanding(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    if (landed_.wait_for(lock, limit, [&] { return inFlight_ == 0; })) return true;
    inFlight_ = 0;
    return false;
}

bool Handover::drainBegins() {
    std::lock_guard lock(mutex_);
    if (!open_) return false;
    ++inFlight_;
    return true;
}

void Handover::drainEnds() {
    std::lock_guard lock(mutex_);
    if (inFlight_ > 0) --inFlight_;
    landed_.notify_all();
}

std::optional<std::string> Handover::takeNext() {
    Next next;
    {
        std::lock_guard lock(mutex_);
        if (!open_ || !next_ || queued_) return std::nullopt;
        next = *next_;
    }
    // An item that cannot open is not handed over: the item before it plays
    // to its end, then the host opens it and reports its error (handed
    // over, its error would cut the item before it short). The check may
    // touch the disk, so the host never waits for it.
    if (openable_ && !openable_(next.uri)) return std::nullopt;
    std::lock_guard lock(mutex_);
    if (!open_ || !next_ || next_->item != next.item || next_->uri != next.uri) return std::nullopt;
    queued_ = next.item;
    next_.reset();
    return next.uri;
}

}  // namespace lumo::platform::gst
