#pragma once
// The backends users run, and the only place they are built: the drive
// service of this machine's optical drives and disc images, and the player
// over GStreamer, the media library of the user's settings and the CD
// drives of a drive service (so that the player's drive letters are the
// service's). The layers above receive what these return and never name a
// backend's class.

#include <functional>
#include <memory>
#include <string>

#include "platform/drive_service.h"
#include "platform/linux/linux_drive_service.h"
#include "platform/media_player.h"

namespace lumo::platform {

// Receives, one line each, what a backend finds wrong outside any call (a
// disc image that is gone, a letter given twice, a damaged index, a sound
// output that cannot start); called on the host's thread.
using ProblemLog = std::function<void(const std::string&)>;

std::shared_ptr<DriveService> makeDriveService(ProblemLog problems = {});

// The player with a drive service of its own, which logs to `problems` too.
std::unique_ptr<MediaPlayer> makeMediaPlayer(ProblemLog problems = {});
// The same over a given drive service (tests give one without optical drives).
std::unique_ptr<MediaPlayer> makeMediaPlayer(std::shared_ptr<linux_drives::LinuxDriveService> drives,
                                             ProblemLog problems = {});

}  // namespace lumo::platform
