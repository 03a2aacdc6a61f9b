#include "platform/linux/cd_drive.h"

#include "failsafe/runtime_error.h"
#include "platform/linux/disc_image.h"
#include "platform/linux/optical_device.h"

namespace lumo::platform::linux_drives {
namespace {

class EmptyDrive final : public CdDrive {
public:
    using CdDrive::CdDrive;
    std::optional<DiscState> disc() const override { return std::nullopt; }
};

// What a disc image's files look like on disk; equal stamps mean the image
// has not changed since it was last read.
struct FileStamp {
    bool exists = false;
    std::filesystem::file_time_type modified{};
    uintmax_t size = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::filesystem::path& path) {
    FileStamp stamp;
    std::error_code error;
    stamp.size = std::filesystem::file_size(path, error);
    if (error) return stamp;
    stamp.modified = std::filesystem::last_write_time(path, error);
    stamp.exists = !error;
    return stamp;
}

class ImageDrive final : public CdDrive {
public:
    ImageDrive(char letter, std::filesystem::path image, std::shared_ptr<const Note> note)
        : CdDrive(letter, std::move(note)), image_(std::move(image)) {}

    // Read again whenever the image's files changed; a few stat calls
    // otherwise, so that a walk over many drives stays fast.
    std::optional<DiscState> disc() const override {
        if (!stamps_.empty() && currentStamps() == stamps_) return state_;
        std::string why;
        const std::optional<DiscImage> image = DiscImage::open(image_, why);
        files_ = {image_};
        if (image && image->sheet())
            for (const CueFile& file : image->sheet()->files) files_.push_back(file.path);
        stamps_ = currentStamps();
        state_.reset();
        if (!image) {
            note(driveLetter() + ": " + why);
            return state_;
        }
        const std::optional<VolumeInfo> volume = image->volume();
        if (!volume) {
            note(driveLetter() + ": " + image_.string() + " holds no ISO 9660 volume");
            return state_;
        }
        state_ = DiscState{image->toc(), *volume, image_.string(), true};
        return state_;
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
    mutable std::optional<DiscState> state_;
};

class OpticalDrive final : public CdDrive {
public:
    OpticalDrive(char letter, std::string device, std::shared_ptr<const Note> note)
        : CdDrive(letter, std::move(note)), device_(std::move(device)) {}

    std::optional<DiscState> disc() const override {
        std::string why;
        std::optional<OpticalDisc> disc = readOpticalDisc(device_, why);
        if (!disc || !disc->volume) return std::nullopt;  // an empty drive is nothing to report
        return DiscState{disc->toc, *disc->volume, device_, false};
    }

private:
    std::string device_;
};

}  // namespace

void raiseNotReady(char letter) {
    failsafe::raiseError(diskNotReadyError, std::string("Disk not ready (drive ") + letter + ":)");
}

DiscState CdDrive::required() const {
    std::optional<DiscState> state = disc();
    if (!state) raiseNotReady(letter_);
    return *state;
}

std::shared_ptr<CdDrive> makeEmptyDrive(char letter, std::shared_ptr<const Note> note) {
    return std::make_shared<EmptyDrive>(letter, std::move(note));
}
std::shared_ptr<CdDrive> makeImageDrive(char letter, std::filesystem::path image, std::shared_ptr<const Note> note) {
    return std::make_shared<ImageDrive>(letter, std::move(image), std::move(note));
}
std::shared_ptr<CdDrive> makeOpticalDrive(char letter, std::string device, std::shared_ptr<const Note> note) {
    return std::make_shared<OpticalDrive>(letter, std::move(device), std::move(note));
}

}  // namespace lumo::platform::linux_drives
