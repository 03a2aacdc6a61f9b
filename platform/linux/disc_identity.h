#pragma once
// How a disc is recognised: the serial number and volume name that the
// original desktop platform reported for the same disc, so that values hosts
// stored there still find the disc here.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumo::platform::linux_drives {

inline constexpr int32_t framesPerSecond = 75;
inline constexpr int32_t leadInFrames = 150;  // the two seconds before LBA 0

struct TocTrack {
    int number = 1;
    int32_t lba = 0;
    bool audio = true;
    std::string title;  // from CD-TEXT or the CUE sheet, may be empty
};

// A table of contents: the tracks in order and where the lead-out begins.
struct Toc {
    std::vector<TocTrack> tracks;
    int32_t leadOutLba = 0;
    std::string title;  // the disc's, from CD-TEXT or the CUE sheet, may be empty

    bool hasAudio() const;
    // A disc is an audio disc when its first track is audio (a data track
    // after the audio, as on enhanced CDs, does not change that).
    bool isAudioDisc() const { return !tracks.empty() && tracks.front().audio; }
    // The length of track i in frames (up to the next track or the lead-out).
    int32_t trackFrames(size_t index) const;
};

// The serial number of an audio disc, from its table of contents: the sum of
// every track's start written as minutes, seconds and frames (M*65536 +
// S*256 + F of LBA+150), wrapping at 32 bits; a disc of one or two tracks
// also adds its length in frames.
uint32_t audioDiscSerial(const Toc& toc);

struct VolumeInfo {
    std::string volumeName;
    int32_t serialNumber = 0;
    std::string fileSystem;
};

inline constexpr size_t isoSectorSize = 2048;
// A raw audio sector: 588 stereo frames of 16-bit samples.
inline constexpr size_t audioSectorSize = 2352;
// Reads one 2048-byte sector of a data track; false when it cannot.
using SectorReader = std::function<bool(int32_t sector, std::vector<uint8_t>& data)>;

// The volume of an ISO 9660 data track: the Joliet descriptor when there is
// one (its identifier in UCS-2), else the primary one; the serial is the
// checksum of the chosen 2048-byte descriptor. Nothing when sector 16 holds
// no volume descriptor.
std::optional<VolumeInfo> readIsoVolume(const SectorReader& read);

// What an audio disc reports.
VolumeInfo audioDiscVolume(const Toc& toc);

// The serial as hosts store it: signed 32-bit decimal text.
std::string serialText(int32_t serial);

}  // namespace lumo::platform::linux_drives
