// The selection dialog's rules, without a window: its lists, tabs, OK and
// Cancel, the close requests, the criterion tick and the shuffle default.
#include <gmock/gmock.h>

#include "automation/codes.h"
#include "dialogs/cd_criteria.h"
#include "dialogs/sel_playlist.h"
#include "tests/dialogs/selection_support.h"

namespace lumo::dialogs {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace box = failsafe::box;
namespace how_to_id = automation::how_to_id;

std::vector<std::string> texts(const ListViewState& list) {
    std::vector<std::string> out;
    for (const ListRow& row : list.rows) out.push_back(row.key + " " + row.text);
    return out;
}

std::vector<std::string> cells(const ListRow& row) {
    std::vector<std::string> out{row.text};
    out.insert(out.end(), row.subItems.begin(), row.subItems.end());
    return out;
}

// The eight values as the host gets them.
struct Values {
    std::string playlist;
    int32_t kind;
    std::string drive, serial, volume;
    int32_t how, shuffle;
    automation::VBool cancelled;
    bool operator==(const Values&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Values& v) {
    return out << "{'" << v.playlist << "', " << v.kind << ", '" << v.drive << "', '" << v.serial << "', '"
               << v.volume << "', " << v.how << ", " << v.shuffle << ", " << v.cancelled << "}";
}

class SelPlaylistTest : public testing::SelectionTest {
protected:
    frmSelPlaylist dialog;
    testing::RecordedWindow window;

