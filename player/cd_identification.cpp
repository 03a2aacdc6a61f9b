// The drive information service's view of the CD drives joined with the
// player's: a disc is recognised by its volume name or serial number in a
// ready CD drive, and the service's letter D is the player's drive "D:".
#include "common/codes.h"
#include "common/shared_fso.h"
#include "failsafe/value.h"
#include "player/audio_player_host.h"
#include "player/host_support.h"

namespace lumo::player {
using detail::kModule;
using failsafe::PassOver;
using failsafe::Procedure;
using platform::Drive;
using platform::DrivePtr;

namespace {

// Without the shared drive object (after DoTerminate) there are no drives.
std::vector<DrivePtr> serviceDrives() {
    const std::shared_ptr<platform::DriveService> fso = common::sharedFSO();
    return fso ? fso->drives() : std::vector<DrivePtr>{};
}

// Only ready CD drives take part; their values are read only then.
bool readyCd(const Drive& drive) { return drive.driveType() == platform::drive_type::CdRom && drive.isReady(); }

bool sameVolume(const Drive& drive) { return drive.volumeName() == activeSelection().sVolumeName; }

// The stored text is read as a number, so "0123" is 123; a text that is no
// number fails as a type mismatch.
bool sameSerial(const Drive& drive) {
    const std::optional<double> wanted = failsafe::Value(activeSelection().sSerNum).number();
    if (!wanted) failsafe::raiseError(failsafe::error::TypeMismatch);
    return *wanted == static_cast<double>(drive.serialNumber());
}

// Whether a ready CD drive of the service is the player's drive and holds
// the wanted disc; the first such drive ends the search.
template <typename Same>
bool playerDriveHolds(Procedure& proc, const CdromPtr& cdrom, Same&& same) {
    std::vector<DrivePtr> drives;
    proc.step([&] { drives = serviceDrives(); });
    for (const DrivePtr& drive : drives) {
        bool holds = false;
        proc.step([&] {
            holds = readyCd(*drive) && drive->driveLetter() + ":" == detail::deref(cdrom).driveSpecifier() &&
                    same(*drive);
        });
        if (holds) return true;
        if (proc.leaving()) break;
    }
    return false;
}

// The first ready CD drive that the player knows and that holds the wanted
// disc, as the player names it. A drive whose test fails is not the one.
template <typename Same>
bool anyDriveHolds(Procedure& proc, frmAudioPlayer& host, std::string& found, Same&& same) {
    std::vector<DrivePtr> drives;
    proc.step([&] { drives = serviceDrives(); });
    for (const DrivePtr& drive : drives) {
        std::string name;
        bool holds = false;
        proc.step([&] {
            if (!readyCd(*drive)) return;
            name = drive->driveLetter() + ":";
            holds = host.WMPDriveExists(name) && same(*drive);
        });
        if (holds) {
            found = name;
            return true;
        }
    }
    return false;
}

}  // namespace

bool frmAudioPlayer::CDDriveHasVolume(const CdromPtr& cdrom) {
    Procedure proc(kModule, "Function CDDriveHasVolume");
    return playerDriveHolds(proc, cdrom, sameVolume);
}

bool frmAudioPlayer::CDDriveHasSerialNumber(const CdromPtr& cdrom) {
    Procedure proc(kModule, "Function CDDriveHasSerialNumber");
    return playerDriveHolds(proc, cdrom, sameSerial);
}

bool frmAudioPlayer::VolumeNameExistsAnyDrive(std::string& drive) {
    Procedure proc(kModule, "Function VolumeNameExistsAnyDrive", PassOver{});
    return anyDriveHolds(proc, *this, drive, sameVolume);
}

bool frmAudioPlayer::CDSerNumExistsAnyDrive(std::string& drive) {
    Procedure proc(kModule, "Function CDSerNumExistsAnyDrive", PassOver{});
    return anyDriveHolds(proc, *this, drive, sameSerial);
}

}  // namespace lumo::player
