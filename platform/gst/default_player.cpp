#include "platform/gst/default_player.h"

#include "platform/gst/gst_media_player.h"
#include "platform/library/media_library.h"
#include "platform/linux/cd_collection.h"

namespace lumo::platform {

std::unique_ptr<MediaPlayer> createMediaPlayer(std::shared_ptr<linux_drives::LinuxDriveService> drives,
                                               std::function<void(const std::string&)> problems) {
    library::LibraryHooks hooks;
    if (problems) hooks.log = [problems](std::string message) { problems(message); };
    auto library = std::make_shared<library::MediaLibrary>(library::LibraryConfig::fromSettings(), std::move(hooks));
    auto cdroms = std::make_shared<linux_drives::LinuxCdromCollection>(std::move(drives));
    return std::make_unique<gst::GstMediaPlayer>(std::move(library), std::move(cdroms), std::string(),
                                                 std::move(problems));
}

}  // namespace lumo::platform
