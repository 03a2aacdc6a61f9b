// The state model on the real engine: from each state a host can find the
// player in, each control, the state it settles in and the item it is on;
// reading, however often, changes nothing.

#include "gst_test_support.h"
#include "platform/gst/play_states.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;

enum class Control { Play, Pause, Stop, Next, Previous };

void press(MediaPlayer& player, Control control) {
    switch (control) {
        case Control::Play: return player.controls().play();
        case Control::Pause: return player.controls().pause();
        case Control::Stop: return player.controls().stop();
        case Control::Next: return player.controls().next();
        case Control::Previous: return player.controls().previous();
    }
}

// Brings a fresh player with autoStart off into `state` on the middle item
// of three: four-second items for the states of an open item, short ones
// for the end of the playlist (autoRewind off: the end is on the last item).
void reach(GstMediaPlayer& player, S state) {
    if (state == S::Undefined) return;
    const bool ended = state == S::MediaEnded;
    if (ended) player.settings().setMode("autoRewind", false);
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

const char* controlName(Control control) {
    static const char* names[] = {"play", "pause", "stop", "next", "previous"};
    return names[static_cast<int>(control)];
}

struct Move {
    S from;
    Control control;
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
    press(player, move.control);
    std::vector<S> seen = watch(player, [&](S state) { return state == move.to; });
    // It stays there, and a hundred reads of what a host reads change nothing.
    std::this_thread::sleep_for(150ms);
    const double position = player.position();
    for (int read = 0; read < 100; ++read) {
        player.currentMedia(), player.currentPlaylist(), player.settings().volume(), player.error().errorCount();
        ASSERT_EQ(player.playState(), move.to) << "read " << read << " " << ::testing::PrintToString(seen);
    }
    if (move.to != S::Playing) {
        EXPECT_NEAR(player.position(), position, 0.001);
    }
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
    ::testing::Values(Move{S::Undefined, Control::Play, S::Undefined, ""},
                      Move{S::Undefined, Control::Next, S::Undefined, ""},
                      Move{S::Stopped, Control::Play, S::Playing, "steady1"},
                      Move{S::Stopped, Control::Pause, S::Stopped, "steady1"},
                      Move{S::Stopped, Control::Next, S::Stopped, "steady2"},
                      Move{S::Stopped, Control::Previous, S::Stopped, "steady0"},
                      Move{S::Ready, Control::Play, S::Playing, "steady1"},
                      Move{S::Ready, Control::Pause, S::Ready, "steady1"},
                      Move{S::Ready, Control::Stop, S::Stopped, "steady1"},
                      Move{S::Ready, Control::Next, S::Ready, "steady2"},
                      Move{S::Ready, Control::Previous, S::Ready, "steady0"},
                      Move{S::Paused, Control::Play, S::Playing, "steady1"},
                      Move{S::Paused, Control::Stop, S::Stopped, "steady1"},
                      Move{S::Paused, Control::Next, S::Paused, "steady2"},
                      Move{S::Playing, Control::Play, S::Playing, "steady1"},
                      Move{S::Playing, Control::Pause, S::Paused, "steady1"},
                      Move{S::Playing, Control::Stop, S::Stopped, "steady1"},
                      Move{S::Playing, Control::Next, S::Playing, "steady2"},
                      Move{S::Playing, Control::Previous, S::Playing, "steady0"},
                      Move{S::MediaEnded, Control::Pause, S::MediaEnded, "tone2"},
                      Move{S::MediaEnded, Control::Stop, S::Stopped, "tone2"},
                      Move{S::MediaEnded, Control::Next, S::MediaEnded, "tone2"},
                      Move{S::MediaEnded, Control::Previous, S::Stopped, "tone1"}),
    [](const auto& info) { return std::string(nameOf(info.param.from)) + "_" + controlName(info.param.control); });

}  // namespace
}  // namespace lumo::platform::gst::testing
