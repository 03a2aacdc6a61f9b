#pragma once
// The drive information service: every drive of the machine with a letter,
// its type, whether a disc is ready, and the disc's volume data. One instance
// serves the process. Values are read afresh on every call, so a disc that
// was inserted or ejected is seen at once.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::platform {

namespace drive_type {
inline constexpr int32_t Unknown = 0, Removable = 1, Fixed = 2, Network = 3, CdRom = 4, RamDisk = 5;
}

// Raised for a value of a drive that holds no readable disc.
inline constexpr int32_t diskNotReadyError = 71;

class Drive {
public:
    virtual ~Drive() = default;
    virtual std::string driveLetter() const = 0;  // one letter, no colon
    virtual int32_t driveType() const = 0;
    virtual bool isReady() const = 0;
    // These three raise error 71 when the drive is not ready.
    virtual std::string volumeName() const = 0;
    virtual int32_t serialNumber() const = 0;
    virtual std::string fileSystem() const = 0;
};
using DrivePtr = std::shared_ptr<const Drive>;

class DriveService {
public:
    virtual ~DriveService() = default;
    // Every drive in letter order: C (the root file system), then D, E, ...
    virtual std::vector<DrivePtr> drives() = 0;
    // Joins a folder and a name with one separator; the bare name for an
    // empty folder.
    static std::string buildPath(std::string_view folder, std::string_view name);
};

}  // namespace lumo::platform
