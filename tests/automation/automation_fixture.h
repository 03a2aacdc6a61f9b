#pragma once
// The automation object as a host gets it from the class factory, over a
// simulated player and drive service that each test scripts, with the
// settings and the error log in a fresh temporary folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "automation/class_factory.h"
#include "automation/codes.h"
#include "common/shared_fso.h"
#include "lumo/lumo_audio.h"
#include "player/audio_player_host.h"
#include "platform/simulated/simulated_player.h"
#include "platform/user_settings.h"
#include "tests/failsafe/test_support.h"
#include "tests/support/fake_drives.h"

namespace lumo::automation::testing {

namespace fs = std::filesystem;
using platform::simulated::Scenario;
using platform::simulated::SimulatedPlayer;

class AutomationTest : public ::testing::Test {
protected:
    fs::path folder;
    Scenario scenario;
    std::shared_ptr<lumo::testing::FakeDriveService> drives = std::make_shared<lumo::testing::FakeDriveService>();
    SimulatedPlayer* player = nullptr;  // the current host's
    _cLUMOAudio* audio = nullptr;

    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("lumo-automation-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                  "-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "install");
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            ::setenv(name, (folder / name).c_str(), 1);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(name);
        platform::writeSetting("LUMO Player", "Settings", "INSTALLDIR", (folder / "install").string());
        player::setMediaPlayerFactory([this] {
            auto made = std::make_unique<SimulatedPlayer>(scenario);
            player = made.get();
            return made;
        });
        common::setDriveServiceFactory([this] { return drives; });
        player::unloadAudioPlayer();
        common::ReleaseFSO();
        activeSelection() = ActiveSelection{};
    }
    void TearDown() override {
        if (audio) audio->Release();
        player::unloadAudioPlayer();
        common::ReleaseFSO();
        player::setMediaPlayerFactory(nullptr);
        common::setDriveServiceFactory(nullptr);
        fs::remove_all(folder);
    }

    // Creates the object the way the library's entry point does.
    _cLUMOAudio& create() {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(getClassObject(CLSID_cLUMOAudio, IID_IClassFactory, reinterpret_cast<void**>(&factory)), hr::S_OK);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID__cLUMOAudio, reinterpret_cast<void**>(&audio)), hr::S_OK);
        factory->Release();
        (void)player::AudioPlayer();  // the host the object reaches
        return *audio;
    }
    std::string errorLog() const { return lumo::testing::bytesOf(folder / "install" / "LUMOAudioErrors.log"); }

    // A call by name through IDispatch, as a scripting host makes it.
    HRESULT invoke(const std::string& name, uint16_t flags, std::vector<Variant>& args, Variant* result = nullptr,
                   ExcepInfo* error = nullptr) {
        DISPID id = -1;
        const HRESULT found = audio->GetIDsOfNames(&name, 1, &id);
        return failed(found) ? found : audio->Invoke(id, flags, args, result, error);
    }
    Variant get(const std::string& name) {
        std::vector<Variant> none;
        Variant result;
        EXPECT_EQ(invoke(name, dispatch::Method | dispatch::PropertyGet, none, &result), hr::S_OK) << name;
        return result;
    }
};

}  // namespace lumo::automation::testing
