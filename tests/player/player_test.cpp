// The player host over its library and drives.
#include <regex>

#include "common/formatting.h"
#include "player_fixture.h"

namespace lumo::player::testing {
namespace {

using platform::PlayState;
using platform::simulated::DriveScript;
using platform::simulated::ItemScript;
using platform::simulated::PlaylistScript;

const platform::ErrorItem missing{1, "file:///m/gone.flac", -1072885353, "filesrc", "Resource not found"};
const ItemScript failing{"Gone", "file:///m/gone.flac", "audio", "1.0", PlayState::Ready, PlayState::Playing, missing};

TEST_F(PlayerHostTest, AFailedActivationReportsThePlayersFirstErrorAndADiscsQueuedErrorEndsIt) {
    audioDisc("D", "bad", {150});
    audioDisc("E", "good", {150});
    frmAudioPlayer& window = scriptedHost({{{"Broken", true, {failing}}},
                                           {DriveScript{"D:", PlaylistScript{"Audio CD", false, {failing}}},
                                            DriveScript{"E:", PlaylistScript{"Audio CD", false, {{"Track 1", "cdda://e#1"}}}}}});
    selection.sPlayList = "Broken";  // the player queues an error, the activation itself succeeds
    EXPECT_TRUE(window.SetAuto_PL(error, flags));
    EXPECT_EQ(error, "before");
    simulated->scenario().libraryFails = true;
    EXPECT_FALSE(window.SetAuto_PL(error, flags));
    EXPECT_EQ(flags, 0x0008);
    EXPECT_EQ(error, common::GetErrorItemString(missing));
    EXPECT_EQ(simulated->error().errorCount(), 0) << "the queue is emptied";
    EXPECT_EQ(std::count(simulated->calls().begin(), simulated->calls().end(), "play"), 0);

    simulated->scenario().libraryFails = false;
    selection = {playlist_type::Cdrom, "", 12, "E:", "", "Audio CD", 0, ""};
    error = "before";
    flags = 0;
    EXPECT_FALSE(window.SetCDROM_PL(error, flags));
    EXPECT_EQ(flags, 0x0008);
    EXPECT_EQ(error, common::GetErrorItemString(missing));
    EXPECT_EQ(simulated->error().errorCount(), 0);
    EXPECT_EQ(std::count(simulated->calls().begin(), simulated->calls().end(), "currentPlaylist=Audio CD"), 1)
        << "the drive letter's block did not run";
    EXPECT_EQ(asked, 0);
}

TEST_F(PlayerHostTest, EachCriterionThatRunsDecidesTheCdActivationUnlessTheDiscHoldsNothing) {
    frmAudioPlayer& window = fourDrives();  // D, E: "Audio CD"; F: data disc BACKUP; G: no disc
    const struct {
        int32_t how;
        std::string volume, serial, letter, prompted;
        bool result;
        int32_t flags;
        int32_t items;  // of the current playlist afterwards, -1 for none
    } cases[] = {
        {0, "", "", "", "", false, 0x0200, -1},  // nothing prompted: no drive
        {0, "", "", "", "D:", true, 0, 3},
        {0, "", "", "", "F:", false, 0x0C00, 0},             // a data disc has no tracks
        {6, "Audio CD", "12345", "", "", false, 0x0040, 3},  // D made current, then no disc of that serial
        {12, "audio cd", "", "E:", "", true, 0x0040, 2},     // found by its drive alone
        {8, "", "", "G:", "", false, 0x0400, 2},             // no disc: the tracks of before are not the drive's
        {4, "BACKUP", "", "", "", false, 0x0400, 0},
    };
    for (const auto& c : cases) {
        selection = {playlist_type::Cdrom, "", c.how, c.letter, c.serial, c.volume, 0, c.prompted};
        flags = 0;
        const std::string label = std::to_string(c.how) + c.volume + c.letter + c.prompted;
        EXPECT_EQ(window.SetCDROM_PL(error, flags), c.result) << label;
        EXPECT_EQ(flags, c.flags) << label;
        const PlaylistPtr current = window.WMPlayer().currentPlaylist();
        EXPECT_EQ(current ? current->count() : -1, c.items) << label;
    }
    EXPECT_EQ(error, "before");
    EXPECT_EQ(asked, 0);
}

TEST_F(PlayerHostTest, ALibraryFailingAtLoadIsLoggedOnceAndLeavesNoList) {
    Scenario scenario{{{"Jazz", false, {{"Take Five", "file:///m/t5.flac"}}}, {"Rock", true}}, {}};
    scenario.libraryFails = true;
    frmAudioPlayer& window = scriptedHost(scenario);
    EXPECT_EQ(&AudioPlayer(), &window);
    EXPECT_EQ(std::count(simulated->calls().begin(), simulated->calls().end(), "volume=50"), 1) << "loaded once";
    EXPECT_EQ(window.PlayListArray(), nullptr);
    const auto lines = logLines();
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
