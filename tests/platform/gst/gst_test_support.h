#pragma once
// Generated media, test items and playlists, bounded waits on the player,
// and a reader for what the capture sink writes.

#include <gst/gst.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/gst/gst_media_player.h"
#include "platform/gst/gst_runtime.h"
#include "platform/library/text.h"
#include "tests/support/generated_media.h"

namespace lumo::platform::gst::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct TestMedia final : Media {
    TestMedia(std::string name, std::string url) : name_(std::move(name)), url_(std::move(url)) {}
    std::string name() const override { return name_; }
    std::string getItemInfo(std::string_view attribute) const override { return attribute == "SourceURL" ? url_ : ""; }
    const std::string name_, url_;
};

struct TestPlaylist final : Playlist {
    explicit TestPlaylist(std::vector<MediaPtr> items) : items_(std::move(items)) {}
    int32_t count() const override { return static_cast<int32_t>(items_.size()); }
    std::string name() const override { return "test"; }
    MediaPtr item(int32_t index) const override { return items_.at(static_cast<size_t>(index)); }
    std::string getItemInfo(std::string_view attribute) const override { return attribute == "PlaylistType" ? "Static" : ""; }
    const std::vector<MediaPtr> items_;
};

inline std::string uriOf(const fs::path& file) { return library::fileUri(file.string()); }

// The files every player test uses, made once per run: stereo 44.1 kHz
// sines of amplitude 0.5, "tone*" of 0.2 s, "long*" of 1.2 s (long enough to
// switch without a gap), "steady*" of 4 s (met playing by any control).
struct TestFiles {
    fs::path folder = fs::temp_directory_path() / ("lumo-gst-test-" + std::to_string(::getpid()));
    fs::path wav = folder / "tone.wav";
    std::vector<fs::path> tones, longTones, steadyTones;

    TestFiles() {
        ensureGstreamer();
        lumo::testing::writeTone(wav, 0.3);
        for (auto [into, name, count, seconds] : {std::tuple{&tones, "tone", 5, 0.2}, {&longTones, "long", 2, 1.2},
                                                  {&steadyTones, "steady", 3, 4.0}})
            for (int i = 0; i < count; ++i) {
                into->push_back(folder / (name + std::to_string(i) + ".wav"));
                lumo::testing::writeTone(into->back(), seconds);
            }
    }
    ~TestFiles() { fs::remove_all(folder); }
};

inline TestFiles& files() {
    static TestFiles made;
    return made;
}

inline PlaylistPtr playlistOf(const std::vector<fs::path>& items) {
    std::vector<MediaPtr> media;
    for (const auto& file : items) media.push_back(std::make_shared<TestMedia>(file.stem().string(), uriOf(file)));
    return std::make_shared<TestPlaylist>(std::move(media));
}

inline std::vector<fs::path> tones(int count) { return {files().tones.begin(), files().tones.begin() + count}; }

// Sinks: at the real pace, as fast as possible, or into a float WAV file.
inline const char* kRealtimeSink = "fakesink sync=true";
inline const char* kFastSink = "fakesink sync=false";
inline std::string captureSink(const fs::path& wav, bool realtime = false) {
    return "audioconvert ! audio/x-raw,format=F32LE,channels=2 ! wavenc ! filesink location=\"" + wav.string() +
           (realtime ? "\" sync=true" : "\"");
}

// The play states seen (repeats folded) until `until` holds or 5 s pass.
template <typename Until>
std::vector<PlayState> watch(MediaPlayer& player, Until until, std::chrono::milliseconds limit = 5000ms) {
    std::vector<PlayState> seen;
    for (const auto deadline = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < deadline;) {
        const PlayState state = player.playState();
        if (seen.empty() || seen.back() != state) seen.push_back(state);
        if (until(state)) break;
        std::this_thread::sleep_for(2ms);
    }
    return seen;
}

inline bool waitFor(MediaPlayer& player, PlayState wanted) {
    const auto seen = watch(player, [&](PlayState state) { return state == wanted; });
    return !seen.empty() && seen.back() == wanted;
}

inline std::string currentName(MediaPlayer& player) { return player.currentMedia() ? player.currentMedia()->name() : ""; }

// The peaks of the left and right float samples the capture sink wrote and
// their number of frames (to the end of the file when the data size was
// never written).
struct Samples { float left = 0, right = 0; size_t frames = 0; };

inline Samples samplesOf(const fs::path& wav) {
    std::ifstream in(wav, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Samples seen;
    const size_t data = bytes.find("data");
    uint32_t size = 0;
    if (data != std::string::npos) std::memcpy(&size, bytes.data() + data + 4, sizeof size);
    const size_t end = size && data + 8 + size <= bytes.size() ? data + 8 + size : bytes.size();
    for (size_t at = data == std::string::npos ? end : data + 8; at + 8 <= end; at += 8, ++seen.frames) {
        float frame[2];
        std::memcpy(frame, bytes.data() + at, sizeof frame);
        seen.left = std::max(seen.left, std::abs(frame[0]));
        seen.right = std::max(seen.right, std::abs(frame[1]));
    }
    return seen;
}

}  // namespace lumo::platform::gst::testing
