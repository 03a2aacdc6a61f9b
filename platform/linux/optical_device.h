#pragma once
// The machine's real optical drives, kept thin above libudev and libcdio:
// which devices there are, and what disc a device holds right now.

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/disc_identity.h"

namespace lumo::platform::linux_drives {

// Device nodes of the drives udev marks ID_CDROM, in udev's order.
std::vector<std::string> findOpticalDrives();

// The disc in the drive, read from the drive itself; nothing when there is no
// readable disc or the device is no CD drive (`why` says which).
struct OpticalDisc {
    Toc toc;
    std::optional<VolumeInfo> volume;
};
std::optional<OpticalDisc> readOpticalDisc(const std::string& device, std::string& why);

}  // namespace lumo::platform::linux_drives
