#pragma once
// Audio files made by GStreamer itself in a temporary folder, a playlist and
// items of the tests' own, bounded waits on the player, and a reader for the
// WAV files the capture sink writes.

#include <gst/gst.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>
#include <vector>

#include "platform/gst/gst_media_player.h"
#include "failsafe/runtime_error.h"
#include "platform/gst/gst_runtime.h"

namespace lumo::platform::gst::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class TestMedia final : public Media {
public:
    TestMedia(std::string name, std::string url, std::map<std::string, std::string> info = {})
        : name_(std::move(name)), info_(std::move(info)) {
        info_["SourceURL"] = std::move(url);
    }
    std::string name() const override { return name_; }
    std::string getItemInfo(std::string_view attribute) const override {
        auto found = info_.find(std::string(attribute));
        return found == info_.end() ? "" : found->second;
    }

private:
    std::string name_;
    std::map<std::string, std::string> info_;
};

class TestPlaylist final : public Playlist {
public:
    explicit TestPlaylist(std::vector<MediaPtr> items, std::string name = "test") : items_(std::move(items)), name_(std::move(name)) {}
    int32_t count() const override { return static_cast<int32_t>(items_.size()); }
    std::string name() const override { return name_; }
    MediaPtr item(int32_t index) const override { return items_.at(static_cast<size_t>(index)); }
    std::string getItemInfo(std::string_view attribute) const override { return attribute == "PlaylistType" ? "Static" : ""; }

private:
    std::vector<MediaPtr> items_;
    std::string name_;
};

inline std::string uriOf(const fs::path& file) {
    gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
    std::string text = uri;
    g_free(uri);
    return text;
}

// Runs a gst-launch style description to its end; false on error or after 20 s.
inline bool runToEnd(const std::string& description) {
    GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
    if (!pipeline) return false;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(bus, 20 * GST_SECOND,
                                                     static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ended = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message) gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ended;
}

// A stereo 440 Hz sine of amplitude 0.5, `seconds` long, encoded by `encoder`.
inline fs::path makeTone(const fs::path& file, const std::string& encoder, double seconds = 0.3) {
    const int buffers = static_cast<int>(seconds * 44100 / 1024) + 1;
    const std::string description = "audiotestsrc num-buffers=" + std::to_string(buffers) +
                                    " samplesperbuffer=1024 freq=440 volume=0.5 ! audio/x-raw,rate=44100,channels=2 ! "
                                    "audioconvert ! " + encoder + " ! filesink location=\"" + file.string() + "\"";
    EXPECT_TRUE(runToEnd(description)) << description;
    return file;
}

// The files every player test uses, made once per run.
struct TestFiles {
    fs::path folder;
    fs::path wav, flac, ogg, mp3, video, garbage, truncatedFlac, midi;
    std::vector<fs::path> tones;  // short WAV items, "tone0".."tone4"
    // Items long enough that playbin reads them to their end only after the
    // pipeline has settled, so that they follow each other without a gap.
    std::vector<fs::path> longTones;  // "long0", "long1"
    // Items that play long enough for a control to meet them playing.
    std::vector<fs::path> steadyTones;  // "steady0".."steady2", 4 s each

    TestFiles() {
        ensureGstreamer();
        folder = fs::temp_directory_path() / ("lumo-gst-test-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        wav = makeTone(folder / "tone.wav", "wavenc");
        flac = makeTone(folder / "tone.flac", "flacenc");
        ogg = makeTone(folder / "tone.ogg", "vorbisenc ! oggmux");
        mp3 = makeTone(folder / "tone.mp3", "lamemp3enc");
        for (int i = 0; i < 5; ++i) tones.push_back(makeTone(folder / ("tone" + std::to_string(i) + ".wav"), "wavenc", 0.2));
        for (int i = 0; i < 2; ++i)
            longTones.push_back(makeTone(folder / ("long" + std::to_string(i) + ".wav"), "wavenc", 1.2));
        for (int i = 0; i < 3; ++i)
            steadyTones.push_back(makeTone(folder / ("steady" + std::to_string(i) + ".wav"), "wavenc", 4.0));
        video = folder / "clip.ogv";
        EXPECT_TRUE(runToEnd("oggmux name=mux ! filesink location=\"" + video.string() + "\" "
                             "audiotestsrc num-buffers=10 ! audioconvert ! vorbisenc ! queue ! mux. "
                             "videotestsrc num-buffers=5 ! video/x-raw,width=64,height=48,framerate=10/1 ! "
                             "theoraenc ! queue ! mux."));
        garbage = folder / "garbage.mp3";
        std::string noise(8000, '\0');
        uint32_t seed = 12345;
        for (char& byte : noise) byte = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
        std::ofstream(garbage, std::ios::binary) << noise;
        truncatedFlac = folder / "truncated.flac";
        std::ifstream flacIn(flac, std::ios::binary);
        std::string head(60, '\0');
        flacIn.read(head.data(), 60);
        std::ofstream(truncatedFlac, std::ios::binary) << head;
        midi = folder / "song.mid";  // no MIDI decoder is installed
        std::ofstream(midi, std::ios::binary)
            << std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x04\0\xff\x2f\0", 26);
    }
    ~TestFiles() { fs::remove_all(folder); }
};

inline TestFiles& files() {
    static TestFiles made;
    return made;
}

inline MediaPtr mediaOf(const fs::path& file, std::map<std::string, std::string> info = {}) {
    return std::make_shared<TestMedia>(file.stem().string(), uriOf(file), std::move(info));
}

inline PlaylistPtr playlistOf(const std::vector<fs::path>& items) {
    std::vector<MediaPtr> media;
    for (const auto& file : items) media.push_back(mediaOf(file));
    return std::make_shared<TestPlaylist>(std::move(media));
}

inline std::vector<fs::path> tones(int count) {
    return {files().tones.begin(), files().tones.begin() + count};
}

// Sinks: at the real pace without a sound card, as fast as possible, or
// into a float WAV file whose samples the tests read.
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
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
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

inline std::string currentName(MediaPlayer& player) {
    const MediaPtr media = player.currentMedia();
    return media ? media->name() : "";
}

// The stereo float samples of a WAV file the capture sink wrote; a data
// chunk whose size was never written runs to the end of the file.
struct Channels {
    std::vector<float> left, right;
};
inline Channels readCapture(const fs::path& wav) {
    std::ifstream in(wav, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Channels result;
    const size_t data = bytes.find("data");
    if (data == std::string::npos) return result;
    uint32_t size = 0;
    std::memcpy(&size, bytes.data() + data + 4, sizeof size);
    const size_t end = size && data + 8 + size <= bytes.size() ? data + 8 + size : bytes.size();
    for (size_t at = data + 8; at + 8 <= end; at += 8) {
        float frame[2];
        std::memcpy(frame, bytes.data() + at, sizeof frame);
        result.left.push_back(frame[0]);
        result.right.push_back(frame[1]);
    }
    return result;
}

inline float peakOf(const std::vector<float>& samples) {
    float peak = 0;
    for (float sample : samples) peak = std::max(peak, std::abs(sample));
    return peak;
}

}  // namespace lumo::platform::gst::testing
