#pragma once
// The automation object as a host gets it from the class factory, over a
// simulated player and drive service that each test scripts, with the
// settings and the error log in a fresh temporary folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "automation/class_factory.h"
#include "automation/codes.h"
#include "common/shared_fso.h"
#include "failsafe/framework.h"
#include "lumo/lumo_audio.h"
#include "player/audio_player_host.h"
#include "platform/simulated/simulated_player.h"
#include "platform/user_settings.h"

namespace lumo::automation::testing {

namespace fs = std::filesystem;
using platform::simulated::Scenario;
using platform::simulated::SimulatedPlayer;

struct FakeDrive final : platform::Drive {
    std::string letter;
    int32_t type = platform::drive_type::CdRom;
    bool ready = true;
    std::string volume;
    int32_t serial = 0;
    std::string driveLetter() const override { return letter; }
    int32_t driveType() const override { return type; }
    bool isReady() const override { return ready; }
    std::string volumeName() const override { return ready ? volume : notReady<std::string>(); }
    int32_t serialNumber() const override { return ready ? serial : notReady<int32_t>(); }
    std::string fileSystem() const override { return ready ? "CDFS" : notReady<std::string>(); }
    template <typename T>
    T notReady() const {
        throw std::runtime_error("Disk not ready");
    }
};

struct FakeDriveService final : platform::DriveService {
    std::vector<platform::DrivePtr> list;
    std::vector<platform::DrivePtr> drives() override { return list; }
};

class AutomationTest : public ::testing::Test {
protected:
    fs::path folder;
    Scenario scenario;
    std::vector<std::shared_ptr<FakeDrive>> serviceDrives;
    SimulatedPlayer* player = nullptr;  // the current host's
    int playersMade = 0;
    _cLUMOAudio* audio = nullptr;

    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("lumo-automation-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                  "-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "install");
        ::setenv("HOME", folder.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        platform::writeSetting("LUMO Player", "Settings", "INSTALLDIR", (folder / "install").string());
        player::setMediaPlayerFactory([this] {
            auto made = std::make_unique<SimulatedPlayer>(scenario);
            player = made.get();
            ++playersMade;
            return made;
        });
        common::setDriveServiceFactory([this] {
            auto service = std::make_shared<FakeDriveService>();
            for (const auto& drive : serviceDrives) service->list.push_back(drive);
            return service;
        });
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

    std::shared_ptr<FakeDrive> serviceDrive(std::string letter, std::string volume, int32_t serial) {
        auto drive = std::make_shared<FakeDrive>();
        drive->letter = std::move(letter);
        drive->volume = std::move(volume);
        drive->serial = serial;
        serviceDrives.push_back(drive);
        return drive;
    }

    std::string errorLog() const {
        std::ifstream in(folder / "install" / "LUMOAudioErrors.log", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // A call by name through IDispatch, as a scripting host makes it.
    HRESULT invoke(const std::string& name, uint16_t flags, std::vector<Variant>& args, Variant* result = nullptr,
                   ExcepInfo* error = nullptr) {
        DISPID id = -1;
        const HRESULT found = audio->GetIDsOfNames(&name, 1, &id);
        if (failed(found)) return found;
        return audio->Invoke(id, flags, args, result, error);
    }
    Variant get(const std::string& name) {
        std::vector<Variant> none;
        Variant result;
        EXPECT_EQ(invoke(name, dispatch::Method | dispatch::PropertyGet, none, &result), hr::S_OK) << name;
        return result;
    }
    void put(const std::string& name, Variant value) {
        std::vector<Variant> args{std::move(value)};
        EXPECT_EQ(invoke(name, dispatch::PropertyPut, args), hr::S_OK) << name;
    }
};

}  // namespace lumo::automation::testing
