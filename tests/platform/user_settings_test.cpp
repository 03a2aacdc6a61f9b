// The per-user settings store on a real INI file in a temporary home.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/user_settings.h"

namespace lumo::platform {
namespace {

class UserSettingsTest : public ::testing::Test {
protected:
    std::filesystem::path home;
    void SetUp() override {
        home = std::filesystem::temp_directory_path() / ("lumo-settings-" + std::to_string(::getpid()));
        std::filesystem::remove_all(home);
        std::filesystem::create_directories(home);
        ::setenv("HOME", home.c_str(), 1);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_MUSIC_DIR"})
            ::unsetenv(name);
    }
    void TearDown() override { std::filesystem::remove_all(home); }
};

TEST_F(UserSettingsTest, ValuesRoundTripThroughTheApplicationsFile) {
    EXPECT_EQ(settingsFileOf("LUMO Player"), home / ".config/lumo/LUMO Player.ini");
    EXPECT_FALSE(readSetting("LUMO Player", "Settings", "MBLog").has_value());
    ASSERT_TRUE(writeSetting("LUMO Player", "Settings", "INSTALLDIR", "/opt/lumo"));
    ASSERT_TRUE(writeSetting("LUMO Audio", "Settings", "ShuffleMode", "1"));
    EXPECT_EQ(readSetting("LUMO Player", "Settings", "INSTALLDIR"), "/opt/lumo");
    EXPECT_EQ(readSetting("LUMO Audio", "Settings", "ShuffleMode"), "1");
    EXPECT_FALSE(readSetting("LUMO Audio", "Settings", "INSTALLDIR").has_value());  // one file per application
    // Rewrites of the same size, faster than the file system's clock ticks,
    // each read back at once.
    for (const char* value : {"7", "1", "7", "1", "7", "1", "7", "1"}) {
        ASSERT_TRUE(writeSetting("LUMO Audio", "Settings", "ShuffleMode", value));
        EXPECT_EQ(readSetting("LUMO Audio", "Settings", "ShuffleMode"), value);
    }

    ::setenv("XDG_CONFIG_HOME", (home / "conf").c_str(), 1);
    EXPECT_FALSE(readSetting("LUMO Player", "Settings", "INSTALLDIR").has_value());
    ASSERT_TRUE(writeSetting("LUMO Player", "Settings", "INSTALLDIR", "/srv"));
    EXPECT_TRUE(std::filesystem::exists(home / "conf/lumo/LUMO Player.ini"));
}

TEST_F(UserSettingsTest, ListsAsUsersWriteThem) {
    std::filesystem::create_directories(home / ".config/lumo");
    std::ofstream(home / ".config/lumo/LUMO Player.ini")
        << "[Library]\nMusicFolders=/music/a, /music/b\nPlaylistFolders=/lists\n[Audio]\nSink=fakesink sync=true\n";
    EXPECT_EQ(readListSetting("LUMO Player", "Library", "MusicFolders"),
              (std::vector<std::string>{"/music/a", "/music/b"}));
    EXPECT_EQ(readListSetting("LUMO Player", "Library", "PlaylistFolders"), std::vector<std::string>{"/lists"});
    EXPECT_TRUE(readListSetting("LUMO Player", "Library", "Missing").empty());
    EXPECT_EQ(readSetting("LUMO Player", "Audio", "Sink"), "fakesink sync=true");
}

TEST_F(UserSettingsTest, BaseFoldersFollowTheEnvironmentAndTheirFallbacks) {
    EXPECT_EQ(xdgDataHome(), home / ".local/share");
    EXPECT_EQ(xdgCacheHome(), home / ".cache");
    EXPECT_EQ(xdgMusicDir(), home / "Music");
    ::setenv("XDG_CACHE_HOME", "relative/cache", 1);  // relative values are ignored
    EXPECT_EQ(xdgCacheHome(), home / ".cache");
    ::setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(xdgDataHome(), "/data");

    std::filesystem::create_directories(home / ".config");
    std::ofstream(home / ".config/user-dirs.dirs") << "# written by xdg-user-dirs-update\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n";
    EXPECT_EQ(xdgMusicDir(), home / "Musik");
    ::setenv("XDG_MUSIC_DIR", "/mnt/music", 1);
    EXPECT_EQ(xdgMusicDir(), "/mnt/music");
}

}  // namespace
}  // namespace lumo::platform
