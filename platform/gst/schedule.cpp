#include "platform/gst/schedule.h"

namespace lumo::platform::gst {

Schedule::Schedule(Openable openable, uint32_t seed) : openable_(openable), order_(seed) {}

void Schedule::assign(std::vector<std::string> uris, bool shuffle) {
    std::lock_guard lock(mutex_);
    uris_ = std::move(uris);
    queued_.clear();
    shuffle_ = shuffle;
    order_.reset(static_cast<int>(uris_.size()), shuffle);
}

void Schedule::setShuffle(bool on) {
    std::lock_guard lock(mutex_);
    shuffle_ = on;
    order_.setShuffle(on);
}

void Schedule::setLoop(bool on) {
    std::lock_guard lock(mutex_);
    loop_ = on;
}

std::string Schedule::uriOf(int item) const {
    std::lock_guard lock(mutex_);
    return item >= 0 && item < static_cast<int>(uris_.size()) ? uris_[item] : std::string();
}

PlayOrder& Schedule::committed() { return queued_.empty() ? order_ : queued_.front().before; }

int Schedule::current() const {
    std::lock_guard lock(mutex_);
    return queued_.empty() ? order_.current() : queued_.front().before.current();
}

template <typename Move>
int Schedule::moveFromCommitted(Move move) {
    std::lock_guard lock(mutex_);
    PlayOrder order = committed();
    if (!move(order)) return -1;
    order_ = std::move(order);
    queued_.clear();
    return order_.current();
}

int Schedule::next() {
    return moveFromCommitted([this](PlayOrder& order) { return order.advance(loop_); });
}

int Schedule::previous() {
    return moveFromCommitted([](PlayOrder& order) { return order.back(); });
}

int Schedule::moveTo(int item) {
    return moveFromCommitted([item](PlayOrder& order) {
        if (item < 0 || item >= order.count()) return false;
        order.moveTo(item);
        return true;
    });
}

int Schedule::rewind() {
    return moveFromCommitted([](PlayOrder& order) {
        order.rewind();
        return order.count() > 0;
    });
}

std::optional<std::string> Schedule::queueNext() {
    std::lock_guard lock(mutex_);
    PlayOrder before = order_;
    if (!order_.advance(loop_) || uris_[order_.current()].empty() ||
        (openable_ && !openable_(uris_[order_.current()]))) {
        order_ = std::move(before);
        return std::nullopt;
    }
    queued_.push_back({order_.current(), std::move(before)});
    return uris_[order_.current()];
}

int Schedule::startQueued() {
    std::lock_guard lock(mutex_);
    if (queued_.empty()) return -1;
    const int item = queued_.front().item;
    queued_.pop_front();
    return item;
}

void Schedule::dropQueued() {
    std::lock_guard lock(mutex_);
    if (queued_.empty()) return;
    order_ = std::move(queued_.front().before);
    queued_.clear();
    order_.setShuffle(shuffle_);
}

}  // namespace lumo::platform::gst
