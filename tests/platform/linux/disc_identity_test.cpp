// Serial numbers and volume names of audio and data discs, on tables of
// contents, CUE sheets with their BIN files and ISO images made here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/linux/cue_sheet.h"
#include "platform/linux/disc_image.h"
#include "platform/linux/disc_identity.h"

namespace lumo::platform::linux_drives {
namespace {

Toc tocAt(std::vector<int32_t> lbas, int32_t leadOut) {
    Toc toc;
    int number = 1;
    for (int32_t lba : lbas) toc.tracks.push_back({number++, lba, true, ""});
    toc.leadOutLba = leadOut;
    return toc;
}

TEST(AudioDiscSerial, SumsTrackStartsAsMinutesSecondsFrames) {
    // Tracks at 0, 18342 and 40211: frames 150, 18492, 40361 are 00:02:00,
    // 04:06:42 and 08:58:11, so 0x000200 + 0x04062A + 0x083A0B.
    EXPECT_EQ(audioDiscSerial(tocAt({0, 18342, 40211}, 61234)), 0x000C4235u);
    // Two tracks also add the disc's length: 0x000200 + 0x04062A + 40211.
    EXPECT_EQ(audioDiscSerial(tocAt({0, 18342}, 40211)), 0x0004A53Du);
    // One track of four minutes: 0x000200 + 18000.
    EXPECT_EQ(audioDiscSerial(tocAt({0}, 18000)), 0x000200u + 18000u);
    // A data track after the audio counts like any track; the disc is still an audio disc.
    Toc enhanced = tocAt({0, 18342, 40211}, 61234);
    enhanced.tracks[2].audio = false;
    EXPECT_TRUE(enhanced.isAudioDisc());
    EXPECT_EQ(audioDiscSerial(enhanced), 0x000C4235u);
    // The sum wraps at 32 bits (99 tracks far out on a long disc).
    std::vector<int32_t> many;
    for (int i = 0; i < 99; ++i) many.push_back(300000 + i * 1000);
    uint64_t expected = 0;
    for (int32_t lba : many) {
        const uint64_t frames = static_cast<uint64_t>(lba) + 150;
        expected += (frames / 4500) * 65536 + ((frames / 75) % 60) * 256 + frames % 75;
    }
    EXPECT_EQ(audioDiscSerial(tocAt(many, 500000)), static_cast<uint32_t>(expected));

    const VolumeInfo volume = audioDiscVolume(tocAt({0, 18342, 40211}, 61234));
    EXPECT_EQ(volume.volumeName, "Audio CD");
    EXPECT_EQ(volume.fileSystem, "CDFS");
    EXPECT_EQ(serialText(volume.serialNumber), "803381");
    EXPECT_EQ(serialText(static_cast<int32_t>(0xC4A1B2C3u)), "-996035901");
}

class DiscImageTest : public ::testing::Test {
protected:
    std::filesystem::path folder;
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("lumo-disc-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                  std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    void write(const std::string& name, const std::string& text) { std::ofstream(folder / name, std::ios::binary) << text; }
    void writeSectors(const std::string& name, int64_t sectors, int extraBytes = 0) {
        std::ofstream out(folder / name, std::ios::binary);
        out.seekp(sectors * 2352 + extraBytes - 1);
        out.put('\0');
    }
};

TEST_F(DiscImageTest, CueSheetWithSeveralFilesGapsAndTitles) {
    writeSectors("one.bin", 18342);
    writeSectors("two.bin", 22000, 1000);  // a partial last sector is not counted
    write("disc.cue",
          "REM GENRE Jazz\r\nTITLE \"Live at Home\"\r\nFILE \"one.bin\" BINARY\r\n"
          "  TRACK 01 AUDIO\r\n    TITLE \"Opening\"\r\n    INDEX 01 00:00:00\r\n"
          "  TRACK 02 AUDIO\r\n    TITLE \"Second, with gap\"\r\n    INDEX 00 02:00:00\r\n    INDEX 01 02:02:00\r\n"
          "FILE two.bin BINARY\r\n  TRACK 03 AUDIO\r\n    PREGAP 00:02:00\r\n    INDEX 01 00:00:00\r\n");
    const CueResult result = readCueSheet(folder / "disc.cue");
    ASSERT_TRUE(result.sheet) << result.error;
    const CueSheet& sheet = *result.sheet;
    EXPECT_EQ(sheet.title, "Live at Home");
    ASSERT_EQ(sheet.tracks.size(), 3u);
    EXPECT_EQ(sheet.files[1].path, folder / "two.bin");
    EXPECT_EQ(sheet.tracks[1].index0, 9000);

    const std::optional<Toc> toc = tocOfCueSheet(sheet);
    ASSERT_TRUE(toc);
    ASSERT_EQ(toc->tracks.size(), 3u);
    EXPECT_EQ(toc->tracks[0].lba, 0);
    EXPECT_EQ(toc->tracks[1].lba, 9150);                 // 02:02:00 into the first file
    EXPECT_EQ(toc->tracks[2].lba, 18342 + 150);          // after the first file and a 2 s pregap
    EXPECT_EQ(toc->leadOutLba, 18342 + 22000 + 150);
    EXPECT_EQ(toc->tracks[1].title, "Second, with gap");
    EXPECT_EQ(toc->trackFrames(1), 18342 + 150 - 9150);
    // 00:02:00 + 02:04:00 (9300 frames) + 04:10:42 (18642 frames: 4 min, 8 s, 42).
    EXPECT_EQ(audioDiscSerial(*toc), 0x000200u + 0x020400u + (4u << 16) + (8u << 8) + 42u);

    // Sectors map back into the files; the pregap is in no file.
    EXPECT_EQ(locateSector(sheet, *toc, 9150)->offset, int64_t{9150} * 2352);
    EXPECT_EQ(locateSector(sheet, *toc, 18342 + 150)->file, 1u);
    EXPECT_EQ(locateSector(sheet, *toc, 18342 + 150)->offset, 0);
    EXPECT_FALSE(locateSector(sheet, *toc, 18342 + 10));
    EXPECT_FALSE(locateSector(sheet, *toc, toc->leadOutLba));
}

TEST_F(DiscImageTest, AudioSectorsAcrossFilesWithGapsAndByteOrder) {
    // Each sector filled with its own byte pair so that a misplaced read shows.
    auto sectors = [](int count, int first) {
        std::string bytes;
        for (int s = 0; s < count; ++s)
            for (int b = 0; b < 2352; b += 2) bytes += {char(first + s), char(0x80 | (first + s))};
        return bytes;
    };
    write("a.bin", sectors(3, 1));
    write("b.raw", sectors(2, 10));
    write("disc.cue", "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                      "FILE b.raw MOTOROLA\nTRACK 02 AUDIO\nPREGAP 00:00:02\nINDEX 01 00:00:00\n");
    std::string why;
    const std::optional<DiscImage> disc = DiscImage::open(folder / "disc.cue", why);
    ASSERT_TRUE(disc) << why;
    ASSERT_EQ(disc->toc().tracks[1].lba, 5);
    std::vector<uint8_t> out(7 * 2352, 0xEE);
    ASSERT_TRUE(disc->readAudioSectors(0, 7, out.data()));
    auto pairAt = [&](int sector) { return std::pair<int, int>(out[size_t(sector) * 2352], out[size_t(sector) * 2352 + 1]); };
    EXPECT_EQ(pairAt(0), std::make_pair(1, 0x81));
    EXPECT_EQ(pairAt(2), std::make_pair(3, 0x83));
    EXPECT_EQ(pairAt(3), std::make_pair(0, 0));  // the pregap is silence
    EXPECT_EQ(pairAt(4), std::make_pair(0, 0));
    EXPECT_EQ(pairAt(5), std::make_pair(0x8a, 10));  // big-endian samples swapped
    EXPECT_EQ(pairAt(6), std::make_pair(0x8b, 11));
    EXPECT_EQ(out.back(), 11);

    std::filesystem::remove(folder / "b.raw");
    EXPECT_FALSE(disc->readAudioSectors(5, 1, out.data())) << "a file gone after opening";
    EXPECT_TRUE(disc->readAudioSectors(0, 1, out.data()));
}

// A WAVE file as a CD ripper writes it: the format, other chunks (one of
// odd size, padded), the samples, and something after them.
std::string waveFile(const std::string& samples, int channels = 2, int rate = 44100) {
    auto le = [](uint32_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xFF);
        return out;
    };
    const std::string format = le(1, 2) + le(uint32_t(channels), 2) + le(uint32_t(rate), 4) +
                               le(uint32_t(rate * channels * 2), 4) + le(uint32_t(channels * 2), 2) + le(16, 2);
    const std::string body = "WAVE" + ("fmt " + le(16, 4) + format) + ("LIST" + le(3, 4) + std::string("abc\0", 4)) +
                             ("data" + le(uint32_t(samples.size()), 4) + samples) + ("junk" + le(4, 4) + "tail");
    return "RIFF" + le(uint32_t(body.size()), 4) + body;
}

TEST_F(DiscImageTest, WaveFilesGiveTheirSamplesAsSectors) {
    std::string samples;
    for (int s = 0; s < 3; ++s)
        for (int b = 0; b < 2352; b += 2) samples += {char(1 + s), char(0x81 + s)};
    write("rip.wav", waveFile(samples + "odd"));  // a partial last sector is not counted
    write("disc.cue", "FILE \"rip.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:00:02\n");
    std::string why;
    const std::optional<DiscImage> disc = DiscImage::open(folder / "disc.cue", why);
    ASSERT_TRUE(disc) << why;
    EXPECT_EQ(disc->toc().tracks[1].lba, 2);
    EXPECT_EQ(disc->toc().leadOutLba, 3);
    std::vector<uint8_t> out(3 * 2352, 0xEE);
    ASSERT_TRUE(disc->readAudioSectors(0, 3, out.data()));
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 0x81);  // little-endian, as stored
    EXPECT_EQ(out[2 * 2352], 3);
    EXPECT_EQ(out.back(), 0x83);

