#pragma once
// The media player's CD drives: the drive service's CD drives under the same
// letters, each with the audio tracks of its disc as a playlist.

#include <memory>
#include <optional>
#include <string>

#include "platform/linux/linux_drive_service.h"
#include "platform/media_player.h"

namespace lumo::platform::linux_drives {

class LinuxCdromCollection final : public CdromCollection {
public:
    explicit LinuxCdromCollection(std::shared_ptr<LinuxDriveService> drives);
    int32_t count() override;
    CdromPtr item(int32_t index) override;

private:
    std::shared_ptr<LinuxDriveService> drives_;
};

// The URI that plays a track: cdda://<device or image>#<track>.
std::string trackUri(const std::string& source, int track);

struct TrackAddress {
    std::string source;  // the device or the image file
    int track = 0;
};
// The source and track of a track URI; nothing for any other URI.
std::optional<TrackAddress> parseTrackUri(const std::string& uri);


}  // namespace lumo::platform::linux_drives
