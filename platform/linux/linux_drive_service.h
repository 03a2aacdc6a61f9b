#pragma once
// The drive information service on Linux: C is the root file system; the CD
// drives are the machine's optical drives and the disc images and empty
// virtual drives of the "[Drives]" settings, each under its letter.

#include <functional>

#include "platform/drive_service.h"
#include "platform/linux/cd_drive.h"
#include "platform/linux/drive_letters.h"

namespace lumo::platform::linux_drives {

using DriveLog = std::function<void(const std::string&)>;

class LinuxDriveService final : public DriveService {
public:
    // Reads the letters from the settings and finds the optical drives once;
    // new drives get letters that are written back to the settings.
    explicit LinuxDriveService(DriveLog log = {});
    // For tests: the optical drives are given instead of found.
    LinuxDriveService(std::vector<std::string> opticalDrives, DriveLog log);

    std::vector<DrivePtr> drives() override;
    // The CD drives alone, with what they hold.
    std::vector<std::shared_ptr<const CdDrive>> cdDrives() const;

private:
    void assign(const std::vector<std::string>& opticalDrives);

    std::vector<DrivePtr> drives_;
    std::vector<std::shared_ptr<const CdDrive>> cdDrives_;
    // Each problem is logged once; the drives share this with the service
    // and may outlive it.
    std::shared_ptr<const std::function<void(const std::string&)>> note_;
};

}  // namespace lumo::platform::linux_drives
