#include "platform/linux/disc_identity.h"

#include <algorithm>

namespace lumo::platform::linux_drives {
namespace {

constexpr int32_t firstDescriptorSector = 16;
constexpr int32_t lastDescriptorSector = firstDescriptorSector + 64;  // a sane bound for a broken set

uint32_t msfValue(int32_t lba) {
    const auto frames = static_cast<uint32_t>(lba + leadInFrames);
    const uint32_t minutes = frames / (60 * framesPerSecond);
    const uint32_t seconds = (frames / framesPerSecond) % 60;
    const uint32_t frame = frames % framesPerSecond;
    return (minutes << 16) + (seconds << 8) + frame;
}

bool isJolietEscape(const std::vector<uint8_t>& descriptor) {
    // Escape sequences at offset 88: "%/@", "%/C" or "%/E" (UCS-2 levels 1 to 3).
    return descriptor[88] == '%' && descriptor[89] == '/' &&
           (descriptor[90] == '@' || descriptor[90] == 'C' || descriptor[90] == 'E');
}

void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string trimmedName(std::string name) {
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
    return name;
}

std::string primaryName(const std::vector<uint8_t>& descriptor) {
    return trimmedName(std::string(descriptor.begin() + 40, descriptor.begin() + 72));
}

std::string jolietName(const std::vector<uint8_t>& descriptor) {
    std::string name;
    for (size_t at = 40; at < 72; at += 2) {
        uint32_t code = (static_cast<uint32_t>(descriptor[at]) << 8) | descriptor[at + 1];
        if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;  // a lone surrogate half is no character
        appendUtf8(name, code);
    }
    return trimmedName(name);
}

int32_t descriptorChecksum(const std::vector<uint8_t>& descriptor) {
    uint8_t sums[4] = {0, 0, 0, 0};
    for (size_t at = 0; at < isoSectorSize; ++at) sums[at % 4] = static_cast<uint8_t>(sums[at % 4] + descriptor[at]);
    const uint32_t serial = (uint32_t{sums[0]} << 24) | (uint32_t{sums[1]} << 16) | (uint32_t{sums[2]} << 8) | sums[3];
    return static_cast<int32_t>(serial);
}

bool isDescriptor(const std::vector<uint8_t>& sector) {
    return sector.size() >= isoSectorSize && std::equal(sector.begin() + 1, sector.begin() + 6, "CD001");
}

}  // namespace

bool Toc::hasAudio() const {
    return std::any_of(tracks.begin(), tracks.end(), [](const TocTrack& track) { return track.audio; });
}

int32_t Toc::trackFrames(size_t index) const {
    if (index >= tracks.size()) return 0;
    const int32_t end = index + 1 < tracks.size() ? tracks[index + 1].lba : leadOutLba;
    return std::max(0, end - tracks[index].lba);
}

uint32_t audioDiscSerial(const Toc& toc) {
    uint32_t serial = 0;
    for (const TocTrack& track : toc.tracks) serial += msfValue(track.lba);
    if (!toc.tracks.empty() && toc.tracks.size() < 3)
        serial += static_cast<uint32_t>(toc.leadOutLba - toc.tracks.front().lba);
    return serial;
}

VolumeInfo audioDiscVolume(const Toc& toc) {
    return {"Audio CD", static_cast<int32_t>(audioDiscSerial(toc)), "CDFS"};
}

std::optional<VolumeInfo> readIsoVolume(const SectorReader& read) {
    std::vector<uint8_t> sector, primary, joliet;
    for (int32_t at = firstDescriptorSector; at < lastDescriptorSector; ++at) {
        sector.assign(isoSectorSize, 0);
        if (!read(at, sector) || !isDescriptor(sector)) break;
        const uint8_t type = sector[0];
        if (type == 255) break;  // set terminator
        if (type == 1 && primary.empty()) primary = sector;
        if (type == 2 && joliet.empty() && isJolietEscape(sector)) joliet = sector;
    }
    if (!joliet.empty()) return VolumeInfo{jolietName(joliet), descriptorChecksum(joliet), "CDFS"};
    if (!primary.empty()) return VolumeInfo{primaryName(primary), descriptorChecksum(primary), "CDFS"};
    return std::nullopt;
}

std::string serialText(int32_t serial) { return std::to_string(serial); }

}  // namespace lumo::platform::linux_drives
