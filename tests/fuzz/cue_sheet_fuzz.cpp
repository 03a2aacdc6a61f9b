// CUE sheets: any bytes as the sheet, read against a folder that holds a few
// image files of fixed sizes (one sector, a short disc, a partial sector, an
// empty file and a sparse file larger than any disc). What parses goes on to
// the table of contents and to locating sectors around every track. The
// same bytes are also read as a WAVE file a sheet names.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/linux/cue_sheet.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

namespace fs = std::filesystem;
using namespace lumo::platform::linux_drives;
using lumo::fuzz::require;

class ImageFolder {
public:
    ImageFolder() {
        std::string name = (fs::temp_directory_path() / "lumo-fuzz-cue-XXXXXX").string();
        if (!::mkdtemp(name.data())) lumo::fuzz::fail("no temporary folder");
        folder_ = name;
        sized("disc.bin", 2352 * 4500 + 100);
        sized("track01.bin", 2352);
        sized("track02.bin", 2352 * 75 * 3);
        sized("data.iso", 2048 * 40);
        sized("empty.bin", 0);
        // Sparse: 2^43 bytes take no space but hold more sectors than a 32-bit
        // sector number counts.
        sized("huge.bin", uint64_t{1} << 43);
    }
    ~ImageFolder() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    const fs::path& path() const { return folder_; }

private:
    void sized(const char* name, uint64_t bytes) {
        const fs::path file = folder_ / name;
        { std::ofstream(file.string()).put('\0'); }
        fs::resize_file(file, bytes);
    }
    fs::path folder_;
};

void checkLocation(const CueSheet& sheet, const Toc& toc, int64_t sector) {
    if (sector < INT32_MIN || sector > INT32_MAX) return;
    const std::optional<SectorLocation> at = locateSector(sheet, toc, static_cast<int32_t>(sector));
    if (!at) return;
    require(at->file < sheet.files.size(), "a sector in a file the sheet does not name");
    require(at->offset >= 0, "a sector before the start of its file");
}

// The same bytes as a WAVE file a sheet names.
void checkWave(const std::string& bytes) {
    std::istringstream file(bytes);
    std::string why;
    const std::optional<WaveData> found = findWaveData(file, static_cast<int64_t>(bytes.size()), why);
    if (!found) {
        require(!why.empty(), "a WAVE file refused without a reason");
        return;
    }
    require(found->start >= 20 && found->bytes >= 0, "WAVE samples before the header or of negative size");
    require(found->start + found->bytes <= static_cast<int64_t>(bytes.size()), "WAVE samples beyond the file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ImageFolder images;
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkWave(text);
    const CueResult result = parseCueSheet(text, images.path());
    if (!result.sheet) {
        require(!result.error.empty(), "a sheet refused without a reason");
        return 0;
    }
    const CueSheet& sheet = *result.sheet;
    require(!sheet.tracks.empty() && !sheet.files.empty(), "a sheet without tracks or files");
    for (const CueTrack& track : sheet.tracks) {
        require(track.file < sheet.files.size(), "a track in a file the sheet does not name");
        require(track.index1 >= 0 && track.sectorSize > 0, "a track without its start or sector size");
    }
    const std::optional<Toc> toc = tocOfCueSheet(sheet);
    if (!toc) return 0;
    require(toc->tracks.size() == sheet.tracks.size(), "a table of contents that lost tracks");
    require(toc->leadOutLba >= 0, "a lead-out before the start of the disc");
    for (size_t t = 0; t < toc->tracks.size(); ++t) {
        const int64_t start = toc->tracks[t].lba;
        for (const int64_t lba : {start - 1, start, start + 1, start + 16})
            checkLocation(sheet, *toc, lba);
        (void)toc->trackFrames(t);
    }
    const int64_t leadOut = toc->leadOutLba;
    for (const int64_t lba : {int64_t{0}, leadOut - 1, leadOut, int64_t{INT32_MIN}, int64_t{INT32_MAX}})
        checkLocation(sheet, *toc, lba);
    (void)audioDiscSerial(*toc);
    return 0;
}
