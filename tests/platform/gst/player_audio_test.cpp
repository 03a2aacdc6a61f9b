// What comes out: volume, balance and mute measured on the samples the
// player writes into a WAV file.

#include "gst_test_support.h"
#include "platform/gst/audio_sink.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;

struct Setting {
    const char* name;
    int32_t volume, balance;
    bool mute;
    int32_t readVolume, readBalance;  // after clamping
    float left, right;                // expected peaks; the source's is 0.5
};

class Output : public ::testing::TestWithParam<Setting> {};

TEST_P(Output, SamplesFollowTheSettings) {
    const Setting& setting = GetParam();
    const fs::path capture = files().folder / (std::string("out-") + setting.name + ".wav");
    GstMediaPlayer player(nullptr, nullptr, captureSink(capture));
    player.settings().setMode("autoRewind", false);
    player.settings().setVolume(setting.volume);
    player.settings().setBalance(setting.balance);
    player.settings().setMute(setting.mute);
    EXPECT_EQ(player.settings().volume(), setting.readVolume);
    EXPECT_EQ(player.settings().balance(), setting.readBalance);
    player.setCurrentPlaylist(playlistOf({files().wav}));
    ASSERT_TRUE(waitFor(player, S::MediaEnded));
    EXPECT_EQ(player.error().errorCount(), 0);
    const Samples out = samplesOf(capture);
    EXPECT_GT(out.frames, 44100u / 5);  // most of the 0.3 s arrived
    EXPECT_NEAR(out.left, setting.left, 0.005f);
    EXPECT_NEAR(out.right, setting.right, 0.005f);
}

// Cubic volume: 50 gives 0.5^3 of the amplitude, 0.0625 of the source's 0.5.
INSTANTIATE_TEST_SUITE_P(Player, Output,
                         ::testing::Values(Setting{"half", 50, 0, false, 50, 0, 0.0625f, 0.0625f},
                                           Setting{"above", 103, 0, false, 100, 0, 0.5f, 0.5f},
                                           Setting{"below", -5, 0, false, 0, 0, 0.0f, 0.0f},
                                           Setting{"left", 100, -100, false, 100, -100, 0.5f, 0.0f},
                                           Setting{"right", 100, 250, false, 100, 100, 0.0f, 0.5f},
                                           Setting{"halfLeft", 100, -50, false, 100, -50, 0.5f, 0.25f},
                                           Setting{"mute", 100, 0, true, 100, 0, 0.0f, 0.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

// The output given wins over the environment's; one that cannot be opened
// is replaced by the silent one, with the reason.
TEST(AudioOutput, TheGivenOneThenTheEnvironmentsAndOneThatCannotOpenIsReplaced) {
    ::setenv("LUMO_AUDIO_SINK", "fakesink", 1);  // each test runs in a process of its own
    EXPECT_EQ(resolveSinkDescription("pulsesink"), "pulsesink");
    EXPECT_EQ(resolveSinkDescription(""), "fakesink");
    ASSERT_TRUE(ensureGstreamer());
    const std::string unopenable = "filesink location=" + (files().folder / "no-such-folder" / "out.raw").string();
    std::string why;
    GstElement* sink = makeAudioSink(unopenable, &why);
    ASSERT_NE(sink, nullptr);
    EXPECT_STREQ(GST_OBJECT_NAME(sink), "fallback-audio-sink");
    EXPECT_EQ(why, "the sink '" + unopenable + "' cannot be opened");
    gst_object_unref(sink);
}

}  // namespace
}  // namespace lumo::platform::gst::testing
