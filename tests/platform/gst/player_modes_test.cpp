// The end of a playlist under each mode, and items that follow each other
// without a gap.

#include "gst_test_support.h"
#include "platform/gst/play_order.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;

// The items that play, in order, until the player stops or ends, `enough`
// items have played, or 5 s pass; the states seen on the way.
std::vector<std::string> playedItems(MediaPlayer& player, std::vector<S>& states, size_t enough = 99) {
    std::vector<std::string> names;
    states = watch(player, [&](S state) {
        if (names.empty() || names.back() != currentName(player)) names.push_back(currentName(player));
        return state == S::Stopped || state == S::MediaEnded || names.size() >= enough;
    });
    return names;
}

struct Ending {
    const char* name;
    bool loop, autoRewind, shuffle;
    std::vector<std::string> played;  // in order; shuffled, each once in any order
    const char* after;                // the item the end leaves current, which play plays again
};

class EndOfPlaylist : public ::testing::TestWithParam<Ending> {};

TEST_P(EndOfPlaylist, PlaysItsItemsAndEndsAsTheModesSay) {
    const Ending& ending = GetParam();
    GstMediaPlayer player(nullptr, nullptr, kRealtimeSink);
    player.settings().setMode("loop", ending.loop);
    player.settings().setMode("autoRewind", ending.autoRewind);  // loop wins
    player.settings().setMode("shuffle", ending.shuffle);
    player.setCurrentPlaylist(playlistOf(tones(ending.shuffle ? 5 : ending.loop ? 2 : 3 - ending.autoRewind)));
    std::vector<S> states;
    std::vector<std::string> names = playedItems(player, states, ending.loop ? ending.played.size() : 99);
    if (ending.shuffle) std::sort(names.begin(), names.end());
    EXPECT_EQ(names, ending.played);
    // Only a playing round until the end; it stays ended however often it is read.
    for (size_t i = 0; i < states.size(); ++i)
        EXPECT_TRUE(i + 1 == states.size() && !ending.loop ? states[i] == S::MediaEnded
                                                           : states[i] == S::Transitioning || states[i] == S::Playing)
            << ::testing::PrintToString(states);
    player.settings().setMode("loop", false);  // a loop's current round is the last
    player.settings().setMode("autoRewind", ending.autoRewind && !ending.loop);
    EXPECT_TRUE(waitFor(player, S::MediaEnded));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(player.playState(), S::MediaEnded);
    const std::string after = *ending.after ? ending.after : currentName(player);
    EXPECT_EQ(currentName(player), after);
    player.controls().play();
    EXPECT_TRUE(waitFor(player, S::Playing));
    EXPECT_EQ(currentName(player), after);
    EXPECT_EQ(player.error().errorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Player, EndOfPlaylist,
    ::testing::Values(Ending{"NoModes", false, false, false, {"tone0", "tone1", "tone2"}, "tone2"},
                      Ending{"AutoRewind", false, true, false, {"tone0", "tone1", "tone0"}, "tone0"},
                      Ending{"Loop", true, true, false, {"tone0", "tone1", "tone0", "tone1"}, ""},
                      Ending{"Shuffle", false, false, true, {"tone0", "tone1", "tone2", "tone3", "tone4"}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Gapless, ItemsFollowEachOtherWithoutAGap) {
    const fs::path capture = files().folder / "out-gapless.wav";
    GstMediaPlayer player(nullptr, nullptr, captureSink(capture, true));
    player.settings().setMode("autoRewind", false);
    player.setCurrentPlaylist(playlistOf(files().longTones));
    std::vector<S> states;
    EXPECT_EQ(playedItems(player, states), (std::vector<std::string>{"long0", "long1"}));
    EXPECT_EQ(states, (std::vector<S>{S::Transitioning, S::Playing, S::MediaEnded}));
    // Opening the second item anew would have started the file over.
    EXPECT_NEAR(samplesOf(capture).frames / 44100.0, 2.4, 0.1);
}

// In shuffle, each looped round plays every item once, and the item that
// ended a round never starts the next one (for any seed).
TEST(ShuffleRounds, EveryItemOnceAndNoItemTwiceInARowAcrossRounds) {
    for (uint32_t seed = 0; seed < 50; ++seed) {
        PlayOrder order(seed);
        order.reset(3, true);
        std::vector<int> played{order.current()};
        for (int step = 0; step < 8; ++step) {
            ASSERT_TRUE(order.advance(true));
            EXPECT_NE(order.current(), played.back()) << "seed " << seed;
            played.push_back(order.current());
        }
        for (size_t round = 0; round < 9; round += 3)
            EXPECT_TRUE(std::is_permutation(played.begin() + long(round), played.begin() + long(round) + 3,
                                            std::vector<int>{0, 1, 2}.begin()))
                << "seed " << seed;
    }
}

}  // namespace
}  // namespace lumo::platform::gst::testing
