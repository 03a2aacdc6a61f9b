// The commands of the selection dialog's "More..." menu.
#include "common/message_boxes.h"
#include "dialogs/sel_playlist.h"
#include "failsafe/procedure.h"
#include "failsafe/user_interface.h"
#include "player/audio_player_host.h"

namespace lumo::dialogs {

using failsafe::Procedure;
namespace box = failsafe::box;

void frmSelPlaylist::menuMorePlaylistReport_Click() {
    Procedure proc("frmSelPlaylist", "Sub menuMorePlaylistReport_Click");
    constexpr std::string_view checkTitle = "Check Playlist";
    if (currentTab_ < tabStandard || currentTab_ > tabCdroms) return;
    const ListRow* row = list(currentTab_).selected();
    std::string_view refusal;
    if (currentTab_ == tabCdroms) {
        if (!row) refusal = "No CD playlist selected!";
        else if (cellText(*row, 2) == "No") refusal = "CDROM not ready!";
    } else if (!row) {
        refusal = "No playlist selected!";
    }
    if (!refusal.empty()) {
        proc.step([&] { common::SubMsgBox(refusal, box::Critical, checkTitle); });
        return;
    }
    // The check window reads the current tab and its selected row from this
    // dialog; once it closes, this dialog is the active window again.
    if (!playlistCheck_) return;
    proc.step([&] { playlistCheck_(); });
    proc.step([&] { Form_Activate(); });
}

void frmSelPlaylist::menuMoreShowWMPVersion_Click() {
    Procedure proc("frmSelPlaylist", "Sub menuMoreShowWMPVersion_Click");
    std::string version;
    proc.step([&] { version = player::AudioPlayer().WMPlayer().versionInfo(); });
    proc.step([&] { common::SubMsgBox("WMP version info: " + version, box::OkOnly, ""); });
}

}  // namespace lumo::dialogs
