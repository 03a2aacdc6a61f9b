// The order items play in, and the hand-over of the next item between the
// streaming thread and the host's thread.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

#include "platform/gst/play_order.h"
#include "platform/gst/schedule.h"

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

TEST(Schedule, QueuedItemsStartOrAreDropped) {
    Schedule schedule(nullptr, 3);
    schedule.assign({"a", "b", "", "d"}, false);
    EXPECT_EQ(schedule.current(), 0);
    EXPECT_EQ(schedule.queueNext(), "b");
    EXPECT_EQ(schedule.current(), 0);  // still playing a
    EXPECT_EQ(schedule.startQueued(), 1);
    EXPECT_EQ(schedule.startQueued(), -1);
    EXPECT_EQ(schedule.current(), 1);

    // An item that cannot open is never queued: the stream ends there.
    EXPECT_EQ(schedule.queueNext(), std::nullopt);
    EXPECT_EQ(schedule.next(), 2);

    EXPECT_EQ(schedule.queueNext(), "d");
    schedule.dropQueued();  // stopped before d started
    EXPECT_EQ(schedule.current(), 2);
    EXPECT_EQ(schedule.queueNext(), "d");
    EXPECT_EQ(schedule.previous(), 1);  // from the item playing, not the queued one
    EXPECT_EQ(schedule.startQueued(), -1);

    EXPECT_EQ(schedule.moveTo(3), 3);
    EXPECT_EQ(schedule.queueNext(), std::nullopt);
    schedule.setLoop(true);
    EXPECT_EQ(schedule.queueNext(), "a");
    EXPECT_EQ(schedule.rewind(), 0);
    EXPECT_EQ(schedule.uriOf(3), "d");
    EXPECT_EQ(schedule.uriOf(9), "");
}

TEST(Schedule, AnItemThatCannotOpenIsNotQueued) {
    Schedule schedule([](const std::string& uri) { return uri != "gone"; }, 1);
    schedule.assign({"a", "gone", "c"}, false);
    EXPECT_EQ(schedule.queueNext(), std::nullopt);
    EXPECT_EQ(schedule.current(), 0);
    EXPECT_EQ(schedule.next(), 1);  // the host still opens it, and reports it
    EXPECT_EQ(schedule.queueNext(), "c");
}

TEST(Schedule, StreamingAndHostThreadsShareIt) {
    Schedule schedule(nullptr, 5);
    std::vector<std::string> uris;
    for (int i = 0; i < 20; ++i) uris.push_back("item" + std::to_string(i));
    schedule.assign(uris, true);
    schedule.setLoop(true);
    std::thread streaming([&] {
        for (int i = 0; i < 2000; ++i) EXPECT_TRUE(schedule.queueNext().has_value());
    });
    for (int i = 0; i < 2000; ++i) {
        if (i % 3 == 0) schedule.startQueued();
        if (i % 7 == 0) schedule.dropQueued();
        if (i % 11 == 0) schedule.next();
        if (i % 13 == 0) schedule.setShuffle(i % 2 == 0);
        const int current = schedule.current();
        ASSERT_TRUE(current >= 0 && current < 20);
    }
    streaming.join();
}

}  // namespace
}  // namespace lumo::platform::gst
