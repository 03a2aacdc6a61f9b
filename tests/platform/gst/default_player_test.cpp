// The player users run, put together from the user's settings: the media
// library's playlists play, and its CD drives are the drive service's.
#include <cstdlib>

#include "platform/gst/default_player.h"
#include "platform/gst/playable_types.h"
#include "platform/user_settings.h"
#include "tests/platform/gst/gst_test_support.h"

namespace lumo::platform::gst {
namespace {

using namespace testing;
namespace fs = std::filesystem;

TEST(DefaultPlayer, PlaysTheLibraryOfTheSettingsAndKnowsTheDrives) {
    const fs::path home = fs::temp_directory_path() / ("lumo-default-player-" + std::to_string(::getpid()));
    fs::remove_all(home);
    fs::create_directories(home / "music");
    fs::create_directories(home / "lists");
    ::setenv("HOME", home.c_str(), 1);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"}) ::unsetenv(name);
    ::setenv("LUMO_AUDIO_SINK", kRealtimeSink, 1);
    fs::copy_file(files().tones[0], home / "music/first.wav");
    fs::copy_file(files().tones[1], home / "music/second.wav");
    std::ofstream(home / "lists/Evening.m3u") << "#EXTM3U\n../music/first.wav\n../music/second.wav\n";
    std::ofstream(home / "disc.cue") << "FILE \"disc.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                        "TRACK 02 AUDIO\nINDEX 01 00:01:00\n";
    std::ofstream(home / "disc.bin").close();
    fs::resize_file(home / "disc.bin", 150 * 2352);
    writeSetting("LUMO Player", "Library", "MusicFolders", (home / "music").string());
    writeSetting("LUMO Player", "Library", "PlaylistFolders", (home / "lists").string());
    writeSetting("LUMO Player", "Drives", "D", (home / "disc.cue").string());

    auto drives = std::make_shared<linux_drives::LinuxDriveService>(std::vector<std::string>{}, nullptr);
    std::unique_ptr<MediaPlayer> player = createMediaPlayer(drives);
    player->settings().setAutoStart(false);

    const PlaylistArrayPtr evening = player->playlistCollection().getByName("Evening");
    ASSERT_EQ(evening->count(), 1);
    player->setCurrentPlaylist(evening->item(0));
    EXPECT_TRUE(waitFor(*player, PlayState::Ready));
    EXPECT_EQ(player->currentPlaylist()->count(), 2);
    player->controls().play();
    EXPECT_TRUE(waitFor(*player, PlayState::Playing));
    EXPECT_EQ(player->error().errorCount(), 0);

    ASSERT_EQ(player->cdromCollection().count(), 1);
    EXPECT_EQ(player->cdromCollection().item(0)->driveSpecifier(), drives->drives()[1]->driveLetter() + ":");
    EXPECT_EQ(player->cdromCollection().item(0)->playlist()->count(), 2);
    EXPECT_EQ(drives->drives()[1]->volumeName(), "Audio CD");

    // The disc's second track plays from the image.
    const PlaylistPtr disc = player->cdromCollection().item(0)->playlist();
    player->setCurrentPlaylist(disc);
    player->setCurrentMedia(disc->item(1));
    player->controls().play();
    EXPECT_TRUE(waitFor(*player, PlayState::Playing));
    EXPECT_EQ(currentName(*player), "Track 2");
    EXPECT_EQ(player->error().errorCount(), 0);

    player.reset();
    ::unsetenv("LUMO_AUDIO_SINK");
    fs::remove_all(home);
}

// The types offered to the desktop follow the registry: a decoder taken out
// of playbin's reach takes its type with it, and brings it back.
TEST(PlayableTypes, FollowTheInstalledDecoders) {
    const auto has = [](const char* type) {
        const std::vector<std::string> types = playableMimeTypes();
        return std::find(types.begin(), types.end(), type) != types.end();
    };
    for (const char* type : {"audio/mpeg", "audio/flac", "audio/x-vorbis+ogg", "audio/x-wav"}) EXPECT_TRUE(has(type)) << type;
    // Every FLAC decoder out of the ranks (libav brings one of its own).
    GstCaps* flacCaps = gst_caps_from_string("audio/x-flac");
    GList* decoders = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_NONE);
    std::vector<std::pair<GstPluginFeature*, guint>> lowered;
    for (GList* item = decoders; item; item = item->next)
        if (gst_element_factory_can_sink_any_caps(GST_ELEMENT_FACTORY(item->data), flacCaps)) {
            GstPluginFeature* feature = GST_PLUGIN_FEATURE(item->data);
            lowered.emplace_back(feature, gst_plugin_feature_get_rank(feature));
            gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
        }
    ASSERT_FALSE(lowered.empty());
    EXPECT_FALSE(has("audio/flac"));
    EXPECT_TRUE(has("audio/mpeg"));
    for (const auto& [feature, rank] : lowered) gst_plugin_feature_set_rank(feature, rank);
    gst_plugin_feature_list_free(decoders);
    gst_caps_unref(flacCaps);
    EXPECT_TRUE(has("audio/flac"));
}

}  // namespace
}  // namespace lumo::platform::gst
