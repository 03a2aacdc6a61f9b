// The player's own CD drives: how many there are, which one a drive text
// names, and the first that holds the wanted disc.
#include "common/codes.h"
#include "player/audio_player_host.h"
#include "player/host_support.h"

namespace lumo::player {

using detail::kModule;
using detail::upperCase;
using failsafe::PassOver;
using failsafe::Procedure;

namespace {

// The first player drive for which `holds` is true, or nothing. The count is
// read once; a statement that fails goes to the procedure's handling.
template <typename Holds>
CdromPtr firstPlayerDrive(Procedure& proc, MediaPlayer& player, Holds&& holds) {
    int32_t count = 0;
    proc.step([&] { count = player.cdromCollection().count(); });
    for (int32_t i = 0; i < count && !proc.leaving(); ++i) {
        CdromPtr found;
        proc.step([&] {
            CdromPtr cdrom = player.cdromCollection().item(i);
            if (holds(cdrom)) found = std::move(cdrom);
        });
        if (found) return found;
    }
    return nullptr;
}

// "d:" names the drive "D:"; "D" and "D: " name none.
CdromPtr playerDriveNamed(Procedure& proc, MediaPlayer& player, const std::string& drive) {
    const std::string wanted = upperCase(drive);
    return firstPlayerDrive(proc, player, [&](const CdromPtr& cdrom) {
        return upperCase(detail::deref(cdrom).driveSpecifier()) == wanted;
    });
}

}  // namespace

// -1 when the player cannot tell; callers take that as no drive at all.
int32_t frmAudioPlayer::GetCountCDROMS_WMP(std::string& /*sWMPError*/) {
    Procedure proc(kModule, "Function GetCountCDROMS_WMP", PassOver{});
    int32_t count = -1;
    if (!proc.step([&] { count = player_->cdromCollection().count(); })) return -1;
    return count;
}

bool frmAudioPlayer::WMPDriveExists(const std::string& drive) {
    Procedure proc(kModule, "Function WMPDriveExists");
    return playerDriveNamed(proc, *player_, drive) != nullptr;
}

bool frmAudioPlayer::WMPDriveExistsX(const std::string& drive, CdromPtr& cdrom, int32_t& nPLError) {
    Procedure proc(kModule, "Function WMPDriveExistsX");
    CdromPtr found = playerDriveNamed(proc, *player_, drive);
    if (found) {
        cdrom = std::move(found);
        return true;
    }
    if (!proc.leaving()) nPLError |= pl_error::NoSuchDrive;
    return false;
}

bool frmAudioPlayer::GetWMPCDROMByVolumeName(CdromPtr& cdrom, int32_t& nPLError) {
    Procedure proc(kModule, "Function GetWMPCDROMByVolumeName");
    CdromPtr found = firstPlayerDrive(proc, *player_, [&](const CdromPtr& c) { return CDDriveHasVolume(c); });
    if (found) {
        cdrom = std::move(found);
        return true;
    }
    if (!proc.leaving()) nPLError |= pl_error::NoDiscWithVolume;
    return false;
}

// Not finding the serial number sets the volume name's flag: hosts read
// 0x0040 as "the wanted disc is in no drive of the player", by either criterion.
bool frmAudioPlayer::GetWMPCDROMByCDSerialNumber(CdromPtr& cdrom, int32_t& nPLError) {
    Procedure proc(kModule, "Function GetWMPCDROMByCDSerialNumber");
    CdromPtr found = firstPlayerDrive(proc, *player_, [&](const CdromPtr& c) { return CDDriveHasSerialNumber(c); });
    if (found) {
        cdrom = std::move(found);
        return true;
    }
    if (!proc.leaving()) nPLError |= pl_error::NoDiscWithVolume;
    return false;
}

}  // namespace lumo::player
