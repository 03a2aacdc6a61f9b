#pragma once
// Disc images as the discs they hold: a plain ISO file, or a CUE sheet with
// its BIN files. What the drive service and the player need of them: the
// table of contents, the volume data, and the sectors.

#include <filesystem>
#include <optional>
#include <string>

#include "platform/linux/cue_sheet.h"
#include "platform/linux/disc_identity.h"

namespace lumo::platform::linux_drives {

class DiscImage {
public:
    // Reads the image; `why` tells what is wrong when it cannot be a disc
    // (missing file, broken sheet, a file too short for its descriptors).
    static std::optional<DiscImage> open(const std::filesystem::path& image, std::string& why);

    const Toc& toc() const { return toc_; }
    const std::optional<CueSheet>& sheet() const { return sheet_; }
    bool isAudioDisc() const { return toc_.isAudioDisc(); }
    // Volume name, serial number and file system, as the drive reports them.
    std::optional<VolumeInfo> volume() const;
    // One 2048-byte sector of the data track (ISO files and data tracks).
    bool readDataSector(int32_t lba, std::vector<uint8_t>& data) const;
    // `count` raw 2352-byte audio sectors from `lba` on, as 16-bit
    // little-endian stereo samples: gaps that no file holds are silence, a
    // MOTOROLA file is byte-swapped. False when a file cannot be read.
    bool readAudioSectors(int32_t lba, int32_t count, uint8_t* out) const;

private:
    std::filesystem::path path_;
    std::optional<CueSheet> sheet_;  // none for an ISO file
    Toc toc_;
};

}  // namespace lumo::platform::linux_drives
