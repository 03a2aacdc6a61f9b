#pragma once
// frmSelPlaylist: the dialog in which the user chooses a standard playlist,
// an auto playlist or a CD (with the criterion that recognises it later).
// This class holds the dialog's state and every decision; the Qt dialog
// (sel_playlist_dialog.h) only shows it. One instance serves the process: it
// is loaded once and only hidden afterwards, so its lists, selections, tab
// and tick persist from one showing to the next.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/codes.h"
#include "common/form_settings.h"
#include "dialogs/list_view_state.h"
#include "dialogs/selection_layout.h"
#include "dialogs/unload_mode.h"

namespace lumo::failsafe {
class Procedure;
}

namespace lumo::dialogs {

// What a stored "ShuffleMode" text means for the dialog: the tick is off
// only for a number equal to 0; a text that is no number at all is to be
// replaced by the default.
struct StoredShuffleMode {
    bool ticked = true;
    int32_t mode = shuffle_mode::On;
    bool replaceStored = false;
};
StoredShuffleMode storedShuffleModeOf(std::string_view stored);

class frmSelPlaylist {
public:
    frmSelPlaylist();

    static constexpr int32_t tabStandard = 0, tabAuto = 1, tabCdroms = 2;
    static constexpr std::string_view title = "Select Playlist", confirmTitle = "Confirm Playlist";

    // The eight values SelectPlaylists hands back. Plain stored values:
    // nothing checks what is assigned.
    std::string SelectedPlaylist();
    void setSelectedPlaylist(std::string value);
    int32_t PlayListType();
    void setPlayListType(int32_t value);
    std::string DriveLetter();
    void setDriveLetter(std::string value);
    std::string SerialNumber();
    void setSerialNumber(std::string value);
    std::string VolumeName();
    void setVolumeName(std::string value);
    int32_t HowToIDDisk();
    void setHowToIDDisk(int32_t value);
    int32_t ShuffleMode();
    void setShuffleMode(int32_t value);
    VBool Cancelled();
    void setCancelled(VBool value);

    // The window whose rectangle is saved and restored; none without a
    // display. The toolbar's and tab control's metrics come from it too.
    void attachWindow(common::FormWindow* window) { window_ = window; }
    void setPlatformMetrics(const selection_layout::PlatformMetrics& metrics) { metrics_ = metrics; }

    // Once, before the first showing: the playlist lists, tab 0, the first
    // rows selected, the serial number ticked, the shuffle default.
    void Form_Load();
    // At every showing and every return from another window of the program:
    // the saved rectangle and the saved shuffle default again.
    void Form_Activate();
    void Form_Resize(const selection_layout::ClientArea& client);
    // True when the close is refused: the user's close box and the
    // program's own unload become Cancel; the session ending, the task
    // manager or a closing parent are let through untouched.
    bool Form_QueryUnload(UnloadMode mode);
    // Without a display: answered as if the user had closed the window.
    void answerWithoutDisplay();

    // The user's actions.
    void tabPlaylists_Click(int32_t tab);
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdRefreshCDROMS_Click();
    void lvCDROMS_ColumnClick(int32_t column);
    void lvCDROMS_ItemClick(int32_t row);
    // A row chosen in a list: -1 or a row outside the list selects nothing.
    // For the CD list the view also sends lvCDROMS_ItemClick.
    void selectRow(int32_t tab, int32_t row);
    void setShuffleTicked(bool ticked) { shuffleTicked_ = ticked; }
    void menuMorePlaylistReport_Click();
    void menuMoreShowWMPVersion_Click();

    // The shuffle default ("LUMO Audio"/"Settings"/"ShuffleMode").
    void GetShuffleMode();
    void SetRegDefaultShuffleMode();
    void SaveLastSuffleModeSetting();

    // What opens the playlist check window for the current tab's selected
    // row; until one is installed, "Playlist..." is not offered.
    void setPlaylistCheck(std::function<void()> open) { playlistCheck_ = std::move(open); }
    bool playlistCheckAvailable() const { return static_cast<bool>(playlistCheck_); }

    // What a view shows.
    bool loaded() const { return loaded_; }
    bool visible() const { return visible_; }
    void Show() { visible_ = true; }
    const std::string& caption() const { return caption_; }
    int32_t currentTab() const { return currentTab_; }
    bool okEnabled() const { return okEnabled_; }
    bool refreshEnabled() const { return refreshEnabled_; }
    bool shuffleTicked() const { return shuffleTicked_; }
    const ListViewState& list(int32_t tab) const;
    const ListViewState& lvStandard() const { return standard_; }
    const ListViewState& lvAuto() const { return auto_; }
    const ListViewState& lvCDROMS() const { return cdroms_; }
    // The list in front of the other two: the current tab's.
    int32_t frontList() const { return frontList_; }
    const selection_layout::Toolbar& toolbar() const { return toolbar_; }
    const selection_layout::Controls& controls() const { return controls_; }
    bool columnsSized() const { return columnsSized_; }

private:
    ListViewState& listOf(int32_t tab);
    void BuildStandardAndAutoLists();
    void RefreshCDROMS();
    void ResizeControls();
    void okOnPlaylistTab(failsafe::Procedure& proc, int32_t kind, const ListViewState& list);
    void okOnCdromTab(failsafe::Procedure& proc);
    void nothingChosen();
    void Accept(failsafe::Procedure& proc);
    void Hide() { visible_ = false; }

    // Result properties.
    std::string selectedPlaylist_;
    int32_t playListType_ = 0;
    std::string driveLetter_, serialNumber_, volumeName_;
    int32_t howToIDDisk_ = 0;
    int32_t shuffleMode_ = 0;
    VBool cancelled_ = VFalse;

    common::FormWindow* window_ = nullptr;
    selection_layout::PlatformMetrics metrics_;
    bool loaded_ = false, visible_ = false;
    std::string caption_;
    int32_t currentTab_ = -1;
    bool okEnabled_ = true, refreshEnabled_ = true, shuffleTicked_ = false;
    ListViewState standard_, auto_, cdroms_;
    int32_t frontList_ = tabStandard;
    selection_layout::Toolbar toolbar_;
    selection_layout::ClientArea client_;
    selection_layout::Controls controls_;
    bool columnsSized_ = false;
    std::function<void()> playlistCheck_;
};

// The dialog of the process.
frmSelPlaylist& SelPlaylist();

}  // namespace lumo::dialogs
