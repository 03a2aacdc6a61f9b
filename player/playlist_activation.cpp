// Making a playlist of the media library or the tracks of a CD the player's
// current playlist, from the active selection. Nothing starts playing here:
// the player's auto-start is off from the moment the window is built.
#include "common/codes.h"
#include "common/formatting.h"
#include "player/audio_player_host.h"
#include "player/host_support.h"

namespace lumo::player {
using detail::deref;
using detail::kModule;
using failsafe::Err;
using failsafe::PassOver;
using failsafe::Procedure;

namespace {

// Takes the player's first queued error into sWMPError and empties the queue.
void takeQueuedError(Procedure& proc, MediaPlayer& player, std::string& sWMPError, int32_t& nPLError) {
    proc.step([&] { sWMPError = common::GetErrorItemString(player.error().item(0)); });
    nPLError |= pl_error::PlayerError;
    proc.step([&] { player.error().clearErrorQueue(); });
}

}  // namespace

bool frmAudioPlayer::SetStandard_PL(std::string& sWMPError, int32_t& nPLError) {
    Procedure proc(kModule, "Function SetStandard_PL", PassOver{});
    return setNamedPlaylist(proc, sWMPError, nPLError);
}

// An auto playlist is found and made current by its name, like a standard one.
bool frmAudioPlayer::SetAuto_PL(std::string& sWMPError, int32_t& nPLError) {
    Procedure proc(kModule, "Function SetAuto_PL", PassOver{});
    return setNamedPlaylist(proc, sWMPError, nPLError);
}

// The first playlist of the selection's name becomes current. Any failure
// ends in the same answer: 0x0008, with the player's first queued error, if
// there is one, in sWMPError and the queue left empty.
bool frmAudioPlayer::setNamedPlaylist(Procedure& proc, std::string& sWMPError, int32_t& nPLError) {
    MediaPlayer& player = *player_;
    PlaylistArrayPtr named;
    int32_t found = 0;
    const bool asked =
        proc.step([&] { named = player.playlistCollection().getByName(activeSelection().sPlayList); }) &&
        proc.step([&] { found = deref(named).count(); });
    if (asked && found < 1) {
        nPLError |= pl_error::NoSuchPlaylist;
        return false;
    }
    PlaylistPtr first;
    int32_t items = 0;
    const bool made = asked && proc.step([&] { first = named->item(0); }) &&
                      proc.step([&] { player.setCurrentPlaylist(first); }) &&
                      proc.step([&] { items = deref(player.currentPlaylist()).count(); });
    if (made) {
        if (items > 0) return true;
        nPLError |= pl_error::EmptyPlaylist;  // the empty playlist stays current
        return false;
    }

    nPLError |= pl_error::PlayerError;
    Err().clear();
    int32_t queued = 0;
    proc.step([&] { queued = player.error().errorCount(); });
    if (queued > 0) takeQueuedError(proc, player, sWMPError, nPLError);
    return false;
}

// Finds the disc by each criterion of the selection in turn (volume name,
// serial number, drive letter; the prompted drive when there is none) and
// makes its tracks current. Several criteria may each find the disc: the
// last block that runs decides the result, unless the player queues an
// error or the disc has no tracks, which ends the activation at once.
bool frmAudioPlayer::SetCDROM_PL(std::string& sWMPError, int32_t& nPLError) {
    // The lookups trap their own errors; once a disc is found every error is
    // passed over and only the player's error queue counts.
    Procedure proc(kModule, "Function SetCDROM_PL", PassOver{});
    MediaPlayer& player = *player_;
    const ActiveSelection& selection = activeSelection();
    bool result = false;

    enum class Next { GoOn, Stop };
    auto activate = [&](bool found, const CdromPtr& cdrom, int32_t emptyFlags) {
        if (!found) {
            result = false;
            return Next::GoOn;
        }
        const bool current = proc.step([&] { player.setCurrentPlaylist(deref(cdrom).playlist()); });
        int32_t queued = 0;
        proc.step([&] { queued = player.error().errorCount(); });
        if (queued > 0) {
            takeQueuedError(proc, player, sWMPError, nPLError);
            Err().clear();
            result = false;
            return Next::Stop;
        }
        // A drive whose disc could not be made current (no disc, a disc that
        // cannot be read) holds nothing to play, whatever was current before.
        int32_t items = 0;
        if (current) proc.step([&] { items = deref(player.currentPlaylist()).count(); });
        if (items == 0) {
            nPLError |= emptyFlags;
            result = false;
            return Next::Stop;
        }
        result = true;
        return Next::GoOn;
    };

    const int32_t how = selection.nHowToIDCD;
    CdromPtr cdrom;
    if (how & how_to_id::VolumeName) {
        const bool found = GetWMPCDROMByVolumeName(cdrom, nPLError);
        if (activate(found, cdrom, pl_error::EmptyDisc) == Next::Stop) return result;
    }
    if (how & how_to_id::SerialNumber) {
        const bool found = GetWMPCDROMByCDSerialNumber(cdrom, nPLError);
        if (activate(found, cdrom, pl_error::EmptyDisc) == Next::Stop) return result;
    }
    if (how & how_to_id::DriveLetter) {
        const bool found = WMPDriveExistsX(selection.sDriveLetter, cdrom, nPLError);
        if (activate(found, cdrom, pl_error::EmptyDisc) == Next::Stop) return result;
    }
    if (how == how_to_id::None) {
        const bool found = WMPDriveExistsX(selection.sPromptedDrive, cdrom, nPLError);
        activate(found, cdrom, pl_error::EmptyDisc | pl_error::EmptyDiscInPromptedDrive);
    }
    return result;
}

}  // namespace lumo::player
