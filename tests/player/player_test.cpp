// The player host over its library and drives.
#include <regex>
#include <tuple>

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

TEST_F(PlayerHostTest, LibraryPlaylistsAreMadeCurrentByName) {
    platform::writeSetting("LUMO Player", "Library", "PlaylistFolders",
                           (home / "lists").string() + "\n" + (home / "lists2").string());
    const fs::path one = tone("one.wav"), two = tone("two.wav");
    playlist("Evening", {one, two});
    playlist("Empty", {});
    playlist("Jazz", {one});
    playlist("Jazz", {one, two}, "lists2");
    std::ofstream(home / "lists/recent.autopl") << "[Auto Playlist]\nName=Recent\nRule1=path contains music\n";
    frmAudioPlayer& window = realHost();
    const struct {
        bool standard;
        std::string name;
        int32_t flags;        // -1: activated
        std::string current;  // name, items and kind of the current playlist afterwards
    } cases[] = {
        {true, "Evening", -1, "Evening 2 Static"}, {true, "Nowhere", 0x0002, "Evening 2 Static"},
        {true, "Jazz", -1, "Jazz 1 Static"},       // the first of two
        {false, "Empty", 0x0004, "Empty 0 Static"},  // made current all the same
        {true, "Recent", -1, "Recent 2 Auto"},
    };
    for (const auto& c : cases) {
        selection.sPlayList = c.name;
        flags = 0;
        EXPECT_EQ(c.standard ? window.SetStandard_PL(error, flags) : window.SetAuto_PL(error, flags), c.flags == -1) << c.name;
        EXPECT_EQ(flags, std::max(c.flags, 0)) << c.name;
        const PlaylistPtr current = window.WMPlayer().currentPlaylist();
        ASSERT_NE(current, nullptr) << c.name;
        EXPECT_EQ(current->name() + " " + std::to_string(current->count()) + " " + current->getItemInfo("PlaylistType"),
                  c.current);
    }
    EXPECT_EQ(error, "before");
    EXPECT_NE(window.WMPlayer().playState(), PlayState::Playing);
}

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

CdromPtr playerDrive(int32_t index) { return AudioPlayer().WMPlayer().cdromCollection().item(index); }

TEST_F(PlayerHostTest, DiscsAreFoundByExactVolumeNameAndNumericSerialInDrivesBothSidesKnow) {
    frmAudioPlayer& window = fourDrives();
    const int32_t serialF = serialOf("F"), serialE = serialOf("E");
    ASSERT_LT(serialF, 0);
    const std::tuple<std::string, std::string, std::string> cases[] = {  // by the serial when one is given; found "" for none
        {"Audio CD", "", "D:"},  // two discs of that name: the first drive
        {"BACKUP", "", "F:"}, {"backup", "", ""}, {"", "", ""},  // the empty drive G has no name to match
        {"", std::to_string(serialF), "F:"}, {"", "-0" + std::to_string(-serialF), "F:"},
        {"", "0" + std::to_string(serialE), "E:"}, {"", std::to_string(serialE + 1), ""},
    };
    for (const auto& [volume, serial, found] : cases) {
        selection.sVolumeName = volume;
        selection.sSerNum = serial;
        const bool bySerial = !serial.empty();
        std::string drive;
        EXPECT_EQ(bySerial ? window.CDSerNumExistsAnyDrive(drive) : window.VolumeNameExistsAnyDrive(drive), !found.empty());
        CdromPtr cdrom;
        int32_t flags = 0;
        const bool got = bySerial ? window.GetWMPCDROMByCDSerialNumber(cdrom, flags) : window.GetWMPCDROMByVolumeName(cdrom, flags);
        EXPECT_EQ(drive + "|" + (got ? cdrom->driveSpecifier() : "") + "|" + std::to_string(flags),
                  found + "|" + found + "|" + (got ? "0" : "64"))
            << volume << serial;
    }
    dataDisc("H", "ONLYHERE");  // known to the drive object made now, not to the player
    common::CreateFSO();
    selection.sVolumeName = "ONLYHERE";
    selection.sSerNum = std::to_string(serialOf("H"));
    std::string drive = "none";
    EXPECT_FALSE(window.VolumeNameExistsAnyDrive(drive));
    EXPECT_FALSE(window.CDSerNumExistsAnyDrive(drive));
    EXPECT_EQ(drive, "none");

    selection.sSerNum = "12a";  // no number: an error where it is compared, and only there
    EXPECT_FALSE(window.CDDriveHasSerialNumber(playerDrive(3)));  // G holds nothing to compare
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(window.CDDriveHasSerialNumber(playerDrive(0)));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(fs->lastError().slots[0].number, 13);
    EXPECT_EQ(fs->lastError().slots[0].procedure, "Function CDDriveHasSerialNumber");
    EXPECT_FALSE(window.CDSerNumExistsAnyDrive(drive));  // passed over: not found
    EXPECT_EQ(drive, "none");

    common::ReleaseFSO();  // without the drive object nothing is found, and nothing is an error
    selection.sVolumeName = "Audio CD";
    EXPECT_FALSE(window.VolumeNameExistsAnyDrive(drive));
    EXPECT_FALSE(window.CDDriveHasVolume(playerDrive(0)));
    CdromPtr cdrom;
    EXPECT_FALSE(window.GetWMPCDROMByVolumeName(cdrom, flags));  // the fixture's flags, 0 until now
    EXPECT_EQ(flags, 0x0040);
    EXPECT_EQ(asked, 1);
}


}  // namespace
}  // namespace lumo::player::testing
