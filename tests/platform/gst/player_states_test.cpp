// The state model on the real engine: from each state a host can find the
// player in, each control, the state it settles in and the item it is on;
// reading, however often, changes nothing.

#include "gst_test_support.h"
#include "platform/gst/play_states.h"

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
                      Move{S::Stopped, "previous", &C::previous, S::Stopped, "steady0"},
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

}  // namespace
}  // namespace lumo::platform::gst::testing
