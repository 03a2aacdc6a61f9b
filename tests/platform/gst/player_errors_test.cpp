// Items that cannot play: one error item each, of the right class, naming the
// item; the player stopped afterwards. (A failing item in the middle of a
// playlist and outputs that cannot open: tests/faults/.)

#include "gst_test_support.h"
#include "platform/gst/error_classes.h"
#include "tests/support/raised.h"

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
    // Assigned as the check does, the playlist and then its first item: the
    // item is opened once, even when it failed in between.
    const MediaPtr media = std::make_shared<TestMedia>(bad.name, url);
    player.setCurrentPlaylist(std::make_shared<TestPlaylist>(std::vector<MediaPtr>{media}));
    const auto seen = watch(player, [&](S) { return player.error().errorCount() > 0; });
    player.setCurrentMedia(media);
    std::this_thread::sleep_for(300ms);  // nothing more arrives
    ASSERT_EQ(player.error().errorCount(), 1);
    EXPECT_EQ(player.playState(), S::Stopped);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), S::Ready), 0);

    const ErrorItem error = player.error().item(0);
    EXPECT_EQ(error.condition, static_cast<int32_t>(bad.failure)) << error.errorDescription;
    EXPECT_EQ(error.errorCode, errorCodeOf(bad.failure));
    EXPECT_EQ(error.customUrl, url);
    EXPECT_NE(error.errorDescription.find("'" + url + "'"), std::string::npos) << error.errorDescription;
    EXPECT_FALSE(error.errorContext.empty());

    player.error().clearErrorQueue();
    player.setCurrentMedia(media);  // the failure seen, assigning the item tries it again
    watch(player, [&](S) { return player.error().errorCount() > 0; }, 2000ms);
    player.controls().play();  // and so does play, once
    watch(player, [&](S) { return player.error().errorCount() > 1; }, 2000ms);
    EXPECT_EQ(player.error().errorCount(), 2);
    EXPECT_EQ(player.playState(), S::Stopped);
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

// What a player without a library or drives does not have, an error item
// past the queue and a mode it does not know raise, each with its number.
TEST(PlayerWithoutLibrary, WhatIsNotThereRaisesAndTheVersionIsGStreamers) {
    GstMediaPlayer player(nullptr, nullptr, kFastSink);
    EXPECT_EQ(player.versionInfo().rfind("GStreamer ", 0), 0u) << player.versionInfo();
    using lumo::testing::numberRaisedBy;
    const int32_t outOfRange = failsafe::error::SubscriptOutOfRange;
    EXPECT_EQ(numberRaisedBy([&] { player.playlistCollection().getAll()->item(0); }), outOfRange);
    EXPECT_EQ(numberRaisedBy([&] { player.playlistCollection().getByName("Jazz")->item(0); }), outOfRange);
    EXPECT_EQ(numberRaisedBy([&] { player.cdromCollection().item(0); }), outOfRange);
    EXPECT_EQ(numberRaisedBy([&] { player.error().item(0); }), outOfRange);
    EXPECT_EQ(numberRaisedBy([&] { player.settings().getMode("sideways"); }), failsafe::error::InvalidProcedureCall);
}

// Where an error was raised and what GStreamer calls it decide its class.
TEST(ErrorClasses, TheRaisingElementAndTheErrorDecideTheClass) {
    const struct {
        FailureFacts facts;
        ErrorClass expected;
    } cases[] = {
        {{GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND}, ErrorClass::Format},
        {{GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE}, ErrorClass::Corrupt},
        {{GST_STREAM_ERROR, GST_STREAM_ERROR_DECODE, false, false, false, true}, ErrorClass::Device},
        {{GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NOT_AUTHORIZED}, ErrorClass::NotFound},
        {{GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, true}, ErrorClass::Network},
        {{GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NO_SPACE_LEFT}, ErrorClass::Other},
        {{g_quark_from_static_string("elsewhere"), 1}, ErrorClass::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(classify(c.facts), c.expected) << g_quark_to_string(c.facts.domain) << " " << c.facts.code;
}

}  // namespace
}  // namespace lumo::platform::gst::testing
