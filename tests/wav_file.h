#pragma once
// WAVE files of generated audio for the tests, the benchmarks and the
// screenshot tools: 16-bit PCM at any rate and channel count, silent or a
// sine, exact to the frame.

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace lumo::testing {

struct WavFormat {
    uint32_t rate = 44100;
    uint16_t channels = 2;
};

inline void appendLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Interleaved 16-bit samples of a sine of amplitude `level`, the same on
// every channel.
inline std::string sineSamples(double frequency, uint32_t frames, WavFormat format = {}, int16_t level = 8000) {
    std::string bytes;
    bytes.reserve(size_t{frames} * format.channels * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto value = static_cast<int16_t>(level * std::sin(2 * M_PI * frequency * i / format.rate));
        for (uint16_t channel = 0; channel < format.channels; ++channel)
            appendLittleEndian(bytes, static_cast<uint16_t>(value), 2);
    }
    return bytes;
}

inline std::string silentSamples(uint32_t frames, WavFormat format = {}) {
    return std::string(size_t{frames} * format.channels * 2, '\0');
}

// The file, its folder made when missing.
inline void writeWav(const std::filesystem::path& file, const std::string& samples, WavFormat format = {}) {
    std::filesystem::create_directories(file.parent_path());
    std::string header = "RIFF";
    appendLittleEndian(header, static_cast<uint32_t>(36 + samples.size()), 4);
    header += "WAVEfmt ";
    appendLittleEndian(header, 16, 4);
    appendLittleEndian(header, 1, 2);  // PCM
    appendLittleEndian(header, format.channels, 2);
    appendLittleEndian(header, format.rate, 4);
    appendLittleEndian(header, format.rate * format.channels * 2, 4);
    appendLittleEndian(header, format.channels * 2u, 2);
    appendLittleEndian(header, 16, 2);
    header += "data";
    appendLittleEndian(header, static_cast<uint32_t>(samples.size()), 4);
    std::ofstream(file, std::ios::binary) << header << samples;
}

}  // namespace lumo::testing
