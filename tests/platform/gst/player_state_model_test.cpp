// The state model on the real engine: from each state a host can find the
// player in, each control, the state it settles in and the item it is on.
// And reading, however often and by however many readers, changes nothing.

#include <gmock/gmock.h>

#include "gst_test_support.h"
#include "platform/gst/play_states.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;

enum class Control { Play, Pause, Stop, Next, Previous };

const char* nameOf(Control control) {
    static const char* names[] = {"play", "pause", "stop", "next", "previous"};
    return names[static_cast<int>(control)];
}

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
    if (state == S::MediaEnded) {
        player.settings().setMode("autoRewind", false);
        const PlaylistPtr playlist = playlistOf(tones(3));
        player.setCurrentPlaylist(playlist);
        player.setCurrentMedia(playlist->item(2));
        player.controls().play();
        ASSERT_TRUE(waitFor(player, S::MediaEnded));
        return;
    }
    const PlaylistPtr playlist = playlistOf(files().steadyTones);
    player.setCurrentPlaylist(playlist);
    player.setCurrentMedia(playlist->item(1));
    ASSERT_TRUE(waitFor(player, S::Ready));
    if (state == S::Stopped) player.controls().stop();
    if (state == S::Playing || state == S::Paused) {
        player.controls().play();
        ASSERT_TRUE(waitFor(player, S::Playing));
    }
    if (state == S::Paused) {
        player.controls().pause();
        ASSERT_TRUE(waitFor(player, S::Paused));
    }
    ASSERT_EQ(player.playState(), state);
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
    std::this_thread::sleep_for(150ms);  // and it stays there
    seen.push_back(player.playState());
    EXPECT_EQ(seen.back(), move.to) << ::testing::PrintToString(seen);
    EXPECT_EQ(currentName(player), move.item);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_TRUE(transitionAllowed(seen[i - 1], seen[i])) << gst::nameOf(seen[i - 1]) << " -> " << gst::nameOf(seen[i]);
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
    [](const auto& info) {
        return std::string(gst::nameOf(info.param.from)) + "_" + nameOf(info.param.control);
    });

TEST(StateModel, PlayAfterTheEndPlaysTheLastItemAgainOrTheFirstWhenRewound) {
    for (const bool rewind : {false, true}) {
        GstMediaPlayer player(nullptr, nullptr, kRealtimeSink);
        player.settings().setAutoStart(true);
        player.settings().setMode("autoRewind", rewind);
        player.setCurrentPlaylist(playlistOf(tones(2)));
        ASSERT_TRUE(waitFor(player, S::MediaEnded));
        EXPECT_EQ(currentName(player), rewind ? "tone0" : "tone1");
        player.controls().play();
        // The item opens again; a quick one may play before play() returns.
        const auto seen = watch(player, [](S state) { return state == S::Playing; });
        EXPECT_THAT(seen, ::testing::AnyOf(std::vector<S>{S::Transitioning, S::Playing}, std::vector<S>{S::Playing}));
        EXPECT_EQ(currentName(player), rewind ? "tone0" : "tone1");
    }
}

// A thousand reads of everything a host, the media keys or the check window
// read change nothing, in each state that lasts.
TEST(StateModel, AThousandReadsChangeNothing) {
    for (const S state : {S::Ready, S::Paused, S::Stopped, S::MediaEnded}) {
        GstMediaPlayer player(nullptr, nullptr, kRealtimeSink);
        player.settings().setAutoStart(false);
        reach(player, state);
        if (HasFatalFailure()) return;
        const std::string item = currentName(player);
        const double position = player.position();
        for (int read = 0; read < 1000; ++read) {
            ASSERT_EQ(player.playState(), state) << "read " << read;
            player.currentMedia();
            player.currentPlaylist();
            player.settings().volume();
            player.settings().getMode("loop");
            player.error().errorCount();
            player.position();
        }
        EXPECT_EQ(currentName(player), item);
        EXPECT_NEAR(player.position(), position, 0.001) << gst::nameOf(state);
    }
}

}  // namespace
}  // namespace lumo::platform::gst::testing
