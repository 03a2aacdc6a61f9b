#pragma once
// Media files for the library's tests (generated_media.h makes them), tags
// written by TagLib, and one sample of each encoded kind per test program.

#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "tests/support/generated_media.h"
#include "tests/temp_folder.h"

namespace lumo::platform::library::testing {

namespace fs = std::filesystem;

using lumo::testing::TempFolder;
using lumo::testing::writeWav;

inline void writeText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// Each kind from a test tone of 130 x 1024 samples at 44.1 kHz (3.019 s).
enum class Kind { Flac, Mp3Cbr };

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

inline const fs::path& sample(Kind kind) {
    static TempFolder folder;
    static std::optional<fs::path> made[2];
    static const char* const names[] = {"a.flac", "cbr.mp3"};
    static const char* const pipelines[] = {
        "audiotestsrc num-buffers=130 ! audioconvert ! flacenc",
        "audiotestsrc num-buffers=130 ! audioconvert ! lamemp3enc target=bitrate bitrate=128 cbr=true",
    };
    auto& file = made[static_cast<size_t>(kind)];
    if (!file) {
        file = folder / names[static_cast<size_t>(kind)];
        EXPECT_TRUE(lumo::testing::encodeMedia(*file, pipelines[static_cast<size_t>(kind)])) << *file;
    }
    return *file;
}

inline fs::path copySample(Kind kind, const fs::path& to) {
    fs::create_directories(to.parent_path());
    fs::copy_file(sample(kind), to, fs::copy_options::overwrite_existing);
    return to;
}

}  // namespace lumo::platform::library::testing