    // What a real encoder writes reads the same way.
    const std::string made = (folder / "tone.wav").string();
    ASSERT_EQ(std::system(("gst-launch-1.0 -q audiotestsrc num-buffers=10 ! audio/x-raw,rate=44100,channels=2 ! "
                           "wavenc ! filesink location='" + made + "'").c_str()), 0);
    std::ifstream tone(made, std::ios::binary);
    const auto toneBytes = static_cast<int64_t>(std::filesystem::file_size(made));
    const std::optional<WaveData> data = findWaveData(tone, toneBytes, why);
    ASSERT_TRUE(data) << why;
    EXPECT_EQ(data->bytes, 10 * 1024 * 4);
    EXPECT_LT(data->start + data->bytes, toneBytes) << "wavenc writes a chunk after the samples";

    const std::vector<std::pair<std::string, std::string>> bad = {
        {waveFile(samples, 1), "mono.wav: not CD audio (44.1 kHz, 16-bit, stereo PCM)"},
        {waveFile(samples, 2, 48000), "mono.wav: not CD audio (44.1 kHz, 16-bit, stereo PCM)"},
        {samples, "mono.wav: not a WAVE file"},
        {waveFile(samples).substr(0, 40), "mono.wav: a WAVE file without its format or data"},
    };
    for (const auto& [content, error] : bad) {
        write("mono.wav", content);
        write("bad.cue", "FILE mono.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
        EXPECT_EQ(readCueSheet(folder / "bad.cue").error, error);
        EXPECT_FALSE(DiscImage::open(folder / "bad.cue", why));
    }
}

TEST_F(DiscImageTest, BadCueSheetsSayWhy) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "the sheet has no TRACK"},
        {std::string("\x89PNG\r\n\x1a\n\0\0\0", 11), "line 1: unknown command"},
        {"TRACK 01 AUDIO\nINDEX 01 00:00:00\n", "line 1: TRACK before any FILE"},
        {"FILE a.bin BINARY\nTRACK 01 VIDEO\n", "line 2: unknown track mode 'VIDEO'"},
        {"FILE a.bin BINARY\nTRACK 01 AUDIO\n", "track 1 has no INDEX 01"},
        {"FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:61:00\n", "line 3: INDEX needs a number and mm:ss:ff"},
        {"FILE a.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 0:0:0\nTRACK 01 AUDIO\n", "line 4: TRACK numbers must go up"},
        {"FILE a.bin BINARY\nTRACK 100 AUDIO\n", "line 2: TRACK number must lie from 1 to 99"},
        {"FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:0", "line 3: INDEX needs a number"},  // cut short
        {std::string(maxCueSheetBytes + 1, ' '), "the sheet is larger than 1 MiB"},
        {"FILE \"a.mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
         "line 1: FILE type 'MP3' is not read (BINARY, MOTOROLA and WAVE are)"},
    };
    for (const auto& [text, error] : cases) {
        const CueResult result = parseCueSheet(text, folder);
        EXPECT_FALSE(result.sheet) << error;
        EXPECT_EQ(result.error.substr(0, error.size()), error);
    }
    write("lost.cue", "FILE \"missing.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
    const CueResult lost = readCueSheet(folder / "lost.cue");
    ASSERT_TRUE(lost.sheet);
    EXPECT_FALSE(tocOfCueSheet(*lost.sheet));  // a missing file: no disc to read
    EXPECT_FALSE(readCueSheet(folder / "absent.cue").sheet);
}

TEST(IsoVolume, ChecksumOfTheDescriptorAndItsIdentifier) {
    // A primary descriptor of zeros but for its type, "CD001", version and
    // the name "DATA": the four sums by hand.
    std::vector<uint8_t> primary(2048, 0);
    primary[0] = 1;
    std::copy_n("CD001", 5, primary.begin() + 1);
    primary[6] = 1;
    std::copy_n("DATA", 4, primary.begin() + 40);
    std::fill(primary.begin() + 44, primary.begin() + 72, ' ');
    // Sums of the bytes at offsets 0, 1, 2, 3 mod 4, by hand: type 1, "CD001",
    // version 1, "DATA" and 28 blanks (7 in each class, 7 x 0x20 = 0xE0):
    // 1+'0'+'D'+0xE0 = 0x155, 'C'+'1'+'A'+0xE0 = 0x195, 'D'+1+'T'+0xE0 = 0x179,
    // '0'+'A'+0xE0 = 0x151; each mod 256.
    const uint32_t expected = 0x55957951u;
    std::vector<uint8_t> terminator(2048, 0);
    terminator[0] = 255;
    std::copy_n("CD001", 5, terminator.begin() + 1);

    auto reader = [&](const std::vector<std::vector<uint8_t>>& descriptors) {
        return [descriptors](int32_t sector, std::vector<uint8_t>& data) {
            const size_t at = static_cast<size_t>(sector - 16);
            if (sector < 16 || at >= descriptors.size()) return false;
            data = descriptors[at];
            return true;
        };
    };
    auto volume = readIsoVolume(reader({primary, terminator}));
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->volumeName, "DATA");
    EXPECT_EQ(static_cast<uint32_t>(volume->serialNumber), expected);
    EXPECT_EQ(volume->fileSystem, "CDFS");

