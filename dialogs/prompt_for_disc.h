#pragma once
// frmPromptForDisc: asks which CD drive to use when a CD playlist is
// activated without a way to recognise its disc. This class holds the
// dialog's state and every decision; the Qt dialog (prompt_for_disc_dialog.h)
// only shows it. One instance serves the process, and its PromptResult and
// CDError keep their values between showings: nothing resets them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/twips.h"
#include "dialogs/unload_mode.h"

namespace lumo::dialogs {

struct ListPlacement {
    int32_t top = 0, height = 0;  // twips
};

class frmPromptForDisc {
public:
    static constexpr int32_t DriveConfirmed = 1, PromptCancelled = 2;
    static constexpr std::string_view caption = "Select CDROM Playlist";
    static constexpr std::string_view noDrivesEntry = "No CDROMS found!";

    // The design, in twips: the client area and the controls in tab order.
    static constexpr int32_t clientWidth = 4440, clientHeight = 2550;
    static constexpr TwipsRect lstCDROMS{0, 0, 2655, 2010};
    static constexpr TwipsRect cmdOK{3000, 240, 1215, 375};
    static constexpr TwipsRect cmdCancel{3000, 840, 1215, 375};
    static constexpr TwipsRect sb1{0, 2175, 4440, 375};  // kept at the bottom edge

    // 0 until the first answer, then 1 (a drive confirmed) or 2 (cancelled).
    int32_t PromptResult() const { return promptResult_; }
    void setPromptResult(int32_t result) { promptResult_ = result; }
    // Flags for the caller; the prompt only ever adds PromptCancelled.
    int32_t CDError() const { return cdError_; }
    void setCDError(int32_t flags) { cdError_ = flags; }

    // Loading fills the list from the player's CD drives, none selected.
    void Form_Load();
    bool loaded() const { return loaded_; }
    const std::vector<std::string>& entries() const { return entries_; }
    int32_t listIndex() const { return listIndex_; }
    // -1, or an index outside the list, selects nothing.
    void setListIndex(int32_t index);
    bool okEnabled() const { return okEnabled_; }

    void cmdOK_Click();
    void cmdCancel_Click();
    // Closing is never refused; only the user's close counts as Cancel.
    void Form_QueryUnload(UnloadMode mode);
    // Where the list goes for the window's outer height (title bar and
    // borders included): its lower end lies under the status bar.
    ListPlacement Form_Resize(int32_t outerHeight, int32_t statusBarHeight);

    // There is no display to show the window on, so no user to ask.
    void answerWithoutDisplay();

private:
    void ListCDROMS();
    void cancelledByUser();
    void Unload() { loaded_ = false; }

    int32_t promptResult_ = 0;
    int32_t cdError_ = 0;
    bool loaded_ = false;
    std::vector<std::string> entries_;
    int32_t listIndex_ = -1;
    bool okEnabled_ = true;
};

// The prompt of the process.
frmPromptForDisc& PromptForDisc();

}  // namespace lumo::dialogs
