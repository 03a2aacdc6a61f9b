#pragma once
// What TagLib tells of one music file. TagLib is read in a module of its own,
// lumo-taglib.so, loaded when the first file is read: a host that only plays
// what the index already knows never maps TagLib.

#include <optional>
#include <string>

namespace lumo::platform::library {

struct TagReading {
    bool opened = false;  // TagLib recognised the file
    std::string title, artist, album, genre;  // as TagLib gives them, UTF-8
    unsigned year = 0, number = 0;
    std::optional<double> length;  // seconds, when TagLib states one
    int sampleRate = 0;
    // An MP3 without a Xing or VBRI header: TagLib's length is a guess from the first frame.
    bool mpegWithoutFrameCount = false;
};

// The module's one entry point, by this name.
inline constexpr const char* ReadTagsEntry = "lumo_read_tags";
using ReadTagsFunction = void(const char* path, TagReading& reading);

}  // namespace lumo::platform::library
