#include "platform/linux/disc_image.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace lumo::platform::linux_drives {
namespace {

bool readAt(const std::filesystem::path& file, int64_t offset, std::vector<uint8_t>& data) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const ssize_t got = ::pread(fd, data.data(), data.size(), offset);
    ::close(fd);
    return got == static_cast<ssize_t>(data.size());
}

std::string lowerExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

std::optional<DiscImage> DiscImage::open(const std::filesystem::path& image, std::string& why) {
    DiscImage disc;
    disc.path_ = image;
    std::error_code error;
    if (!std::filesystem::is_regular_file(image, error)) {
        why = "no disc image at " + image.string();
        return std::nullopt;
    }
    if (lowerExtension(image) == ".cue") {
        CueResult result = readCueSheet(image);
        if (!result.sheet) {
            why = image.string() + ": " + result.error;
            return std::nullopt;
        }
        const std::optional<Toc> toc = tocOfCueSheet(*result.sheet);
        if (!toc) {
            why = image.string() + ": a file the sheet names is missing";
            return std::nullopt;
        }
        disc.sheet_ = std::move(result.sheet);
        disc.toc_ = *toc;
        return disc;
    }
    // A plain ISO file: one data track over the whole file.
    const auto bytes = std::filesystem::file_size(image, error);
    if (error || bytes < 17 * isoSectorSize) {
        why = image.string() + ": too short for a volume descriptor (17 sectors)";
        return std::nullopt;
    }
    disc.toc_.tracks.push_back({1, 0, false, ""});
    disc.toc_.leadOutLba = static_cast<int32_t>(bytes / isoSectorSize);
    return disc;
}

bool DiscImage::readDataSector(int32_t lba, std::vector<uint8_t>& data) const {
    data.resize(isoSectorSize);
    if (!sheet_) return readAt(path_, int64_t{lba} * static_cast<int64_t>(isoSectorSize), data);
    const std::optional<SectorLocation> at = locateSector(*sheet_, toc_, lba);
    if (!at) return false;
    return readAt(sheet_->files[at->file].path, at->offset, data);
}

bool DiscImage::readAudioSectors(int32_t lba, int32_t count, uint8_t* out) const {
    if (!sheet_) return false;
    std::fill_n(out, size_t(count) * audioSectorSize, uint8_t{0});
    // Neighbouring sectors of one file are read with one pread.
    int fd = -1;
    size_t openFile = SIZE_MAX;
    bool ok = true;
    for (int32_t s = 0; s < count && ok;) {
        const std::optional<SectorLocation> at = locateSector(*sheet_, toc_, lba + s);
        if (!at) {
            ++s;
            continue;
        }
        int32_t run = 1;
        while (s + run < count) {
            const auto next = locateSector(*sheet_, toc_, lba + s + run);
            if (!next || next->file != at->file || next->offset != at->offset + int64_t{run} * int64_t{audioSectorSize}) break;
            ++run;
        }
        if (at->file != openFile) {
            if (fd >= 0) ::close(fd);
            fd = ::open(sheet_->files[at->file].path.c_str(), O_RDONLY | O_CLOEXEC);
            openFile = at->file;
        }
        uint8_t* target = out + size_t(s) * audioSectorSize;
        const size_t bytes = size_t(run) * audioSectorSize;
        // A short read at the end of a file leaves silence, like a drive
        // reading past a damaged last sector.
        ok = fd >= 0 && ::pread(fd, target, bytes, at->offset) >= 0;
        if (ok && sheet_->files[at->file].type == "MOTOROLA")
            for (size_t b = 0; b + 1 < bytes; b += 2) std::swap(target[b], target[b + 1]);
        s += run;
    }
    if (fd >= 0) ::close(fd);
    return ok;
}

std::optional<VolumeInfo> DiscImage::volume() const {
    if (toc_.isAudioDisc()) return audioDiscVolume(toc_);
    const int32_t start = toc_.tracks.empty() ? 0 : toc_.tracks.front().lba;
    return readIsoVolume([&](int32_t sector, std::vector<uint8_t>& data) {
        return readDataSector(start + sector, data);
    });
}

}  // namespace lumo::platform::linux_drives
