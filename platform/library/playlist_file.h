#pragma once
// Reads one playlist file (M3U/M3U8, PLS, XSPF, ASX, WPL) with totem-pl-parser.
// Relative entries are resolved against the playlist's folder; entries are
// kept whether or not their files exist. A file that is unreadable, binary,
// larger than MaxBytes or that totem-pl-parser rejects is not a playlist; an
// empty file is an empty playlist; beyond MaxEntries entries are counted but
// left out. The library never writes a playlist file.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumo::platform::library {

struct PlaylistEntry {
    std::string uri;
    std::string title;               // the playlist's title for the entry, may be empty
    std::optional<double> duration;  // seconds, when the playlist states it
};

struct PlaylistFile {
    static constexpr int64_t MaxBytes = 64 << 20;
    static constexpr size_t MaxEntries = 100'000;

    bool isPlaylist = false;
    std::string title;  // the playlist's own title, empty when the format or file has none
    std::vector<PlaylistEntry> entries;
    size_t total = 0;     // entries in the file, those left out included
    std::string problem;  // why it is not a playlist, or what was left out
};

bool isPlaylistFileName(const std::filesystem::path& file);

// keepEntries false only counts the entries (what a catalogue of names needs).
PlaylistFile readPlaylistFile(const std::filesystem::path& file, bool keepEntries);

// Hands each entry kept to `take` as soon as it is parsed, in order, instead
// of keeping it in the result.
using EntrySink = std::function<void(PlaylistEntry)>;
PlaylistFile readPlaylistFile(const std::filesystem::path& file, const EntrySink& take);

}  // namespace lumo::platform::library
