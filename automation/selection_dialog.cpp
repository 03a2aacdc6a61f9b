#include "automation/selection_dialog.h"

#include "common/message_boxes.h"

namespace lumo::automation {
namespace {

// Without a dialog to show nothing can be chosen: the host gets what a
// dialog closed without a choice gives, and the log says why.
SelectionResult nothingChosen() {
    common::LogError("cLUMOAudio.SelectPlaylists", 0, 0, "the selection dialog is not available in this build");
    SelectionResult result;
    result.cancelled = VTrue;
    return result;
}

SelectionDialog& current() {
    static SelectionDialog dialog = nothingChosen;
    return dialog;
}

}  // namespace

SelectionResult showSelectionDialog() { return current()(); }

void setSelectionDialog(SelectionDialog dialog) { current() = dialog ? std::move(dialog) : nothingChosen; }

}  // namespace lumo::automation
