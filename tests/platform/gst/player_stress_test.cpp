// Controls pressed quickly while short items switch without a gap: the
// pipeline's state changes must never meet playbin switching on a streaming
// thread (handover.h). A hang fails the test through a watchdog. The short
// run is part of every test run; LUMO_STRESS=1 (make stress) runs the long one.

#include <array>
#include <cstdlib>
#include <future>
#include <random>

#include "gst_test_support.h"

namespace lumo::platform::gst::testing {
namespace {

TEST(Stress, ControlsDuringGaplessSwitchesNeverHang) {
    std::promise<void> finished;
    std::thread watchdog([done = finished.get_future()] {
        if (done.wait_for(std::chrono::seconds(60)) == std::future_status::ready) return;
        std::fprintf(stderr, "the player hung\n");
        std::abort();
    });
    std::mt19937 random(20240601);
    {
        GstMediaPlayer player(nullptr, nullptr, kRealtimeSink);
        player.settings().setMode("loop", true);
        const PlaylistPtr playlist = playlistOf(tones(3));
        player.setCurrentPlaylist(playlist);
        for (int i = 0, presses = std::getenv("LUMO_STRESS") ? 1500 : 300; i < presses; ++i) {
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
            const unsigned which = random() % 7;
            if (which == 5) player.setCurrentMedia(playlist->item(static_cast<int32_t>(random() % 3)));
            if (which < 5) (player.controls().*std::array{&Controls::next, &Controls::previous, &Controls::play,
                                                         &Controls::pause, &Controls::stop}[which])();
        }
        player.controls().play();
        EXPECT_TRUE(waitFor(player, PlayState::Playing));
        EXPECT_EQ(player.error().errorCount(), 0)
            << (player.error().errorCount() ? player.error().item(0).errorDescription : "");
    }
    finished.set_value();
    watchdog.join();
}

}  // namespace
}  // namespace lumo::platform::gst::testing
