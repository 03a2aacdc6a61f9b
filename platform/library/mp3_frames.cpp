#include "platform/library/mp3_frames.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace lumo::platform::library {
namespace {

struct FrameHeader {
    int version = 0;  // 1 MPEG-1, 2 MPEG-2, 25 MPEG-2.5
    int layer = 0;
    int sampleRate = 0;
    int samples = 0;  // per frame
    int length = 0;   // bytes, header included
};

// Kilobits per second by [row][index]: MPEG-1 layers I, II, III, then MPEG-2/2.5 layer I, layers II and III.
constexpr std::array<std::array<int, 16>, 5> Bitrates{{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
}};

// Free-format frames (bitrate index 0) have no length in their header and are not walked.
std::optional<FrameHeader> parseHeader(const uint8_t* b) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return std::nullopt;
    const int versionBits = (b[1] >> 3) & 3, layerBits = (b[1] >> 1) & 3;
    const int bitrateIndex = b[2] >> 4, rateIndex = (b[2] >> 2) & 3, padding = (b[2] >> 1) & 1;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    FrameHeader h;
    h.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    h.layer = 4 - layerBits;
    static constexpr int Rates[] = {44100, 48000, 32000};
    h.sampleRate = Rates[rateIndex] / (h.version == 1 ? 1 : h.version == 2 ? 2 : 4);
    const int row = h.version == 1 ? h.layer - 1 : (h.layer == 1 ? 3 : 4);
    const int bitrate = Bitrates[static_cast<size_t>(row)][static_cast<size_t>(bitrateIndex)] * 1000;
    if (h.layer == 1) {
        h.samples = 384;
        h.length = (12 * bitrate / h.sampleRate + padding) * 4;
    } else {
        h.samples = h.layer == 3 && h.version != 1 ? 576 : 1152;
        h.length = h.samples / 8 * bitrate / h.sampleRate + padding;
    }
    return h;
}

bool sameStream(const FrameHeader& a, const FrameHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

// Reads the file through a window, so that walking costs one read per 256 KiB.
class Window {
public:
    explicit Window(int fd) : fd_(fd), buffer_(256 * 1024) {}
    // The `count` bytes at `offset`, or nullptr past the end of the file.
    const uint8_t* at(int64_t offset, size_t count) {
        if (offset < start_ || offset + static_cast<int64_t>(count) > start_ + filled_) {
            const ssize_t got = ::pread(fd_, buffer_.data(), buffer_.size(), offset);
            start_ = offset;
            filled_ = got > 0 ? got : 0;
            if (filled_ < static_cast<int64_t>(count)) return nullptr;
        }
        return buffer_.data() + (offset - start_);
    }

private:
    int fd_;
    std::vector<uint8_t> buffer_;
    int64_t start_ = 0, filled_ = 0;
};

// A frame at `offset` whose successor is a frame of the same stream (or the end).
std::optional<FrameHeader> frameAt(Window& window, int64_t offset) {
    const uint8_t* bytes = window.at(offset, 4);
    if (!bytes) return std::nullopt;
    const auto header = parseHeader(bytes);
    if (!header) return std::nullopt;
    const uint8_t* next = window.at(offset + header->length, 4);
    if (!next) return header;
    const auto following = parseHeader(next);
    if (following && sameStream(*header, *following)) return header;
    return std::nullopt;
}

// The first frame at or after `offset`, searched within `reach` bytes.
std::optional<std::pair<int64_t, FrameHeader>> findFrame(Window& window, int64_t offset, int64_t reach) {
    for (int64_t at = offset; at < offset + reach; ++at) {
        const uint8_t* byte = window.at(at, 1);
        if (!byte) return std::nullopt;
        if (*byte != 0xFF) continue;
        if (auto header = frameAt(window, at)) return std::pair(at, *header);
    }
    return std::nullopt;
}

int64_t afterId3v2(Window& window) {
    int64_t offset = 0;
    // Files sometimes carry several tags in a row.
    while (const uint8_t* tag = window.at(offset, 10)) {
        if (std::memcmp(tag, "ID3", 3) != 0) break;
        const int64_t size = (tag[6] & 0x7F) << 21 | (tag[7] & 0x7F) << 14 | (tag[8] & 0x7F) << 7 | (tag[9] & 0x7F);
        offset += 10 + size + ((tag[5] & 0x10) ? 10 : 0);
    }
    return offset;
}

}  // namespace

std::optional<double> mpegAudioDuration(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    Window window(fd);
    constexpr int64_t Reach = 64 * 1024;  // how far junk between frames is searched
    auto found = findFrame(window, afterId3v2(window), Reach);
    int64_t samples = 0;
    int sampleRate = found ? found->second.sampleRate : 0;
    while (found) {
        const auto [offset, first] = *found;
        int64_t at = offset;
        FrameHeader header = first;
        for (;;) {
            samples += header.samples;
            at += header.length;
            const uint8_t* bytes = window.at(at, 4);
            if (!bytes) break;
            const auto next = parseHeader(bytes);
            if (!next || !sameStream(*next, first)) break;
            header = *next;
        }
        // Trailing tags end the stream; anything else is junk to skip.
        const uint8_t* rest = window.at(at, 3);
        if (!rest || std::memcmp(rest, "TAG", 3) == 0) break;
        found = findFrame(window, at + 1, Reach);
        if (found && !sameStream(found->second, first)) break;
    }
    ::close(fd);
    if (samples == 0 || sampleRate == 0) return std::nullopt;
    return static_cast<double>(samples) / sampleRate;
}

}  // namespace lumo::platform::library
