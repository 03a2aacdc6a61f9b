// The table of contents of a CUE sheet against the sizes of the files it
// names, where those sizes are far from any real disc.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/cue_sheet.h"

namespace lumo::platform::linux_drives {
namespace {

namespace fs = std::filesystem;

class CueSheetSizes : public ::testing::Test {
protected:
    fs::path folder;

    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "lumo-cue-sizes-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        folder = name;
    }
    void TearDown() override { fs::remove_all(folder); }

    // A sparse file: its size costs no disk space.
    void sized(const std::string& name, uintmax_t bytes) {
        std::ofstream(folder / name).put('\0');
        fs::resize_file(folder / name, bytes);
    }
    std::optional<Toc> tocOf(const std::string& sheetText) {
        const CueResult parsed = parseCueSheet(sheetText, folder);
        EXPECT_TRUE(parsed.sheet) << parsed.error;
        return parsed.sheet ? tocOfCueSheet(*parsed.sheet) : std::nullopt;
    }
};

TEST_F(CueSheetSizes, FilesBeyondAnyDiscGiveNoTableOfContents) {
    sized("small.bin", 2352 * 100);
    // 2^43 bytes are 3.7 billion raw sectors: more than a 32-bit sector number holds.
    sized("huge.bin", uintmax_t{1} << 43);
    const std::string small = "FILE \"small.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    const std::optional<Toc> fits = tocOf(small);
    ASSERT_TRUE(fits);
    EXPECT_EQ(fits->leadOutLba, 100);

    EXPECT_FALSE(tocOf("FILE \"huge.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"))
        << "the lead-out would wrap to a negative sector";
    EXPECT_FALSE(tocOf(small + "FILE \"huge.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n"));
}

}  // namespace
}  // namespace lumo::platform::linux_drives
