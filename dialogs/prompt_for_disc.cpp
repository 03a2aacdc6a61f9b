#include "dialogs/prompt_for_disc.h"

#include <algorithm>

#include "common/codes.h"
#include "common/message_boxes.h"
#include "failsafe/procedure.h"
#include "failsafe/user_interface.h"
#include "player/audio_player_host.h"

namespace lumo::dialogs {

using failsafe::Procedure;

void frmPromptForDisc::Form_Load() {
    Procedure proc("frmPromptForDisc", "Sub Form_Load");
    loaded_ = true;
    proc.step([&] { ListCDROMS(); });
}

void frmPromptForDisc::ListCDROMS() {
    Procedure proc("frmPromptForDisc", "Sub ListCDROMS");
    // A fresh window: empty list, nothing selected, OK enabled.
    entries_.clear();
    listIndex_ = -1;
    okEnabled_ = true;
    int32_t count = 0;
    proc.step([&] {
        std::string sWMPError;
        count = player::AudioPlayer().GetCountCDROMS_WMP(sWMPError);
    });
    if (count > 0) {
        for (int32_t i = 0; i < count; ++i) {
            proc.step([&] {
                entries_.push_back(player::AudioPlayer().WMPlayer().cdromCollection().item(i)->driveSpecifier());
            });
        }
    } else {
        proc.step([&] {
            okEnabled_ = false;
            entries_.emplace_back(noDrivesEntry);
        });
    }
}

void frmPromptForDisc::setListIndex(int32_t index) {
    listIndex_ = index >= 0 && index < static_cast<int32_t>(entries_.size()) ? index : -1;
}

void frmPromptForDisc::cmdOK_Click() {
    Procedure proc("frmPromptForDisc", "Sub cmdOK_Click");
    if (!okEnabled_) return;  // a disabled button is never clicked
    if (listIndex_ < 0) {
        proc.step([&] { common::SubMsgBox("No CDROM selected!", failsafe::box::Information, caption); });
        return;
    }
    proc.step([&] { activeSelection().sPromptedDrive = entries_.at(listIndex_); });
    proc.step([&] {
        promptResult_ = DriveConfirmed;
        Unload();
    });
}

void frmPromptForDisc::cmdCancel_Click() {
    Procedure proc("frmPromptForDisc", "Sub cmdCancel_Click");
    proc.step([&] {
        cancelledByUser();
        Unload();
    });
}

void frmPromptForDisc::Form_QueryUnload(UnloadMode mode) {
    Procedure proc("frmPromptForDisc", "Sub Form_QueryUnload");
    proc.step([&] {
        if (mode == UnloadMode::ControlMenu) cancelledByUser();
    });
    Unload();
}

ListPlacement frmPromptForDisc::Form_Resize(int32_t outerHeight, int32_t statusBarHeight) {
    Procedure proc("frmPromptForDisc", "Sub Form_Resize");
    ListPlacement placement;
    // A window sized below its status bar leaves the list no height, not a
    // negative one.
    proc.step([&] { placement.height = std::max(0, outerHeight - statusBarHeight); });
    return placement;
}

void frmPromptForDisc::answerWithoutDisplay() {
    Procedure proc("frmPromptForDisc", "Sub AnswerWithoutDisplay");
    // Without a display there is no user to choose a drive. Answering as the
    // close box does ends the activation as cancelled instead of blocking a
    // headless host; the log says why the user was never asked.
    proc.step([&] { cancelledByUser(); });
    proc.step([&] {
        common::LogError("frmPromptForDisc.Show", 0, 0,
                         "No display to show the disc prompt on: answered as closed by the user");
    });
}

void frmPromptForDisc::cancelledByUser() {
    promptResult_ = PromptCancelled;
    cdError_ |= pl_error::PromptCancelled;
}

frmPromptForDisc& PromptForDisc() {
    static frmPromptForDisc prompt;
    return prompt;
}

}  // namespace lumo::dialogs
