#include "tests/soak/soak_library.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/user_settings.h"

namespace lumo::soak {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = 44100;

// Interleaved 16-bit stereo samples of a sine.
std::string sineSamples(double frequency, size_t frames) {
    std::string bytes(frames * 4, '\0');
    for (size_t i = 0; i < frames; ++i) {
        const auto value = static_cast<int16_t>(8000 * std::sin(2 * M_PI * frequency * static_cast<double>(i) / kRate));
        for (size_t channel = 0; channel < 2; ++channel) {
            bytes[i * 4 + channel * 2] = static_cast<char>(value & 0xFF);
            bytes[i * 4 + channel * 2 + 1] = static_cast<char>((value >> 8) & 0xFF);
        }
    }
    return bytes;
}

void littleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void writeWave(const fs::path& file, double frequency, double seconds) {
    const std::string samples = sineSamples(frequency, static_cast<size_t>(seconds * kRate));
    std::string header = "RIFF";
    littleEndian(header, static_cast<uint32_t>(36 + samples.size()), 4);
    header += "WAVEfmt ";
    littleEndian(header, 16, 4);
    littleEndian(header, 1, 2);  // PCM
    littleEndian(header, 2, 2);  // stereo
    littleEndian(header, kRate, 4);
    littleEndian(header, kRate * 4, 4);
    littleEndian(header, 4, 2);
    littleEndian(header, 16, 2);
    header += "data";
    littleEndian(header, static_cast<uint32_t>(samples.size()), 4);
    std::ofstream(file, std::ios::binary) << header << samples;
}

// Two audio tracks of `sectors` CD sectors each, in one BIN file.
void writeDisc(const fs::path& cue, int sectors) {
    const size_t framesPerSector = 2352 / 4;
    std::ofstream bin(fs::path(cue).replace_extension(".bin"), std::ios::binary);
    bin << sineSamples(392, framesPerSector * static_cast<size_t>(sectors))
        << sineSamples(494, framesPerSector * static_cast<size_t>(sectors));
    std::ofstream(cue) << "FILE \"" << fs::path(cue).replace_extension(".bin").filename().string() << "\" BINARY\n"
                       << "TRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                       << "TRACK 02 AUDIO\nINDEX 01 00:" << sectors / 75 << ":" << sectors % 75 << "\n";
}

}  // namespace

void buildSoakLibrary(const fs::path& root) {
    fs::remove_all(root);
    for (const char* folder : {"music", "lists", "disc", "install", "config", "data", "cache"})
        fs::create_directories(root / folder);
    ::setenv("HOME", root.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);

    std::ofstream list(root / "lists" / (std::string(kStandardPlaylist) + ".m3u"));
    const std::vector<double> frequencies{440, 554, 659};
    for (size_t i = 0; i < frequencies.size(); ++i) {
        const fs::path track = root / "music" / ("tone" + std::to_string(i) + ".wav");
        writeWave(track, frequencies[i], 0.15);
        list << track.string() << "\n";
    }
    std::ofstream(root / "lists" / "tones.autopl")
        << "[Auto Playlist]\nName=" << kAutoPlaylist << "\nRule1=duration < 60\nOrder=title\n";
    writeDisc(root / "disc" / "soak.cue", 30);

    platform::writeSetting("LUMO Player", "Settings", "INSTALLDIR", (root / "install").string());
    platform::writeSetting("LUMO Player", "Library", "MusicFolders", (root / "music").string());
    platform::writeSetting("LUMO Player", "Library", "PlaylistFolders", (root / "lists").string());
    platform::writeSetting("LUMO Player", "Drives", "D", (root / "disc" / "soak.cue").string());
}

}  // namespace lumo::soak
