// The player on the real engine. Items failing mid-playlist and outputs that
// cannot open: tests/faults/. LUMO_STRESS=1 (make stress) runs the long stress.

#include <array>
#include <cstdlib>
#include <random>

#include "gst_test_support.h"
#include "platform/gst/play_order.h"
#include "platform/gst/play_states.h"
#include "tests/support/raised.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;
using C = Controls;

// Brings a fresh player with autoStart off into `state` on the middle item
// of three: four-second items for the states of an open item, short ones
// for the end of the playlist (autoRewind off: the end is on the last item).
void reach(GstMediaPlayer& player, S state) {
    if (state == S::Undefined) return;
    const bool ended = state == S::MediaEnded;
    player.settings().setMode("autoRewind", !ended);
    const PlaylistPtr playlist = playlistOf(ended ? tones(3) : files().steadyTones);
    player.setCurrentPlaylist(playlist);
    player.setCurrentMedia(playlist->item(ended ? 2 : 1));
    ASSERT_TRUE(waitFor(player, S::Ready));  // never playing without autoStart
    if (state == S::Stopped) player.controls().stop();
    if (state == S::Playing || state == S::Paused || ended) player.controls().play();
    if (state == S::Paused) {
        ASSERT_TRUE(waitFor(player, S::Playing));
        player.controls().pause();
    }
    ASSERT_TRUE(waitFor(player, state));
}

struct Move {
    S from;
    const char* control;
    void (C::*press)();
    S to;
    const char* item;  // the current item afterwards, "" for none
};

class StateModel : public ::testing::TestWithParam<Move> {};

TEST_P(StateModel, EachControlFromEachState) {
    const Move& move = GetParam();
    GstMediaPlayer player(nullptr, nullptr, kRealtimeSink);
    player.settings().setAutoStart(false);
    reach(player, move.from);
    if (HasFatalFailure()) return;
    (player.controls().*move.press)();
    const std::vector<S> seen = watch(player, [&](S state) { return state == move.to; });
    // It stays there, and a hundred reads of what a host reads change nothing.
    std::this_thread::sleep_for(150ms);
    const double position = player.position();
    for (int read = 0; read < 100; ++read) {
        player.currentMedia(), player.currentPlaylist(), player.settings().volume(), player.error().errorCount();
        ASSERT_EQ(player.playState(), move.to) << "read " << read << " " << ::testing::PrintToString(seen);
    }
    EXPECT_TRUE(move.to == S::Playing || std::abs(player.position() - position) < 0.001);
    EXPECT_EQ(currentName(player), move.item);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_TRUE(transitionAllowed(seen[i - 1], seen[i])) << nameOf(seen[i - 1]) << " -> " << nameOf(seen[i]);
    EXPECT_EQ(player.error().errorCount(), 0);
}

// Without a playlist nothing moves; stopped, only the position moves; an
// open item keeps its kind of state on the next item; at the end of the
// playlist (on its last item) next has nowhere to go.
INSTANTIATE_TEST_SUITE_P(
    Player, StateModel,
    ::testing::Values(Move{S::Undefined, "play", &C::play, S::Undefined, ""},
                      Move{S::Stopped, "play", &C::play, S::Playing, "steady1"},
                      Move{S::Stopped, "next", &C::next, S::Stopped, "steady2"},
                      Move{S::Ready, "play", &C::play, S::Playing, "steady1"},
                      Move{S::Ready, "stop", &C::stop, S::Stopped, "steady1"},
                      Move{S::Ready, "next", &C::next, S::Ready, "steady2"},
                      Move{S::Paused, "play", &C::play, S::Playing, "steady1"},
                      Move{S::Playing, "pause", &C::pause, S::Paused, "steady1"},
                      Move{S::Playing, "stop", &C::stop, S::Stopped, "steady1"},
                      Move{S::Playing, "next", &C::next, S::Playing, "steady2"},
                      Move{S::MediaEnded, "stop", &C::stop, S::Stopped, "tone2"},
                      Move{S::MediaEnded, "next", &C::next, S::MediaEnded, "tone2"},
                      Move{S::MediaEnded, "previous", &C::previous, S::Stopped, "tone1"}),
    [](const auto& info) { return std::string(nameOf(info.param.from)) + "_" + info.param.control; });

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

