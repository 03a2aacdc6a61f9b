#pragma once
// CUE sheets of disc images, read by hand: the libcdio of Debian 12 ignores
// the FILE line and always opens "<sheet>.bin". A sheet may name several
// files (raw little- or big-endian, or WAVE), pregaps (INDEX 00 or PREGAP)
// and CD-TEXT titles.

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/disc_identity.h"

namespace lumo::platform::linux_drives {

struct CueTrack {
    int number = 0;
    std::string mode;          // "AUDIO", "MODE1/2352", ...
    int32_t sectorSize = 2352; // bytes per sector in its file
    size_t file = 0;           // index into CueSheet::files
    std::optional<int32_t> index0;  // frames from the start of its file
    int32_t index1 = 0;
    int32_t pregap = 0;        // frames of silence not in the file (PREGAP)
    int32_t postgap = 0;
    std::string title;

    bool audio() const { return mode == "AUDIO"; }
    // Bytes of user data at the start of each raw sector (sync, header).
    int32_t dataOffset() const;
};

struct CueFile {
    std::filesystem::path path;  // resolved against the sheet's folder
    std::string type;            // BINARY, MOTOROLA or WAVE
    // Where the sectors lie in the file: all of a raw file, the data chunk
    // of a WAVE file (readCueSheet finds it).
    int64_t dataStart = 0;
    std::optional<int64_t> dataBytes;
};

struct CueSheet {
    std::vector<CueFile> files;
    std::vector<CueTrack> tracks;
    std::string title;
};

struct CueResult {
    std::optional<CueSheet> sheet;
    std::string error;  // why there is no sheet: "line 7: TRACK without FILE"
};

inline constexpr size_t maxCueSheetBytes = 1 << 20;

CueResult parseCueSheet(const std::string& text, const std::filesystem::path& folder);
// Also finds the audio in the sheet's WAVE files, which must hold what a CD
// holds: 44.1 kHz 16-bit stereo PCM. A missing file is left to
// tocOfCueSheet.
CueResult readCueSheet(const std::filesystem::path& sheet);

// The sample data of a WAVE file, when it is CD audio; otherwise `why`
// says what it is not.
struct WaveData {
    int64_t start = 0;
    int64_t bytes = 0;
};
std::optional<WaveData> findWaveData(std::istream& file, int64_t fileBytes, std::string& why);

// Where each track begins on the disc, from the sizes of the sheet's files
// (whole sectors; a partial last sector is not counted). Nothing when a file
// is missing or the files hold more sectors than a disc can have.
std::optional<Toc> tocOfCueSheet(const CueSheet& sheet);

// The disc position of a track's INDEX 01 and the file offset of a disc
// sector, for reading the image.
struct SectorLocation {
    size_t file = 0;
    int64_t offset = 0;  // bytes into the file
};
std::optional<SectorLocation> locateSector(const CueSheet& sheet, const Toc& toc, int32_t lba);

}  // namespace lumo::platform::linux_drives
