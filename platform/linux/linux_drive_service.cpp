#include "platform/linux/linux_drive_service.h"

#include <sys/statvfs.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "failsafe/runtime_error.h"
#include "platform/linux/disc_image.h"
#include "platform/linux/optical_device.h"
#include "platform/user_settings.h"

namespace lumo::platform::linux_drives {
namespace {

using Note = std::function<void(const std::string&)>;

[[noreturn]] void notReady(char letter) {
    failsafe::raiseError(diskNotReadyError, std::string("Disk not ready (drive ") + letter + ":)");
}

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
        if (::statvfs("/", &info) != 0) notReady('C');
        return static_cast<int32_t>(static_cast<uint32_t>(info.f_fsid));
    }
    std::string fileSystem() const override { return rootFileSystem(); }
};

// A CD drive: every value is read from its disc at the moment it is asked.
class CdDrive : public Drive {
public:
    CdDrive(char letter, std::shared_ptr<Note> note) : letter_(letter), note_(std::move(note)) {}
    std::string driveLetter() const override { return std::string(1, letter_); }
    int32_t driveType() const override { return drive_type::CdRom; }
    bool isReady() const override { return volume().has_value(); }
    std::string volumeName() const override { return required().volumeName; }
    int32_t serialNumber() const override { return required().serialNumber; }
    std::string fileSystem() const override { return required().fileSystem; }

protected:
    virtual std::optional<VolumeInfo> volume() const = 0;
    void note(const std::string& problem) const { (*note_)(problem); }

private:
    VolumeInfo required() const {
        std::optional<VolumeInfo> info = volume();
        if (!info) notReady(letter_);
        return *info;
    }
    char letter_;
    std::shared_ptr<Note> note_;
};

class EmptyDrive final : public CdDrive {
public:
    using CdDrive::CdDrive;

protected:
    std::optional<VolumeInfo> volume() const override { return std::nullopt; }
};

// What a disc image's files look like on disk; equal stamps mean the image
// has not changed since it was last read.
struct FileStamp {
    std::filesystem::path path;
    bool exists = false;
    std::filesystem::file_time_type modified{};
    uintmax_t size = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::filesystem::path& path) {
    FileStamp stamp{path};
    std::error_code error;
    stamp.size = std::filesystem::file_size(path, error);
    if (error) return stamp;
    stamp.modified = std::filesystem::last_write_time(path, error);
    stamp.exists = !error;
    return stamp;
}

class ImageDrive final : public CdDrive {
public:
    ImageDrive(char letter, std::filesystem::path image, std::shared_ptr<Note> note)
        : CdDrive(letter, std::move(note)), image_(std::move(image)) {}

protected:
    // Read again whenever the image's files changed; a few stat calls
    // otherwise, so that a walk over many drives stays fast.
    std::optional<VolumeInfo> volume() const override {
        if (!stamps_.empty() && currentStamps() == stamps_) return volume_;
        std::string why;
        const std::optional<DiscImage> disc = DiscImage::open(image_, why);
        std::vector<std::filesystem::path> files{image_};
        if (disc && disc->sheet())
            for (const CueFile& file : disc->sheet()->files) files.push_back(file.path);
        files_ = files;
        stamps_ = currentStamps();
        volume_.reset();
        if (!disc) {
            note(driveLetter() + ": " + why);
            return std::nullopt;
        }
        volume_ = disc->volume();
        if (!volume_) note(driveLetter() + ": " + image_.string() + " holds no ISO 9660 volume");
        return volume_;
    }

private:
    std::vector<FileStamp> currentStamps() const {
        std::vector<FileStamp> stamps;
        for (const auto& file : files_) stamps.push_back(stampOf(file));
        return stamps;
    }

    std::filesystem::path image_;
    mutable std::vector<std::filesystem::path> files_;
    mutable std::vector<FileStamp> stamps_;
    mutable std::optional<VolumeInfo> volume_;
};

class OpticalDrive final : public CdDrive {
public:
    OpticalDrive(char letter, std::string device, std::shared_ptr<Note> note)
        : CdDrive(letter, std::move(note)), device_(std::move(device)) {}

protected:
    std::optional<VolumeInfo> volume() const override {
        std::string why;
        std::optional<OpticalDisc> disc = readOpticalDisc(device_, why);
        if (!disc) return std::nullopt;  // an empty drive is nothing to report
        return disc->volume;
    }

private:
    std::string device_;
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
        switch (entry.kind) {
            case DriveEntry::Kind::Empty: drives_.push_back(std::make_shared<EmptyDrive>(entry.letter, note_)); break;
            case DriveEntry::Kind::Image:
                drives_.push_back(std::make_shared<ImageDrive>(entry.letter, entry.path, note_));
                break;
            case DriveEntry::Kind::Device:
                drives_.push_back(std::make_shared<OpticalDrive>(entry.letter, entry.path.string(), note_));
                break;
        }
    }
}

std::vector<DrivePtr> LinuxDriveService::drives() { return drives_; }

}  // namespace lumo::platform::linux_drives