TEST(PlayerWithoutLibrary, WhatIsNotThereRaisesAndTheVersionIsGStreamers) {
    GstMediaPlayer player(nullptr, nullptr, kFastSink);
    EXPECT_EQ(player.versionInfo().rfind("GStreamer ", 0), 0u) << player.versionInfo();
    using lumo::testing::numberRaisedBy;
    const int32_t outOfRange = failsafe::error::SubscriptOutOfRange;
    EXPECT_EQ(numberRaisedBy([&] { player.playlistCollection().getAll()->item(0); }), outOfRange);
    EXPECT_EQ(numberRaisedBy([&] { player.playlistCollection().getByName("Jazz")->item(0); }), outOfRange);
    EXPECT_EQ(numberRaisedBy([&] { player.cdromCollection().item(0); }), outOfRange);
    EXPECT_EQ(numberRaisedBy([&] { player.error().item(0); }), outOfRange);
    EXPECT_EQ(numberRaisedBy([&] { player.settings().getMode("sideways"); }), failsafe::error::InvalidProcedureCall);
}

struct Setting {
    const char* name;
    int32_t volume, balance;
    bool mute;
    int32_t readVolume, readBalance;  // after clamping
    float left, right;                // expected peaks; the source's is 0.5
};

class Output : public ::testing::TestWithParam<Setting> {};

TEST_P(Output, SamplesFollowTheSettings) {
    const Setting& setting = GetParam();
    const fs::path capture = files().folder / (std::string("out-") + setting.name + ".wav");
    GstMediaPlayer player(nullptr, nullptr, captureSink(capture));
    player.settings().setMode("autoRewind", false);
    player.settings().setVolume(setting.volume);
    player.settings().setBalance(setting.balance);
    player.settings().setMute(setting.mute);
    EXPECT_EQ(player.settings().volume(), setting.readVolume);
    EXPECT_EQ(player.settings().balance(), setting.readBalance);
    player.setCurrentPlaylist(playlistOf({files().wav}));
    ASSERT_TRUE(waitFor(player, S::MediaEnded));
    EXPECT_EQ(player.error().errorCount(), 0);
    const Samples out = samplesOf(capture);
    EXPECT_GT(out.frames, 44100u / 5);  // most of the 0.3 s arrived
    EXPECT_NEAR(out.left, setting.left, 0.005f);
    EXPECT_NEAR(out.right, setting.right, 0.005f);
}

