#pragma once
// The length of an MPEG audio file (MP3, MP2) found by walking its frames.
// An MP3 without a Xing or VBRI header says nothing about its length: TagLib
// then guesses from the first frame's bitrate, which is wrong for variable
// bitrates, and GStreamer's discoverer takes about 50 ms per file. Walking
// the frame headers is exact and costs one read of the file.

#include <filesystem>
#include <optional>

namespace lumo::platform::library {

// Seconds, or nothing when the file holds no run of MPEG audio frames.
std::optional<double> mpegAudioDuration(const std::filesystem::path& file);

}  // namespace lumo::platform::library
