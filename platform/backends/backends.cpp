#include "platform/backends/backends.h"

#include "platform/gst/gst_media_player.h"
#include "platform/library/media_library.h"
#include "platform/linux/cd_collection.h"

namespace lumo::platform {

std::shared_ptr<DriveService> makeDriveService(ProblemLog problems) {
    return std::make_shared<linux_drives::LinuxDriveService>(std::move(problems));
}

std::unique_ptr<MediaPlayer> makeMediaPlayer(ProblemLog problems) {
    return makeMediaPlayer(std::make_shared<linux_drives::LinuxDriveService>(problems), problems);
}

std::unique_ptr<MediaPlayer> makeMediaPlayer(std::shared_ptr<linux_drives::LinuxDriveService> drives,
                                             ProblemLog problems) {
    library::LibraryHooks hooks;
    if (problems) hooks.log = [problems](std::string message) { problems(message); };
    auto library = std::make_shared<library::MediaLibrary>(library::LibraryConfig::fromSettings(), std::move(hooks));
    auto cdroms = std::make_shared<linux_drives::LinuxCdromCollection>(std::move(drives));
    return std::make_unique<gst::GstMediaPlayer>(std::move(library), std::move(cdroms), std::string(),
                                                 std::move(problems));
}

}  // namespace lumo::platform
