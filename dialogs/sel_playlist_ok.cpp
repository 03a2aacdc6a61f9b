// What OK and Cancel of the selection dialog do: every check, question and
// message, and the values the host gets.
#include "common/codes.h"
#include "common/message_boxes.h"
#include "dialogs/cd_criteria.h"
#include "dialogs/sel_playlist.h"
#include "failsafe/procedure.h"
#include "failsafe/user_interface.h"

namespace lumo::dialogs {
namespace {

using failsafe::Procedure;
namespace box = failsafe::box;

constexpr int32_t confirmStyle = box::YesNo | box::Question;                             // 36
constexpr int32_t noCriterionStyle = box::YesNo | box::Question | box::DefaultButton2;  // 292, No the default

constexpr std::string_view noCdSelected =
    "No CD selected!\r\rTo update the list of cd-roms available on the system, press 'Refresh CD ROMS'.";

constexpr std::string_view noCriterionQuestion =
    "No criteria has been set for how to identify the selected CD.\r\r"
    "** It is recommended that a CD be identified by it's serial number. **\r\r"
    "To ensure this, simply click on the column 'Serial Number'\r"
    "and a red checkmark will appear on that column to indicate\r"
    "the serial number will be used to identify the CD.\r\r"
    "Alternatively you can also choose to identify a CD by\r"
    "specifying a drive letter or volume name.\r\r"
    "With no identifying criteria being set, when the selected routine\r"
    "or saved session is played you will be prompted to supply\r"
    "the location of a CD to be used as a 'playlist'.\r\r"
    "Are you sure you wish to continue without setting a criteria\r"
    "for identifying the selected CD?";

// The first bit that applies names the criterion.
std::string_view criterionPhrase(int32_t bits) {
    if (bits & how_to_id::DriveLetter) return " and identify by the drive letter: ";
    if (bits & how_to_id::SerialNumber) return " and identify by the serial number: ";
    if (bits & how_to_id::VolumeName) return " and identify by the volume name: ";
    return "";
}

}  // namespace

void frmSelPlaylist::cmdOK_Click() {
    Procedure proc("frmSelPlaylist", "Sub cmdOK_Click");
    switch (currentTab_) {
        case tabStandard: okOnPlaylistTab(proc, playlist_type::Standard, standard_); break;
        case tabAuto: okOnPlaylistTab(proc, playlist_type::Auto, auto_); break;
        case tabCdroms: okOnCdromTab(proc); break;
        default: break;
    }
}

void frmSelPlaylist::okOnPlaylistTab(Procedure& proc, int32_t kind, const ListViewState& list) {
    const ListRow* row = list.selected();
    if (!row) {
        // OK without a choice closes the dialog silently.
        proc.step([&] { nothingChosen(); });
        Accept(proc);
        return;
    }
    proc.step([&] {
        selectedPlaylist_ = row->text;
        playListType_ = kind;
        driveLetter_.clear();
        serialNumber_.clear();
        volumeName_.clear();
        howToIDDisk_ = how_to_id::None;
    });
    int32_t answer = 0;
    proc.step([&] {
        answer = common::FunMsgBox("Use playlist '" + selectedPlaylist_ + "' ?", confirmStyle, confirmTitle);
    });
    if (answer == box::No) return;
    Accept(proc);
}

void frmSelPlaylist::okOnCdromTab(Procedure& proc) {
    const ListRow* row = cdroms_.selected();
    if (!row) {
        proc.step([&] { nothingChosen(); });
        proc.step([&] { common::SubMsgBox(noCdSelected, box::Critical, title); });
        return;
    }
    if (cellText(*row, 2) != "Yes") {
        proc.step([&] { common::SubMsgBox("No CD available!", box::Critical, title); });
        return;
    }
    proc.step([&] {
        selectedPlaylist_ = "CDROM";
        playListType_ = playlist_type::Cdrom;
        driveLetter_ = row->text;
        serialNumber_ = cellText(*row, 5);
        volumeName_ = cellText(*row, 4);
    });
    std::string description;
    proc.step([&] { howToIDDisk_ = cd_criteria::GetHowToIDCDROM(cdroms_, description); });
    int32_t answer = 0;
    if (howToIDDisk_ == how_to_id::None) {
        proc.step([&] { answer = common::FunMsgBox(noCriterionQuestion, noCriterionStyle, title); });
    } else {
        proc.step([&] {
            const std::string question =
                "Use CDROM playlist" + std::string(criterionPhrase(howToIDDisk_)) + "\r\r" + description;
            answer = common::FunMsgBox(question, confirmStyle, confirmTitle);
        });
    }
    if (answer == box::No) return;
    Accept(proc);
}

void frmSelPlaylist::nothingChosen() {
    selectedPlaylist_.clear();
    driveLetter_.clear();
    serialNumber_.clear();
    volumeName_.clear();
    playListType_ = playlist_type::None;
    howToIDDisk_ = how_to_id::None;
}

void frmSelPlaylist::Accept(Procedure& proc) {
    proc.step([&] { SaveLastSuffleModeSetting(); });
    proc.step([&] {
        shuffleMode_ = shuffleTicked_ ? shuffle_mode::On : shuffle_mode::Off;
    });
    proc.step([&] {
        if (window_) common::SaveFormSettings(*window_);
    });
    proc.step([&] { Hide(); });
}

void frmSelPlaylist::cmdCancel_Click() {
    Procedure proc("frmSelPlaylist", "Sub cmdCancel_Click");
    // The drive of the last CD chosen and the shuffle choice stay.
    proc.step([&] {
        cancelled_ = VTrue;
        selectedPlaylist_.clear();
        playListType_ = playlist_type::None;
        serialNumber_.clear();
        volumeName_.clear();
        howToIDDisk_ = how_to_id::None;
    });
    proc.step([&] {
        if (window_) common::SaveFormSettings(*window_);
    });
    proc.step([&] { Hide(); });
}

}  // namespace lumo::dialogs
