#pragma once
// Reads what the index keeps of one music file: TagLib for the tags and for
// the length where the format states it exactly (FLAC, WAV, Ogg, MP4, MP3
// with a Xing or VBRI header, ...), the MP3 frames where it does not, and
// GStreamer's discoverer for containers that may carry video and for files
// TagLib cannot read. `path`, `version` and `added` are left to the caller.

#include <filesystem>
#include <optional>

#include "platform/library/discoverer.h"
#include "platform/library/track.h"

namespace lumo::platform::library {

// Whether the file name looks like audio or video worth reading.
bool isMediaFileName(const std::filesystem::path& file);

// Nothing when the file is neither audio nor video that TagLib or GStreamer reads.
std::optional<Track> readTrack(const std::filesystem::path& file, Discoverer& discoverer);

}  // namespace lumo::platform::library
