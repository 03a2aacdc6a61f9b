#pragma once
// A CD drive of the drive service: an optical drive, a disc image or an empty
// virtual drive. What it holds is read at the moment it is asked (a disc
// image again only when its files changed), so an inserted or ejected disc
// is seen at the next call.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/drive_service.h"
#include "platform/linux/disc_identity.h"

namespace lumo::platform::linux_drives {

using Note = std::function<void(const std::string&)>;

struct DiscState {
    Toc toc;
    VolumeInfo volume;
    std::string source;  // what plays it: the device, or the image file
    bool image = false;
};

class CdDrive : public Drive {
public:
    CdDrive(char letter, std::shared_ptr<const Note> note) : letter_(letter), note_(std::move(note)) {}
    std::string driveLetter() const override { return std::string(1, letter_); }
    int32_t driveType() const override { return drive_type::CdRom; }
    bool isReady() const override { return disc().has_value(); }
    std::string volumeName() const override { return required().volume.volumeName; }
    int32_t serialNumber() const override { return required().volume.serialNumber; }
    std::string fileSystem() const override { return required().volume.fileSystem; }

    // The disc in the drive; nothing when none is ready.
    virtual std::optional<DiscState> disc() const = 0;

protected:
    void note(const std::string& problem) const { (*note_)(problem); }

private:
    DiscState required() const;
    char letter_;
    std::shared_ptr<const Note> note_;
};

std::shared_ptr<CdDrive> makeEmptyDrive(char letter, std::shared_ptr<const Note> note);
std::shared_ptr<CdDrive> makeImageDrive(char letter, std::filesystem::path image, std::shared_ptr<const Note> note);
std::shared_ptr<CdDrive> makeOpticalDrive(char letter, std::string device, std::shared_ptr<const Note> note);

[[noreturn]] void raiseNotReady(char letter);

}  // namespace lumo::platform::linux_drives
