#pragma once
// The selection dialog as SelectPlaylists sees it: shown modally, it hands
// back the eight values the host keeps.

#include <cstdint>
#include <functional>
#include <string>

#include "automation/codes.h"

namespace lumo::automation {

struct SelectionResult {
    int32_t playListType = playlist_type::None;
    std::string selectedPlaylist;
    int32_t howToIDDisk = how_to_id::None;
    std::string serialNumber;
    std::string volumeName;
    std::string driveLetter;
    int32_t shuffleMode = shuffle_mode::NotAccepted;
    VBool cancelled = VFalse;
};

SelectionResult showSelectionDialog();

// The dialog the library shows; replaced by the windows library at start-up
// and by tests.
using SelectionDialog = std::function<SelectionResult()>;
void setSelectionDialog(SelectionDialog dialog);

}  // namespace lumo::automation
