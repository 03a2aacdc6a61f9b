#pragma once
// The player that users run: GStreamer playback, the media library of the
// user's settings, and the CD drives of the drive service (so that the
// player's drive letters are the service's).

#include <memory>

#include "platform/linux/linux_drive_service.h"
#include "platform/media_player.h"

namespace lumo::platform {

std::unique_ptr<MediaPlayer> createMediaPlayer(std::shared_ptr<linux_drives::LinuxDriveService> drives);

}  // namespace lumo::platform
