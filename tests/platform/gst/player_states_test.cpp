// Play states of the real player on generated files, at the real pace into
// a fake sink: assignment and stepping at both ends (each control from each
// state: player_state_model_test.cpp).

#include <gmock/gmock.h>

#include "gst_test_support.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;

class PlayerStates : public ::testing::Test {
protected:
    GstMediaPlayer player{nullptr, nullptr, kRealtimeSink};
    void SetUp() override { player.settings().setAutoStart(false); }
};

TEST_F(PlayerStates, AssignmentTransitionsToReadyAndNeverPlaysWithoutAutoStart) {
    // A short item may preroll before the call returns: Ready at once is
    // as right as Transitioning first; Playing never is.
    player.setCurrentPlaylist(playlistOf(tones(3)));
    auto seen = watch(player, [](S state) { return state == S::Ready || state == S::Playing; });
    EXPECT_THAT(seen, ::testing::AnyOf(std::vector<S>{S::Transitioning, S::Ready}, std::vector<S>{S::Ready}));
    std::this_thread::sleep_for(300ms);  // longer than the item: still not playing
    EXPECT_EQ(player.playState(), S::Ready);
    EXPECT_EQ(currentName(player), "tone0");

    player.setCurrentMedia(player.currentPlaylist()->item(2));
    seen = watch(player, [](S state) { return state == S::Ready || state == S::Playing; });
    EXPECT_THAT(seen, ::testing::AnyOf(std::vector<S>{S::Transitioning, S::Ready}, std::vector<S>{S::Ready}));
    EXPECT_EQ(currentName(player), "tone2");
    EXPECT_EQ(player.error().errorCount(), 0);
}

TEST_F(PlayerStates, AutoStartPlaysTheAssignedPlaylist) {
    player.settings().setAutoStart(true);
    player.setCurrentPlaylist(playlistOf(tones(1)));
    const auto seen = watch(player, [](S state) { return state == S::Playing; });
    EXPECT_EQ(seen, (std::vector<S>{S::Transitioning, S::Playing}));
}

TEST_F(PlayerStates, SteppingStopsAtTheEndsUnlessLooping) {
    player.setCurrentPlaylist(playlistOf(tones(3)));
    ASSERT_TRUE(waitFor(player, S::Ready));
    player.controls().previous();  // the first item starts again
    EXPECT_EQ(currentName(player), "tone0");
    EXPECT_TRUE(waitFor(player, S::Ready));
    player.controls().next();
    player.controls().next();
    player.controls().next();  // at the last item without loop: stays
    EXPECT_EQ(currentName(player), "tone2");
    EXPECT_TRUE(waitFor(player, S::Ready));

    player.settings().setMode("loop", true);
    player.controls().next();
    EXPECT_EQ(currentName(player), "tone0");
    EXPECT_TRUE(waitFor(player, S::Ready));
    EXPECT_EQ(player.error().errorCount(), 0);
}

TEST_F(PlayerStates, EmptyPlaylistIsCurrentAndStopped) {
    auto empty = std::make_shared<TestPlaylist>(std::vector<MediaPtr>{});
    player.setCurrentPlaylist(empty);
    EXPECT_EQ(player.currentPlaylist(), empty);
    EXPECT_EQ(player.currentMedia(), nullptr);
    EXPECT_EQ(player.playState(), S::Stopped);
    player.controls().play();
    player.controls().next();
    EXPECT_EQ(player.playState(), S::Stopped);
    EXPECT_EQ(player.error().errorCount(), 0);
}

TEST_F(PlayerStates, AnItemOutsideThePlaylistBecomesAPlaylistOfItsOwn) {
    const PlaylistPtr playlist = playlistOf(tones(3));
    player.setCurrentPlaylist(playlist);
    player.setCurrentMedia(playlist->item(1));  // inside: the position follows
    EXPECT_EQ(player.currentPlaylist(), playlist);
    player.controls().next();
    EXPECT_EQ(currentName(player), "tone2");

    player.setCurrentMedia(mediaOf(files().flac));
    EXPECT_TRUE(waitFor(player, S::Ready));
    const PlaylistPtr own = player.currentPlaylist();
    ASSERT_NE(own, playlist);
    EXPECT_EQ(own->count(), 1);
    EXPECT_EQ(own->name(), "tone");
    player.controls().next();
    EXPECT_EQ(currentName(player), "tone");
}

TEST(PlayerArguments, NullAssignmentsAndUnknownModesRaiseError5) {
    GstMediaPlayer player(nullptr, nullptr, kFastSink);
    const auto numberOf = [](auto&& call) {
        try {
            call();
        } catch (const failsafe::RuntimeError& failure) {
            return failure.number();
        }
        return 0;
    };
    EXPECT_EQ(numberOf([&] { player.setCurrentPlaylist(nullptr); }), 5);
    EXPECT_EQ(numberOf([&] { player.setCurrentMedia(nullptr); }), 5);
    EXPECT_EQ(numberOf([&] { player.settings().getMode("repeat"); }), 5);
    EXPECT_EQ(numberOf([&] { player.settings().setMode("", true); }), 5);
    EXPECT_EQ(numberOf([&] { player.error().item(0); }), 9);
    EXPECT_EQ(numberOf([&] { player.cdromCollection().item(0); }), 9);
    EXPECT_EQ(player.playlistCollection().getAll()->count(), 0);
    EXPECT_EQ(player.playState(), S::Undefined);
    EXPECT_EQ(player.versionInfo().rfind("GStreamer 1.", 0), 0u) << player.versionInfo();
}

}  // namespace
}  // namespace lumo::platform::gst::testing
