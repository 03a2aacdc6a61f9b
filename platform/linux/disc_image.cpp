#include "platform/linux/disc_image.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>

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

std::optional<VolumeInfo> DiscImage::volume() const {
    if (toc_.isAudioDisc()) return audioDiscVolume(toc_);
    const int32_t start = toc_.tracks.empty() ? 0 : toc_.tracks.front().lba;
    return readIsoVolume([&](int32_t sector, std::vector<uint8_t>& data) {
        return readDataSector(start + sector, data);
    });
}

}  // namespace lumo::platform::linux_drives
