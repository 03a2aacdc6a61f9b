#include "tests/soak/soak_library.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/user_settings.h"
#include "tests/support/generated_media.h"

namespace lumo::soak {
namespace {

namespace fs = std::filesystem;

void writeWave(const fs::path& file, double frequency, double seconds) {
    const testing::WavFormat format;
    testing::writeWav(file, testing::sineSamples(frequency, static_cast<uint32_t>(seconds * format.rate), format), format);
}

// Two audio tracks of `sectors` CD sectors each, in one BIN file.
void writeDisc(const fs::path& cue, int sectors) {
    const size_t framesPerSector = 2352 / 4;
    std::ofstream bin(fs::path(cue).replace_extension(".bin"), std::ios::binary);
    const auto frames = static_cast<uint32_t>(framesPerSector * static_cast<size_t>(sectors));
    bin << testing::sineSamples(392, frames) << testing::sineSamples(494, frames);
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
