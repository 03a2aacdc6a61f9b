#pragma once
// The order in which a playlist's items play. In order, or shuffled: a round
// is a random permutation that plays every item once; a new round gets a new
// permutation (and does not start with the item that just ended it). Choosing
// an item, or switching shuffle on, starts a round from the current item.

#include <cstdint>
#include <random>
#include <vector>

namespace lumo::platform::gst {

class PlayOrder {
public:
    explicit PlayOrder(uint32_t seed = std::random_device{}());

    // A first round over `count` items; empty when count is 0.
    void reset(int count, bool shuffle);
    void setShuffle(bool on);
    bool shuffle() const { return shuffle_; }

    int count() const { return static_cast<int>(order_.size()); }
    int current() const { return position_ < 0 ? -1 : order_[position_]; }
    bool atFirst() const { return position_ <= 0; }
    bool atLast() const { return position_ == count() - 1; }

    // To the next item; at the end of a round a new round starts when
    // `loop` is on, otherwise nothing changes and the result is false.
    bool advance(bool loop);
    // To the previous item of the round; false at its first item.
    bool back();
    // `item` becomes current (in shuffle, the first of a new round).
    void moveTo(int item);
    // To the first item of a new round.
    void rewind();

private:
    void newRound(int first, int avoid);

    std::vector<int> order_;
    int position_ = -1;
    bool shuffle_ = false;
    std::mt19937 random_;
};

}  // namespace lumo::platform::gst
