#pragma once
// The player that users run: GStreamer playback, the media library of the
// user's settings, and the CD drives of the drive service (so that the
// player's drive letters are the service's).

#include <functional>
#include <memory>
#include <string>

#include "platform/linux/linux_drive_service.h"
#include "platform/media_player.h"

namespace lumo::platform {

// `problems` receives, one line each, what the media library finds wrong
// with the user's files and what the player finds wrong with the sound
// output; both call it on the host's thread.
std::unique_ptr<MediaPlayer> createMediaPlayer(std::shared_ptr<linux_drives::LinuxDriveService> drives,
                                               std::function<void(const std::string&)> problems = {});

}  // namespace lumo::platform
