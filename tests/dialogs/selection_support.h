#pragma once
// What the selection dialog's tests share: a framework with scripted message
// boxes and the error log in a temporary folder, a player host over a
// simulated player whose library the test names, drives the test scripts,
// and a window whose rectangle the test reads.

#include <cstdlib>
#include <stdexcept>

#include "common/form_settings.h"
#include "common/shared_fso.h"
#include "platform/simulated/simulated_player.h"
#include "platform/user_settings.h"
#include "player/audio_player_host.h"
#include "tests/failsafe/test_support.h"

namespace lumo::dialogs::testing {

using platform::simulated::PlaylistScript;

struct ScriptedDrive final : platform::Drive {
    std::string letter;
    int32_t type = platform::drive_type::CdRom;
    bool ready = true;
    std::string volume = "Audio CD";
    int32_t serial = 0;
    bool volumeFails = false;
    std::string driveLetter() const override { return letter; }
    int32_t driveType() const override { return type; }
    bool isReady() const override { return ready; }
    std::string volumeName() const override {
        if (!ready || volumeFails) throw std::runtime_error("Disk not ready");
        return volume;
    }
    int32_t serialNumber() const override {
        if (!ready) throw std::runtime_error("Disk not ready");
        return serial;
    }
    std::string fileSystem() const override {
        if (!ready) throw std::runtime_error("Disk not ready");
        return "CDFS";
    }
};

struct ScriptedDrives final : platform::DriveService {
    std::vector<platform::DrivePtr> list;
    std::vector<platform::DrivePtr> drives() override { return list; }
};

// A window that only keeps its rectangle; Move fails while refuseMoves is set.
struct RecordedWindow final : common::FormWindow {
    double left = 0, top = 0, width = 0, height = 0;
    int moves = 0;
    bool refuseMoves = false;
    double Left() const override { return left; }
    double Top() const override { return top; }
    double Width() const override { return width; }
    double Height() const override { return height; }
    void Move(double l, double t, double w, double h) override {
        ++moves;
        if (refuseMoves) throw std::runtime_error("the window system refused");
        left = l, top = t, width = w, height = h;
    }
};

// A playlist of n items.
inline PlaylistScript playlistOf(std::string name, int items, bool isAuto = false) {
    PlaylistScript script{std::move(name), isAuto, {}};
    for (int i = 0; i < items; ++i) {
        platform::simulated::ItemScript item;
        item.name = "item " + std::to_string(i);
        script.items.push_back(item);
    }
    return script;
}

class SelectionTest : public failsafe::testing::FrameworkTest {
protected:
    platform::simulated::Scenario scenario;
    std::shared_ptr<ScriptedDrives> drives = std::make_shared<ScriptedDrives>();

    void SetUp() override {
        FrameworkTest::SetUp();
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        failsafe::fsOPTION(16, failsafe::Value(path("LUMOAudioErrors.log").string()));
        failsafe::fsOPTION(23, failsafe::Value::flag(true));
        scenario.playlists = {playlistOf("Jazz", 3), playlistOf("Long tracks", 2, true), playlistOf("Rock", 1)};
        player::setMediaPlayerFactory(
            [this] { return std::make_unique<platform::simulated::SimulatedPlayer>(scenario); });
        player::unloadAudioPlayer();
        common::setDriveServiceFactory([this] { return drives; });
        common::ReleaseFSO();
        common::CreateFSO();
    }
    void TearDown() override {
        player::unloadAudioPlayer();
        player::setMediaPlayerFactory(nullptr);
        common::ReleaseFSO();
        common::setDriveServiceFactory(nullptr);
        FrameworkTest::TearDown();
    }

    std::shared_ptr<ScriptedDrive> drive(std::string letter, bool ready, int32_t serial = 0) {
        auto d = std::make_shared<ScriptedDrive>();
        d->letter = std::move(letter);
        d->ready = ready;
        d->serial = serial;
        drives->list.push_back(d);
        return d;
    }
    static std::string shuffleSetting() {
        return platform::readSetting("LUMO Audio", "Settings", "ShuffleMode").value_or("<missing>");
    }
    std::string errorLog() const { return failsafe::testing::readFile(folder / "LUMOAudioErrors.log"); }
};

}  // namespace lumo::dialogs::testing
