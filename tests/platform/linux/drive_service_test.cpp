// Drive letters and the drive information service over disc images listed
// in the settings, in a temporary home.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "failsafe/runtime_error.h"
#include "platform/linux/musicbrainz_disc_id.h"
#include "platform/linux/cd_collection.h"
#include "platform/linux/drive_letters.h"
#include "platform/linux/linux_drive_service.h"
#include "platform/user_settings.h"

namespace lumo::platform::linux_drives {
namespace {

std::string describe(const LetterAssignment& letters) {
    std::string text;
    for (const DriveEntry& drive : letters.drives) text += std::string(1, drive.letter) + "=" + drive.path.string() + ";";
    return text;
}

TEST(DriveLetters, ConfiguredLettersFirstThenFoundDrivesFromD) {
    const LetterAssignment letters = assignLetters(
        {{"e", "/dev/sr1"}, {"D", ""}, {"G", "/images/disc.cue"}, {"XY", "/dev/sr4"}, {"C", "/dev/sr5"},
         {"H", "/dev/sr1"}, {"7", "/x.iso"}},
        {"/dev/sr0", "/dev/sr1", "/dev/sr2"});
    EXPECT_EQ(describe(letters), "D=;E=/dev/sr1;F=/dev/sr0;G=/images/disc.cue;H=/dev/sr2;");
    EXPECT_EQ(letters.newEntries, (std::vector<std::pair<char, std::string>>{{'F', "/dev/sr0"}, {'H', "/dev/sr2"}}));
    EXPECT_EQ(letters.drives[0].kind, DriveEntry::Kind::Empty);
    EXPECT_EQ(letters.drives[1].kind, DriveEntry::Kind::Device);
    EXPECT_EQ(letters.drives[3].kind, DriveEntry::Kind::Image);
    const std::vector<std::string> problems = {
        "Drives: '7' is not a drive letter A to Z; the entry is ignored",
        "Drives: C is the root file system; the entry C=/dev/sr5 is ignored",
        "Drives: H and E both name /dev/sr1; E keeps it",
        "Drives: 'XY' is not a drive letter A to Z; the entry is ignored",
    };
    EXPECT_EQ(letters.problems, problems);

    std::vector<std::pair<std::string, std::string>> full;
    for (char letter = 'D'; letter <= 'Z'; ++letter) full.emplace_back(std::string(1, letter), "");
    const LetterAssignment crowded = assignLetters(full, {"/dev/sr0"});
    EXPECT_EQ(crowded.drives.size(), 23u);
    EXPECT_EQ(crowded.problems, std::vector<std::string>{"Drives: no free letter for /dev/sr0"});
}

TEST(DriveService, BuildPathJoinsWithOneSeparator) {
    EXPECT_EQ(DriveService::buildPath("/opt/lumo", "LUMOAudioErrors.log"), "/opt/lumo/LUMOAudioErrors.log");
    EXPECT_EQ(DriveService::buildPath("/opt/lumo/", "/x.log"), "/opt/lumo/x.log");
    EXPECT_EQ(DriveService::buildPath("", "LUMOAudioErrors.log"), "LUMOAudioErrors.log");
    EXPECT_EQ(DriveService::buildPath("/", "x"), "/x");
}

class LinuxDrivesTest : public ::testing::Test {
protected:
    std::filesystem::path home;
    std::vector<std::string> logged;
    void SetUp() override {
        home = std::filesystem::temp_directory_path() / ("lumo-drives-" + std::to_string(::getpid()));
        std::filesystem::remove_all(home);
        std::filesystem::create_directories(home);
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override { std::filesystem::remove_all(home); }
    std::string at(const std::string& name) const { return (home / name).string(); }
    void audioImage(const std::string& name, std::vector<int64_t> trackSectors) {
        std::ofstream cue(home / (name + ".cue"));
        cue << "FILE \"" << name << ".bin\" BINARY\n";
        int64_t start = 0;
        for (size_t t = 0; t < trackSectors.size(); ++t) {
            cue << "TRACK " << t + 1 << " AUDIO\nINDEX 01 " << start / 4500 << ":" << (start / 75) % 60 << ":"
                << start % 75 << "\n";
            start += trackSectors[t];
        }
        std::ofstream(home / (name + ".bin")).close();
        std::filesystem::resize_file(home / (name + ".bin"), static_cast<uintmax_t>(start) * 2352);
    }
    LinuxDriveService service(std::vector<std::string> optical = {}) {
        return LinuxDriveService(std::move(optical), [this](const std::string& line) { logged.push_back(line); });
    }
};

TEST_F(LinuxDrivesTest, ImagesInTheSettingsAreCdDrivesWithTheirVolumes) {
    audioImage("three", {18342, 21869, 21023});  // tracks at 0, 18342, 40211; lead-out 61234
    ASSERT_EQ(std::system(("mkdir -p '" + at("c") + "' && genisoimage -quiet -V BACKUP -o '" + at("data.iso") + "' '" +
                           at("c") + "' 2>/dev/null").c_str()), 0);
    writeSetting("LUMO Player", "Drives", "D", at("three.cue"));
    writeSetting("LUMO Player", "Drives", "E", at("data.iso"));
    writeSetting("LUMO Player", "Drives", "F", "");
    writeSetting("LUMO Player", "Drives", "G", at("later.cue"));

    LinuxDriveService drives = service({"/dev/lumo-no-such-drive"});
    const std::vector<DrivePtr> all = drives.drives();
    std::string letters;
    for (const DrivePtr& drive : all) letters += drive->driveLetter();
    EXPECT_EQ(letters, "CDEFGH");
    EXPECT_EQ(all[0]->driveType(), drive_type::Fixed);
    EXPECT_TRUE(all[0]->isReady());
    EXPECT_FALSE(all[0]->fileSystem().empty());

    const DrivePtr& audio = all[1];
    EXPECT_EQ(audio->driveType(), drive_type::CdRom);
    ASSERT_TRUE(audio->isReady());
    EXPECT_EQ(audio->volumeName(), "Audio CD");
    EXPECT_EQ(audio->serialNumber(), 803381);
    EXPECT_EQ(audio->fileSystem(), "CDFS");

    EXPECT_TRUE(all[2]->isReady());
    EXPECT_EQ(all[2]->volumeName(), "BACKUP");

    for (size_t empty : {3u, 4u, 5u}) {  // an empty virtual drive, a missing image, no such device
        EXPECT_EQ(all[empty]->driveType(), drive_type::CdRom);
        EXPECT_FALSE(all[empty]->isReady());
        try {
            all[empty]->serialNumber();
            ADD_FAILURE() << "a drive that is not ready gave a serial number";
        } catch (const failsafe::RuntimeError& error) {
            EXPECT_EQ(error.number(), diskNotReadyError);
        }
    }
    // The drive found on the machine got the first free letter and keeps it.
    EXPECT_EQ(readSetting("LUMO Player", "Drives", "H"), "/dev/lumo-no-such-drive");

    // A disc put into G later is seen at the next query; ejecting it too.
    audioImage("later", {30000, 30000});
    EXPECT_TRUE(all[4]->isReady());
    EXPECT_EQ(all[4]->serialNumber(), 0x000200 + 0x062A00 + 60000);  // 00:02:00 + 06:42:00 + its length
    std::filesystem::remove(home / "later.bin");
    EXPECT_FALSE(all[4]->isReady());
    // Each problem is logged once, however often the drive is asked.
    EXPECT_EQ(std::count_if(logged.begin(), logged.end(),
                            [](const std::string& line) { return line.rfind("G: no disc image", 0) == 0; }),
              1);
}

TEST_F(LinuxDrivesTest, ThePlayersCdDrivesAreTheSameDrivesWithTheirTracks) {
    audioImage("three", {18342, 21869, 21023});
    {  // CD-TEXT titles for the first two tracks
        std::ofstream cue(home / "titled.cue");
        cue << "TITLE \"Demo Disc\"\nFILE \"three.bin\" BINARY\nTRACK 01 AUDIO\nTITLE \"Opening\"\nINDEX 01 00:00:00\n"
            << "TRACK 02 AUDIO\nTITLE \"Middle\"\nINDEX 01 04:04:42\nTRACK 03 AUDIO\nINDEX 01 08:56:11\n";
    }
    ASSERT_EQ(std::system(("mkdir -p '" + at("c") + "' && genisoimage -quiet -V DATA -o '" + at("data.iso") + "' '" +
                           at("c") + "' 2>/dev/null").c_str()), 0);
    writeSetting("LUMO Player", "Drives", "D", at("titled.cue"));
    writeSetting("LUMO Player", "Drives", "E", at("data.iso"));
    writeSetting("LUMO Player", "Drives", "F", "");
    auto drives = std::make_shared<LinuxDriveService>(service());
    LinuxCdromCollection players(drives);

    // Both views: the same CD drives, in the same order, equally ready.
    std::vector<std::string> serviceView, playerView;
    for (const DrivePtr& drive : drives->drives())
        if (drive->driveType() == drive_type::CdRom)
            serviceView.push_back(drive->driveLetter() + ":" + (drive->isReady() ? "ready" : "empty"));
    ASSERT_EQ(players.count(), 3);
    for (int32_t i = 0; i < players.count(); ++i) {
        const CdromPtr cdrom = players.item(i);
        bool ready = true;
        try {
            cdrom->playlist();
        } catch (const failsafe::RuntimeError& error) {
            EXPECT_EQ(error.number(), diskNotReadyError);
            ready = false;
        }
        playerView.push_back(cdrom->driveSpecifier() + (ready ? "ready" : "empty"));
    }
    EXPECT_EQ(playerView, serviceView);
    EXPECT_EQ(playerView, (std::vector<std::string>{"D:ready", "E:ready", "F:empty"}));

    const PlaylistPtr disc = players.item(0)->playlist();
    ASSERT_EQ(disc->count(), 3);
    EXPECT_EQ(disc->getItemInfo("PlaylistType"), "CD");
    EXPECT_EQ(disc->item(0)->name(), "Opening");
    EXPECT_EQ(disc->item(2)->name(), "Track 3");
    EXPECT_EQ(disc->item(1)->getItemInfo("SourceURL"), "cdda://" + at("titled.cue") + "#2");
    EXPECT_EQ(disc->item(1)->getItemInfo("MediaType"), "audio");
    EXPECT_EQ(disc->item(0)->getItemInfo("Duration"), "244.56");  // 18342 frames
    EXPECT_EQ(disc->item(2)->getItemInfo("Duration"), "280.307");  // 21023 frames
    EXPECT_EQ(players.item(1)->playlist()->count(), 0);             // a data disc has no tracks to play
    EXPECT_THROW(players.item(3), failsafe::RuntimeError);

    // The disc's own titles, and the identifier of the sheet's table of contents.
    EXPECT_EQ(disc->getItemInfo("Title"), "Demo Disc");
    EXPECT_EQ(disc->item(1)->getItemInfo("Title"), "Middle");
    EXPECT_EQ(disc->item(2)->getItemInfo("Title"), "");
    Toc toc;
    toc.tracks = {{1, 0, true, ""}, {2, 18342, true, ""}, {3, 18342 + 21869, true, ""}};
    toc.leadOutLba = 18342 + 21869 + 21023;
    EXPECT_EQ(disc->getItemInfo("MusicBrainzDiscID"), musicBrainzDiscId(toc));
    EXPECT_EQ(disc->getItemInfo("MusicBrainzDiscID").size(), 28u);
    EXPECT_EQ(players.item(1)->playlist()->getItemInfo("MusicBrainzDiscID"), "");
}

}  // namespace
}  // namespace lumo::platform::linux_drives
