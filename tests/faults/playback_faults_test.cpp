// Files that go away while the player uses them: a music file deleted after
// its playlist was listed, and a disc image removed while its drive plays.
// Each becomes one error item naming the item, the player stops there and
// plays on when asked, the drive then reads as empty, and no playlist or
// settings file is written.
#include "../platform/library/media_files.h"
#include "fault_support.h"
#include "failsafe/runtime_error.h"
#include "platform/gst/error_classes.h"
#include "platform/gst/gst_media_player.h"
#include "platform/library/media_library.h"
#include "platform/library/text.h"
#include "platform/linux/cd_collection.h"

namespace lumo::faults::testing {
namespace {

using platform::MediaPlayer;
using platform::PlayState;

// The names of the items that played, in order, until `done` holds (at
// most 20 s: a player that never gets there has failed).
template <class Done>
std::vector<std::string> playUntil(MediaPlayer& player, Done done) {
    std::vector<std::string> played;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        // `done` first: a state reached between the two reads is still recorded.
        const bool finished = done();
        const auto media = player.currentMedia();
        if (player.playState() == PlayState::Playing && media && (played.empty() || played.back() != media->name()))
            played.push_back(media->name());
        if (finished) break;
        std::this_thread::sleep_for(2ms);
    }
    return played;
}

TEST(PlaybackFaults, AFileDeletedAfterItsPlaylistWasListedIsOneErrorAndTheUserCanMoveOn) {
    TempFolder root;
    const fs::path music = root / "music", lists = root / "lists";
    for (const char* name : {"a", "b", "c"}) platform::library::testing::writeWav(music / (std::string(name) + ".wav"), 0.3);
    writeBytes(lists / "mix.m3u", "../music/a.wav\n../music/b.wav\n../music/c.wav\n");
    const std::string listed = bytesOf(lists / "mix.m3u");

    platform::library::LibraryHooks quiet;
    quiet.log = [](std::string) {};
    auto library = std::make_shared<platform::library::MediaLibrary>(
        platform::library::LibraryConfig{{music}, {lists}, root / "index.sqlite"}, quiet);
    const auto playlists = library->getByName("mix");
    ASSERT_EQ(playlists->count(), 1);
    const auto playlist = playlists->item(0);
    ASSERT_EQ(playlist->count(), 3);
    const std::string goneUri = playlist->item(1)->getItemInfo("SourceURL");
    fs::remove(music / "b.wav");

    platform::gst::GstMediaPlayer player(library, nullptr, "fakesink sync=true");
    player.settings().setAutoStart(true);
    player.setCurrentPlaylist(playlist);
    const auto played = playUntil(player, [&] { return player.error().errorCount() > 0; });
    EXPECT_EQ(played, std::vector<std::string>{"a"});
    ASSERT_EQ(player.error().errorCount(), 1);
    const platform::ErrorItem error = player.error().item(0);
    EXPECT_EQ(error.condition, static_cast<int32_t>(platform::gst::ErrorClass::NotFound)) << error.errorDescription;
    EXPECT_EQ(error.customUrl, goneUri);
    EXPECT_EQ(player.playState(), PlayState::Stopped);
    EXPECT_EQ(player.currentMedia()->name(), "b");

    player.controls().next();
    player.controls().play();
    EXPECT_EQ(playUntil(player, [&] { return player.playState() == PlayState::Playing; }),
              std::vector<std::string>{"c"});
    EXPECT_EQ(player.error().errorCount(), 1);
    EXPECT_EQ(bytesOf(lists / "mix.m3u"), listed) << "the playlist file was written";
}

// A CUE sheet over one BIN file: one audio track of `seconds`.
fs::path makeDisc(const fs::path& folder, int seconds) {
    writeBytes(folder / "disc.bin", std::string(size_t(seconds) * 75 * 2352, '\x11'));
    writeBytes(folder / "disc.cue", "FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    return folder / "disc.cue";
}

TEST(PlaybackFaults, ADiscImageRemovedWhileItsDrivePlaysEndsTheTrackWithAnErrorAndTheDriveIsEmpty) {
    TempFolder root;
    const fs::path sheet = makeDisc(root / "images", 8);
    writeBytes(root / "config/lumo/LUMO Player.ini", "[Drives]\nD=" + sheet.string() + "\n");
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    const std::string settings = bytesOf(root / "config/lumo/LUMO Player.ini");
    std::vector<std::string> noted;
    auto drives = std::make_shared<platform::linux_drives::LinuxDriveService>(
        std::vector<std::string>{}, [&](const std::string& line) { noted.push_back(line); });
    auto cds = std::make_shared<platform::linux_drives::LinuxCdromCollection>(drives);
    ASSERT_EQ(cds->count(), 1);
    const auto disc = cds->item(0)->playlist();
    ASSERT_EQ(disc->count(), 1);

    platform::gst::GstMediaPlayer player(nullptr, cds, "fakesink sync=true");
    player.settings().setAutoStart(true);
    player.setCurrentPlaylist(disc);
    const auto played = playUntil(player, [&] { return player.playState() == PlayState::Playing; });
    ASSERT_EQ(played.size(), 1u);
    fs::remove(root / "images/disc.bin");
    fs::remove(sheet);
    playUntil(player, [&] {
        return player.error().errorCount() > 0 || player.playState() == PlayState::MediaEnded;
    });
    ASSERT_EQ(player.error().errorCount(), 1) << "the track went on from a removed image";
    const platform::ErrorItem error = player.error().item(0);
    EXPECT_LT(error.errorCode, 0);
    EXPECT_EQ(error.customUrl, disc->item(0)->getItemInfo("SourceURL"));
    EXPECT_FALSE(error.errorDescription.empty());
    EXPECT_NE(player.playState(), PlayState::Playing);

    const auto drive = drives->drives().at(1);
    EXPECT_EQ(drive->driveLetter(), "D");
    EXPECT_FALSE(drive->isReady());
    EXPECT_THROW(drive->volumeName(), failsafe::RuntimeError);
    EXPECT_THROW(cds->item(0)->playlist(), failsafe::RuntimeError) << "an empty drive has no disc to list";
    EXPECT_EQ(bytesOf(root / "config/lumo/LUMO Player.ini"), settings) << "the drive's letter was rewritten";
}

// An item whose file never opens, as on a stalled network mount: after the
// player's limit it is one error naming the item, the user moves on and the
// next item plays, and letting the player go does not wait for the thread
// that is still stuck.
class StalledOpen : public HelperTest {};

TEST_F(StalledOpen, AnItemWhoseOpeningNeverReturnsFailsAndTheNextOnePlays) {
    const fs::path stalled = root / "stalled.wav", next = root / "next.wav";
    platform::library::testing::writeWav(stalled, 0.3);
    platform::library::testing::writeWav(next, 0.3);
    std::vector<std::string> env = environment();
    env.push_back(preload());
    env.push_back("LUMO_FAULT_STALL=" + stalled.string());
    const fs::path folder = nextRunFolder();
    const std::string stalledUri = platform::library::fileUri(stalled.string());
    const Finished run =
        finish(start({"stalled", stalledUri, platform::library::fileUri(next.string())}, env, folder), folder);
    EXPECT_EQ(run.status, 0) << run.dump();
    const std::vector<std::string> errors = run.said("error");
    ASSERT_EQ(errors.size(), 1u) << run.dump();
    EXPECT_TRUE(errors[0].starts_with("1 ")) << errors[0];
    EXPECT_NE(errors[0].find(stalledUri), std::string::npos) << errors[0];
    EXPECT_TRUE(run.saidLine("state 1")) << run.dump();
    EXPECT_TRUE(run.saidLine("next plays")) << run.dump();
    EXPECT_TRUE(run.saidLine("released")) << run.dump();
}

}  // namespace
}  // namespace lumo::faults::testing
