#include "platform/gst/play_order.h"

#include <algorithm>
#include <numeric>

namespace lumo::platform::gst {

PlayOrder::PlayOrder(uint32_t seed) : random_(seed) {}

void PlayOrder::reset(int count, bool shuffle) {
    shuffle_ = shuffle;
    order_.assign(static_cast<size_t>(std::max(count, 0)), 0);
    newRound(-1, -1);
}

void PlayOrder::newRound(int first, int avoid) {
    std::iota(order_.begin(), order_.end(), 0);
    position_ = order_.empty() ? -1 : 0;
    if (order_.empty()) return;
    if (!shuffle_) {
        if (first >= 0) position_ = first;
        return;
    }
    std::shuffle(order_.begin(), order_.end(), random_);
    if (first >= 0) {
        std::iter_swap(order_.begin(), std::find(order_.begin(), order_.end(), first));
    } else if (avoid >= 0 && order_.size() > 1 && order_.front() == avoid) {
        // The item that ended a round does not start the next one.
        std::uniform_int_distribution<size_t> other(1, order_.size() - 1);
        std::swap(order_.front(), order_[other(random_)]);
    }
}

void PlayOrder::setShuffle(bool on) {
    if (on == shuffle_) return;
    shuffle_ = on;
    newRound(current(), -1);
}

bool PlayOrder::advance(bool loop) {
    if (order_.empty()) return false;
    if (!atLast()) {
        ++position_;
        return true;
    }
    if (!loop) return false;
    newRound(-1, current());
    return true;
}

bool PlayOrder::back() {
    if (atFirst()) return false;
    --position_;
    return true;
}

void PlayOrder::moveTo(int item) {
    if (item < 0 || item >= count()) return;
    newRound(item, -1);
}

void PlayOrder::rewind() { newRound(-1, -1); }

}  // namespace lumo::platform::gst