    // A Joliet descriptor wins: UCS-2 name, its own checksum.
    std::vector<uint8_t> joliet = primary;
    joliet[0] = 2;
    std::fill(joliet.begin() + 40, joliet.begin() + 72, 0);
    const std::u16string name = u"Müsik";
    for (size_t i = 0; i < name.size(); ++i) {
        joliet[40 + 2 * i] = static_cast<uint8_t>(name[i] >> 8);
        joliet[41 + 2 * i] = static_cast<uint8_t>(name[i] & 0xFF);
    }
    joliet[88] = '%', joliet[89] = '/', joliet[90] = 'E';
    volume = readIsoVolume(reader({primary, joliet, terminator}));
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->volumeName, "Müsik");
    EXPECT_NE(static_cast<uint32_t>(volume->serialNumber), expected);

    // A supplementary descriptor with a broken escape is not Joliet.
    joliet[90] = 'X';
    EXPECT_EQ(readIsoVolume(reader({primary, joliet, terminator}))->volumeName, "DATA");
    // No descriptor at sector 16 (a short image, or not ISO 9660 at all).
    EXPECT_FALSE(readIsoVolume(reader({})));
    std::vector<uint8_t> garbage(2048, 0x5A);
    EXPECT_FALSE(readIsoVolume(reader({garbage})));
}

}  // namespace
}  // namespace lumo::platform::linux_drives

