// The hidden window: loaded once, and its cached playlists when the media
// library fails at the load.
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
    const auto lines = failsafe::testing::crlfLines(lumo::testing::bytesOf(path("LUMOAudioErrors.log")));
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

}  // namespace
}  // namespace lumo::player::testing
