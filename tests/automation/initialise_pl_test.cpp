// Activating what the host kept: library playlists by name, and a disc by
// its drive, volume name, serial number or the disc prompt.

#include "tests/automation/automation_fixture.h"

namespace lumo::automation::testing {
namespace {

using platform::simulated::PlaylistScript;

struct Outcome {
    bool activated = false;
    int32_t plError = -1;
    int32_t cdroms = -7;
    std::string wmpError = "untouched";
    std::string promptedDrive = "untouched";
};

class InitialisePL : public AutomationTest {
protected:
    Outcome activate(int32_t kind, std::string name, int32_t how = 0, std::string drive = "", std::string serial = "",
                     std::string volume = "", int32_t shuffle = 0) {
        Outcome out;
        int16_t result = 0;
        audio->InitialisePL(&out.promptedDrive, &kind, &name, &how, &drive, &serial, &volume, &shuffle, &out.cdroms,
                            &out.wmpError, &out.plError, &result);
        out.activated = result != 0;
        return out;
    }
    std::string current() {
        std::string name;
        audio->GetCurrentPlaylist(&name);
        return name;
    }
    static PlaylistScript disc(std::string name, int tracks = 2) {
        PlaylistScript script{std::move(name)};
        for (int t = 1; t <= tracks; ++t) script.items.push_back({"Track " + std::to_string(t), "cdda://x#" + std::to_string(t)});
        return script;
    }
};

TEST_F(InitialisePL, LibraryPlaylistsByNameWithoutStartingPlayback) {
    scenario.playlists = {{"Jazz", false, {{"Take Five", "file:///m/a.flac"}}},
                          {"Empty", false, {}},
                          {"Recent", true, {{"New", "file:///m/n.flac"}}}};
    create();
    Outcome jazz = activate(playlist_type::Standard, "Jazz", 0, "", "", "", shuffle_mode::On);
    EXPECT_TRUE(jazz.activated);
    EXPECT_EQ(jazz.plError, 0);
    EXPECT_EQ(jazz.wmpError, "untouched");
    EXPECT_EQ(jazz.cdroms, -7) << "only written for discs";
    EXPECT_EQ(jazz.promptedDrive, "");
    EXPECT_EQ(current(), "Jazz");
    EXPECT_NE(get("Playstate"), Variant(3)) << "nothing plays before DoPlay";
    EXPECT_EQ(get("IsShuffleOn"), Variant::boolean(false)) << "the shuffle mode is stored, not applied";

    EXPECT_TRUE(activate(playlist_type::Standard, "Recent").activated) << "an auto playlist by the standard kind";
    Outcome missing = activate(playlist_type::Auto, "Nope");
    EXPECT_FALSE(missing.activated);
    EXPECT_EQ(missing.plError, pl_error::NoSuchPlaylist);
    EXPECT_EQ(current(), "Recent") << "the current playlist stays";
    Outcome empty = activate(playlist_type::Standard, "Empty");
    EXPECT_EQ(empty.plError, pl_error::EmptyPlaylist);
    EXPECT_EQ(current(), "Empty") << "an empty playlist is made current all the same";

    Outcome other = activate(3, "Jazz");
    EXPECT_FALSE(other.activated);
    EXPECT_EQ(other.plError, 0);
    EXPECT_EQ(other.promptedDrive, "");
}

TEST_F(InitialisePL, DiscChecksFailInTheirOrder) {
    create();
    Outcome none = activate(playlist_type::Cdrom, "", how_to_id::DriveLetter, "D:");
    EXPECT_FALSE(none.activated);
    EXPECT_EQ(none.plError, pl_error::NoCdDrive);
    EXPECT_EQ(none.cdroms, 0);
}

TEST_F(InitialisePL, DiscByDriveLetterVolumeNameAndSerialNumber) {
    scenario.drives = {{"D:", disc("Audio CD")}, {"E:", disc("Audio CD", 3)}};
    serviceDrive("D", "Audio CD", -123);
    serviceDrive("E", "Audio CD", 803381);
    serviceDrive("F", "Music", 42);  // a drive the player does not list
    create();

    EXPECT_EQ(activate(playlist_type::Cdrom, "", how_to_id::DriveLetter, "D").plError, pl_error::NoSuchDrive)
        << "a letter without its colon is no drive";
    Outcome twelve = activate(playlist_type::Cdrom, "", how_to_id::DriveLetter | how_to_id::VolumeName, "X:", "", "Music");
    EXPECT_EQ(twelve.plError, pl_error::NoSuchDrive) << "the letter is checked first, alone";

    Outcome byLetter = activate(playlist_type::Cdrom, "", how_to_id::DriveLetter, "e:");
    EXPECT_TRUE(byLetter.activated);
    EXPECT_EQ(byLetter.cdroms, 2);
    EXPECT_EQ(get("GetCurrentPlaylist"), Variant("Audio CD"));

    Outcome bySerial = activate(playlist_type::Cdrom, "", how_to_id::SerialNumber, "", "803381");
    EXPECT_TRUE(bySerial.activated);
    EXPECT_EQ(bySerial.plError, 0);
    EXPECT_TRUE(activate(playlist_type::Cdrom, "", how_to_id::SerialNumber, "", "-0123").activated)
        << "serials compare as numbers";
    EXPECT_EQ(activate(playlist_type::Cdrom, "", how_to_id::SerialNumber, "", "42").plError, pl_error::NoDiscWithSerial)
        << "the service's drive F is not one of the player's";
    EXPECT_EQ(activate(playlist_type::Cdrom, "", how_to_id::VolumeName, "", "", "audio cd").plError,
              pl_error::NoDiscWithVolume)
        << "volume names compare with their case";

    serviceDrives[0]->ready = false;
    serviceDrives[1]->ready = false;
    EXPECT_EQ(activate(playlist_type::Cdrom, "", how_to_id::VolumeName, "", "", "Audio CD").plError,
              pl_error::NoDiscWithVolume)
        << "drives that are not ready are skipped";
}

TEST_F(InitialisePL, WithoutACriterionThePromptDecidesAndItsFlagStays) {
    scenario.drives = {{"D:", disc("Audio CD")}};
    serviceDrive("D", "Audio CD", 1);
    create();
    // Without a display there is nobody to ask: the prompt counts as closed.
    for (int round = 0; round < 2; ++round) {
        Outcome prompted = activate(playlist_type::Cdrom, "", how_to_id::None);
        EXPECT_FALSE(prompted.activated);
        EXPECT_EQ(prompted.plError, pl_error::PromptCancelled);
        EXPECT_EQ(prompted.promptedDrive, "");
    }
    EXPECT_NE(errorLog().find("display"), std::string::npos) << errorLog();
}

TEST_F(InitialisePL, AfterTerminateTheServiceSideFindsNoDisc) {
    scenario.drives = {{"D:", disc("Audio CD")}};
    serviceDrive("D", "Audio CD", 7);
    create();
    audio->DoTerminate();
    EXPECT_EQ(activate(playlist_type::Cdrom, "", how_to_id::SerialNumber, "", "7").plError, pl_error::NoDiscWithSerial);
    EXPECT_TRUE(activate(playlist_type::Cdrom, "", how_to_id::DriveLetter, "D:").activated)
        << "the player's own drives still answer";
}

}  // namespace
}  // namespace lumo::automation::testing
