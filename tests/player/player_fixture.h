#pragma once
// A player host of its own for each test: a fresh home with its settings,
// disc images under drive letters, a media library of playlist files, and
// either the real player or a scripted one.

#include <cstdlib>
#include <fstream>

#include "common/codes.h"
#include "common/shared_fso.h"
#include "platform/backends/backends.h"
#include "platform/simulated/simulated_player.h"
#include "platform/user_settings.h"
#include "player/audio_player_host.h"
#include "tests/failsafe/test_support.h"
#include "tests/support/generated_media.h"

namespace lumo::player::testing {

namespace fs = std::filesystem;
using platform::linux_drives::LinuxDriveService;
using platform::simulated::Scenario;
using platform::simulated::SimulatedPlayer;

inline std::shared_ptr<LinuxDriveService> settingsDrives() {
    return std::make_shared<LinuxDriveService>(std::vector<std::string>{}, nullptr);
}

class PlayerHostTest : public failsafe::testing::FrameworkTest {
protected:
    fs::path home;
    int asked = 0;  // errors that reached the framework's error entry
    SimulatedPlayer* simulated = nullptr;
    ActiveSelection& selection = activeSelection();
    std::string error = "before";  // the activations' sWMPError
    int32_t flags = 0;             // and nPLError

    void SetUp() override {
        FrameworkTest::SetUp();
        home = folder / "home";
        fs::create_directories(home / "music");
        fs::create_directories(home / "lists");
        ::setenv("HOME", home.c_str(), 1);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"}) ::unsetenv(name);
        ::setenv("LUMO_AUDIO_SINK", "fakesink", 1);
        platform::writeSetting("LUMO Player", "Library", "MusicFolders", (home / "music").string());
        platform::writeSetting("LUMO Player", "Library", "PlaylistFolders", (home / "lists").string());
        failsafe::fsOPTION(16, failsafe::Value(path("LUMOAudioErrors.log").string()));
        failsafe::fsOPTION(23, failsafe::Value::flag(true));
        fs->setUserActionProvider([this]() -> int16_t { return ++asked, 0; });
        selection = {};
        common::setDriveServiceFactory(settingsDrives);
    }
    void TearDown() override {
        unloadAudioPlayer();
        common::ReleaseFSO();
        setMediaPlayerFactory({});
        ::unsetenv("LUMO_AUDIO_SINK");
        FrameworkTest::TearDown();
    }

    // The player users run, over the drives of the settings as they are now.
    frmAudioPlayer& realHost() { return hostOver([] { return platform::makeMediaPlayer(settingsDrives()); }); }
    frmAudioPlayer& scriptedHost(Scenario scenario) {
        return hostOver([this, scenario] {
            auto player = std::make_unique<SimulatedPlayer>(scenario);
            simulated = player.get();
            return player;
        });
    }
    frmAudioPlayer& hostOver(MediaPlayerFactory factory) {
        setMediaPlayerFactory(std::move(factory));
        common::CreateFSO();
        return AudioPlayer();
    }

    // An audio disc of silent tracks (lengths in sectors) in drive `letter`.
    void audioDisc(const std::string& letter, const std::string& name, const std::vector<int64_t>& sectors) {
        const fs::path sheet = lumo::testing::writeAudioImage(home / name, sectors);
        platform::writeSetting("LUMO Player", "Drives", letter, sheet.string());
    }
    // A data disc whose descriptor checksum (its serial number) is negative.
    void dataDisc(const std::string& letter, const std::string& volume) {
        std::string image(18 * 2048, '\0');
        char* pvd = image.data() + 16 * 2048;
        std::string("\1CD001\1").copy(pvd, 7);
        (volume + std::string(32 - volume.size(), ' ')).copy(pvd + 40, 32);
        unsigned sum = 0;
        for (int i = 0; i < 2048; i += 4) sum += static_cast<unsigned char>(pvd[i]);
        pvd[2044] = static_cast<char>(0xF0 - sum);
        std::string("\377CD001\1").copy(pvd + 2048, 7);
        std::ofstream(home / (volume + ".iso"), std::ios::binary) << image;
        platform::writeSetting("LUMO Player", "Drives", letter, (home / (volume + ".iso")).string());
    }
    // D and E hold audio discs (both "Audio CD"), F a data disc, G nothing.
    frmAudioPlayer& fourDrives() {
        audioDisc("D", "three", {75, 75, 75});
        audioDisc("E", "two", {150, 100});
        dataDisc("F", "BACKUP");
        platform::writeSetting("LUMO Player", "Drives", "G", "");
        return realHost();
    }

    // `tenths` tenths of a second of a tone, a WAV file unless FLAC is asked for.
    fs::path tone(const std::string& file, int tenths = 5) {
        const fs::path path = home / "music" / file;
        if (path.extension() == ".flac")
            EXPECT_TRUE(lumo::testing::encodeTone(path, tenths / 10.0, "flacenc"));
        else
            lumo::testing::writeTone(path, tenths / 10.0);
        return path;
    }
    void playlist(const std::string& name, const std::vector<fs::path>& files, const std::string& folder = "lists") {
        fs::create_directories(home / folder);
        std::ofstream list(home / folder / (name + ".m3u"));
        for (const fs::path& file : files) list << file.string() << "\n";
    }
    std::vector<std::string> logLines() {
        return failsafe::testing::crlfLines(lumo::testing::bytesOf(path("LUMOAudioErrors.log")));
    }
};

}  // namespace lumo::player::testing
