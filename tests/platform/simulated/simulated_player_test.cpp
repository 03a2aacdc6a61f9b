// The scripted player behaves like a player in the ways the logic above it
// relies on, and makes the scripted cases happen.
#include <gtest/gtest.h>

#include "failsafe/runtime_error.h"
#include "platform/simulated/simulated_player.h"

namespace lumo::platform::simulated {
namespace {

ErrorItem notFound(const std::string& url) { return {1, url, -1072885353, "open", "Cannot find " + url}; }

Scenario library() {
    Scenario scenario;
    scenario.playlists = {
        {"Jazz", false, {{"Take Five", "file:///m/take5.flac"}, {"So What", "file:///m/sowhat.flac"}}},
        {"Jazz", true, {{"Blue", "file:///m/blue.flac"}}},
        {"Broken", false,
         {{"Gone", "file:///m/gone.mp3", "audio", "", PlayState::Transitioning, PlayState::Playing,
           notFound("file:///m/gone.mp3")}}},
        {"Empty", false, {}},
    };
    scenario.drives = {{"D:", PlaylistScript{"Audio CD", false, {{"Track 1", "cdda://1"}}}}, {"E:", std::nullopt}};
    return scenario;
}

TEST(SimulatedPlayer, LibraryAndDrivesFollowTheScript) {
    SimulatedPlayer player(library());
    EXPECT_EQ(player.playlistCollection().getAll()->count(), 4);
    const PlaylistArrayPtr jazz = player.playlistCollection().getByName("Jazz");
    ASSERT_EQ(jazz->count(), 2);
    EXPECT_EQ(jazz->item(0)->getItemInfo("PlaylistType"), "Static");
    EXPECT_EQ(jazz->item(1)->getItemInfo("PlaylistType"), "Auto");
    EXPECT_EQ(player.playlistCollection().getByName("jazz")->count(), 0);  // names match exactly
    EXPECT_THROW(jazz->item(2), failsafe::RuntimeError);

    ASSERT_EQ(player.cdromCollection().count(), 2);
    EXPECT_EQ(player.cdromCollection().item(0)->driveSpecifier(), "D:");
    EXPECT_EQ(player.cdromCollection().item(0)->playlist()->count(), 1);
    EXPECT_EQ(player.cdromCollection().item(1)->playlist()->count(), 0);  // no disc
    EXPECT_EQ(player.cdromCollection().item(0)->playlist()->getItemInfo("PlaylistType"), "CD");

    player.scenario().libraryFails = true;
    EXPECT_THROW(player.playlistCollection().getAll(), failsafe::RuntimeError);
    player.scenario().versionFails = true;
    EXPECT_THROW(player.versionInfo(), failsafe::RuntimeError);
}

TEST(SimulatedPlayer, ItemsReachTheirScriptedStatesAndQueueTheirErrors) {
    SimulatedPlayer player(library());
    player.settings().setAutoStart(false);
    player.setCurrentPlaylist(player.playlistCollection().getByName("Jazz")->item(0));
    EXPECT_EQ(player.playState(), PlayState::Ready);
    EXPECT_EQ(player.currentMedia()->name(), "Take Five");
    player.controls().play();
    EXPECT_EQ(player.playState(), PlayState::Playing);
    player.controls().next();
    EXPECT_EQ(player.currentMedia()->name(), "So What");
    EXPECT_EQ(player.playState(), PlayState::Playing);
    player.controls().next();  // at the end without loop: stays on the last item
    EXPECT_EQ(player.currentMedia()->name(), "So What");
    player.settings().setMode("LOOP", true);
    player.controls().next();
    EXPECT_EQ(player.currentMedia()->name(), "Take Five");
    player.controls().stop();
    EXPECT_EQ(player.playState(), PlayState::Stopped);

    player.setCurrentPlaylist(player.playlistCollection().getByName("Broken")->item(0));
    EXPECT_EQ(player.playState(), PlayState::Transitioning);  // never gets ready
    ASSERT_EQ(player.error().errorCount(), 1);
    EXPECT_EQ(player.error().item(0).errorDescription, "Cannot find file:///m/gone.mp3");
    player.error().clearErrorQueue();
    EXPECT_EQ(player.error().errorCount(), 0);

    player.setCurrentPlaylist(player.playlistCollection().getByName("Empty")->item(0));
    EXPECT_EQ(player.currentMedia(), nullptr);
    EXPECT_EQ(player.currentPlaylist()->count(), 0);
}

TEST(SimulatedPlayer, SettingsAreBoundedAndEveryCallIsRecorded) {
    SimulatedPlayer player(library());
    std::vector<std::string> modeChanges;
    player.setModeChangeHandler([&](const std::string& mode, bool on) { modeChanges.push_back(mode + (on ? "+" : "-")); });
    player.settings().setVolume(103);
    player.settings().setBalance(-150);
    player.settings().setMode("shuffle", true);
    EXPECT_EQ(player.settings().volume(), 100);
    EXPECT_EQ(player.settings().balance(), -100);
    EXPECT_TRUE(player.settings().getMode("Shuffle"));
    EXPECT_THROW(player.settings().getMode("repeat"), failsafe::RuntimeError);
    EXPECT_EQ(modeChanges, std::vector<std::string>{"shuffle+"});
    EXPECT_EQ(player.calls(), (std::vector<std::string>{"volume=103", "balance=-150", "shuffle=true"}));
}

}  // namespace
}  // namespace lumo::platform::simulated
