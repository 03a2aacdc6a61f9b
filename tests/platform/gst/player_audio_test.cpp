// What comes out: volume, balance and mute measured on the samples the
// player writes into a WAV file, and the formats and item facts it learns.

#include "gst_test_support.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;

struct Setting {
    const char* name;
    int32_t volume, balance;
    bool mute;
    int32_t readVolume, readBalance;  // after clamping
    float left, right;               // expected peaks; the source's is 0.5
};

class Output : public ::testing::TestWithParam<Setting> {};

TEST_P(Output, SamplesFollowTheSettings) {
    const Setting& setting = GetParam();
    const fs::path capture = files().folder / (std::string("out-") + setting.name + ".wav");
    GstMediaPlayer player(nullptr, nullptr, captureSink(capture));
    player.settings().setAutoStart(false);
    player.settings().setMode("autoRewind", false);
    player.settings().setVolume(setting.volume);
    player.settings().setBalance(setting.balance);
    player.settings().setMute(setting.mute);
    EXPECT_EQ(player.settings().volume(), setting.readVolume);
    EXPECT_EQ(player.settings().balance(), setting.readBalance);
    EXPECT_EQ(player.settings().mute(), setting.mute);

    player.setCurrentPlaylist(playlistOf({files().wav}));
    ASSERT_TRUE(waitFor(player, S::Ready));
    player.controls().play();
    ASSERT_TRUE(waitFor(player, S::MediaEnded));
    EXPECT_EQ(player.error().errorCount(), 0);

    const Channels out = readCapture(capture);
    ASSERT_GT(out.left.size(), 44100u / 5);  // most of the 0.3 s arrived
    EXPECT_NEAR(peakOf(out.left), setting.left, 0.005f);
    EXPECT_NEAR(peakOf(out.right), setting.right, 0.005f);
}

// Cubic volume: 50 gives 0.5^3 of the amplitude, 0.0625 of the source's 0.5.
INSTANTIATE_TEST_SUITE_P(Player, Output,
                         ::testing::Values(Setting{"full", 100, 0, false, 100, 0, 0.5f, 0.5f},
                                           Setting{"half", 50, 0, false, 50, 0, 0.0625f, 0.0625f},
                                           Setting{"above", 103, 0, false, 100, 0, 0.5f, 0.5f},
                                           Setting{"below", -5, 0, false, 0, 0, 0.0f, 0.0f},
                                           Setting{"left", 100, -100, false, 100, -100, 0.5f, 0.0f},
                                           Setting{"right", 100, 250, false, 100, 100, 0.0f, 0.5f},
                                           Setting{"halfLeft", 100, -50, false, 100, -50, 0.5f, 0.25f},
                                           Setting{"mute", 100, 0, true, 100, 0, 0.0f, 0.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Output, MuteWhilePlayingSilencesTheRest) {
    const fs::path capture = files().folder / "out-live.wav";
    GstMediaPlayer player(nullptr, nullptr, captureSink(capture, true));
    player.settings().setAutoStart(true);
    player.setCurrentPlaylist(playlistOf({files().wav}));
    ASSERT_TRUE(waitFor(player, S::Playing));
    std::this_thread::sleep_for(100ms);
    player.settings().setMute(true);
    ASSERT_TRUE(waitFor(player, S::MediaEnded));
    const Channels out = readCapture(capture);
    ASSERT_GT(out.left.size(), 44100u / 5);
    const size_t tenth = 4410;
    EXPECT_NEAR(peakOf({out.left.begin(), out.left.begin() + tenth / 2}), 0.5f, 0.005f);
    EXPECT_LT(peakOf({out.left.end() - tenth, out.left.end()}), 0.001f);
}

struct Format {
    const char* name;
    fs::path TestFiles::*file;
    const char* mediaType;
};

class Formats : public ::testing::TestWithParam<Format> {};

TEST_P(Formats, PlayingLearnsDurationAndMediaType) {
    GstMediaPlayer player(nullptr, nullptr, kFastSink);
    player.settings().setAutoStart(false);
    player.setCurrentMedia(mediaOf(files().*GetParam().file, {{"Duration", "99.0"}, {"Title", "a tone"}}));
    ASSERT_TRUE(waitFor(player, S::Ready));
    EXPECT_EQ(player.error().errorCount(), 0);
    MediaPtr media = player.currentMedia();
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(media->getItemInfo("MediaType"), GetParam().mediaType);
    EXPECT_EQ(media->getItemInfo("Title"), "a tone");  // the item's own
    // An MP3 without a header may tell its length only while it plays.
    if (GetParam().file != &TestFiles::mp3) {
        EXPECT_NE(media->getItemInfo("Duration"), "99.0");
    }

    player.controls().play();
    ASSERT_TRUE(waitFor(player, S::MediaEnded));  // auto-rewound to the same item
    media = player.currentMedia();
    const double seconds = std::stod(media->getItemInfo("Duration"));
    EXPECT_GT(seconds, 0.2);
    EXPECT_LT(seconds, 1.2);
    EXPECT_EQ(media->getItemInfo("MediaType"), GetParam().mediaType);
}

INSTANTIATE_TEST_SUITE_P(Player, Formats,
                         ::testing::Values(Format{"Wav", &TestFiles::wav, "audio"},
                                           Format{"Flac", &TestFiles::flac, "audio"},
                                           Format{"OggVorbis", &TestFiles::ogg, "audio"},
                                           Format{"Mp3", &TestFiles::mp3, "audio"},
                                           Format{"OggTheora", &TestFiles::video, "video"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Nothing renders video, yet a file with only a video stream plays its length
// like any other item instead of failing as an unlinked stream.
TEST(VideoStreams, AFileWithOnlyVideoPlaysToItsEnd) {
    const fs::path clip = files().folder / "only-video.ogv";
    ASSERT_TRUE(runToEnd("videotestsrc num-buffers=8 ! video/x-raw,width=64,height=48,framerate=10/1 ! theoraenc ! "
                         "oggmux ! filesink location=\"" + clip.string() + "\""));
    GstMediaPlayer player(nullptr, nullptr, kFastSink);
    player.settings().setAutoStart(false);
    player.settings().setMode("autoRewind", false);
    player.setCurrentPlaylist(playlistOf({clip}));
    ASSERT_TRUE(waitFor(player, S::Ready));
    player.controls().play();
    ASSERT_TRUE(waitFor(player, S::MediaEnded));
    EXPECT_EQ(player.error().errorCount(), 0);
    EXPECT_EQ(player.currentMedia()->getItemInfo("MediaType"), "video");
    EXPECT_NEAR(std::stod(player.currentMedia()->getItemInfo("Duration")), 0.8, 0.15);
}

TEST(ItemFacts, BeforePrerollTheItemAnswers) {
    GstMediaPlayer player(nullptr, nullptr, kFastSink);
    player.settings().setAutoStart(false);
    player.setCurrentMedia(mediaOf(files().folder / "absent.wav", {{"Duration", "12.5"}, {"MediaType", "audio"}}));
    const MediaPtr media = player.currentMedia();
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(media->name(), "absent");
    EXPECT_EQ(media->getItemInfo("Duration"), "12.5");
    EXPECT_EQ(media->getItemInfo("MediaType"), "audio");
}

TEST(ItemFacts, SecondsAreTextWithAPoint) {
    EXPECT_EQ(durationText(183.4), "183.4");
    EXPECT_EQ(durationText(2.0), "2.0");
    EXPECT_EQ(durationText(0.30000001), "0.3");
    EXPECT_EQ(durationText(1.23456), "1.235");
}

}  // namespace
}  // namespace lumo::platform::gst::testing
