// Audio CD tracks of disc images through the real player: the samples that
// come out are the image's, bit for bit, tracks follow each other, and an
// image that cannot be played says why.

#include "gst_test_support.h"
#include "platform/gst/error_classes.h"
#include "platform/linux/cd_collection.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;
using linux_drives::trackUri;

constexpr size_t sectorBytes = 2352;

// A track's samples: a pattern that differs per track and per channel and
// covers the whole 16-bit range, so any lost, doubled or swapped byte shows.
std::vector<int16_t> trackSamples(int track, int sectors) {
    std::vector<int16_t> samples(size_t(sectors) * sectorBytes / 2);
    uint32_t seed = 2654435761u * uint32_t(track);
    for (int16_t& sample : samples) sample = static_cast<int16_t>((seed = seed * 1103515245u + 12345u) >> 16);
    return samples;
}

void appendLittleEndian(std::string& bytes, const std::vector<int16_t>& samples) {
    for (int16_t sample : samples) {
        bytes.push_back(static_cast<char>(sample & 0xff));
        bytes.push_back(static_cast<char>((sample >> 8) & 0xff));
    }
}

// "album.cue" over one file whose name is not the sheet's: three audio
// tracks of 40, 375 and 60 sectors. The second is long enough (5 s) that the
// player reads it to its end only after the pipeline has settled, so the
// third follows it without a gap.
struct Disc {
    fs::path folder, sheet;
    std::vector<std::vector<int16_t>> tracks;

    Disc() {
        folder = files().folder / "disc";
        fs::create_directories(folder);
        sheet = folder / "album.cue";
        std::string bin;
        const int lengths[] = {40, 375, 60};
        std::string cue = "FILE \"Album Data.img\" BINARY\n";
        int start = 0;
        for (int t = 0; t < 3; ++t) {
            tracks.push_back(trackSamples(t + 1, lengths[t]));
            appendLittleEndian(bin, tracks.back());
            char index[64];
            std::snprintf(index, sizeof index, "  TRACK %02d AUDIO\n    INDEX 01 00:%02d:%02d\n", t + 1, start / 75,
                          start % 75);
            cue += index;
            start += lengths[t];
        }
        std::ofstream(folder / "Album Data.img", std::ios::binary) << bin;
        std::ofstream(sheet) << cue;
    }
};

Disc& disc() {
    static Disc made;
    return made;
}

MediaPtr trackOf(const fs::path& sheet, int track) {
    return std::make_shared<TestMedia>("Track " + std::to_string(track), trackUri(sheet.string(), track));
}

// The 16-bit samples of a WAV file written by `exactSink`.
std::vector<int16_t> readPcm(const fs::path& wav) {
    std::ifstream in(wav, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t data = bytes.find("data");
    std::vector<int16_t> samples;
    if (data == std::string::npos) return samples;
    samples.resize((bytes.size() - data - 8) / 2);
    std::memcpy(samples.data(), bytes.data() + data + 8, samples.size() * 2);
    return samples;
}

std::string exactSink(const fs::path& wav) {
    return "audioconvert ! audio/x-raw,format=S16LE,channels=2 ! wavenc ! filesink sync=true location=\"" +
           wav.string() + "\"";
}

TEST(CdImagePlayback, TracksComeOutBitForBitOneAfterTheOther) {
    const fs::path capture = files().folder / "cd-out.wav";
    GstMediaPlayer player(nullptr, nullptr, exactSink(capture));
    player.settings().setAutoStart(false);
    player.settings().setMode("autoRewind", false);
    player.settings().setVolume(100);
    player.setCurrentPlaylist(std::make_shared<TestPlaylist>(
        std::vector<MediaPtr>{trackOf(disc().sheet, 2), trackOf(disc().sheet, 3)}));
    ASSERT_TRUE(waitFor(player, S::Ready));
    player.controls().play();
    std::vector<std::string> names;
    const auto seen = watch(player, [&](S state) {
        if (names.empty() || names.back() != currentName(player)) names.push_back(currentName(player));
        return state == S::MediaEnded;
    });
    ASSERT_EQ(seen.back(), S::MediaEnded);
    EXPECT_EQ(names, (std::vector<std::string>{"Track 2", "Track 3"}));
    EXPECT_EQ(player.error().errorCount(), 0);
    EXPECT_NEAR(std::stod(player.currentMedia()->getItemInfo("Duration")), 60 / 75.0, 0.001);

    std::vector<int16_t> expected = disc().tracks[1];
    expected.insert(expected.end(), disc().tracks[2].begin(), disc().tracks[2].end());
    const std::vector<int16_t> out = readPcm(capture);
    ASSERT_EQ(out.size(), expected.size());
    EXPECT_TRUE(out == expected) << "the samples differ from the image's";
}

TEST(CdImagePlayback, NextStepsToTheFollowingTrackOfTheDisc) {
    GstMediaPlayer player(nullptr, nullptr, kRealtimeSink);
    player.settings().setAutoStart(true);
    std::vector<MediaPtr> tracks;
    for (int t = 1; t <= 3; ++t) tracks.push_back(trackOf(disc().sheet, t));
    player.setCurrentPlaylist(std::make_shared<TestPlaylist>(tracks));
    ASSERT_TRUE(waitFor(player, S::Playing));
    EXPECT_EQ(currentName(player), "Track 1");
    player.controls().next();
    watch(player, [&](S state) { return state == S::Playing && currentName(player) == "Track 2"; });
    EXPECT_EQ(currentName(player), "Track 2");
    EXPECT_EQ(player.playState(), S::Playing);
    EXPECT_EQ(player.error().errorCount(), 0);
}

TEST(CdImagePlayback, AnImageThatCannotPlayReportsTheItemAsMissing) {
    const fs::path dataDisc = disc().folder / "mixed.cue";
    std::ofstream(dataDisc) << "FILE \"Album Data.img\" BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n"
                               "TRACK 02 AUDIO\nINDEX 01 00:00:40\n";
    struct Case {
        MediaPtr item;
        const char* why;
    } cases[] = {
        {trackOf(disc().folder / "gone.cue", 1), "no disc image"},
        {trackOf(disc().sheet, 7), "has no track 7"},
        {trackOf(dataDisc, 1), "is a data track"},
    };
    for (const Case& tried : cases) {
        SCOPED_TRACE(tried.why);
        GstMediaPlayer player(nullptr, nullptr, kFastSink);
        player.settings().setAutoStart(true);
        player.setCurrentMedia(tried.item);
        watch(player, [&](S) { return player.error().errorCount() > 0; });
        ASSERT_EQ(player.error().errorCount(), 1);
        EXPECT_EQ(player.error().item(0).condition, static_cast<int32_t>(ErrorClass::NotFound));
        EXPECT_NE(player.error().item(0).errorDescription.find(tried.why), std::string::npos)
            << player.error().item(0).errorDescription;
        EXPECT_EQ(player.error().item(0).customUrl, tried.item->getItemInfo("SourceURL"));
    }
}

}  // namespace
}  // namespace lumo::platform::gst::testing
