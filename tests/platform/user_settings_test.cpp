// The per-user settings store on a real INI file in a temporary home.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>

#include "platform/user_settings.h"
#include "tests/support/child_process.h"
#include "tests/temp_folder.h"

namespace lumo::platform {
namespace {

class UserSettingsTest : public ::testing::Test {
protected:
    lumo::testing::TempFolder home;
    void SetUp() override {
        ::setenv("HOME", home.path().c_str(), 1);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_MUSIC_DIR"})
            ::unsetenv(name);
    }
};

// Values round trip through one file per application.
TEST_F(UserSettingsTest, BaseFoldersFollowTheEnvironmentAndTheirFallbacks) {
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

    EXPECT_EQ(settingsFileOf("LUMO Player"), home / ".config/lumo/LUMO Player.ini");
    EXPECT_FALSE(readSetting("LUMO Player", "Settings", "MBLog").has_value());
    ASSERT_TRUE(writeSetting("LUMO Player", "Settings", "INSTALLDIR", "/opt/lumo"));
    EXPECT_EQ(readSetting("LUMO Player", "Settings", "INSTALLDIR"), "/opt/lumo");
    // Rewrites of the same size, faster than the file system's clock ticks,
    // each read back at once.
    for (const char* value : {"7", "1", "7", "1", "7", "1", "7", "1"}) {
        ASSERT_TRUE(writeSetting("LUMO Audio", "Settings", "ShuffleMode", value));
        EXPECT_EQ(readSetting("LUMO Audio", "Settings", "ShuffleMode"), value);
    }
    EXPECT_FALSE(readSetting("LUMO Audio", "Settings", "INSTALLDIR").has_value());  // one file per application
    // Lists as users write them.
    std::ofstream(settingsFileOf("LUMO Player"), std::ios::app) << "[Library]\nMusicFolders=/music/a, /music/b\n";
    EXPECT_EQ(readListSetting("LUMO Player", "Library", "MusicFolders"),
              (std::vector<std::string>{"/music/a", "/music/b"}));
    EXPECT_TRUE(readListSetting("LUMO Player", "Library", "Missing").empty());

    ::setenv("XDG_CONFIG_HOME", (home / "conf").c_str(), 1);
    ASSERT_TRUE(writeSetting("LUMO Player", "Settings", "INSTALLDIR", "/srv"));
    EXPECT_TRUE(std::filesystem::exists(home / "conf/lumo/LUMO Player.ini"));
}

// Two processes (a host and the settings dialog, say) each write keys of
// their own, all at the same moment: no write is lost to the other's, and
// the file stays one a reader can read whole.
TEST_F(UserSettingsTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int keys = 40;
    const auto key = [](int writer, int k) { return "W" + std::to_string(writer) + "K" + std::to_string(k); };
    ASSERT_TRUE(writeSetting("LUMO Player", "Shared", "Before", "kept"));
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    pid_t writers[2];
    for (int writer = 0; writer < 2; ++writer) {
        writers[writer] = ::fork();
        ASSERT_GE(writers[writer], 0);
        if (writers[writer] == 0) {
            ::close(gate[1]);
            char go;
            (void)::read(gate[0], &go, 1);  // both start when the parent closes the gate
            int failed = 0;
            for (int k = 0; k < keys; ++k)
                failed += !writeSetting("LUMO Player", "Shared", key(writer, k), "value of " + key(writer, k));
            ::_exit(failed);
        }
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t writer : writers)
        EXPECT_EQ(lumo::testing::waitForChild(writer, std::chrono::seconds(60), "a writer").status, 0);
    for (int writer = 0; writer < 2; ++writer)
        for (int k = 0; k < keys; ++k)
            EXPECT_EQ(readSetting("LUMO Player", "Shared", key(writer, k)), "value of " + key(writer, k)) << "lost";
    EXPECT_EQ(readSection("LUMO Player", "Shared").size(), size_t{2 * keys + 1});
    // One section header, then only key=value lines; no copy left beside it.
    const std::regex entry(R"([A-Za-z0-9]+=.*)");
    int sections = 0, entries = 0;
    for (const std::string& line : lumo::testing::linesOf(lumo::testing::bytesOf(settingsFileOf("LUMO Player")))) {
        sections += line == "[Shared]";
        const bool isEntry = std::regex_match(line, entry);
        entries += isEntry;
        EXPECT_TRUE(isEntry || line.empty() || line == "[Shared]") << line;
    }
    EXPECT_EQ(std::pair(sections, entries), std::pair(1, 2 * keys + 1)) << "sections, entries";
    const std::filesystem::directory_iterator folder(settingsFileOf("x").parent_path());
    EXPECT_EQ(std::distance(begin(folder), end(folder)), 1);
}

}  // namespace
}  // namespace lumo::platform
