// The selection dialog's lifecycle, lists, tabs, layout and shuffle default.
#include "dialogs/sel_playlist.h"

#include "common/message_boxes.h"
#include "common/shared_fso.h"
#include "dialogs/cd_criteria.h"
#include "failsafe/procedure.h"
#include "failsafe/runtime_error.h"
#include "failsafe/value.h"
#include "platform/user_settings.h"
#include "player/audio_player_host.h"

namespace lumo::dialogs {
namespace {

using failsafe::PassOver;
using failsafe::Procedure;
namespace layout = selection_layout;

constexpr std::string_view diskAvailable = "Yes", diskNotAvailable = "No";

ListViewState playlistList(std::string key) {
    ListViewState list;
    list.columns = {{std::move(key), "Playlists", "", -1, 0}};
    return list;
}

platform::PlaylistArrayPtr playlistArray() {
    platform::PlaylistArrayPtr array = player::AudioPlayer().PlayListArray();
    if (!array) failsafe::raiseError(failsafe::error::ObjectNotSet);
    return array;
}

}  // namespace

frmSelPlaylist::frmSelPlaylist()
    : standard_(playlistList("standard_playlists")), auto_(playlistList("auto_playlists")),
      cdroms_(cd_criteria::cdromList()) {
    // Until the first sizing the lists keep the design layout.
    if (const auto placed = layout::ResizeControls(client_, layout::toolbarHeight, metrics_.tabStripHeight))
        controls_ = *placed;
}

void frmSelPlaylist::Form_Load() {
    Procedure proc("frmSelPlaylist", "Sub Form_Load");
    loaded_ = true;
    proc.step([&] { refreshEnabled_ = false; });
    proc.step([&] {
        if (window_) common::RestoreFormSettings(*window_);
    });
    proc.step([&] { toolbar_ = layout::LoadToolBar(metrics_); });
    proc.step([&] { BuildStandardAndAutoLists(); });
    proc.step([&] { tabPlaylists_Click(tabStandard); });
    proc.step([&] {
        for (ListViewState* list : {&standard_, &auto_, &cdroms_})
            if (!list->rows.empty()) list->select(0);
    });
    proc.step([&] {
        const int32_t serial = cdroms_.columnIndex("serial_number");
        cd_criteria::ShowHeaderIcon(cdroms_, serial, cd_criteria::tickImage, true);
        cdroms_.columns.at(serial).tag = cd_criteria::ticked;
    });
    proc.step([&] { GetShuffleMode(); });
}

void frmSelPlaylist::Form_Activate() {
    Procedure proc("frmSelPlaylist", "Sub Form_Activate");
    proc.step([&] {
        if (window_) common::RestoreFormSettings(*window_);
    });
    proc.step([&] { GetShuffleMode(); });
}

void frmSelPlaylist::Form_Resize(const layout::ClientArea& client) {
    Procedure proc("frmSelPlaylist", "Sub Form_Resize");
    client_ = client;
    proc.step([&] { ResizeControls(); });
    if (columnsSized_) return;
    proc.step([&] {
        for (ColumnHeader& column : standard_.columns) column.width = layout::playlistColumnShare * controls_.list.width;
        for (ColumnHeader& column : auto_.columns) column.width = layout::playlistColumnShare * controls_.list.width;
        for (ColumnHeader& column : cdroms_.columns) column.width = layout::cdromColumnShare * controls_.list.width;
        columnsSized_ = true;
    });
}

void frmSelPlaylist::ResizeControls() {
    if (const auto placed = layout::ResizeControls(client_, layout::toolbarHeight, metrics_.tabStripHeight))
        controls_ = *placed;
}

bool frmSelPlaylist::Form_QueryUnload(UnloadMode mode) {
    Procedure proc("frmSelPlaylist", "Sub Form_QueryUnload");
    bool refused = false;
    proc.step([&] {
        if (mode != UnloadMode::ControlMenu && mode != UnloadMode::FromCode) return;
        // The window is never unloaded: its state must outlive this showing.
        cmdCancel_Click();
        refused = true;
    });
    return refused;
}

void frmSelPlaylist::answerWithoutDisplay() {
    Procedure proc("frmSelPlaylist", "Sub AnswerWithoutDisplay");
    // Nobody can choose: the host gets what closing the window at once
    // gives, and the log says why the user was never asked.
    proc.step([&] {
        if (!loaded_) Form_Load();
    });
    proc.step([&] {
        Show();
        Form_Activate();
    });
    proc.step([&] { Form_QueryUnload(UnloadMode::ControlMenu); });
    proc.step([&] {
        common::LogError("frmSelPlaylist.Show", 0, 0,
                         "No display to show the playlist selection on: answered as closed by the user");
    });
}

void frmSelPlaylist::tabPlaylists_Click(int32_t tab) {
    Procedure proc("frmSelPlaylist", "Sub tabPlaylists_Click");
    if (tab < tabStandard || tab > tabCdroms) return;
    static constexpr std::string_view captions[] = {"Standard Playlists", "Auto Playlists", "CDROM Playlists"};
    proc.step([&] {
        currentTab_ = tab;
        refreshEnabled_ = tab == tabCdroms;
        frontList_ = tab;
        caption_ = captions[tab];
    });
    proc.step([&] { ResizeControls(); });
    proc.step([&] {
        const ListViewState& shown = listOf(tab);
        if (tab != tabCdroms) {
            okEnabled_ = !shown.rows.empty();
        } else {
            const ListRow* row = shown.selected();
            okEnabled_ = row && cellText(*row, 2) == diskAvailable;
        }
    });
}

void frmSelPlaylist::BuildStandardAndAutoLists() {
    Procedure proc("frmSelPlaylist", "Sub BuildStandardAndAutoLists");
    proc.step([&] {
        standard_.clearRows();
        auto_.clearRows();
    });
    int32_t count = 0;
    proc.step([&] { count = playlistArray()->count(); });
    for (int32_t i = 0; i < count; ++i) {
        proc.step([&] {
            const platform::PlaylistPtr playlist = playlistArray()->item(i);
            if (playlist->count() <= 0) return;  // empty playlists are offered nowhere
            ListViewState& target = playlist->getItemInfo("PlaylistType") == "Auto" ? auto_ : standard_;
            target.rows.push_back({"key_" + std::to_string(i), playlist->name(), {}});
        });
    }
    ++standard_.rowsRevision;
    ++auto_.rowsRevision;
}

void frmSelPlaylist::cmdRefreshCDROMS_Click() {
    Procedure proc("frmSelPlaylist", "Sub cmdRefreshCDROMS_Click");
    proc.step([&] { RefreshCDROMS(); });
}

void frmSelPlaylist::RefreshCDROMS() {
    Procedure proc("frmSelPlaylist", "Sub RefreshCDROMS", PassOver{});
    cdroms_.clearRows();
    int32_t available = 0;
    std::vector<platform::DrivePtr> drives;
    proc.step([&] {
        const auto fso = common::sharedFSO();
        if (!fso) failsafe::raiseError(failsafe::error::ObjectNotSet);
        drives = fso->drives();
    });
    for (const platform::DrivePtr& drive : drives) {
        // A drive whose type or letter cannot be read is passed over.
        bool cdrom = false;
        if (!proc.step([&] { cdrom = drive->driveType() == platform::drive_type::CdRom; }) || !cdrom) continue;
        ListRow row;
        if (!proc.step([&] { row.text = drive->driveLetter() + ":"; })) continue;
        bool ready = false;
        proc.step([&] { ready = drive->isReady(); });
        row.subItems.assign(4, "");
        if (ready) {
            row.subItems[0] = diskAvailable;
            proc.step([&] { row.subItems[1] = drive->fileSystem(); });
            proc.step([&] { row.subItems[2] = drive->volumeName(); });
            proc.step([&] { row.subItems[3] = std::to_string(drive->serialNumber()); });
            ++available;
        } else {
            row.subItems[0] = diskNotAvailable;
        }
        cdroms_.rows.push_back(std::move(row));
    }
    ++cdroms_.rowsRevision;
    okEnabled_ = available != 0;
    if (!cdroms_.rows.empty()) {
        // The first row decides, whatever the others hold.
        cdroms_.select(0);
        okEnabled_ = cellText(cdroms_.rows.front(), 2) == diskAvailable;
    }
}

void frmSelPlaylist::lvCDROMS_ColumnClick(int32_t column) { cd_criteria::ColumnClick(cdroms_, column); }

void frmSelPlaylist::lvCDROMS_ItemClick(int32_t row) {
    Procedure proc("frmSelPlaylist", "Sub lvCDROMS_ItemClick");
    proc.step([&] {
        cdroms_.select(row);
        const ListRow& clicked = cdroms_.rows.at(static_cast<size_t>(row));
        okEnabled_ = cellText(clicked, 2) == diskAvailable;
    });
}

void frmSelPlaylist::selectRow(int32_t tab, int32_t row) {
    if (tab >= tabStandard && tab <= tabCdroms) listOf(tab).select(row);
}

const ListViewState& frmSelPlaylist::list(int32_t tab) const {
    return tab == tabAuto ? auto_ : tab == tabCdroms ? cdroms_ : standard_;
}

ListViewState& frmSelPlaylist::listOf(int32_t tab) {
    return tab == tabAuto ? auto_ : tab == tabCdroms ? cdroms_ : standard_;
}

void frmSelPlaylist::GetShuffleMode() {
    Procedure proc("frmSelPlaylist", "Sub GetShuffleMode");
    std::string stored;
    proc.step([&] { stored = platform::readSetting("LUMO Audio", "Settings", "ShuffleMode").value_or(""); });
    proc.step([&] {
        const StoredShuffleMode read = storedShuffleModeOf(stored);
        shuffleTicked_ = read.ticked;
        shuffleMode_ = read.mode;
        if (read.replaceStored) SetRegDefaultShuffleMode();
    });
}

StoredShuffleMode storedShuffleModeOf(std::string_view stored) {
    const std::optional<double> number = failsafe::Value(stored).number();
    StoredShuffleMode read;
    read.ticked = number != 0.0;
    read.mode = number == 0.0 ? shuffle_mode::NotAccepted : shuffle_mode::On;
    // A value that is no number at all is replaced; another number stays
    // stored until the next accepted choice.
    read.replaceStored = !number;
    return read;
}

void frmSelPlaylist::SetRegDefaultShuffleMode() {
    Procedure proc("frmSelPlaylist", "Sub SetRegDefaultShuffleMode", PassOver{});
    proc.step([&] { platform::writeSetting("LUMO Audio", "Settings", "ShuffleMode", "1"); });
}

void frmSelPlaylist::SaveLastSuffleModeSetting() {
    Procedure proc("frmSelPlaylist", "Sub SaveLastSuffleModeSetting", PassOver{});
    proc.step([&] { platform::writeSetting("LUMO Audio", "Settings", "ShuffleMode", shuffleTicked_ ? "1" : "0"); });
}

frmSelPlaylist& SelPlaylist() {
    static frmSelPlaylist dialog;
    return dialog;
}

}  // namespace lumo::dialogs
