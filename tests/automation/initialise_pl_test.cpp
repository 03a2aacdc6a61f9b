// InitialisePL: which checks run before a disc is activated, in their order,
// what comes back in the by-reference arguments, and a disc that changes
// between the checks and the activation. Matching the discs themselves is
// the player host's test.

#include "tests/automation/automation_fixture.h"

namespace lumo::automation::testing {
namespace {

using lumo::testing::FakeDrive;
using platform::simulated::PlaylistScript;

struct Outcome {
    bool activated = false;
    int32_t plError = -1, cdroms = -7;
    std::string wmpError = "untouched", promptedDrive = "untouched";
};

class InitialisePL : public AutomationTest {
protected:
    Outcome activate(int32_t kind, std::string name, int32_t how = 0, std::string drive = "", std::string serial = "",
                     std::string volume = "") {
        Outcome out;
        int16_t result = 0;
        int32_t shuffle = shuffle_mode::On;
        audio->InitialisePL(&out.promptedDrive, &kind, &name, &how, &drive, &serial, &volume, &shuffle, &out.cdroms,
                            &out.wmpError, &out.plError, &result);
        out.activated = result != 0;
        return out;
    }
    std::string current() { return get("GetCurrentPlaylist").string(); }
    static PlaylistScript disc(std::string name, int tracks = 2) {
        PlaylistScript script{std::move(name)};
        for (int t = 1; t <= tracks; ++t) script.items.push_back({"Track " + std::to_string(t), "cdda://x#" + std::to_string(t)});
        return script;
    }
};

TEST_F(InitialisePL, LibraryPlaylistsAndOtherKindsLeaveTheDiscArgumentsAlone) {
    scenario.playlists = {{"Jazz", false, {{"Take Five", "file:///m/a.flac"}}}};
    create();
    const Outcome jazz = activate(playlist_type::Standard, "Jazz");
    EXPECT_TRUE(jazz.activated);
    EXPECT_EQ(jazz.wmpError + " " + std::to_string(jazz.cdroms), "untouched -7") << "only written for discs";
    EXPECT_EQ(get("IsShuffleOn"), Variant::boolean(false)) << "the shuffle mode is stored, not applied";
    EXPECT_EQ(activate(playlist_type::Auto, "Nope").plError, pl_error::NoSuchPlaylist);
    EXPECT_EQ(current(), "Jazz") << "the current playlist stays";
    const Outcome other = activate(3, "Jazz");
    EXPECT_EQ(std::to_string(other.activated) + " " + std::to_string(other.plError), "0 0");
}

TEST_F(InitialisePL, DiscChecksRunInTheirOrderAndTheFirstFailureEndsThem) {
    scenario.drives = {{"D:", disc("Disc D")}, {"E:", disc("Disc E", 3)}};
    drives->add("D", "Audio CD", -123);
    drives->add("E", "Audio CD", 803381);
    drives->add("F", "Music", 42);  // a drive the player does not list
    create();
    namespace how = how_to_id;
    const struct {
        int32_t how;
        std::string letter, serial, volume;
        int32_t plError;
        std::string current;  // "" when nothing was activated
    } cases[] = {
        {how::DriveLetter, "D", "", "", pl_error::NoSuchDrive, ""},  // no colon, no drive
        {how::DriveLetter | how::VolumeName, "X:", "", "Music", pl_error::NoSuchDrive, ""},  // the letter first, alone
        {how::VolumeName | how::SerialNumber, "", "42", "Nope", pl_error::NoDiscWithVolume, ""},  // volume before serial
        {how::SerialNumber, "", "42", "", pl_error::NoDiscWithSerial, ""},  // F is not the player's
        {how::DriveLetter, "e:", "", "", 0, "Disc E"},
        {how::SerialNumber, "", "-0123", "", 0, "Disc D"},
    };
    for (const auto& c : cases) {
        const Outcome out = activate(playlist_type::Cdrom, "", c.how, c.letter, c.serial, c.volume);
        EXPECT_EQ(out.plError, c.plError) << c.how << c.letter << c.serial << c.volume;
        EXPECT_EQ(out.activated, !c.current.empty()) << c.how << c.letter << c.serial << c.volume;
        EXPECT_EQ(out.cdroms, 2);
        if (out.activated) {
            EXPECT_EQ(current(), c.current);
        }
    }
    player->scenario().drives.clear();
    const Outcome none = activate(playlist_type::Cdrom, "", how_to_id::DriveLetter, "D:");
    EXPECT_EQ(none.plError, pl_error::NoCdDrive);
    EXPECT_EQ(none.cdroms, 0);
}

TEST_F(InitialisePL, ADiscSwappedAfterTheChecksIsNotTakenForTheOneChecked) {
    scenario.drives = {{"D:", disc("Wanted")}};
    const std::shared_ptr<FakeDrive> d = drives->add("D", "Audio CD", 11);
    create();
    // The check reads the disc first; by the activation's read another one is in.
    const auto swapAfterFirstRead = [&] {
        d->serial = 11;
        player->scenario().drives[0].disc = disc("Wanted");
        d->beforeRead = [this, reads = 0](FakeDrive& drive) mutable {
            if (++reads != 2) return;
            drive.serial = 99;
            player->scenario().drives[0].disc = disc("Other", 5);
        };
    };
    swapAfterFirstRead();
    const Outcome bySerial = activate(playlist_type::Cdrom, "", how_to_id::SerialNumber, "", "11");
    EXPECT_FALSE(bySerial.activated);
    EXPECT_EQ(bySerial.plError, pl_error::NoDiscWithVolume) << "the check passed, the activation found no such disc";
    EXPECT_EQ(current(), "");

    // With the drive letter too, the letter still names the drive: its new
    // disc is made current, and only the flag tells it is not the one checked.
    swapAfterFirstRead();
    const Outcome both = activate(playlist_type::Cdrom, "", how_to_id::SerialNumber | how_to_id::DriveLetter, "D:", "11");
    EXPECT_TRUE(both.activated);
    EXPECT_EQ(both.plError, pl_error::NoDiscWithVolume);
    EXPECT_EQ(current(), "Other");
}

TEST_F(InitialisePL, WithoutADisplayThePromptCountsAsCancelledAndAfterTerminateTheServiceFindsNoDisc) {
    scenario.drives = {{"D:", disc("Audio CD")}};
    drives->add("D", "Audio CD", 7);
    create();
    for (int round = 0; round < 2; ++round) {  // the prompt's flag does not pile up
        const Outcome prompted = activate(playlist_type::Cdrom, "", how_to_id::None);
        EXPECT_FALSE(prompted.activated);
        EXPECT_EQ(prompted.plError, pl_error::PromptCancelled);
        EXPECT_EQ(prompted.promptedDrive, "");
    }
    audio->DoTerminate();
    EXPECT_EQ(activate(playlist_type::Cdrom, "", how_to_id::SerialNumber, "", "7").plError, pl_error::NoDiscWithSerial);
    EXPECT_TRUE(activate(playlist_type::Cdrom, "", how_to_id::DriveLetter, "D:").activated)
        << "the player's own drives still answer";
}

}  // namespace
}  // namespace lumo::automation::testing
