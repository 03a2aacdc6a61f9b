// The open item's position, length and seeking, checked on the samples
// that come out: each frame of the item carries its own number.

#include "gst_test_support.h"
#include "tests/wav_file.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;
constexpr uint32_t kRate = 44100;

// Two seconds whose frame n holds n / 4 on both channels.
fs::path clockFile() {
    const fs::path file = files().folder / "clock.wav";
    if (fs::exists(file)) return file;
    std::string samples;
    for (uint32_t frame = 0; frame < 2 * kRate; ++frame)
        for (int channel = 0; channel < 2; ++channel) lumo::testing::appendLittleEndian(samples, frame / 4, 2);
    lumo::testing::writeWav(file, samples);
    return file;
}

// The frame the first sample of a capture came from.
double firstFrameOf(const fs::path& capture) {
    const Channels out = readCapture(capture);
    return out.left.empty() ? -1 : out.left.front() * 32768.0 * 4;
}

class Position : public ::testing::Test {
protected:
    fs::path capture = files().folder / ("out-position-" + std::string(
                           ::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".wav");
    GstMediaPlayer player{nullptr, nullptr, captureSink(capture)};
    void SetUp() override {
        player.settings().setAutoStart(false);
        player.settings().setMode("autoRewind", false);
        player.setCurrentPlaylist(playlistOf({clockFile()}));
        ASSERT_TRUE(waitFor(player, S::Ready));
    }
};

TEST_F(Position, ASeekLandsOnTheAskedSample) {
    EXPECT_NEAR(player.position(), 0.0, 0.05);
    ASSERT_TRUE(player.duration());
    EXPECT_NEAR(*player.duration(), 2.0, 0.01);
    ASSERT_TRUE(player.canSeek());
    ASSERT_TRUE(player.seek(1.25));
    EXPECT_EQ(player.playState(), S::Ready);
    EXPECT_NEAR(player.position(), 1.25, 0.05);
    player.controls().play();
    ASSERT_TRUE(waitFor(player, S::MediaEnded));
    EXPECT_NEAR(firstFrameOf(capture), 1.25 * kRate, 0.05 * kRate);
    EXPECT_EQ(player.error().errorCount(), 0);
    // Ended: no item is open.
    EXPECT_EQ(player.position(), 0.0);
    EXPECT_FALSE(player.canSeek());
    EXPECT_FALSE(player.seek(0.5));
}

TEST_F(Position, SeeksOutsideTheItemStopAtItsEnds) {
    ASSERT_TRUE(player.seek(-3));
    EXPECT_NEAR(player.position(), 0.0, 0.05);
    ASSERT_TRUE(player.seek(99));  // its end: the item ends as if played
    player.controls().play();
    EXPECT_TRUE(waitFor(player, S::MediaEnded));
    EXPECT_LT(readCapture(capture).left.size(), size_t{kRate / 10});
    ASSERT_EQ(player.error().errorCount(), 0) << player.error().item(0).errorDescription;
}

TEST_F(Position, StoppedNothingMovesAndPlayingItAdvances) {
    player.controls().stop();
    EXPECT_FALSE(player.seek(1.0));
    EXPECT_EQ(player.position(), 0.0);
    GstMediaPlayer realtime(nullptr, nullptr, kRealtimeSink);
    realtime.setCurrentPlaylist(playlistOf({clockFile()}));
    ASSERT_TRUE(waitFor(realtime, S::Playing));
    std::this_thread::sleep_for(300ms);
    const double position = realtime.position();
    EXPECT_GT(position, 0.2);
    EXPECT_LT(position, 1.5);
    EXPECT_EQ(realtime.currentIndex(), 0);
}

}  // namespace
}  // namespace lumo::platform::gst::testing
