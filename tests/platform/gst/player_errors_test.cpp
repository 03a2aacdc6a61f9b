// Items that cannot play: one error item each, of the right class, naming the
// item; the player stopped afterwards. And audio outputs that cannot open.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "gst_test_support.h"
#include "platform/gst/error_classes.h"

namespace lumo::platform::gst::testing {
namespace {

using S = PlayState;

struct BadItem {
    const char* name;
    std::string (*makeUrl)();  // files are made when the test runs, not when it is listed
    ErrorClass failure;
};

class BadItems : public ::testing::TestWithParam<BadItem> {};

TEST_P(BadItems, QueueOneErrorNamingTheItem) {
    const BadItem& bad = GetParam();
    const std::string url = bad.makeUrl();
    GstMediaPlayer player(nullptr, nullptr, kFastSink);
    player.settings().setAutoStart(false);
    player.setCurrentMedia(std::make_shared<TestMedia>(bad.name, url));
    const auto seen = watch(player, [&](S) { return player.error().errorCount() > 0; });
    std::this_thread::sleep_for(200ms);  // nothing more arrives
    ASSERT_EQ(player.error().errorCount(), 1);
    EXPECT_EQ(player.playState(), S::Stopped);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), S::Ready), 0);

    const ErrorItem error = player.error().item(0);
    EXPECT_EQ(error.condition, static_cast<int32_t>(bad.failure)) << error.errorDescription;
    EXPECT_EQ(error.errorCode, errorCodeOf(bad.failure));
    EXPECT_LT(error.errorCode, 0);
    EXPECT_EQ(error.customUrl, url);
    EXPECT_NE(error.errorDescription.find(url), std::string::npos) << error.errorDescription;
    EXPECT_FALSE(error.errorContext.empty());

    player.controls().play();  // tries again, fails again, once
    watch(player, [&](S) { return player.error().errorCount() > 1; }, 2000ms);
    EXPECT_EQ(player.error().errorCount(), 2);
    EXPECT_EQ(player.playState(), S::Stopped);
    player.error().clearErrorQueue();
    EXPECT_EQ(player.error().errorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Player, BadItems,
    ::testing::Values(
        BadItem{"Missing", [] { return uriOf(files().folder / "missing.wav"); }, ErrorClass::NotFound},
        BadItem{"Garbage", [] { return uriOf(files().garbage); }, ErrorClass::Format},
        BadItem{"NoDecoder", [] { return uriOf(files().midi); }, ErrorClass::Format},
        BadItem{"Truncated", [] { return uriOf(files().truncatedFlac); }, ErrorClass::Corrupt},
        BadItem{"Unreachable", [] { return std::string("http://127.0.0.1:9/song.mp3"); }, ErrorClass::Network},
        BadItem{"UnknownScheme", [] { return std::string("nosuchscheme://host/song.mp3"); },
                ErrorClass::UnsupportedScheme},
        BadItem{"NotAUri", [] { return std::string("song.mp3"); }, ErrorClass::UnsupportedScheme}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ItemErrors, AnItemWithoutSourceIsNotFound) {
    GstMediaPlayer player(nullptr, nullptr, kFastSink);
    player.setCurrentMedia(std::make_shared<TestMedia>("nothing", ""));
    ASSERT_EQ(player.error().errorCount(), 1);
    EXPECT_EQ(player.error().item(0).condition, static_cast<int32_t>(ErrorClass::NotFound));
    EXPECT_NE(player.error().item(0).errorDescription.find("nothing"), std::string::npos);
    EXPECT_EQ(player.playState(), S::Stopped);
}

TEST(ItemErrors, AFailingNextItemIsReportedAndBecomesCurrent) {
    GstMediaPlayer player(nullptr, nullptr, kRealtimeSink);
    player.settings().setAutoStart(true);
    const std::string missing = uriOf(files().folder / "gone.wav");
    player.setCurrentPlaylist(std::make_shared<TestPlaylist>(
        std::vector<MediaPtr>{mediaOf(files().tones[0]), std::make_shared<TestMedia>("gone", missing),
                              mediaOf(files().tones[1])}));
    const auto seen = watch(player, [&](S) { return player.error().errorCount() > 0; });
    EXPECT_NE(std::find(seen.begin(), seen.end(), S::Playing), seen.end());
    ASSERT_EQ(player.error().errorCount(), 1);
    EXPECT_EQ(player.error().item(0).customUrl, missing);
    EXPECT_EQ(player.playState(), S::Stopped);
    EXPECT_EQ(currentName(player), "gone");
    player.controls().next();  // the user moves on
    player.controls().play();
    EXPECT_TRUE(waitFor(player, S::Playing));
    EXPECT_EQ(currentName(player), "tone1");
}

// A server that takes connections and never answers: an item there never
// opens.
class SilentServer {
public:
    SilentServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(listener_, 8), 0);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(listener_); }  // the unanswered connections wait in its backlog
    std::string uri() const { return "http://127.0.0.1:" + std::to_string(port_) + "/song.mp3"; }

private:
    int listener_ = -1;
    int port_ = 0;
};

TEST(ItemErrors, AnItemThatNeverOpensFailsWithinTheLimitAndTheNextPlays) {
    SilentServer server;
    EngineLimits limits;
    limits.openLimit = 1s;
    GstMediaPlayer player(nullptr, nullptr, kRealtimeSink, {}, limits);
    player.settings().setAutoStart(true);
    player.setCurrentPlaylist(std::make_shared<TestPlaylist>(
        std::vector<MediaPtr>{std::make_shared<TestMedia>("silent", server.uri()), mediaOf(files().tones[0])}));
    EXPECT_EQ(player.playState(), S::Transitioning);
    watch(player, [&](S) { return player.error().errorCount() > 0; });
    ASSERT_EQ(player.error().errorCount(), 1);
    const ErrorItem error = player.error().item(0);
    EXPECT_EQ(error.condition, static_cast<int32_t>(ErrorClass::Network)) << error.errorDescription;
    EXPECT_NE(error.errorDescription.find("did not open within 1 second"), std::string::npos) << error.errorDescription;
    EXPECT_EQ(player.playState(), S::Stopped);
    player.controls().next();
    player.controls().play();
    EXPECT_TRUE(waitFor(player, S::Playing));
    EXPECT_EQ(currentName(player), "tone0");
}

// Sinks that cannot be made, or fail only when the item opens: the player
// plays on a fake sink at the real pace and queues nothing.
class BrokenSinks : public ::testing::TestWithParam<std::string> {};

TEST_P(BrokenSinks, FallBackToAFakeSink) {
    GstMediaPlayer player(nullptr, nullptr, GetParam());
    player.settings().setAutoStart(false);
    player.setCurrentPlaylist(playlistOf({files().wav}));
    EXPECT_TRUE(waitFor(player, S::Ready));
    player.controls().play();
    EXPECT_TRUE(waitFor(player, S::Playing));
    EXPECT_TRUE(waitFor(player, S::MediaEnded));
    EXPECT_EQ(player.error().errorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Player, BrokenSinks,
                         ::testing::Values("nosuchsink", "audioconvert ! nosuchsink",
                                           "filesink location=/nonexistent-folder/out.raw"));

}  // namespace
}  // namespace lumo::platform::gst::testing
