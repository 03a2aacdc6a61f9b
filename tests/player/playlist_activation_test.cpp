// Library playlists and CD tracks made current from the active selection.
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
    playlistFile(home / "lists/Evening.m3u", {"one.wav", "two.wav"});
    playlistFile(home / "lists/Empty.m3u", {});
    playlistFile(home / "lists/Jazz.m3u", {"one.wav"});
    playlistFile(home / "lists2/Jazz.m3u", {"one.wav", "two.wav"});
    std::ofstream(home / "lists/recent.autopl") << "[Auto Playlist]\nName=Recent\nRule1=path contains music\n";
    frmAudioPlayer& window = realHost();

    using Set = bool (frmAudioPlayer::*)(std::string&, int32_t&);
    const Set standard = &frmAudioPlayer::SetStandard_PL, autoPl = &frmAudioPlayer::SetAuto_PL;
    const struct {
        Set set;
        std::string name;
        int32_t flags;        // -1: activated
        std::string current;  // name, items and kind of the current playlist afterwards
    } cases[] = {
        {standard, "Evening", -1, "Evening 2 Static"}, {standard, "Nowhere", 0x0002, "Evening 2 Static"},
        {standard, "Jazz", -1, "Jazz 1 Static"},  // the first of two
        {autoPl, "Empty", 0x0004, "Empty 0 Static"},  // made current all the same
        {standard, "Recent", -1, "Recent 2 Auto"},     {autoPl, "Recent", -1, "Recent 2 Auto"},
    };
    for (const auto& c : cases) {
        selection.sPlayList = c.name;
        std::string error = "before";
        int32_t flags = 0;
        EXPECT_EQ((window.*c.set)(error, flags), c.flags == -1) << c.name;
        EXPECT_EQ(flags, std::max(c.flags, 0)) << c.name;
        EXPECT_EQ(error, "before");
        const PlaylistPtr current = window.WMPlayer().currentPlaylist();
        ASSERT_NE(current, nullptr) << c.name;
        EXPECT_EQ(current->name() + " " + std::to_string(current->count()) + " " + current->getItemInfo("PlaylistType"),
                  c.current);
    }
    EXPECT_NE(window.WMPlayer().playState(), PlayState::Playing);
}

TEST_F(PlayerHostTest, AFailedLibraryActivationReportsThePlayersFirstError) {
    frmAudioPlayer& window = scriptedHost({{{"Jazz", false, {{"Take Five", "file:///m/t5.flac"}}}, {"Broken", true, {failing}}}, {}});
    std::string error = "before";
    int32_t flags = 0;
    selection.sPlayList = "Jazz";
    EXPECT_TRUE(window.SetStandard_PL(error, flags));
    EXPECT_EQ(simulated->playState(), PlayState::Ready);  // made current, not started
    selection.sPlayList = "Broken";  // the player queues an error, the activation itself succeeds
    EXPECT_TRUE(window.SetAuto_PL(error, flags));
    EXPECT_EQ(error, "before");

    simulated->scenario().libraryFails = true;
    EXPECT_FALSE(window.SetAuto_PL(error, flags));
    EXPECT_EQ(flags, 0x0008);
    EXPECT_EQ(error, common::GetErrorItemString(missing));
    EXPECT_EQ(simulated->error().errorCount(), 0);
    EXPECT_EQ(std::count(simulated->calls().begin(), simulated->calls().end(), "play"), 0);
    EXPECT_EQ(asked, 0);
}

TEST_F(PlayerHostTest, CdTracksAreMadeCurrentByEachCriterion) {
    frmAudioPlayer& window = fourDrives();
    const std::string serialE = std::to_string(serialOf("E"));
    const struct {
        int32_t how;
        std::string volume, serial, letter, prompted;
        bool result;
        int32_t flags;
        int32_t items;  // of the current playlist afterwards, -1 for none
    } cases[] = {
        {0, "", "", "", "", false, 0x0200, -1},
        {4, "Audio CD", "", "", "", true, 0, 3},  // the first disc of that name
        {2, "", serialE, "", "", true, 0, 2},
        {8, "", "", "e:", "", true, 0, 2},
        {8, "", "", "D", "", false, 0x0200, 2},
        {0, "", "", "", "D:", true, 0, 3},
        {0, "", "", "", "F:", false, 0x0C00, 0},  // a data disc has no tracks
        {6, "Audio CD", "12345", "", "", false, 0x0040, 3},  // D made current, then no disc of that serial
        {12, "audio cd", "", "E:", "", true, 0x0040, 2},     // found by its drive alone
        {8, "", "", "G:", "", false, 0x0400, 2},  // no disc: the tracks of before are not the drive's
        {4, "BACKUP", "", "", "", false, 0x0400, 0},
    };
    for (const auto& c : cases) {
        selection = {automation::playlist_type::Cdrom, "", c.how, c.letter, c.serial, c.volume, 0, c.prompted};
        std::string error = "before";
        int32_t flags = 0;
        const std::string label = std::to_string(c.how) + c.volume + c.letter + c.prompted;
        EXPECT_EQ(window.SetCDROM_PL(error, flags), c.result) << label;
        EXPECT_EQ(flags, c.flags) << label;
        EXPECT_EQ(error, "before");
        const PlaylistPtr current = window.WMPlayer().currentPlaylist();
        EXPECT_EQ(current ? current->count() : -1, c.items) << label;
    }
    EXPECT_EQ(asked, 0);
}

TEST_F(PlayerHostTest, ADiscWhosePlaylistQueuesAnErrorEndsTheCdActivation) {
    audioDisc("D", "bad", {150});
    audioDisc("E", "good", {150});
    frmAudioPlayer& window = scriptedHost({{}, {DriveScript{"D:", PlaylistScript{"Audio CD", false, {failing}}},
                                               DriveScript{"E:", PlaylistScript{"Audio CD", false, {{"Track 1", "cdda://e#1"}}}}}});
    selection = {automation::playlist_type::Cdrom, "", 12, "E:", "", "Audio CD", 0, ""};
    std::string error;
    int32_t flags = 0;
    EXPECT_FALSE(window.SetCDROM_PL(error, flags));
    EXPECT_EQ(flags, 0x0008);
    EXPECT_EQ(error, common::GetErrorItemString(missing));
    EXPECT_EQ(simulated->error().errorCount(), 0);
    EXPECT_EQ(std::count(simulated->calls().begin(), simulated->calls().end(), "currentPlaylist=Audio CD"), 1);

    simulated->scenario().drives.clear();
    EXPECT_EQ(window.GetCountCDROMS_WMP(error), 0);
    for (const auto& [how, expected] : std::vector<std::pair<int32_t, int32_t>>{{4, 0x0040}, {2, 0x0040}, {8, 0x0200}, {0, 0x0200}}) {
        selection.nHowToIDCD = how;
        flags = 0;
        EXPECT_FALSE(window.SetCDROM_PL(error, flags));
        EXPECT_EQ(flags, expected) << how;
    }
}

}  // namespace
}  // namespace lumo::player::testing