// Cubic volume: 50 gives 0.5^3 of the amplitude, 0.0625 of the source's 0.5.
INSTANTIATE_TEST_SUITE_P(Player, Output,
                         ::testing::Values(Setting{"half", 50, 0, false, 50, 0, 0.0625f, 0.0625f},
                                           Setting{"above", 103, 0, false, 100, 0, 0.5f, 0.5f},
                                           Setting{"below", -5, 0, false, 0, 0, 0.0f, 0.0f},
                                           Setting{"left", 100, -100, false, 100, -100, 0.5f, 0.0f},
                                           Setting{"right", 100, 250, false, 100, 100, 0.0f, 0.5f},
                                           Setting{"halfLeft", 100, -50, false, 100, -50, 0.5f, 0.25f},
                                           Setting{"mute", 100, 0, true, 100, 0, 0.0f, 0.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

// A centred balance has no element in the chain; moved off the centre while
// an item plays, it joins the chain in that item, which plays on from where
// it was to its end.
TEST(Balance, MovedWhileAnItemPlaysItTakesEffectInThatItem) {
    struct Peaks {
        std::atomic<bool> requested = false, moved = false;  // moved: from the first buffer after the seek
        std::atomic<size_t> frames = 0;
        float right[2] = {0, 0}, left = 0;  // right before and after the move; left after it
    } peaks;
    GstMediaPlayer player(nullptr, nullptr,
                          "audioconvert ! audio/x-raw,format=F32LE,channels=2 ! "
                          "fakesink name=capture sync=true signal-handoffs=true");
    GstElement* bin = nullptr;
    g_object_get(player.pipelineElement(), "audio-sink", &bin, nullptr);
    GstElement* capture = gst_bin_get_by_name(GST_BIN(bin), "capture");
    g_signal_connect(capture, "handoff", G_CALLBACK(+[](GstElement*, GstBuffer* buffer, GstPad*, Peaks* seen) {
                         GstMapInfo map;
                         if (seen->requested && GST_BUFFER_IS_DISCONT(buffer)) seen->moved = true;
                         if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return;
                         const auto* samples = reinterpret_cast<const float*>(map.data);
                         for (size_t i = 0; i + 1 < map.size / sizeof(float); i += 2) {
                             seen->right[seen->moved] = std::max(seen->right[seen->moved], std::abs(samples[i + 1]));
                             if (seen->moved) seen->left = std::max(seen->left, std::abs(samples[i]));
                         }
                         seen->frames += map.size / (2 * sizeof(float));
                         gst_buffer_unmap(buffer, &map);
                     }),
                     &peaks);
    player.settings().setMode("autoRewind", false);
    player.setCurrentPlaylist(playlistOf({files().steadyTones[0]}));
    ASSERT_TRUE(waitFor(player, S::Playing));
    while (player.position() < 0.3 && player.playState() == S::Playing) std::this_thread::sleep_for(5ms);
    peaks.requested = true;
    player.settings().setBalance(-100);
    EXPECT_EQ(watch(player, [](S state) { return state == S::MediaEnded; }), (std::vector<S>{S::Playing, S::MediaEnded}));
    EXPECT_NEAR(peaks.right[0], 0.5f, 0.005f);
    EXPECT_NEAR(peaks.right[1], 0.0f, 0.005f);
    EXPECT_NEAR(peaks.left, 0.5f, 0.005f);
    EXPECT_NEAR(peaks.frames / 44100.0, 4.0, 0.1);  // sought back to where it was: nothing skipped
    gst_object_unref(capture);
    gst_object_unref(bin);
}

// The output takes the decoder's format as it is; one that the volume
// element refuses (8-bit samples) is converted, and the item plays, also
// when it follows another without a gap.
TEST(Formats, AnItemWhoseSamplesTheOutputRefusesIsConvertedAndPlays) {
    const fs::path file = files().folder / "eight-bit.wav";
    const lumo::testing::WavFormat eightBit{8000, 1, 8};
    lumo::testing::writeWav(file, std::string(1600, '\x80'), eightBit);
    for (const std::vector<fs::path>& items : {std::vector{file}, std::vector{files().longTones[0], file}}) {
        GstMediaPlayer player(nullptr, nullptr, kRealtimeSink);
        player.settings().setMode("autoRewind", false);
        player.setCurrentPlaylist(playlistOf(items));
        std::vector<S> states;
        std::vector<std::string> expected;
        for (const fs::path& item : items) expected.push_back(item.stem().string());
        EXPECT_EQ(playedItems(player, states), expected);
        EXPECT_EQ(states.back(), S::MediaEnded);
        EXPECT_EQ(player.error().errorCount(), 0);
    }
}

// The pipeline's state changes must never meet playbin switching items on a
// streaming thread (handover.h); a hang fails through the test's timeout.
TEST(Stress, ControlsDuringGaplessSwitchesNeverHang) {
    std::mt19937 random(20240601);
    GstMediaPlayer player(nullptr, nullptr, kRealtimeSink);
    player.settings().setMode("loop", true);
    const PlaylistPtr playlist = playlistOf(tones(3));
    player.setCurrentPlaylist(playlist);
    for (int i = 0, presses = std::getenv("LUMO_STRESS") ? 1500 : 300; i < presses; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        const unsigned which = random() % 7;
        if (which == 5) player.setCurrentMedia(playlist->item(static_cast<int32_t>(random() % 3)));
        if (which < 5) (player.controls().*std::array{&C::next, &C::previous, &C::play, &C::pause, &C::stop}[which])();
    }
    player.controls().play();
    EXPECT_TRUE(waitFor(player, S::Playing));
    EXPECT_EQ(player.error().errorCount(), 0) << (player.error().errorCount() ? player.error().item(0).errorDescription : "");
}

}  // namespace
}  // namespace lumo::platform::gst::testing
