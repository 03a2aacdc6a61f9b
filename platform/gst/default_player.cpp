#include "platform/gst/default_player.h"

#include "platform/gst/gst_media_player.h"
#include "platform/library/media_library.h"
#include "platform/linux/cd_collection.h"

namespace lumo::platform {

std::unique_ptr<MediaPlayer> createMediaPlayer(std::shared_ptr<linux_drives::LinuxDriveService> drives) {
    auto library = std::make_shared<library::MediaLibrary>(library::LibraryConfig::fromSettings());
    auto cdroms = std::make_shared<linux_drives::LinuxCdromCollection>(std::move(drives));
    return std::make_unique<gst::GstMediaPlayer>(std::move(library), std::move(cdroms));
}

}  // namespace lumo::platform
