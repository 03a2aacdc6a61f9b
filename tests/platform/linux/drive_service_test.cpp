// Drive letters and the drive information service over disc images listed
// in the settings, in a temporary home.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/linux/cd_collection.h"
#include "platform/linux/drive_letters.h"
#include "platform/linux/linux_drive_service.h"
#include "platform/user_settings.h"
#include "tests/support/raised.h"
#include "tests/temp_folder.h"

namespace lumo::platform::linux_drives {
namespace {

TEST(DriveLetters, ConfiguredLettersFirstThenFoundDrivesFromD) {
    const LetterAssignment letters = assignLetters(
        {{"e", "/dev/sr1"}, {"D", ""}, {"G", "/images/disc.cue"}, {"XY", "/dev/sr4"}, {"C", "/dev/sr5"},
         {"H", "/dev/sr1"}, {"7", "/x.iso"}},
        {"/dev/sr0", "/dev/sr1", "/dev/sr2"});
    std::string described;
    for (const DriveEntry& drive : letters.drives) described += std::string(1, drive.letter) + "=" + drive.path.string() + ";";
    EXPECT_EQ(described, "D=;E=/dev/sr1;F=/dev/sr0;G=/images/disc.cue;H=/dev/sr2;");
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

class LinuxDrivesTest : public ::testing::Test {
protected:
    lumo::testing::TempFolder home;
    std::vector<std::string> logged;
    void SetUp() override {
        ::setenv("HOME", home.path().c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
    }
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
    void dataImage(const std::string& options) {  // made by genisoimage
        ASSERT_EQ(std::system(("mkdir -p '" + at("c") + "' && genisoimage -quiet " + options + " -o '" + at("data.iso") +
                               "' '" + at("c") + "' 2>/dev/null").c_str()), 0);
    }
};

TEST_F(LinuxDrivesTest, ImagesInTheSettingsAreCdDrivesWithTheirVolumes) {
    audioImage("three", {18342, 21869, 21023});  // tracks at 0, 18342, 40211; lead-out 61234
    dataImage("-J -V 'Jolie Disque'");  // the Joliet name, not the primary one
    writeSetting("LUMO Player", "Drives", "D", at("three.cue"));
    writeSetting("LUMO Player", "Drives", "E", at("data.iso"));
    writeSetting("LUMO Player", "Drives", "F", "");
    writeSetting("LUMO Player", "Drives", "G", at("later.cue"));
    LinuxDriveService drives({"/dev/lumo-no-such-drive"}, [this](const std::string& line) { logged.push_back(line); });
    const std::vector<DrivePtr> all = drives.drives();
    std::string letters;
    for (const DrivePtr& drive : all) letters += drive->driveLetter();
    EXPECT_EQ(letters, "CDEFGH");
    EXPECT_EQ(all[0]->driveType(), drive_type::Fixed);
    EXPECT_TRUE(all[0]->isReady());
    EXPECT_NE(all[0]->fileSystem(), "unknown") << "\"/\" is in every mount table";
    EXPECT_NO_THROW(all[0]->serialNumber());
    ASSERT_TRUE(all[1]->isReady());
    EXPECT_EQ(all[1]->volumeName(), "Audio CD");
    EXPECT_EQ(all[1]->serialNumber(), 803381);
    EXPECT_EQ(all[2]->volumeName(), "Jolie Disque");
    EXPECT_NE(all[2]->serialNumber(), 0);
    for (size_t empty : {3u, 4u, 5u}) {  // an empty virtual drive, a missing image, no such device
        EXPECT_EQ(all[empty]->driveType(), drive_type::CdRom);
        EXPECT_FALSE(all[empty]->isReady());
        EXPECT_EQ(lumo::testing::numberRaisedBy([&] { all[empty]->serialNumber(); }), diskNotReadyError) << empty;
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

    // The media player's CD drives are the CD drives alone; a disc is a
    // playlist that tells its identity, and each track its kind and length.
    LinuxCdromCollection cdroms(std::make_shared<LinuxDriveService>(std::vector<std::string>{}, [](const std::string&) {}));
    ASSERT_EQ(cdroms.count(), 5);  // D to H
    EXPECT_EQ(cdroms.item(0)->driveSpecifier(), "D:");
    const PlaylistPtr disc = cdroms.item(0)->playlist();
    ASSERT_EQ(disc->count(), 3);
    EXPECT_EQ(disc->getItemInfo("PlaylistType"), "CD");
    EXPECT_EQ(disc->getItemInfo("MusicBrainzDiscID").size(), 28u);
    EXPECT_EQ(disc->item(0)->getItemInfo("MediaType"), "audio");
    EXPECT_EQ(disc->getItemInfo("Title") + "|" + disc->item(0)->getItemInfo("Title"), "|") << "no CUE or CD-TEXT titles";
    EXPECT_NEAR(std::stod(disc->item(1)->getItemInfo("Duration")), 21869 / 75.0, 0.01);
}

}  // namespace
}  // namespace lumo::platform::linux_drives
