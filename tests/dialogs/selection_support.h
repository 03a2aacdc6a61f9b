#pragma once
// What the dialogs' tests share: a framework with scripted message boxes and
// the error log in a temporary folder, and a player host over a simulated
// player whose library and CD drives the test names, with service drives
// it scripts.

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <cstdlib>
#include <functional>

#include "automation/codes.h"
#include "dialogs/qt_application.h"
#include "common/shared_fso.h"
#include "platform/simulated/simulated_player.h"
#include "platform/user_settings.h"
#include "player/audio_player_host.h"
#include "tests/failsafe/test_support.h"
#include "tests/support/fake_drives.h"

namespace lumo::dialogs::testing {

// Runs `user` on the modal window of type Window once its event loop has
// started; the user part must end the showing.
template <typename Window>
void whenShown(std::function<void(Window&)> user) {
    QTimer::singleShot(0, [user] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window) return ADD_FAILURE() << "the window is not the modal one";
        user(*window);
        if (window->isVisible()) {
            ADD_FAILURE() << "the window is still open";
            window->done(0);
        }
    });
}

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
    static std::string shuffleSetting() {
        return platform::readSetting("LUMO Audio", "Settings", "ShuffleMode").value_or("<missing>");
    }
};

// On the offscreen platform, with each test answering the windows itself.
class WindowTest : public SelectionTest {
protected:
    void SetUp() override {
        SelectionTest::SetUp();
        setWindowsAnsweredByProgram(true);
        ASSERT_TRUE(widgetsAvailable());
    }
    void TearDown() override {
        setWindowsAnsweredByProgram(false);
        SelectionTest::TearDown();
    }
};

}  // namespace lumo::dialogs::testing
