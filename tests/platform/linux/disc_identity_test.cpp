// Disc images (CUE sheets with BIN and WAVE files), disc identifiers, drive
// letters and the drive service over images in the settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/linux/cd_collection.h"
#include "platform/linux/cue_sheet.h"
#include "platform/linux/disc_image.h"
#include "platform/linux/drive_letters.h"
#include "platform/linux/linux_drive_service.h"
#include "platform/linux/musicbrainz_disc_id.h"
#include "platform/user_settings.h"
#include "tests/support/generated_media.h"
#include "tests/support/raised.h"
#include "tests/temp_folder.h"

namespace lumo::platform::linux_drives {
namespace {

namespace fs = std::filesystem;

class DiscImageTest : public ::testing::Test {
protected:
    lumo::testing::TempFolder folder;
    void write(const std::string& name, const std::string& text) { std::ofstream(folder / name, std::ios::binary) << text; }
    // Each sector filled with its own byte pair so that a misplaced read shows.
    static std::string sectors(int count, int first) {
        std::string bytes;
        for (int s = 0; s < count; ++s)
            for (int b = 0; b < 2352; b += 2) bytes += {char(first + s), char(0x80 | (first + s))};
        return bytes;
    }
};

TEST_F(DiscImageTest, AudioSectorsAcrossFilesWithGapsAndByteOrder) {
    write("a.bin", sectors(3, 1));
    write("b.raw", sectors(2, 10) + std::string(1000, '\x7f'));  // a partial last sector is not counted
    write("disc.cue",
          "REM GENRE Jazz\r\nTITLE \"Live at Home\"\r\nFILE \"a.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n"
          "    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    TITLE \"Second, with gap\"\r\n    INDEX 00 00:00:01\r\n"
          "    INDEX 01 00:00:02\r\nFILE b.raw MOTOROLA\r\n  TRACK 03 AUDIO\r\n    PREGAP 00:00:02\r\n    INDEX 01 00:00:00\r\n");
    const CueResult result = readCueSheet(folder / "disc.cue");
    ASSERT_TRUE(result.sheet) << result.error;
    EXPECT_EQ(result.sheet->title, "Live at Home");
    EXPECT_EQ(result.sheet->tracks[1].index0, 1);
    std::string why;
    const std::optional<DiscImage> disc = DiscImage::open(folder / "disc.cue", why);
    ASSERT_TRUE(disc) << why;
    const Toc& toc = disc->toc();
    ASSERT_EQ(toc.tracks.size(), 3u);
    EXPECT_EQ(toc.tracks[1].lba, 2);
    EXPECT_EQ(toc.tracks[1].title, "Second, with gap");
    ASSERT_EQ(toc.tracks[2].lba, 5);  // after the first file and a pregap of two sectors
    EXPECT_EQ(toc.leadOutLba, 7);
    EXPECT_EQ(toc.trackFrames(1), 3);
    // The pregap is in no file.
    EXPECT_EQ(locateSector(*result.sheet, toc, 5)->file, 1u);
    EXPECT_FALSE(locateSector(*result.sheet, toc, 4));
    EXPECT_FALSE(locateSector(*result.sheet, toc, 7));
    std::vector<uint8_t> out(7 * 2352, 0xEE);
    ASSERT_TRUE(disc->readAudioSectors(0, 7, out.data()));
    auto pairAt = [&](int sector) { return std::pair<int, int>(out[size_t(sector) * 2352], out[size_t(sector) * 2352 + 1]); };
    EXPECT_EQ(pairAt(2), std::make_pair(3, 0x83));
    EXPECT_EQ(pairAt(4), std::make_pair(0, 0));  // the pregap is silence
    EXPECT_EQ(pairAt(5), std::make_pair(0x8a, 10));  // big-endian samples swapped
    EXPECT_EQ(out.back(), 11);
    fs::remove(folder / "b.raw");
    EXPECT_FALSE(disc->readAudioSectors(5, 1, out.data())) << "a file gone after opening";
    EXPECT_TRUE(disc->readAudioSectors(0, 1, out.data()));
}

// A WAVE file as a CD ripper writes it: other chunks (one of odd size) around the samples.
std::string waveFile(const std::string& samples, uint32_t rate = 44100) {
    return lumo::testing::wavBytes(samples, {.rate = rate, .ripperChunks = true});
}

TEST_F(DiscImageTest, WaveFilesGiveTheirSamplesAsSectors) {
    const std::string samples = sectors(3, 1);
    write("rip.wav", waveFile(samples + "odd"));  // a partial last sector is not counted
    write("disc.cue", "FILE \"rip.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:00:02\n");
    std::string why;
    const std::optional<DiscImage> disc = DiscImage::open(folder / "disc.cue", why);
    ASSERT_TRUE(disc) << why;
    EXPECT_EQ(disc->toc().tracks[1].lba, 2);
    EXPECT_EQ(disc->toc().leadOutLba, 3);
    std::vector<uint8_t> out(3 * 2352, 0xEE);
    ASSERT_TRUE(disc->readAudioSectors(0, 3, out.data()));
    EXPECT_EQ(out[1], 0x81);  // little-endian, as stored
    EXPECT_EQ(out[2 * 2352], 3);
    EXPECT_EQ(out.back(), 0x83);

    const std::pair<std::string, std::string> bad[] = {
        {waveFile(samples, 48000), "bad.wav: not CD audio (44.1 kHz, 16-bit, stereo PCM)"},
        {samples, "bad.wav: not a WAVE file"},
        {waveFile(samples).substr(0, 40), "bad.wav: a WAVE file without its format or data"},
    };
    for (const auto& [content, error] : bad) {
        write("bad.wav", content);
        write("bad.cue", "FILE bad.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
        EXPECT_EQ(readCueSheet(folder / "bad.cue").error, error);
        EXPECT_FALSE(DiscImage::open(folder / "bad.cue", why));
    }
}

TEST_F(DiscImageTest, BadCueSheetsSayWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "the sheet has no TRACK"},
        {std::string("\x89PNG\r\n\x1a\n\0\0\0", 11), "line 1: unknown command"},
        {"TRACK 01 AUDIO\nINDEX 01 00:00:00\n", "line 1: TRACK before any FILE"},
        {"FILE a.bin BINARY\nTRACK 01 VIDEO\n", "line 2: unknown track mode 'VIDEO'"},
        {"FILE a.bin BINARY\nTRACK 01 AUDIO\n", "track 1 has no INDEX 01"},
        {"FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:61:00\n", "line 3: INDEX needs a number and mm:ss:ff"},
        {"FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00junk\n", "line 3: INDEX needs a number and mm:ss:ff"},
        {"FILE a.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 0:0:0\nTRACK 01 AUDIO\n", "line 4: TRACK numbers must go up"},
        {"FILE a.bin BINARY\nTRACK 100 AUDIO\n", "line 2: TRACK number must lie from 1 to 99"},
        {"FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:0", "line 3: INDEX needs a number"},  // cut short
        {std::string(maxCueSheetBytes + 1, ' '), "the sheet is larger than 1 MiB"},
        {"FILE \"a.mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
         "line 1: FILE type 'MP3' is not read (BINARY, MOTOROLA and WAVE are)"},
    };
    for (const auto& [text, error] : cases) {
        const CueResult result = parseCueSheet(text, folder.path());
        EXPECT_FALSE(result.sheet) << error;
        EXPECT_EQ(result.error.substr(0, error.size()), error);
    }
    EXPECT_FALSE(readCueSheet(folder / "absent.cue").sheet);
    // Sheets that parse but give no disc: a file that is missing, or so large
    // (2^43 bytes, 3.7 billion sectors) that the lead-out would wrap to a
    // negative sector.
    for (const auto& [name, bytes] : {std::pair{"huge.bin", uintmax_t{1} << 43}, {"small.bin", uintmax_t{2352 * 100}}}) {
        write(name, "");
        fs::resize_file(folder / name, bytes);  // sparse: its size costs no disk space
    }
    const std::string small = "FILE \"small.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";
    EXPECT_EQ(tocOfCueSheet(*parseCueSheet(small, folder.path()).sheet)->leadOutLba, 100);
    for (const std::string& text : {std::string("FILE \"missing.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"),
                                    std::string("FILE \"huge.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"),
                                    small + "FILE \"huge.bin\" BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n"}) {
        const CueResult parsed = parseCueSheet(text, folder.path());
        ASSERT_TRUE(parsed.sheet) << parsed.error;
        EXPECT_FALSE(tocOfCueSheet(*parsed.sheet)) << text;
    }
}

// A table of contents from sector offsets as MusicBrainz lists them (with
// the two-second lead-in): the lead-out first, then the tracks.
Toc tocOf(std::initializer_list<int32_t> offsets) {
    Toc toc;
    auto it = offsets.begin();
    toc.leadOutLba = *it++ - leadInFrames;
    for (int number = 1; it != offsets.end(); ++it, ++number) toc.tracks.push_back({number, *it - leadInFrames, true, ""});
    return toc;
}

TEST(MusicBrainzDiscId, PublishedDiscsAndNoneWithoutAPlausibleAudioSession) {
    const Toc audioOnly = tocOf({303602, 150, 9700, 25887, 39297, 53795, 63735, 77517, 94877, 107270, 123552, 135522,
                                 148422, 161197, 174790, 192022, 205545, 218010, 228700, 239590, 255470, 266932, 288750});
    EXPECT_EQ(musicBrainzDiscId(audioOnly), "xUp1F2NkfP8s8jaeFn_Av3jNEI4-");

    // The same disc as pressed, with its data track after the audio: the
    // audio session ends 11,400 sectors before the data track starts.
    Toc enhanced = audioOnly;
    enhanced.tracks.push_back({23, audioOnly.leadOutLba + 11400, false, ""});
    enhanced.leadOutLba = enhanced.tracks.back().lba + 40000;
    EXPECT_EQ(musicBrainzDiscId(enhanced), "xUp1F2NkfP8s8jaeFn_Av3jNEI4-");

    // No audio session that could have been pressed: no identifier.
    EXPECT_EQ(musicBrainzDiscId(Toc{}), "");
    EXPECT_EQ(musicBrainzDiscId(tocOf({1000, 150, 5000})), "") << "a track after the lead-out";
}

TEST(DriveLetters, ConfiguredLettersFirstThenFoundDrivesFromD) {
    const LetterAssignment letters = assignLetters(
        {{"e", "/dev/sr1"}, {"D", ""}, {"G", "/images/disc.cue"}, {"XY", "/dev/sr4"}, {"C", "/dev/sr5"},
         {"H", "/dev/sr1"}, {"7", "/x.iso"}},
        {"/dev/sr0", "/dev/sr1", "/dev/sr2"});
    std::string described;
    for (const DriveEntry& drive : letters.drives) described += std::string(1, drive.letter) + "=" + drive.path.string() + ";";
    EXPECT_EQ(described, "D=;E=/dev/sr1;F=/dev/sr0;G=/images/disc.cue;H=/dev/sr2;");
    EXPECT_EQ(letters.newEntries, (std::vector<std::pair<char, std::string>>{{'F', "/dev/sr0"}, {'H', "/dev/sr2"}}));
    using Kind = DriveEntry::Kind;
    EXPECT_EQ((std::vector{letters.drives[0].kind, letters.drives[1].kind, letters.drives[3].kind}),
              (std::vector{Kind::Empty, Kind::Device, Kind::Image}));
    EXPECT_EQ(letters.problems, (std::vector<std::string>{
                                    "Drives: '7' is not a drive letter A to Z; the entry is ignored",
                                    "Drives: C is the root file system; the entry C=/dev/sr5 is ignored",
                                    "Drives: H and E both name /dev/sr1; E keeps it",
                                    "Drives: 'XY' is not a drive letter A to Z; the entry is ignored"}));

    std::vector<std::pair<std::string, std::string>> full;
    for (char letter = 'D'; letter <= 'Z'; ++letter) full.emplace_back(std::string(1, letter), "");
    const LetterAssignment crowded = assignLetters(full, {"/dev/sr0"});
    EXPECT_EQ(crowded.drives.size(), 23u);
    EXPECT_EQ(crowded.problems, std::vector<std::string>{"Drives: no free letter for /dev/sr0"});
}

TEST(LinuxDrivesTest, ImagesInTheSettingsAreCdDrivesWithTheirVolumes) {
    lumo::testing::TempFolder home;
    std::vector<std::string> logged;
    const auto at = [&](const std::string& name) { return (home / name).string(); };
    ::setenv("HOME", home.path().c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    lumo::testing::writeAudioImage(home / "three", {18342, 21869, 21023});  // tracks at 0, 18342, 40211; lead-out 61234
    ASSERT_EQ(std::system(("mkdir -p '" + at("c") + "' && genisoimage -quiet -J -V 'Jolie Disque' -o '" +
                           at("data.iso") + "' '" + at("c") + "' 2>/dev/null").c_str()), 0);
    writeSetting("LUMO Player", "Drives", "D", at("three.cue"));
    writeSetting("LUMO Player", "Drives", "E", at("data.iso"));
    writeSetting("LUMO Player", "Drives", "F", "");
    writeSetting("LUMO Player", "Drives", "G", at("later.cue"));
    LinuxDriveService drives({"/dev/lumo-no-such-drive"}, [&](const std::string& line) { logged.push_back(line); });
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
    EXPECT_EQ(all[2]->volumeName(), "Jolie Disque");  // the Joliet name, not the primary one
    EXPECT_NE(all[2]->serialNumber(), 0);
    for (size_t empty : {3u, 4u, 5u}) {  // an empty virtual drive, a missing image, no such device
        EXPECT_EQ(all[empty]->driveType(), drive_type::CdRom);
        EXPECT_FALSE(all[empty]->isReady());
        EXPECT_EQ(lumo::testing::numberRaisedBy([&] { all[empty]->serialNumber(); }), diskNotReadyError) << empty;
    }
    // The drive found on the machine got the first free letter and keeps it.
    EXPECT_EQ(readSetting("LUMO Player", "Drives", "H"), "/dev/lumo-no-such-drive");
    // A disc put into G later is seen at the next query; ejecting it too.
    lumo::testing::writeAudioImage(home / "later", {30000, 30000});
    EXPECT_TRUE(all[4]->isReady());
    EXPECT_EQ(all[4]->serialNumber(), 0x000200 + 0x062A00 + 60000);  // 00:02:00 + 06:42:00 + its length
    fs::remove(home / "later.bin");
    EXPECT_FALSE(all[4]->isReady());
    // Each problem is logged once, however often the drive is asked.
    EXPECT_EQ(std::count_if(logged.begin(), logged.end(), [](const auto& line) { return line.rfind("G: no disc image", 0) == 0; }),
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
