// Disc images: CUE sheets with their BIN and WAVE files, their tables of
// contents and the sectors read from them. (Serial numbers and volumes:
// drive_service_test.cpp.)
#include <gtest/gtest.h>

#include <fstream>

#include "platform/linux/cue_sheet.h"
#include "platform/linux/disc_image.h"
#include "tests/support/generated_media.h"
#include "tests/temp_folder.h"

namespace lumo::platform::linux_drives {
namespace {

namespace fs = std::filesystem;

class DiscImageTest : public ::testing::Test {
protected:
    lumo::testing::TempFolder folder;
    void write(const std::string& name, const std::string& text) { std::ofstream(folder / name, std::ios::binary) << text; }
    // A sparse file: its size costs no disk space.
    void sized(const std::string& name, uintmax_t bytes) {
        std::ofstream(folder / name).put('\0');
        fs::resize_file(folder / name, bytes);
    }
    // Each sector filled with its own byte pair so that a misplaced read shows.
    static std::string sectors(int count, int first) {
        std::string bytes;
        for (int s = 0; s < count; ++s)
            for (int b = 0; b < 2352; b += 2) bytes += {char(first + s), char(0x80 | (first + s))};
        return bytes;
    }
};

TEST_F(DiscImageTest, CueSheetWithSeveralFilesGapsAndTitles) {
    sized("one.bin", 18342 * 2352);
    sized("two.bin", 22000 * 2352 + 1000);  // a partial last sector is not counted
    write("disc.cue",
          "REM GENRE Jazz\r\nTITLE \"Live at Home\"\r\nFILE \"one.bin\" BINARY\r\n"
          "  TRACK 01 AUDIO\r\n    TITLE \"Opening\"\r\n    INDEX 01 00:00:00\r\n"
          "  TRACK 02 AUDIO\r\n    TITLE \"Second, with gap\"\r\n    INDEX 00 02:00:00\r\n    INDEX 01 02:02:00\r\n"
          "FILE two.bin BINARY\r\n  TRACK 03 AUDIO\r\n    PREGAP 00:02:00\r\n    INDEX 01 00:00:00\r\n");
    const CueResult result = readCueSheet(folder / "disc.cue");
    ASSERT_TRUE(result.sheet) << result.error;
    const CueSheet& sheet = *result.sheet;
    EXPECT_EQ(sheet.title, "Live at Home");
    EXPECT_EQ(sheet.tracks[1].index0, 9000);
    const std::optional<Toc> toc = tocOfCueSheet(sheet);
    ASSERT_TRUE(toc);
    ASSERT_EQ(toc->tracks.size(), 3u);
    EXPECT_EQ(toc->tracks[1].lba, 9150);         // 02:02:00 into the first file
    EXPECT_EQ(toc->tracks[2].lba, 18342 + 150);  // after the first file and a 2 s pregap
    EXPECT_EQ(toc->leadOutLba, 18342 + 22000 + 150);
    EXPECT_EQ(toc->tracks[1].title, "Second, with gap");
    EXPECT_EQ(toc->trackFrames(1), 18342 + 150 - 9150);
    // The pregap is in no file (reads across files: the next test).
    EXPECT_EQ(locateSector(sheet, *toc, 18342 + 150)->file, 1u);
    EXPECT_FALSE(locateSector(sheet, *toc, 18342 + 10));
    EXPECT_FALSE(locateSector(sheet, *toc, toc->leadOutLba));
}

TEST_F(DiscImageTest, AudioSectorsAcrossFilesWithGapsAndByteOrder) {
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
    EXPECT_EQ(pairAt(2), std::make_pair(3, 0x83));
    EXPECT_EQ(pairAt(4), std::make_pair(0, 0));  // the pregap is silence
    EXPECT_EQ(pairAt(5), std::make_pair(0x8a, 10));  // big-endian samples swapped
    EXPECT_EQ(out.back(), 11);
    fs::remove(folder / "b.raw");
    EXPECT_FALSE(disc->readAudioSectors(5, 1, out.data())) << "a file gone after opening";
    EXPECT_TRUE(disc->readAudioSectors(0, 1, out.data()));
}

// A WAVE file as a CD ripper writes it: the format, other chunks (one of
// odd size, padded), the samples, and something after them.
std::string waveFile(const std::string& samples, uint32_t channels = 2, uint32_t rate = 44100) {
    std::string format, body = "WAVEfmt ";
    using lumo::testing::appendLittleEndian;
    for (const auto& [value, bytes] : std::initializer_list<std::pair<uint32_t, int>>{
             {16, 4}, {1, 2}, {channels, 2}, {rate, 4}, {rate * channels * 2, 4}, {channels * 2, 2}, {16, 2}})
        appendLittleEndian(body, value, bytes);
    body += std::string("LIST\3\0\0\0abc\0", 12) + "data";
    appendLittleEndian(body, static_cast<uint32_t>(samples.size()), 4);
    body += samples + std::string("junk\4\0\0\0tail", 12);
    std::string file = "RIFF";
    appendLittleEndian(file, static_cast<uint32_t>(body.size()), 4);
    return file + body;
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
        {waveFile(samples, 2, 48000), "bad.wav: not CD audio (44.1 kHz, 16-bit, stereo PCM)"},
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
    sized("huge.bin", uintmax_t{1} << 43);
    sized("small.bin", 2352 * 100);
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

}  // namespace
}  // namespace lumo::platform::linux_drives
