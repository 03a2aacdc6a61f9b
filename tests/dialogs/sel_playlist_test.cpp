// The selection dialog's decisions, without a window: which playlists it
// lists, what OK and Cancel hand back on each tab, the questions it asks
// before, the close requests, the criterion tick and the shuffle default.
#include <gmock/gmock.h>

#include "automation/codes.h"
#include "dialogs/cd_criteria.h"
#include "dialogs/sel_playlist.h"
#include "tests/dialogs/selection_support.h"

namespace lumo::dialogs {
namespace {

using ::testing::ElementsAre;
namespace box = failsafe::box;

std::vector<std::string> texts(const ListViewState& list) {
    std::vector<std::string> out;
    for (const ListRow& row : list.rows) {
        out.push_back(row.text);
        for (const std::string& cell : row.subItems) out.back() += "|" + cell;
    }
    return out;
}

class SelPlaylistTest : public testing::SelectionTest {
protected:
    frmSelPlaylist dialog;

    // The eight values as the host gets them.
    std::string values() {
        return dialog.SelectedPlaylist() + "|" + std::to_string(dialog.PlayListType()) + "|" + dialog.DriveLetter() + "|" +
               dialog.SerialNumber() + "|" + dialog.VolumeName() + "|" + std::to_string(dialog.HowToIDDisk()) + "|" +
               std::to_string(dialog.ShuffleMode()) + "|" + std::to_string(dialog.Cancelled());
    }
    // Loads and shows the dialog as SelectPlaylists does.
    void open() {
        dialog.setCancelled(automation::VFalse);
        if (!dialog.loaded()) dialog.Form_Load();
        dialog.Show();
        dialog.Form_Activate();
    }
    // D not ready, E "MUSIC" with serial 305441741, on the refreshed CD tab.
    void onCdTabWithDrives() {
        drives->add("D", "Audio CD", 0, false);
        drives->add("E", "MUSIC", 0x1234ABCD);
        open();
        dialog.tabPlaylists_Click(frmSelPlaylist::tabCdroms);
        dialog.cmdRefreshCDROMS_Click();
    }
};

// A library whose playlist attribute the test chooses.
struct Library final : platform::PlaylistArray {
    std::vector<platform::PlaylistPtr> playlists;
    int32_t count() const override { return static_cast<int32_t>(playlists.size()); }
    platform::PlaylistPtr item(int32_t i) const override { return playlists.at(static_cast<size_t>(i)); }
};

TEST_F(SelPlaylistTest, ListsSplitTheLibraryLeaveEmptyPlaylistsOutAndOkNeedsRows) {
    auto library = std::make_shared<Library>();
    using platform::simulated::makePlaylist;
    library->playlists = {makePlaylist(testing::playlistOf("A", 3), "Auto"), makePlaylist(testing::playlistOf("B", 0), "Auto"),
                          makePlaylist(testing::playlistOf("C", 5), "Static"), makePlaylist(testing::playlistOf("D", 2), "auto")};
    player::AudioPlayer().setPlayListArray(library);
    open();
    EXPECT_THAT(texts(dialog.lvAuto()), ElementsAre("A"));
    EXPECT_THAT(texts(dialog.lvStandard()), ElementsAre("C", "D"));
    EXPECT_TRUE(dialog.okEnabled());
    dialog.tabPlaylists_Click(frmSelPlaylist::tabCdroms);
    EXPECT_FALSE(dialog.okEnabled()) << "the CD list is filled only by a refresh";

    for (const bool fails : {false, true}) {
        scenario.playlists = {testing::playlistOf("Empty", 0), testing::playlistOf("Also empty", 0, true)};
        scenario.libraryFails = fails;  // the host then holds no playlist array at all
        player::unloadAudioPlayer();
        frmSelPlaylist empty;
        empty.Form_Load();
        EXPECT_TRUE(empty.lvStandard().rows.empty() && empty.lvAuto().rows.empty());
        empty.tabPlaylists_Click(frmSelPlaylist::tabAuto);
        EXPECT_FALSE(empty.okEnabled()) << fails;
    }
}

TEST_F(SelPlaylistTest, RefreshListsCdDrivesWithSignedSerialsAndTheSelectedRowDecidesOk) {
    drives->add("C", "", 0)->type = platform::drive_type::Fixed;
    drives->add("F", "", 0, false);
    drives->add("E", "MUSIC", 0x1234ABCD);
    drives->add("G", "Audio CD", static_cast<int32_t>(0xA1B2C3D4));
    drives->add("H", "", -1)->volumeFails = true;
    open();
    dialog.tabPlaylists_Click(frmSelPlaylist::tabCdroms);
    dialog.cmdRefreshCDROMS_Click();
    EXPECT_THAT(texts(dialog.lvCDROMS()), ElementsAre("F:|No|||", "E:|Yes|CDFS|MUSIC|305441741",
                                                      "G:|Yes|CDFS|Audio CD|-1582119980", "H:|Yes|CDFS||-1"));
    EXPECT_FALSE(dialog.okEnabled()) << "the first row, F, is not ready";
    dialog.lvCDROMS_ItemClick(1);
    EXPECT_TRUE(dialog.okEnabled());
    drives->list.clear();
    dialog.cmdRefreshCDROMS_Click();
    EXPECT_FALSE(dialog.okEnabled());
}

TEST_F(SelPlaylistTest, HeaderClicksMoveTheOneTick) {
    constexpr int32_t letter = 0, available = 1, fileSystem = 2, volume = 3, serial = 4;
    const auto ticked = [](const ListViewState& list) {
        int32_t found = -1;
        for (size_t i = 0; i < list.columns.size(); ++i)
            if (list.columns[i].tag == "ticked") {
                EXPECT_EQ(found, -1) << "at most one tick";
                EXPECT_EQ(list.columns[i].image, 0) << "the tick is drawn";
                found = static_cast<int32_t>(i);
            }
        return found;
    };
    // before, click, after (-1: none ticked)
    const std::vector<std::tuple<int32_t, int32_t, int32_t>> table = {
        {-1, letter, letter},  {-1, available, -1},    {letter, letter, -1},   {letter, volume, volume},
        {letter, fileSystem, letter}, {volume, serial, serial}, {serial, serial, -1}, {serial, 7, serial},
    };
    for (const auto& [before, click, after] : table) {
        ListViewState list = cd_criteria::cdromList();
        if (before >= 0) cd_criteria::ColumnClick(list, before);
        cd_criteria::ColumnClick(list, click);
        EXPECT_EQ(ticked(list), after) << before << " then " << click;
    }
    // Only "ticked" counts for OK; all three ticked by hand name every criterion.
    ListViewState list = cd_criteria::cdromList();
    list.rows = {{"", "E:", {"Yes", "CDFS", "MUSIC", "77"}}};
    list.select(0);
    list.columns[volume].tag = "yes";
    std::string description;
    EXPECT_EQ(cd_criteria::GetHowToIDCDROM(list, description), 0);
    for (int32_t c : {letter, volume, serial}) list.columns[c].tag = "ticked";
    EXPECT_EQ(cd_criteria::GetHowToIDCDROM(list, description), 14);
}

TEST_F(SelPlaylistTest, ShuffleDefaultFromEachStoredTextAndWhatOkStores) {
    const struct {
        std::optional<std::string> stored;
        bool ticked;
        std::string storedAfterLoad;
    } cases[] = {{std::nullopt, true, "1"}, {"0", false, "0"}, {"7", true, "7"}, {"abc", true, "1"}, {" 0 ", false, " 0 "}};
    for (const auto& c : cases) {
        std::filesystem::remove(platform::settingsFileOf("LUMO Audio"));
        if (c.stored) platform::writeSetting("LUMO Audio", "Settings", "ShuffleMode", *c.stored);
        frmSelPlaylist fresh;
        fresh.Form_Load();
        const std::string label = c.stored.value_or("<missing>");
        EXPECT_EQ(fresh.shuffleTicked(), c.ticked) << label;
        EXPECT_EQ(shuffleSetting(), c.storedAfterLoad) << label;
        ui->answers = {box::Yes};
        fresh.cmdOK_Click();
        EXPECT_EQ(fresh.ShuffleMode(), c.ticked ? 1 : 2) << label;
        EXPECT_EQ(shuffleSetting(), c.ticked ? "1" : "0") << label;
    }
    // An unaccepted change of the box is undone at the next activation; Cancel saves nothing.
    open();
    dialog.setShuffleTicked(true);
    dialog.Form_Activate();
    EXPECT_FALSE(dialog.shuffleTicked());
    dialog.setShuffleTicked(true);
    dialog.cmdCancel_Click();
    EXPECT_EQ(shuffleSetting(), "0");
}

TEST_F(SelPlaylistTest, OkOnAPlaylistTabAsksAndHandsBackTheChoice) {
    open();
    dialog.selectRow(frmSelPlaylist::tabStandard, -1);
    dialog.cmdOK_Click();  // nothing selected: closes without a choice, silently
    EXPECT_TRUE(ui->boxes.empty());
    EXPECT_EQ(values(), "|-1||||0|1|0");

    open();
    dialog.tabPlaylists_Click(frmSelPlaylist::tabAuto);
    ui->answers = {box::No, box::Yes};
    dialog.cmdOK_Click();
    EXPECT_TRUE(dialog.visible()) << "No keeps the dialog open";
    dialog.setShuffleTicked(false);
    dialog.cmdOK_Click();
    EXPECT_FALSE(dialog.visible());
    EXPECT_EQ(ui->boxes.at(1).text, "Use playlist 'Long tracks' ?");
    EXPECT_EQ(values(), "Long tracks|1||||0|2|0");

    open();
    dialog.cmdCancel_Click();
    EXPECT_EQ(values(), "|-1||||0|0|-1");
}

TEST_F(SelPlaylistTest, OkOnTheCdTabNeedsAReadyDiscAndHandsBackItsCriterion) {
    open();
    dialog.tabPlaylists_Click(frmSelPlaylist::tabCdroms);
    dialog.cmdOK_Click();  // before any refresh: no CD selected
    onCdTabWithDrives();
    dialog.cmdOK_Click();  // D: is not ready
    ASSERT_EQ(ui->boxes.size(), 2u);
    EXPECT_TRUE(dialog.visible());
    EXPECT_EQ(values(), "|-1||||0|1|0");

    // The serial number is ticked from the load on. The rows say what the
    // refresh found, also when the drive has gone since.
    drives->list.clear();
    dialog.lvCDROMS_ItemClick(1);
    ui->answers = {box::Yes};
    dialog.cmdOK_Click();
    EXPECT_EQ(values(), "CDROM|2|E:|305441741|MUSIC|2|1|0");

    open();  // the tab, row and tick stay; without a tick OK asks, No the default
    dialog.lvCDROMS_ColumnClick(4);
    dialog.cmdOK_Click();  // no answer scripted: the default button
    ASSERT_EQ(ui->boxes.size(), 4u);
    EXPECT_EQ(ui->boxes[3].style & box::DefaultButton2, box::DefaultButton2);
    EXPECT_TRUE(dialog.visible());
    ui->answers = {box::Yes};
    dialog.cmdOK_Click();
    EXPECT_EQ(values(), "CDROM|2|E:|305441741|MUSIC|0|1|0");

    open();  // the drive letter ticked instead
    dialog.lvCDROMS_ColumnClick(0);
    ui->answers = {box::Yes};
    dialog.cmdOK_Click();
    EXPECT_EQ(dialog.HowToIDDisk(), automation::how_to_id::DriveLetter);
    open();
    dialog.cmdCancel_Click();
    EXPECT_EQ(values(), "|-1|E:|||0|1|-1") << "Cancel keeps the drive of the last CD";
}

TEST_F(SelPlaylistTest, CloseRequestsByReasonAndTheStateAHiddenDialogKeeps) {
    const std::vector<std::pair<UnloadMode, bool>> cases = {
        {UnloadMode::SystemShutdown, false}, {UnloadMode::TaskManager, false}, {static_cast<UnloadMode>(9), false},
        {UnloadMode::ControlMenu, true},     {UnloadMode::FromCode, true},  // the last leaves it loaded
    };
    for (const auto& [mode, refused] : cases) {
        open();
        dialog.setSelectedPlaylist("Jazz");
        EXPECT_EQ(dialog.Form_QueryUnload(mode), refused) << static_cast<int>(mode);
        EXPECT_EQ(dialog.Cancelled(), refused ? automation::VTrue : automation::VFalse);
        EXPECT_EQ(dialog.SelectedPlaylist(), refused ? "" : "Jazz");
    }
    scenario.playlists.push_back(testing::playlistOf("Added later", 1));
    player::unloadAudioPlayer();
    onCdTabWithDrives();
    dialog.lvCDROMS_ItemClick(1);
    dialog.Form_QueryUnload(UnloadMode::ControlMenu);
    open();
    EXPECT_EQ(dialog.currentTab(), frmSelPlaylist::tabCdroms);
    EXPECT_EQ(dialog.lvCDROMS().selectedIndex, 1);
    EXPECT_EQ(dialog.lvStandard().rows.size(), 2u) << "the lists are built once";
    dialog.cmdRefreshCDROMS_Click();
    EXPECT_EQ(dialog.lvCDROMS().selectedIndex, 0) << "a refresh starts from the first row";
}

TEST_F(SelPlaylistTest, MoreMenuChecksOnlyAReadySelectionAndShowsThePlayersVersion) {
    int checks = 0;
    dialog.setPlaylistCheck([&] { ++checks; });
    open();
    dialog.selectRow(frmSelPlaylist::tabStandard, -1);
    dialog.menuMorePlaylistReport_Click();
    dialog.selectRow(frmSelPlaylist::tabStandard, 1);
    dialog.menuMorePlaylistReport_Click();
    dialog.tabPlaylists_Click(frmSelPlaylist::tabCdroms);
    dialog.menuMorePlaylistReport_Click();
    drives->add("D", "Audio CD", 0, false);
    dialog.cmdRefreshCDROMS_Click();
    dialog.menuMorePlaylistReport_Click();
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(ui->boxes.size(), 3u) << "one refusal each";

    dialog.menuMoreShowWMPVersion_Click();
    EXPECT_EQ(ui->boxes.at(3).text, "WMP version info: Simulated player 1.0");
    scenario.versionFails = true;
    player::unloadAudioPlayer();
    dialog.menuMoreShowWMPVersion_Click();
    EXPECT_EQ(ui->boxes.size(), 4u) << "a player without a version shows no message";
}

}  // namespace
}  // namespace lumo::dialogs