    Values values() {
        return {dialog.SelectedPlaylist(), dialog.PlayListType(), dialog.DriveLetter(), dialog.SerialNumber(),
                dialog.VolumeName(),       dialog.HowToIDDisk(),  dialog.ShuffleMode(), dialog.Cancelled()};
    }
    // Loads and shows the dialog as SelectPlaylists does.
    void open() {
        dialog.setCancelled(automation::VFalse);
        if (!dialog.loaded()) dialog.Form_Load();
        dialog.Show();
        dialog.Form_Activate();
    }
    void onCdTabWithDrives() {
        drive("D", false);
        drive("E", true, 0x1234ABCD)->volume = "MUSIC";
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

TEST_F(SelPlaylistTest, ListsSplitTheLibraryAndLeaveEmptyPlaylistsOut) {
    auto library = std::make_shared<Library>();
    using platform::simulated::makePlaylist;
    library->playlists = {makePlaylist(testing::playlistOf("A", 3), "Auto"), makePlaylist(testing::playlistOf("B", 0), "Auto"),
                          makePlaylist(testing::playlistOf("C", 5), "Static"),
                          makePlaylist(testing::playlistOf("D", 2), "auto")};
    player::AudioPlayer().setPlayListArray(library);
    open();
    EXPECT_THAT(texts(dialog.lvAuto()), ElementsAre("key_0 A"));
    EXPECT_THAT(texts(dialog.lvStandard()), ElementsAre("key_2 C", "key_3 D"));
    EXPECT_TRUE(dialog.lvCDROMS().rows.empty()) << "filled only by Refresh CD ROMS";
    EXPECT_EQ(dialog.lvStandard().selectedIndex, 0);
    EXPECT_EQ(dialog.lvAuto().selectedIndex, 0);
    EXPECT_EQ(dialog.lvCDROMS().selectedIndex, -1);

    // Names are taken as they are: quotes, CRs, any length.
    const std::string odd = "It's \"odd\"\rline two " + std::string(10000, 'x');
    library->playlists = {makePlaylist(testing::playlistOf(odd, 1), "Static")};
    frmSelPlaylist second;
    second.Form_Load();
    ASSERT_EQ(second.lvStandard().rows.size(), 1u);
    ui->answers = {box::Yes};
    second.cmdOK_Click();
    EXPECT_EQ(ui->boxes.at(0).text, "Use playlist '" + odd + "' ?");
    EXPECT_EQ(second.SelectedPlaylist(), odd);
}

TEST_F(SelPlaylistTest, AnEmptyOrMissingLibraryLeavesBothListsEmptyAndOkDisabled) {
    for (const bool fails : {false, true}) {
        scenario.playlists = {testing::playlistOf("Empty", 0), testing::playlistOf("Also empty", 0, true)};
        scenario.libraryFails = fails;  // the host then holds no playlist array at all
        player::unloadAudioPlayer();
        frmSelPlaylist empty;
        empty.Form_Load();
        EXPECT_TRUE(empty.lvStandard().rows.empty());
        EXPECT_TRUE(empty.lvAuto().rows.empty());
        EXPECT_FALSE(empty.okEnabled());
        empty.tabPlaylists_Click(frmSelPlaylist::tabAuto);
        EXPECT_FALSE(empty.okEnabled());
        EXPECT_EQ(empty.caption(), "Auto Playlists");
    }
}

TEST_F(SelPlaylistTest, EachTabSetsCaptionButtonsAndTheListInFront) {
    open();
    struct Expected {
        int32_t tab;
        std::string caption;
        bool refresh, ok;
    };
    // Before any refresh the CD list is empty: OK is off there.
    for (const Expected& e : {Expected{0, "Standard Playlists", false, true}, Expected{2, "CDROM Playlists", true, false},
                              Expected{1, "Auto Playlists", false, true}, Expected{0, "Standard Playlists", false, true}}) {
        dialog.tabPlaylists_Click(e.tab);
        EXPECT_EQ(dialog.currentTab(), e.tab);
        EXPECT_EQ(dialog.frontList(), e.tab);
        EXPECT_EQ(dialog.caption(), e.caption);
        EXPECT_EQ(dialog.refreshEnabled(), e.refresh) << e.tab;
        EXPECT_EQ(dialog.okEnabled(), e.ok) << e.tab;
    }
    // On a playlist tab OK needs rows, not a selection.
    dialog.selectRow(frmSelPlaylist::tabAuto, -1);
    dialog.tabPlaylists_Click(frmSelPlaylist::tabAuto);
    EXPECT_TRUE(dialog.okEnabled());
}

TEST_F(SelPlaylistTest, RefreshListsCdDrivesWithSignedSerialsAndTheFirstRowDecidesOk) {
    drive("C", true)->type = platform::drive_type::Fixed;
    drive("E", true, 0x1234ABCD)->volume = "MUSIC";
    drive("F", false);
    drive("G", true, static_cast<int32_t>(0xA1B2C3D4));
    drive("H", true, -1)->volumeFails = true;
    open();
    dialog.tabPlaylists_Click(frmSelPlaylist::tabCdroms);
    dialog.cmdRefreshCDROMS_Click();
    const auto& rows = dialog.lvCDROMS().rows;
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_THAT(cells(rows[0]), ElementsAre("E:", "Yes", "CDFS", "MUSIC", "305441741"));
    EXPECT_THAT(cells(rows[1]), ElementsAre("F:", "No", "", "", ""));
    EXPECT_THAT(cells(rows[2]), ElementsAre("G:", "Yes", "CDFS", "Audio CD", "-1582119980"));
    EXPECT_THAT(cells(rows[3]), ElementsAre("H:", "Yes", "CDFS", "", "-1")) << "a failing read leaves its cell empty";
    EXPECT_EQ(dialog.lvCDROMS().selectedIndex, 0);
    EXPECT_TRUE(dialog.okEnabled());

    dialog.lvCDROMS_ItemClick(1);
    EXPECT_FALSE(dialog.okEnabled());
    dialog.lvCDROMS_ItemClick(2);
    EXPECT_TRUE(dialog.okEnabled());

    // F enumerated first: its row is selected and OK is off although E is ready.
    std::swap(drives->list[1], drives->list[2]);
    dialog.cmdRefreshCDROMS_Click();
    EXPECT_EQ(dialog.lvCDROMS().rows[0].text, "F:");
    EXPECT_EQ(dialog.lvCDROMS().selectedIndex, 0);
    EXPECT_FALSE(dialog.okEnabled());

    drives->list.clear();
    dialog.cmdRefreshCDROMS_Click();
    EXPECT_TRUE(dialog.lvCDROMS().rows.empty());
    EXPECT_FALSE(dialog.okEnabled());
}

TEST_F(SelPlaylistTest, HeaderClicksFollowTheTickTable) {
    using cd_criteria::ColumnClick;
    constexpr int32_t driveLetter = 0, available = 1, fileSystem = 2, volume = 3, serial = 4;
    const auto tickedColumn = [](const ListViewState& list) {
        int32_t found = -1;
        for (size_t i = 0; i < list.columns.size(); ++i) {
            const bool tagged = list.columns[i].tag == "ticked", drawn = list.columns[i].image == 0;
            EXPECT_EQ(tagged, drawn) << "the tag and the drawn tick agree";
            if (tagged) {
                EXPECT_EQ(found, -1) << "at most one tick";
                found = static_cast<int32_t>(i);
            }
        }
        return found;
    };
    // state before, click, state after (-1: none ticked).
    const std::vector<std::tuple<int32_t, int32_t, int32_t>> table = {
        {-1, driveLetter, driveLetter}, {-1, volume, volume},         {-1, serial, serial},         {-1, available, -1},
        {driveLetter, driveLetter, -1}, {driveLetter, volume, volume}, {driveLetter, serial, serial}, {driveLetter, fileSystem, driveLetter},
        {volume, driveLetter, driveLetter}, {volume, volume, -1},     {volume, serial, serial},     {volume, 7, volume},
        {serial, driveLetter, driveLetter}, {serial, volume, volume}, {serial, serial, -1},         {serial, -1, serial},
    };
    for (const auto& [before, click, after] : table) {
        ListViewState list = cd_criteria::cdromList();
        if (before >= 0) ColumnClick(list, before);
        ASSERT_EQ(tickedColumn(list), before);
        ColumnClick(list, click);
        EXPECT_EQ(tickedColumn(list), after) << before << " then " << click;
    }

    // A header whose Tag holds anything but the empty text counts as ticked
    // when clicked; only "ticked" counts for OK.
    ListViewState list = cd_criteria::cdromList();
    list.rows = {{"", "E:", {"Yes", "CDFS", "MUSIC", "77"}}};
    list.select(0);
    list.columns[volume].tag = "yes";
    std::string description;
    EXPECT_EQ(cd_criteria::GetHowToIDCDROM(list, description), 0);
    ColumnClick(list, volume);
    EXPECT_EQ(list.columns[volume].tag, "");
    for (int32_t c : {driveLetter, volume, serial}) list.columns[c].tag = "ticked";
    EXPECT_EQ(cd_criteria::GetHowToIDCDROM(list, description), 14);
    EXPECT_EQ(description, " Drive Letter = 'E:'\r\r Volume Name = 'MUSIC'\r\r Serial Number = '77'\r\r");
}

TEST_F(SelPlaylistTest, ShuffleDefaultFromEachStoredText) {
    struct Case {
        std::optional<std::string> stored;
        bool ticked;
        int32_t mode;
        std::string storedAfter;
    };
    const std::vector<Case> cases = {
        {std::nullopt, true, 1, "1"}, {"0", false, 0, "0"}, {"1", true, 1, "1"}, {"7", true, 1, "7"},
        {"", true, 1, "1"},           {"abc", true, 1, "1"}, {" 0 ", false, 0, " 0 "},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(platform::settingsFileOf("LUMO Audio"));
        if (c.stored) platform::writeSetting("LUMO Audio", "Settings", "ShuffleMode", *c.stored);
        frmSelPlaylist fresh;
        fresh.Form_Load();
        const std::string label = c.stored.value_or("<missing>");
        EXPECT_EQ(fresh.shuffleTicked(), c.ticked) << label;
        EXPECT_EQ(fresh.ShuffleMode(), c.mode) << label;
        EXPECT_EQ(shuffleSetting(), c.storedAfter) << label;

        // OK without touching the box stores the box and reports 1 or 2.
        ui->answers = {box::Yes};
        fresh.cmdOK_Click();
        EXPECT_EQ(fresh.ShuffleMode(), c.ticked ? 1 : 2) << label;
        EXPECT_EQ(shuffleSetting(), c.ticked ? "1" : "0") << label;
    }
}

TEST_F(SelPlaylistTest, ActivationReplacesAnUnacceptedShuffleChoice) {
    platform::writeSetting("LUMO Audio", "Settings", "ShuffleMode", "0");
    open();
    dialog.setShuffleTicked(true);
    dialog.Form_Activate();
    EXPECT_FALSE(dialog.shuffleTicked());
    // Cancel keeps ShuffleMode and saves nothing.
    dialog.setShuffleTicked(true);
    dialog.cmdCancel_Click();
    EXPECT_EQ(dialog.ShuffleMode(), 0);
    EXPECT_EQ(shuffleSetting(), "0");
}

TEST_F(SelPlaylistTest, OkOnAPlaylistTab) {
    open();
    EXPECT_EQ(values(), (Values{"", 0, "", "", "", 0, 1, 0})) << "nothing assigned yet";

    // Nothing selected: closes silently without a choice.
    dialog.selectRow(frmSelPlaylist::tabStandard, -1);
    dialog.cmdOK_Click();
    EXPECT_TRUE(ui->boxes.empty());
    EXPECT_FALSE(dialog.visible());
    EXPECT_EQ(values(), (Values{"", -1, "", "", "", 0, 1, 0}));

    open();
    dialog.tabPlaylists_Click(frmSelPlaylist::tabAuto);
    ui->answers = {box::No};
    dialog.cmdOK_Click();
    ASSERT_EQ(ui->boxes.size(), 1u);
    EXPECT_EQ(ui->boxes[0].text, "Use playlist 'Long tracks' ?");
    EXPECT_EQ(ui->boxes[0].style, 36);
    EXPECT_EQ(ui->boxes[0].title, "Confirm Playlist");
    EXPECT_TRUE(dialog.visible()) << "No keeps the dialog open";
    EXPECT_EQ(dialog.SelectedPlaylist(), "Long tracks");
    EXPECT_EQ(dialog.PlayListType(), 1);

    dialog.setShuffleTicked(false);
    ui->answers = {box::Yes};
    dialog.cmdOK_Click();
    EXPECT_FALSE(dialog.visible());
    EXPECT_EQ(values(), (Values{"Long tracks", 1, "", "", "", 0, 2, 0}));
    EXPECT_EQ(shuffleSetting(), "0");

    open();
    dialog.cmdCancel_Click();
    EXPECT_EQ(values(), (Values{"", -1, "", "", "", 0, 0, -1}));
}

TEST_F(SelPlaylistTest, OkOnTheCdTab) {
    open();
    dialog.tabPlaylists_Click(frmSelPlaylist::tabCdroms);
    dialog.setSelectedPlaylist("earlier");
    dialog.cmdOK_Click();  // before any refresh
    ASSERT_EQ(ui->boxes.size(), 1u);
    EXPECT_EQ(ui->boxes[0].text,
              "No CD selected!\r\rTo update the list of cd-roms available on the system, press 'Refresh CD ROMS'.");
    EXPECT_EQ(ui->boxes[0].style, 16);
    EXPECT_EQ(ui->boxes[0].title, "Select Playlist");
    EXPECT_TRUE(dialog.visible());
    EXPECT_EQ(values(), (Values{"", -1, "", "", "", 0, 1, 0}));

    drive("D", false);
    drive("E", true, -5)->volume = "MUSIC";
    dialog.cmdRefreshCDROMS_Click();
    dialog.setSelectedPlaylist("kept");
    dialog.cmdOK_Click();  // D: is not ready
    EXPECT_EQ(ui->boxes.at(1).text, "No CD available!");
    EXPECT_EQ(ui->boxes[1].style, 16);
    EXPECT_EQ(dialog.SelectedPlaylist(), "kept");

    // The serial number is ticked from the load on. The rows say what the
    // refresh found, also when the drive has gone since.
    drives->list.clear();
    dialog.lvCDROMS_ItemClick(1);
    ui->answers = {box::No, box::Yes};
    dialog.cmdOK_Click();
    const std::string question = "Use CDROM playlist and identify by the serial number: \r\r Serial Number = '-5'\r\r";
    EXPECT_EQ(ui->boxes.at(2).text, question);
    EXPECT_EQ(ui->boxes[2].style, 36);
    EXPECT_EQ(ui->boxes[2].title, "Confirm Playlist");
    EXPECT_TRUE(dialog.visible());
    dialog.cmdOK_Click();
    EXPECT_FALSE(dialog.visible());
    EXPECT_EQ(values(), (Values{"CDROM", 2, "E:", "-5", "MUSIC", how_to_id::SerialNumber, 1, 0}));

    // Drive letter ticked instead.
    open();
    dialog.lvCDROMS_ColumnClick(0);
    ui->answers = {box::Yes};
    dialog.cmdOK_Click();
    EXPECT_EQ(ui->boxes.at(4).text, "Use CDROM playlist and identify by the drive letter: \r\r Drive Letter = 'E:'\r\r");
    EXPECT_EQ(dialog.HowToIDDisk(), how_to_id::DriveLetter);

    // Cancel keeps the drive of the last CD.
    open();
    dialog.cmdCancel_Click();
    EXPECT_EQ(values(), (Values{"", -1, "E:", "", "", 0, 1, -1}));
}

TEST_F(SelPlaylistTest, OkOnACdWithoutCriterionAsksTheLongQuestionWithNoAsDefault) {
    onCdTabWithDrives();
    dialog.lvCDROMS_ColumnClick(4);  // removes the initial tick
    dialog.lvCDROMS_ItemClick(1);
    dialog.cmdOK_Click();  // no answer scripted: the default button
    ASSERT_EQ(ui->boxes.size(), 1u);
    EXPECT_EQ(ui->boxes[0].style, 292);
    EXPECT_EQ(ui->boxes[0].title, "Select Playlist");
    EXPECT_EQ(ui->boxes[0].text,
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
              "for identifying the selected CD?");
    EXPECT_TRUE(dialog.visible()) << "the default is No";

    ui->answers = {box::Yes};
    dialog.cmdOK_Click();
    EXPECT_EQ(values(), (Values{"CDROM", 2, "E:", "305441741", "MUSIC", 0, 1, 0}));
}

TEST_F(SelPlaylistTest, StateSurvivesHidingAndRefreshKeepsTheTick) {
    onCdTabWithDrives();
    dialog.lvCDROMS_ColumnClick(3);
    dialog.lvCDROMS_ItemClick(1);
    dialog.Form_QueryUnload(UnloadMode::ControlMenu);
    EXPECT_FALSE(dialog.visible());
    scenario.playlists.push_back(testing::playlistOf("Added later", 1));
    player::unloadAudioPlayer();

    open();
    EXPECT_EQ(dialog.currentTab(), frmSelPlaylist::tabCdroms);
    EXPECT_EQ(dialog.lvCDROMS().selectedIndex, 1);
    EXPECT_EQ(dialog.lvCDROMS().columns[3].tag, "ticked");
    EXPECT_EQ(dialog.lvStandard().rows.size(), 2u) << "the lists are built once";
    dialog.cmdRefreshCDROMS_Click();
    EXPECT_EQ(dialog.lvCDROMS().columns[3].tag, "ticked");
    EXPECT_EQ(dialog.lvCDROMS().selectedIndex, 0) << "a refresh starts from the first row";
}

TEST_F(SelPlaylistTest, CloseRequestsByReason) {
    const std::vector<std::pair<UnloadMode, bool>> cases = {
        {UnloadMode::ControlMenu, true},     {UnloadMode::FromCode, true},   {UnloadMode::SystemShutdown, false},
        {UnloadMode::TaskManager, false},    {UnloadMode::MdiParentClosing, false}, {UnloadMode::OwnerClosing, false},
        {static_cast<UnloadMode>(9), false},
    };
    for (const auto& [mode, refused] : cases) {
        open();
        dialog.setSelectedPlaylist("Jazz");
        EXPECT_EQ(dialog.Form_QueryUnload(mode), refused) << static_cast<int>(mode);
        EXPECT_EQ(dialog.Cancelled(), refused ? automation::VTrue : automation::VFalse);
        EXPECT_EQ(dialog.SelectedPlaylist(), refused ? "" : "Jazz");
        EXPECT_EQ(dialog.visible(), !refused);
    }
}

TEST_F(SelPlaylistTest, TheWindowRectangleIsRestoredAtEachActivationAndSavedOnOkAndCancel) {
    platform::writeSetting("LUMO Audio", "Settings", "Left", "1785");
    platform::writeSetting("LUMO Audio", "Settings", "Top", "900");
    platform::writeSetting("LUMO Audio", "Settings", "Height", "7500");
    platform::writeSetting("LUMO Audio", "Settings", "Width", "14000");
    dialog.attachWindow(&window);
    open();
    EXPECT_EQ(window.moves, 2) << "at the load and at the activation";
    EXPECT_EQ(window.width, 14000);
    window.left = 30;
    window.height = 6000.5;
    dialog.cmdCancel_Click();
    EXPECT_EQ(platform::readSetting("LUMO Audio", "Settings", "Left"), "30");
    EXPECT_EQ(platform::readSetting("LUMO Audio", "Settings", "Height"), "6000.5");
    open();
    EXPECT_EQ(window.left, 30);
    window.top = 45;
    ui->answers = {box::Yes};
    dialog.cmdOK_Click();
    EXPECT_EQ(platform::readSetting("LUMO Audio", "Settings", "Top"), "45");
}

TEST_F(SelPlaylistTest, WithoutADisplayTheDialogAnswersAsClosedByTheUser) {
    dialog.setDriveLetter("F:");
    dialog.setCancelled(automation::VFalse);
    dialog.answerWithoutDisplay();
    EXPECT_TRUE(dialog.loaded());
    EXPECT_FALSE(dialog.visible());
    EXPECT_EQ(values(), (Values{"", -1, "F:", "", "", 0, 1, -1}));
    EXPECT_THAT(errorLog(), HasSubstr(" LAP LOG ERROR: frmSelPlaylist.Show Erl=0 Error Number=0 'No display to show "
                                      "the playlist selection on: answered as closed by the user'"));
    EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(SelPlaylistTest, MoreMenuChecksTheSelectionAndShowsThePlayersVersion) {
    int checks = 0;
    dialog.setPlaylistCheck([&] {
        ++checks;
        platform::writeSetting("LUMO Audio", "Settings", "ShuffleMode", "0");
    });
    open();
    dialog.selectRow(frmSelPlaylist::tabStandard, -1);
    dialog.menuMorePlaylistReport_Click();
    dialog.selectRow(frmSelPlaylist::tabStandard, 1);
    dialog.menuMorePlaylistReport_Click();
    EXPECT_EQ(checks, 1);
    EXPECT_FALSE(dialog.shuffleTicked()) << "back from the check window the dialog is activated again";

    dialog.tabPlaylists_Click(frmSelPlaylist::tabCdroms);
    dialog.menuMorePlaylistReport_Click();
    drive("D", false);
    dialog.cmdRefreshCDROMS_Click();
    dialog.menuMorePlaylistReport_Click();
    EXPECT_EQ(checks, 1);
    ASSERT_EQ(ui->boxes.size(), 3u);
    EXPECT_EQ(ui->boxes[0].text, "No playlist selected!");
    EXPECT_EQ(ui->boxes[1].text, "No CD playlist selected!");
    EXPECT_EQ(ui->boxes[2].text, "CDROM not ready!");
    for (const auto& shown : ui->boxes) {
        EXPECT_EQ(shown.style, 16);
        EXPECT_EQ(shown.title, "Check Playlist");
    }

    dialog.menuMoreShowWMPVersion_Click();
    EXPECT_EQ(ui->boxes.at(3).text, "WMP version info: Simulated player 1.0");
    EXPECT_EQ(ui->boxes[3].style, 0);
    EXPECT_EQ(ui->boxes[3].title, "");
    scenario.versionFails = true;
    player::unloadAudioPlayer();
    dialog.menuMoreShowWMPVersion_Click();
    EXPECT_EQ(ui->boxes.size(), 4u) << "a player without a version shows no message";
}

}  // namespace
}  // namespace lumo::dialogs