namespace lumo::platform::linux_drives {
namespace {

// Data discs made by genisoimage, as plain ISO files and as a MODE1/2352 BIN.
TEST_F(DiscImageTest, DataImagesReportTheirVolume) {
    std::filesystem::create_directories(folder / "content");
    std::ofstream(folder / "content/readme.txt") << "hello";
    const auto make = [&](const std::string& options, const std::string& name) {
        const std::string command = "genisoimage -quiet " + options + " -o '" + (folder / name).string() + "' '" +
                                    (folder / "content").string() + "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    };
    make("-V 'LUMO DATA'", "plain.iso");
    make("-J -V 'Jolie Disque'", "joliet.iso");

    std::string why;
    const auto plain = DiscImage::open(folder / "plain.iso", why);
    ASSERT_TRUE(plain) << why;
    const auto plainVolume = plain->volume();
    ASSERT_TRUE(plainVolume);
    EXPECT_EQ(plainVolume->volumeName, "LUMO DATA");
    EXPECT_EQ(plainVolume->fileSystem, "CDFS");
    EXPECT_FALSE(plain->isAudioDisc());

    const auto joliet = DiscImage::open(folder / "joliet.iso", why);
    ASSERT_TRUE(joliet) << why;
    EXPECT_EQ(joliet->volume()->volumeName, "Jolie Disque");
    // The Joliet descriptor's checksum, not the primary one's.
    std::vector<uint8_t> primary, supplementary;
    ASSERT_TRUE(joliet->readDataSector(16, primary));
    ASSERT_TRUE(joliet->readDataSector(17, supplementary));
    ASSERT_EQ(supplementary[0], 2);
    const auto checksum = [](const std::vector<uint8_t>& d) {
        uint8_t s[4] = {};
        for (size_t i = 0; i < d.size(); ++i) s[i % 4] = static_cast<uint8_t>(s[i % 4] + d[i]);
        return static_cast<int32_t>(uint32_t{s[0]} << 24 | uint32_t{s[1]} << 16 | uint32_t{s[2]} << 8 | s[3]);
    };
    EXPECT_EQ(joliet->volume()->serialNumber, checksum(supplementary));
    EXPECT_NE(joliet->volume()->serialNumber, checksum(primary));

    // The same data in a raw MODE1/2352 BIN behind a CUE sheet.
    {
        std::ifstream iso(folder / "joliet.iso", std::ios::binary);
        std::ofstream bin(folder / "data.bin", std::ios::binary);
        std::vector<char> sector(2048);
        while (iso.read(sector.data(), 2048)) {
            bin.write(std::string(16, '\0').data(), 16);  // sync and header
            bin.write(sector.data(), 2048);
            bin.write(std::string(288, '\0').data(), 288);  // error correction
        }
    }
    write("data.cue", "FILE \"data.bin\" BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n");
    const auto raw = DiscImage::open(folder / "data.cue", why);
    ASSERT_TRUE(raw) << why;
    EXPECT_EQ(raw->volume()->volumeName, "Jolie Disque");
    EXPECT_EQ(raw->volume()->serialNumber, joliet->volume()->serialNumber);

    // Too short to hold the descriptors, or missing: no disc.
    std::filesystem::resize_file(folder / "plain.iso", 16 * 2048);
    EXPECT_FALSE(DiscImage::open(folder / "plain.iso", why));
    EXPECT_NE(why.find("too short"), std::string::npos);
    EXPECT_FALSE(DiscImage::open(folder / "nothing.iso", why));
    EXPECT_NE(why.find("no disc image"), std::string::npos);
}

}  // namespace
}  // namespace lumo::platform::linux_drives
