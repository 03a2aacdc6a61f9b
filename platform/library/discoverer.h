#pragma once
// GStreamer's discoverer, for the files TagLib cannot describe: containers
// that may hold video, formats TagLib does not read and MP3 files whose
// frames cannot be walked. One object per thread; GStreamer is initialised
// on first use.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace lumo::platform::library {

struct Discovery {
    bool hasAudio = false, hasVideo = false;
    std::optional<double> duration;  // seconds
    std::string title, artist, album, genre;
    std::optional<int64_t> year, number;
};

class Discoverer {
public:
    Discoverer();
    ~Discoverer();
    Discoverer(const Discoverer&) = delete;
    Discoverer& operator=(const Discoverer&) = delete;

    // Nothing when GStreamer cannot open the file at all.
    std::optional<Discovery> discover(const std::filesystem::path& file);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Initialises GStreamer once per process (a host that did so already is fine).
bool ensureGstreamer();

}  // namespace lumo::platform::library
