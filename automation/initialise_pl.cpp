// Activating a choice the host kept (InitialisePL with the CD checks before
// a disc's tracks become current) and letting the user choose
// (SelectPlaylists).

#include "automation/lumo_audio_object.h"
#include "automation/selection_dialog.h"
#include "common/codes.h"
#include "dialogs/prompt_for_disc_dialog.h"
#include "failsafe/procedure.h"
#include "player/audio_player_host.h"

namespace lumo::automation {

using failsafe::Procedure;

HRESULT cLUMOAudio::InitialisePL(std::string* sPromptedDrive, int32_t* nPlayListType, std::string* sPlayList,
                                 int32_t* nHowToIDCD, std::string* sDriveLetter, std::string* sSerNum,
                                 std::string* sVolumeName, int32_t* nShuffleMode, int32_t* cCDROMs,
                                 std::string* sWMPError, int32_t* nPLError, int16_t* result) {
    Procedure proc("cLUMOAudio", "Function InitialisePL");
    bool activated = false;
    std::string wmpError = sWMPError ? *sWMPError : std::string();
    int32_t flags = 0;
    int32_t drives = cCDROMs ? *cCDROMs : 0;
    ActiveSelection& selection = activeSelection();
    proc.step([&] { selection.sPromptedDrive.clear(); });
    proc.step([&] {
        selection.nPlayListType = nPlayListType ? *nPlayListType : 0;
        selection.sPlayList = sPlayList ? *sPlayList : "";
        selection.nHowToIDCD = nHowToIDCD ? *nHowToIDCD : 0;
        selection.sDriveLetter = sDriveLetter ? *sDriveLetter : "";
        selection.sSerNum = sSerNum ? *sSerNum : "";
        selection.sVolumeName = sVolumeName ? *sVolumeName : "";
        selection.nShuffleMode = nShuffleMode ? *nShuffleMode : 0;
    });
    proc.step([&] {
        switch (selection.nPlayListType) {
            case playlist_type::Standard: activated = player::AudioPlayer().SetStandard_PL(wmpError, flags); break;
            case playlist_type::Auto: activated = player::AudioPlayer().SetAuto_PL(wmpError, flags); break;
            case playlist_type::Cdrom: activated = SetCDROM_PL(wmpError, flags, drives); break;
            default: activated = false; break;
        }
    });
    proc.step([&] {
        if (sPromptedDrive) *sPromptedDrive = selection.sPromptedDrive;
    });
    // What the activation wrote comes back even when a step left early.
    if (nPLError) *nPLError = flags;
    if (sWMPError) *sWMPError = wmpError;
    if (cCDROMs && selection.nPlayListType == playlist_type::Cdrom) *cCDROMs = drives;
    if (result) *result = toVBool(activated);
    return hr::S_OK;
}

bool cLUMOAudio::SetCDROM_PL(std::string& sWMPError, int32_t& nPLError, int32_t& cCDROMs) {
    Procedure proc("cLUMOAudio", "Function SetCDROM_PL");
    const ActiveSelection& selection = activeSelection();
    const int32_t how = selection.nHowToIDCD;
    bool result = false;
    bool failedCheck = false;
    auto check = [&](auto&& statement) {
        if (!failedCheck) proc.step([&] { failedCheck = !statement(); });
    };
    check([&] {
        cCDROMs = player::AudioPlayer().GetCountCDROMS_WMP(sWMPError);
        if (cCDROMs != 0 && cCDROMs != -1) return true;
        nPLError |= pl_error::NoCdDrive;
        return false;
    });
    check([&] {
        if (!(how & how_to_id::DriveLetter) || player::AudioPlayer().WMPDriveExists(selection.sDriveLetter)) return true;
        nPLError |= pl_error::NoSuchDrive;
        return false;
    });
    check([&] {
        std::string drive;
        if (!(how & how_to_id::VolumeName) || player::AudioPlayer().VolumeNameExistsAnyDrive(drive)) return true;
        nPLError |= pl_error::NoDiscWithVolume;
        return false;
    });
    check([&] {
        std::string drive;
        if (!(how & how_to_id::SerialNumber) || player::AudioPlayer().CDSerNumExistsAnyDrive(drive)) return true;
        nPLError |= pl_error::NoDiscWithSerial;
        return false;
    });
    check([&] {
        if (how != how_to_id::None) return true;
        const int32_t answer = dialogs::showDiscPrompt();
        // The prompt's flags replace what was gathered so far.
        nPLError = dialogs::PromptForDisc().CDError();
        return answer != dialogs::frmPromptForDisc::PromptCancelled;
    });
    check([&] {
        result = player::AudioPlayer().SetCDROM_PL(sWMPError, nPLError);
        return true;
    });
    return result;
}

HRESULT cLUMOAudio::SelectPlaylists(int32_t* nPlayListType, std::string* sPlayList, int32_t* nHowToIDCD,
                                    std::string* sSerNum, std::string* sVolumeName, std::string* sDriveLetter,
                                    int32_t* nShuffleMode, int16_t* fCancelled) {
    Procedure proc("cLUMOAudio", "Sub SelectPlaylists");
    SelectionResult chosen;
    proc.step([&] { chosen = showSelectionDialog(); });
    proc.step([&] {
        if (nPlayListType) *nPlayListType = chosen.playListType;
        if (sPlayList) *sPlayList = chosen.selectedPlaylist;
        if (nHowToIDCD) *nHowToIDCD = chosen.howToIDDisk;
        if (sSerNum) *sSerNum = chosen.serialNumber;
        if (sVolumeName) *sVolumeName = chosen.volumeName;
        if (nShuffleMode) *nShuffleMode = chosen.shuffleMode;
        if (sDriveLetter) *sDriveLetter = chosen.driveLetter;
        if (fCancelled) *fCancelled = chosen.cancelled;
    });
    return hr::S_OK;
}

}  // namespace lumo::automation
