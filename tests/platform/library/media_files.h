#pragma once
// Real media files for the library's tests, made on the spot: WAV by a tiny
// writer (exact lengths), the other formats by GStreamer pipelines, tags by
// TagLib. Everything lives in a temporary folder of its own.

#include <gst/gst.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/library/discoverer.h"
#include "tests/temp_folder.h"
#include "tests/wav_file.h"

namespace lumo::platform::library::testing {

namespace fs = std::filesystem;

using lumo::testing::TempFolder;

inline void writeText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// Mono 16-bit PCM at 8 kHz: `seconds` long to the sample.
inline void writeWav(const fs::path& file, double seconds) {
    const lumo::testing::WavFormat format{8000, 1};
    lumo::testing::writeWav(file, lumo::testing::silentSamples(static_cast<uint32_t>(seconds * format.rate), format),
                            format);
}

// How GStreamer makes each kind of file from a test tone of `buffers` x 1024
// samples at 44.1 kHz (130 buffers: 3.019 s).
enum class Kind { Flac, OggVorbis, Mp3Cbr, Mp3VbrXing, Mp3VbrNoXing, OggTheora };

inline const char* pipelineOf(Kind kind) {
    switch (kind) {
        case Kind::Flac:
            return "audiotestsrc num-buffers=%d ! audioconvert ! flacenc ! filesink name=sink";
        case Kind::OggVorbis:
            return "audiotestsrc num-buffers=%d ! audioconvert ! vorbisenc ! oggmux ! filesink name=sink";
        case Kind::Mp3Cbr:
            return "audiotestsrc num-buffers=%d ! audioconvert ! lamemp3enc target=bitrate bitrate=128 cbr=true ! "
                   "filesink name=sink";
        case Kind::Mp3VbrXing:
            return "audiotestsrc num-buffers=%d wave=white-noise ! audioconvert ! lamemp3enc target=quality quality=2 "
                   "! "
                   "xingmux ! filesink name=sink";
        case Kind::Mp3VbrNoXing:
            return "audiotestsrc num-buffers=%d wave=white-noise ! audioconvert ! lamemp3enc target=quality quality=2 "
                   "! "
                   "filesink name=sink";
        case Kind::OggTheora:
            return "videotestsrc num-buffers=%d ! theoraenc ! oggmux ! filesink name=sink";
    }
    return "";
}

// Runs the pipeline to its end; false when it failed.
inline bool encode(Kind kind, const fs::path& file, int buffers = 130) {
    if (!ensureGstreamer()) return false;
    fs::create_directories(file.parent_path());
    gchar* description = g_strdup_printf(pipelineOf(kind), buffers);
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description, &error);
    g_free(description);
    if (!pipeline || error) {
        if (error) g_error_free(error);
        if (pipeline) gst_object_unref(pipeline);
        return false;
    }
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    g_object_set(sink, "location", file.c_str(), nullptr);
    gst_object_unref(sink);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(bus, 60 * GST_SECOND,
                                                     static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message) gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ok;
}

struct Tags {
    std::string title, artist, album, genre;
    unsigned year = 0, track = 0;
};

inline bool tag(const fs::path& file, const Tags& tags) {
    TagLib::FileRef ref(file.c_str());
    if (ref.isNull() || !ref.tag()) return false;
    TagLib::Tag& t = *ref.tag();
    t.setTitle(TagLib::String(tags.title, TagLib::String::UTF8));
    t.setArtist(TagLib::String(tags.artist, TagLib::String::UTF8));
    t.setAlbum(TagLib::String(tags.album, TagLib::String::UTF8));
    t.setGenre(TagLib::String(tags.genre, TagLib::String::UTF8));
    t.setYear(tags.year);
    t.setTrack(tags.track);
    return ref.save();
}

// One file of each kind, made once per test program and copied where needed.
inline const fs::path& sample(Kind kind) {
    static TempFolder folder;
    static std::vector<std::optional<fs::path>> made(6);
    auto& file = made[static_cast<size_t>(kind)];
    if (!file) {
        static const char* const names[] = {"a.flac", "a.ogg", "cbr.mp3", "xing.mp3", "noxing.mp3", "v.ogv"};
        const fs::path path = folder / names[static_cast<size_t>(kind)];
        EXPECT_TRUE(encode(kind, path)) << "GStreamer could not make " << path;
        file = path;
    }
    return *file;
}

inline fs::path copySample(Kind kind, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(sample(kind), to, fs::copy_options::overwrite_existing);
    return to;
}

// Bytes of an invalid UTF-8 sequence, for names that must not break anything.
inline const std::string Latin1Cafe = "caf\xE9";

}  // namespace lumo::platform::library::testing
