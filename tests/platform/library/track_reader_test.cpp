// What the index keeps of one file, for each format: tags, exact durations,
// video streams, and the files that are not audio.
#include "platform/library/track_reader.h"

#include <taglib/fileref.h>

#include <cmath>

#include "media_files.h"
#include "platform/library/mp3_frames.h"
#include "platform/library/text.h"

namespace lumo::platform::library::testing {
namespace {

constexpr double ToneSeconds = 130 * 1024 / 44100.0;  // what every generated sample of audio holds
constexpr double ClipSeconds = 130 / 30.0;            // and of video

struct FormatCase {
    Kind kind;
    const char* name;
    bool video;
    double tolerance;  // MP3 encoders add up to two frames of padding
};

TEST(TrackReaderTest, EveryFormatWithItsTagsAndExactDuration) {
    TempFolder folder;
    const FormatCase cases[] = {
        {Kind::Flac, "tone.flac", false, 0.01},          {Kind::OggVorbis, "tone.ogg", false, 0.01},
        {Kind::Mp3Cbr, "cbr.mp3", false, 0.08},          {Kind::Mp3VbrXing, "xing.mp3", false, 0.08},
        {Kind::Mp3VbrNoXing, "noxing.mp3", false, 0.08}, {Kind::OggTheora, "clip.ogv", true, 0.01},
    };
    Discoverer discoverer;
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = copySample(c.kind, folder / c.name);
        if (!c.video) {
            ASSERT_TRUE(tag(file, {"Song", "Artist", "Album", "Jazz", 1999, 7}));
        }
        const auto track = readTrack(file, discoverer);
        ASSERT_TRUE(track.has_value());
        EXPECT_EQ(track->format, extensionOf(file));
        EXPECT_EQ(track->hasVideo, c.video);
        ASSERT_TRUE(track->duration.has_value());
        EXPECT_NEAR(*track->duration, c.video ? ClipSeconds : ToneSeconds, c.tolerance);
        if (c.video) {
            EXPECT_EQ(track->title, "clip");  // no tags: the file name
            continue;
        }
        EXPECT_EQ(track->title, "Song");
        EXPECT_EQ(track->artist, "Artist");
        EXPECT_EQ(track->album, "Album");
        EXPECT_EQ(track->genre, "Jazz");
        EXPECT_EQ(track->year, 1999);
        EXPECT_EQ(track->number, 7);
    }
}

// The reason for walking MP3 frames: without a Xing header TagLib guesses.
TEST(TrackReaderTest, Mp3WithoutXingHeaderGetsItsLengthFromTheFrames) {
    const fs::path& file = sample(Kind::Mp3VbrNoXing);
    const TagLib::FileRef guess(file.c_str());
    ASSERT_FALSE(guess.isNull());
    EXPECT_GT(std::fabs(guess.audioProperties()->lengthInMilliseconds() / 1000.0 - ToneSeconds), 1.0)
        << "TagLib no longer guesses wrong; the frame walk may be unnecessary";
    const auto walked = mpegAudioDuration(file);
    ASSERT_TRUE(walked.has_value());
    EXPECT_NEAR(*walked, ToneSeconds, 0.08);
    EXPECT_NEAR(mpegAudioDuration(sample(Kind::Mp3Cbr)).value_or(0), ToneSeconds, 0.08);
    EXPECT_EQ(mpegAudioDuration(sample(Kind::Flac)), std::nullopt);
}

TEST(TrackReaderTest, WavLengthsToTheSample) {
    TempFolder folder;
    Discoverer discoverer;
    for (const double seconds : {0.5, 2.25, 61.0}) {
        writeWav(folder / "a.wav", seconds);
        const auto track = readTrack(folder / "a.wav", discoverer);
        ASSERT_TRUE(track.has_value());
        EXPECT_NEAR(track->duration.value_or(0), seconds, 0.001);
        EXPECT_EQ(track->title, "a");
        EXPECT_EQ(track->year, std::nullopt);
    }
}

TEST(TrackReaderTest, FilesThatAreNotAudioAreRefused) {
    TempFolder folder;
    Discoverer discoverer;
    std::string noise(20000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    const std::pair<const char*, std::string> cases[] = {
        {"text.mp3", "This is a text file, not a song.\n"},
        {"noise.flac", noise},
        {"empty.ogg", ""},
        {"noise.mp4", noise},
    };
    for (const auto& [name, contents] : cases) {
        writeText(folder / name, contents);
        EXPECT_EQ(readTrack(folder / name, discoverer).has_value(), false) << name;
    }
    EXPECT_TRUE(isMediaFileName("/a/B.FLAC"));
    EXPECT_TRUE(isMediaFileName("/a/clip.webm"));
    EXPECT_FALSE(isMediaFileName("/a/cover.jpg"));
    EXPECT_FALSE(isMediaFileName("/a/list.m3u"));
}

}  // namespace
}  // namespace lumo::platform::library::testing
