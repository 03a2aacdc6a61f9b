#pragma once
// What the dialogs' tests share: a framework with scripted message boxes and
// the error log in a temporary folder, and a player host over a simulated
// player whose library and CD drives the test names, with service drives
// it scripts.

#include <cstdlib>

#include "automation/codes.h"
#include "common/shared_fso.h"
#include "platform/simulated/simulated_player.h"
#include "platform/user_settings.h"
#include "player/audio_player_host.h"
#include "tests/failsafe/test_support.h"
#include "tests/support/fake_drives.h"

namespace lumo::dialogs::testing {

// A playlist of n items.
inline platform::simulated::PlaylistScript playlistOf(std::string name, int items, bool isAuto = false) {
    platform::simulated::PlaylistScript script{std::move(name), isAuto, {}};
    for (int i = 0; i < items; ++i) script.items.emplace_back().name = "item " + std::to_string(i);
    return script;
}

class SelectionTest : public failsafe::testing::FrameworkTest {
protected:
    platform::simulated::Scenario scenario;
    std::shared_ptr<lumo::testing::FakeDriveService> drives = std::make_shared<lumo::testing::FakeDriveService>();

    void SetUp() override {
        FrameworkTest::SetUp();
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        failsafe::fsOPTION(16, failsafe::Value(path("LUMOAudioErrors.log").string()));
        failsafe::fsOPTION(23, failsafe::Value::flag(true));
        scenario.playlists = {playlistOf("Jazz", 3), playlistOf("Long tracks", 2, true), playlistOf("Rock", 1)};
        scenario.drives = {{"D:"}, {"E:"}};
        player::setMediaPlayerFactory(
            [this] { return std::make_unique<platform::simulated::SimulatedPlayer>(scenario); });
        player::unloadAudioPlayer();
        common::setDriveServiceFactory([this] { return drives; });
        common::ReleaseFSO();
        common::CreateFSO();
        automation::activeSelection().sPromptedDrive.clear();
    }
    void TearDown() override {
        player::unloadAudioPlayer();
        player::setMediaPlayerFactory(nullptr);
        common::ReleaseFSO();
        common::setDriveServiceFactory(nullptr);
        FrameworkTest::TearDown();
    }
    // The player's CD drives, from the next load on.
    void useDrives(std::vector<std::string> specifiers) {
        player::unloadAudioPlayer();
        scenario.drives.clear();
        for (std::string& specifier : specifiers) scenario.drives.push_back({std::move(specifier)});
    }
    static std::string shuffleSetting() {
        return platform::readSetting("LUMO Audio", "Settings", "ShuffleMode").value_or("<missing>");
    }
};

}  // namespace lumo::dialogs::testing
