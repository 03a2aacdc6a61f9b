// The hidden window: how it is built and loaded, its cached playlists, and
// the process's one window.
#include <regex>

#include "player_fixture.h"

namespace lumo::player::testing {
namespace {

Scenario twoPlaylists() { return Scenario{{{"Jazz", false, {{"Take Five", "file:///m/t5.flac"}}}, {"Rock", true}}, {}}; }

TEST_F(PlayerHostTest, TheWindowIsBuiltWithThePlayersSettingsAndLoadsOnce) {
    setMediaPlayerFactory([] { return std::make_unique<SimulatedPlayer>(twoPlaylists()); });
    frmAudioPlayer& window = audioPlayerWindow();
    EXPECT_FALSE(audioPlayerLoaded());
    window.WMPlayer().settings().setEnableErrorDialogs(false);  // what start-up does before the load
    EXPECT_EQ(&AudioPlayer(), &window);
    AudioPlayer();
    EXPECT_TRUE(audioPlayerLoaded());
    EXPECT_EQ(dynamic_cast<SimulatedPlayer&>(window.WMPlayer()).calls(),
              (std::vector<std::string>{"autoStart=false", "volume=50", "balance=0", "mute=false", "enableErrorDialogs=false",
                                        "enableErrorDialogs=false", "autoStart=false"}));  // loaded once
    ASSERT_NE(window.PlayListArray(), nullptr);
    EXPECT_EQ(window.PlayListArray()->count(), 2);

    EXPECT_EQ(window.caption() + (window.visible() ? " shown" : ""), "WMP Audio Player");
    window.DoShow(3);
    EXPECT_EQ(window.caption() + (window.visible() ? " shown" : ""), "3 shown");
    EXPECT_FALSE(window.Form_QueryUnload(0));
    window.setCurrentPlaylist(window.PlayListArray()->item(1));
    EXPECT_EQ(window.CurrentPlaylist()->name(), "Rock");
    EXPECT_EQ(window.WMPlayer().currentPlaylist(), nullptr);  // only stored
    window.WMPlayer().settings().setMode("shuffle", true);    // the mode change arrives and is let go
    EXPECT_EQ(fs->depth(), 0);
    unloadAudioPlayer();
    EXPECT_FALSE(audioPlayerLoaded());
}

TEST_F(PlayerHostTest, ALibraryFailingAtLoadIsLoggedOnceAndLeavesNoList) {
    Scenario scenario = twoPlaylists();
    scenario.libraryFails = true;
    frmAudioPlayer& window = scriptedHost(scenario);
    EXPECT_TRUE(audioPlayerLoaded());
    EXPECT_EQ(window.PlayListArray(), nullptr);
    EXPECT_EQ(simulated->calls().back(), "autoStart=false");
    const auto lines = failsafe::testing::crlfLines(failsafe::testing::readFile(path("LUMOAudioErrors.log")));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(.* LAP LOG ERROR: frmAudioPlayer\.Load Erl=[1-9]\d* )"
                                                      R"(Error Number=-1072885353 'The media library is not available')")))
        << lines[0];
    EXPECT_EQ(asked, 0);

    window.BuildPlayLists();  // asked for later, under the framework's trap
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(fs->lastError().slots[0].procedure, "Sub BuildPlayLists");
    simulated->scenario().libraryFails = false;
    window.BuildPlayLists();
    ASSERT_NE(window.PlayListArray(), nullptr);
    EXPECT_EQ(window.PlayListArray()->count(), 2);
}

TEST_F(PlayerHostTest, TheDefaultPlayerListsItsPlaylistsAtEachLoad) {
    playlistFile(home / "lists/Evening.m3u", {"one.wav"});
    audioDisc("D", "disc", {150, 150});
    common::CreateFSO();
    frmAudioPlayer& window = AudioPlayer();
    EXPECT_TRUE(window.WMPDriveExists("d:"));
    ASSERT_NE(window.PlayListArray(), nullptr);
    EXPECT_EQ(window.PlayListArray()->count(), 1);

    playlistFile(home / "lists/Late.m3u", {"one.wav"});
    EXPECT_EQ(window.PlayListArray()->count(), 1);
    selection.sPlayList = "Late";
    std::string error;
    int32_t flags = 0;
    EXPECT_TRUE(window.SetStandard_PL(error, flags));  // the library itself knows it
    unloadAudioPlayer();
    EXPECT_EQ(AudioPlayer().PlayListArray()->count(), 2);
}

}  // namespace
}  // namespace lumo::player::testing
