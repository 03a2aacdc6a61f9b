#pragma once
// One music file as the track index keeps it.

#include <cstdint>
#include <optional>
#include <string>

namespace lumo::platform::library {

// What tells a changed file from an unchanged one.
struct FileVersion {
    int64_t size = -1;
    int64_t mtime = 0;  // nanoseconds since the epoch
    friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

struct Track {
    std::string path;   // the file's path, its exact bytes (a string: this is built for every row read)
    std::string title;  // the title tag, else the file name without its extension
    std::string artist, album, genre;
    std::optional<int64_t> year, number;  // number: the track number
    std::optional<double> duration;       // seconds
    std::string format;                   // the file's lower-case extension: "mp3", "flac"
    bool hasVideo = false;
    int64_t added = 0;  // when the index first saw the file, seconds since the epoch
    FileVersion version;
};

}  // namespace lumo::platform::library
