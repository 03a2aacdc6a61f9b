// The hidden window: loaded once, its cached playlists, and a media library
// that fails at the load.
#include <regex>

#include "player_fixture.h"

namespace lumo::player::testing {
namespace {

Scenario twoPlaylists() { return Scenario{{{"Jazz", false, {{"Take Five", "file:///m/t5.flac"}}}, {"Rock", true}}, {}}; }

TEST_F(PlayerHostTest, ALibraryFailingAtLoadIsLoggedOnceAndLeavesNoList) {
    Scenario scenario = twoPlaylists();
    scenario.libraryFails = true;
    frmAudioPlayer& window = scriptedHost(scenario);
    EXPECT_EQ(&AudioPlayer(), &window);
    EXPECT_EQ(std::count(simulated->calls().begin(), simulated->calls().end(), "volume=50"), 1) << "loaded once";
    EXPECT_EQ(window.PlayListArray(), nullptr);
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
    common::CreateFSO();
    frmAudioPlayer& window = AudioPlayer();
    ASSERT_NE(window.PlayListArray(), nullptr);
    EXPECT_EQ(window.PlayListArray()->count(), 1);
    playlistFile(home / "lists/Late.m3u", {"one.wav"});
    EXPECT_EQ(window.PlayListArray()->count(), 1);
    selection.sPlayList = "Late";
    EXPECT_TRUE(window.SetStandard_PL(error, flags));  // the library itself knows it
    unloadAudioPlayer();
    EXPECT_EQ(AudioPlayer().PlayListArray()->count(), 2);
}

}  // namespace
}  // namespace lumo::player::testing
