#pragma once
// The drive information service as a test scripts it: drives with a letter
// and a disc (volume name, serial number) or none. A hook runs before each
// read of a disc's name or serial, where a test can swap the disc mid-call.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/drive_service.h"

namespace lumo::testing {

struct FakeDrive final : platform::Drive {
    std::string letter, volume = "Audio CD";
    int32_t serial = 0;
    bool ready = true;
    int32_t type = platform::drive_type::CdRom;
    bool volumeFails = false;  // the name cannot be read although a disc is there
    std::function<void(FakeDrive&)> beforeRead;

    std::string driveLetter() const override { return letter; }
    int32_t driveType() const override { return type; }
    bool isReady() const override { return ready; }
    std::string volumeName() const override { return read(), volumeFails ? notReady() : void(), volume; }
    int32_t serialNumber() const override { return read(), serial; }
    std::string fileSystem() const override { return read(), "CDFS"; }

private:
    void read() const {
        auto& self = const_cast<FakeDrive&>(*this);
        if (beforeRead) beforeRead(self);
        if (!ready) notReady();
    }
    [[noreturn]] static void notReady() { throw std::runtime_error("Disk not ready"); }
};

struct FakeDriveService final : platform::DriveService {
    std::vector<std::shared_ptr<FakeDrive>> list;
    std::shared_ptr<FakeDrive> add(std::string letter, std::string volume = "Audio CD", int32_t serial = 0,
                                   bool ready = true) {
        auto drive = std::make_shared<FakeDrive>();
        drive->letter = std::move(letter);
        drive->volume = std::move(volume);
        drive->serial = serial;
        drive->ready = ready;
        return list.emplace_back(std::move(drive));
    }
    std::vector<platform::DrivePtr> drives() override { return {list.begin(), list.end()}; }
};

}  // namespace lumo::testing
