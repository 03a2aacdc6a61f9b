#include "platform/linux/linux_drive_service.h"

#include <sys/statvfs.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/linux/cd_drive.h"
#include "platform/linux/optical_device.h"
#include "platform/user_settings.h"

namespace lumo::platform::linux_drives {
namespace {

// The file system type of "/" from the mount table.
std::string rootFileSystem() {
    std::ifstream mounts("/proc/self/mounts");
    std::string line, type = "unknown";
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device, point, kind;
        fields >> device >> point >> kind;
        if (point == "/") type = kind;  // the last mount on "/" is the one in use
    }
    return type;
}

class RootDrive final : public Drive {
public:
    std::string driveLetter() const override { return "C"; }
    int32_t driveType() const override { return drive_type::Fixed; }
    bool isReady() const override { return true; }
    std::string volumeName() const override { return ""; }
    int32_t serialNumber() const override {
        struct statvfs info {};
        if (::statvfs("/", &info) != 0) raiseNotReady('C');
        return static_cast<int32_t>(static_cast<uint32_t>(info.f_fsid));
    }
    std::string fileSystem() const override { return rootFileSystem(); }
};

}  // namespace

LinuxDriveService::LinuxDriveService(DriveLog log) : LinuxDriveService(findOpticalDrives(), std::move(log)) {}

LinuxDriveService::LinuxDriveService(std::vector<std::string> opticalDrives, DriveLog log) {
    if (!log) log = [](const std::string& line) { std::fprintf(stderr, "LUMO drives: %s\n", line.c_str()); };
    auto noted = std::make_shared<std::set<std::string>>();
    note_ = std::make_shared<Note>([log, noted](const std::string& problem) {
        if (noted->insert(problem).second) log(problem);
    });
    assign(opticalDrives);
}

void LinuxDriveService::assign(const std::vector<std::string>& opticalDrives) {
    const LetterAssignment letters = assignLetters(readSection("LUMO Player", "Drives"), opticalDrives);
    const Note& note = *note_;
    for (const std::string& problem : letters.problems) note(problem);
    for (const auto& [letter, device] : letters.newEntries)
        if (!writeSetting("LUMO Player", "Drives", std::string(1, letter), device))
            note(std::string("Drives: the letter ") + letter + " for " + device + " could not be stored");
    drives_.push_back(std::make_shared<RootDrive>());
    for (const DriveEntry& entry : letters.drives) {
        std::shared_ptr<CdDrive> drive;
        switch (entry.kind) {
            case DriveEntry::Kind::Empty: drive = makeEmptyDrive(entry.letter, note_); break;
            case DriveEntry::Kind::Image: drive = makeImageDrive(entry.letter, entry.path, note_); break;
            case DriveEntry::Kind::Device: drive = makeOpticalDrive(entry.letter, entry.path.string(), note_); break;
        }
        drives_.push_back(drive);
        cdDrives_.push_back(drive);
    }
}

std::vector<DrivePtr> LinuxDriveService::drives() { return drives_; }

std::vector<std::shared_ptr<const CdDrive>> LinuxDriveService::cdDrives() const { return cdDrives_; }

}  // namespace lumo::platform::linux_drives
