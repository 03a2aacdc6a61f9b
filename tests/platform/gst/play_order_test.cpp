// The order items play in: in order, shuffled rounds, choosing an item.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/gst/play_order.h"

namespace lumo::platform::gst {
namespace {

std::vector<int> round(PlayOrder& order) {
    std::vector<int> items{order.current()};
    while (order.advance(false)) items.push_back(order.current());
    return items;
}

TEST(PlayOrder, InOrderStopsAtTheEndsUnlessLooping) {
    PlayOrder order(1);
    order.reset(3, false);
    EXPECT_EQ(round(order), (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(order.advance(false));
    EXPECT_EQ(order.current(), 2);
    EXPECT_TRUE(order.advance(true));
    EXPECT_EQ(order.current(), 0);
    EXPECT_FALSE(order.back());
    order.moveTo(2);
    EXPECT_TRUE(order.back());
    EXPECT_EQ(order.current(), 1);
    order.moveTo(7);  // not an item: nothing changes
    EXPECT_EQ(order.current(), 1);

    order.reset(0, false);
    EXPECT_EQ(order.current(), -1);
    EXPECT_FALSE(order.advance(true));
    EXPECT_FALSE(order.back());
}

TEST(PlayOrder, ShuffleRoundsArePermutationsThatDoNotRepeatAtTheSeam) {
    PlayOrder order(42);
    order.reset(8, true);
    std::set<std::vector<int>> rounds;
    for (int i = 0; i < 50; ++i) {
        std::vector<int> items = round(order);
        rounds.insert(items);
        const int last = items.back();
        std::sort(items.begin(), items.end());
        ASSERT_EQ(items, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
        ASSERT_TRUE(order.advance(true));
        EXPECT_NE(order.current(), last);
    }
    EXPECT_GT(rounds.size(), 40u);
}

TEST(PlayOrder, ChoosingOrShufflingStartsARoundAtTheCurrentItem) {
    PlayOrder order(7);
    order.reset(6, false);
    order.moveTo(3);
    order.setShuffle(true);
    EXPECT_EQ(order.current(), 3);
    EXPECT_TRUE(order.atFirst());
    EXPECT_EQ(round(order).size(), 6u);
    order.moveTo(4);
    EXPECT_TRUE(order.atFirst());
    EXPECT_EQ(order.current(), 4);
    order.setShuffle(false);
    EXPECT_EQ(order.current(), 4);
    EXPECT_TRUE(order.advance(false));
    EXPECT_EQ(order.current(), 5);
    order.rewind();
    EXPECT_EQ(order.current(), 0);
}

}  // namespace
}  // namespace lumo::platform::gst
