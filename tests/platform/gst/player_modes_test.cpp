// The end of a playlist under each mode, shuffle rounds and the modes
// themselves.

#include <algorithm>
#include <cstdint>
#include <set>

#include "gst_test_support.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;

// The items that play, in order, until the player stops or ends, `enough`
// items have played, or `limit` passes.
std::vector<std::string> playedItems(MediaPlayer& player, std::chrono::milliseconds limit,
                                     std::vector<S>* states = nullptr, size_t enough = SIZE_MAX) {
    std::vector<std::string> names;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        const S state = player.playState();
        if (states && (states->empty() || states->back() != state)) states->push_back(state);
        const std::string name = currentName(player);
        if (names.empty() || names.back() != name) names.push_back(name);
        if (state == S::Stopped || state == S::MediaEnded || names.size() >= enough) break;
        std::this_thread::sleep_for(2ms);
    }
    return names;
}

class EndOfPlaylist : public ::testing::Test {
protected:
    GstMediaPlayer player{nullptr, nullptr, kRealtimeSink};
    void SetUp() override {
        player.settings().setAutoStart(true);
        player.settings().setMode("autoRewind", false);
    }
};

// The play states seen end with `tail`, and none of the others is in it.
void expectEndsWith(const std::vector<S>& states, const std::vector<S>& tail) {
    ASSERT_GE(states.size(), tail.size() + 1);
    EXPECT_TRUE(std::equal(tail.rbegin(), tail.rend(), states.rbegin())) << ::testing::PrintToString(states);
    for (size_t i = 0; i + tail.size() < states.size(); ++i)
        EXPECT_TRUE(states[i] == S::Transitioning || states[i] == S::Playing) << ::testing::PrintToString(states);
}

TEST_F(EndOfPlaylist, WithoutModesEndsInMediaEndedUntilTheHostActs) {
    player.setCurrentPlaylist(playlistOf(tones(3)));
    std::vector<S> states;
    const auto names = playedItems(player, 5000ms, &states);
    EXPECT_EQ(names, (std::vector<std::string>{"tone0", "tone1", "tone2"}));
    expectEndsWith(states, {S::Playing, S::MediaEnded});
    std::this_thread::sleep_for(100ms);  // it stays, however often it is read
    EXPECT_EQ(player.playState(), S::MediaEnded);
    EXPECT_EQ(currentName(player), "tone2");
    player.controls().play();  // the last item again
    EXPECT_TRUE(waitFor(player, S::Playing));
    EXPECT_EQ(currentName(player), "tone2");
}

TEST_F(EndOfPlaylist, AutoRewindEndsOnTheFirstItem) {
    player.settings().setMode("autoRewind", true);
    player.setCurrentPlaylist(playlistOf(tones(2)));
    std::vector<S> states;
    const auto names = playedItems(player, 5000ms, &states);
    EXPECT_EQ(names, (std::vector<std::string>{"tone0", "tone1", "tone0"}));
    expectEndsWith(states, {S::Playing, S::MediaEnded});
    player.controls().stop();
    EXPECT_EQ(player.playState(), S::Stopped);
    EXPECT_EQ(currentName(player), "tone0");
}

TEST_F(EndOfPlaylist, LoopStartsOver) {
    player.settings().setMode("loop", true);
    player.settings().setMode("autoRewind", true);  // loop wins
    player.setCurrentPlaylist(playlistOf(tones(2)));
    std::vector<S> states;
    const auto names = playedItems(player, 5000ms, &states, 4);
    EXPECT_EQ(names, (std::vector<std::string>{"tone0", "tone1", "tone0", "tone1"}));
    for (S state : states) EXPECT_TRUE(state == S::Transitioning || state == S::Playing);

    player.settings().setMode("loop", false);  // the current round is the last
    player.settings().setMode("autoRewind", false);
    EXPECT_TRUE(waitFor(player, S::MediaEnded));
}

TEST_F(EndOfPlaylist, ItemsFollowEachOtherWithoutAGap) {
    const fs::path capture = files().folder / "out-gapless.wav";
    GstMediaPlayer gapless(nullptr, nullptr, captureSink(capture, true));
    gapless.settings().setMode("autoRewind", false);
    gapless.setCurrentPlaylist(playlistOf(files().longTones));
    std::vector<S> states;
    const auto names = playedItems(gapless, 5000ms, &states);
    EXPECT_EQ(names, (std::vector<std::string>{"long0", "long1"}));
    EXPECT_EQ(states, (std::vector<S>{S::Transitioning, S::Playing, S::MediaEnded}));
    // Opening the second item anew would have started the file over.
    const double seconds = readCapture(capture).left.size() / 44100.0;
    EXPECT_NEAR(seconds, 2.4, 0.1);
}

TEST_F(EndOfPlaylist, ShufflePlaysEveryItemOnce) {
    player.settings().setMode("shuffle", true);
    player.setCurrentPlaylist(playlistOf(tones(5)));
    const auto names = playedItems(player, 5000ms);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
              (std::set<std::string>{"tone0", "tone1", "tone2", "tone3", "tone4"}));
    EXPECT_EQ(names.size(), 5u);
    EXPECT_EQ(player.error().errorCount(), 0)
        << (player.error().errorCount() ? player.error().item(0).errorDescription : "");
}

TEST(Shuffle, EveryRoundIsAPermutationAndRoundsDiffer) {
    GstMediaPlayer player(nullptr, nullptr, kFastSink);
    player.settings().setAutoStart(false);
    player.settings().setMode("shuffle", true);
    player.settings().setMode("loop", true);
    player.setCurrentPlaylist(playlistOf(tones(5)));
    player.controls().stop();  // stepping while stopped opens nothing
    std::set<std::vector<std::string>> rounds;
    for (int round = 0; round < 6; ++round) {
        std::vector<std::string> names;
        for (int i = 0; i < 5; ++i) {
            names.push_back(currentName(player));
            player.controls().next();
        }
        std::vector<std::string> sorted = names;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, (std::vector<std::string>{"tone0", "tone1", "tone2", "tone3", "tone4"}));
        rounds.insert(names);
    }
    EXPECT_GT(rounds.size(), 1u);  // 120 orders: six equal rounds would be a broken shuffle

    player.settings().setMode("shuffle", false);  // in order from the current item
    const std::string from = currentName(player);
    player.controls().next();
    EXPECT_EQ(currentName(player), from == "tone4" ? "tone0" : "tone" + std::to_string(from.back() - '0' + 1));
}

TEST(Modes, AnyCaseReadsAndEveryAssignmentIsReported) {
    GstMediaPlayer player(nullptr, nullptr, kFastSink);
    std::vector<std::pair<std::string, bool>> changes;
    player.setModeChangeHandler([&](const std::string& mode, bool on) { changes.emplace_back(mode, on); });
    EXPECT_FALSE(player.settings().getMode("shuffle"));
    EXPECT_FALSE(player.settings().getMode("LOOP"));
    EXPECT_TRUE(player.settings().getMode("autorewind"));
    player.settings().setMode("Shuffle", true);
    player.settings().setMode("loop", true);
    player.settings().setMode("AUTOREWIND", false);
    player.settings().setMode("loop", true);
    EXPECT_TRUE(player.settings().getMode("sHuFfLe"));
    EXPECT_TRUE(player.settings().getMode("loop"));
    EXPECT_FALSE(player.settings().getMode("autoRewind"));
    EXPECT_EQ(changes, (std::vector<std::pair<std::string, bool>>{
                           {"shuffle", true}, {"loop", true}, {"autoRewind", false}, {"loop", true}}));
}

}  // namespace
}  // namespace lumo::platform::gst::testing
