#pragma once
// A framework of the test's own (scripted message boxes, error log in a
// temporary folder) and a player host whose CD drives the test names.

#include <cstdlib>

#include "automation/codes.h"
#include "platform/simulated/simulated_player.h"
#include "player/audio_player_host.h"
#include "tests/failsafe/test_support.h"

namespace lumo::dialogs::testing {

class DiscPromptTest : public failsafe::testing::FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        failsafe::fsOPTION(16, failsafe::Value(path("LUMOAudioErrors.log").string()));
        failsafe::fsOPTION(23, failsafe::Value::flag(true));
        automation::activeSelection().sPromptedDrive.clear();
        useDrives({"D:", "E:"});
    }
    void TearDown() override {
        player::unloadAudioPlayer();
        FrameworkTest::TearDown();
    }
    void useDrives(std::vector<std::string> specifiers) {
        player::unloadAudioPlayer();
        player::setMediaPlayerFactory([specifiers] {
            platform::simulated::Scenario scenario;
            for (const std::string& specifier : specifiers) scenario.drives.push_back({specifier});
            return std::make_unique<platform::simulated::SimulatedPlayer>(scenario);
        });
    }
};

}  // namespace lumo::dialogs::testing
