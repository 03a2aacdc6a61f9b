// Controls pressed quickly while short items switch without a gap: the
// pipeline's state changes must never meet playbin switching on a streaming
// thread (handover.h). A hang fails the test through a watchdog.

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <random>

#include "gst_test_support.h"
#include "platform/gst/handover.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;

class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, limit, [&] { return finished_; })) {
                  std::fprintf(stderr, "the player hung\n");
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

// The short run is part of every test run; LUMO_STRESS=1 (make stress) runs
// the long one.
TEST(Stress, ControlsDuringGaplessSwitchesNeverHang) {
    const int presses = std::getenv("LUMO_STRESS") ? 1500 : 300;
    Watchdog watchdog(std::chrono::seconds(60));
    std::mt19937 random(20240601);
    GstMediaPlayer player(nullptr, nullptr, kRealtimeSink);
    player.settings().setMode("loop", true);
    const PlaylistPtr playlist = playlistOf(tones(3));
    player.setCurrentPlaylist(playlist);
    for (int i = 0; i < presses; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        switch (random() % 7) {
            case 0: player.controls().next(); break;
            case 1: player.controls().previous(); break;
            case 2: player.controls().play(); break;
            case 3: player.controls().pause(); break;
            case 4: player.controls().stop(); break;
            case 5: player.setCurrentMedia(playlist->item(static_cast<int32_t>(random() % 3))); break;
            default: player.playState(); break;
        }
    }
    player.controls().play();
    EXPECT_TRUE(waitFor(player, S::Playing));
    EXPECT_EQ(player.error().errorCount(), 0)
        << (player.error().errorCount() ? player.error().item(0).errorDescription : "");
}

TEST(Handover, AClosedGateStopsDrainsAndAnOpenOneIsWaitedFor) {
    Handover handover;
    EXPECT_FALSE(handover.drainBegins());  // closed: playbin never sees the drain
    handover.open(Handover::Next{4, "file:///next.wav"});
    ASSERT_TRUE(handover.drainBegins());
    EXPECT_EQ(handover.takeNext(), "file:///next.wav");
    EXPECT_EQ(handover.takeNext(), std::nullopt);  // one item at a time
    handover.close();
    std::atomic<bool> landed = false;
    std::thread streaming([&] {
        std::this_thread::sleep_for(50ms);
        landed = true;
        handover.drainEnds();
    });
    EXPECT_TRUE(handover.waitForLanding(10s));
    EXPECT_TRUE(landed);
    streaming.join();
    EXPECT_EQ(handover.takeQueued(), 4);
    EXPECT_EQ(handover.takeQueued(), std::nullopt);
}

TEST(Handover, ASwitchThatNeverLandsIsGivenUpOnce) {
    Handover handover;
    handover.open(std::nullopt);
    ASSERT_TRUE(handover.drainBegins());  // its end never comes
    handover.close();
    EXPECT_FALSE(handover.waitForLanding(10ms));
    // Were it still waited for, this would block for a minute and the test
    // would run out of time.
    EXPECT_TRUE(handover.waitForLanding(std::chrono::minutes(1)));
    handover.drainEnds();  // ending late leaves nothing in flight behind
    EXPECT_TRUE(handover.waitForLanding(0ms));
}

TEST(Handover, AnItemThatCannotOpenIsNotHandedOver) {
    Handover handover([](const std::string& uri) { return uri != "file:///gone.wav"; });
    handover.open(Handover::Next{1, "file:///gone.wav"});
    EXPECT_EQ(handover.takeNext(), std::nullopt);
    EXPECT_EQ(handover.takeQueued(), std::nullopt);
}

}  // namespace
}  // namespace lumo::platform::gst::testing
