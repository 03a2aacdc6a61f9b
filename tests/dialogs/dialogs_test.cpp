// The dialogs inside a host's process: when the program may make windows,
// message boxes, the disc prompt, the playlist selection and check windows.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include <gmock/gmock.h>

#include <cstdlib>
#include <functional>

#include "common/codes.h"
#include "common/qt_application.h"
#include "common/shared_fso.h"
#include "dialogs/check_playlist_dialog.h"
#include "dialogs/prompt_for_disc.h"
#include "dialogs/prompt_for_disc_dialog.h"
#include "dialogs/qt_user_interface.h"
#include "dialogs/sel_playlist.h"
#include "dialogs/sel_playlist_dialog.h"
#include "dialogs/tick_header_view.h"
#include "platform/simulated/simulated_player.h"
#include "platform/user_settings.h"
#include "player/audio_player_host.h"
#include "tests/failsafe/test_support.h"
#include "tests/support/fake_drives.h"

namespace lumo::dialogs {
namespace {

using ::testing::ElementsAre;
using namespace common;  // the application object the windows ask first
namespace box = failsafe::box;

// Set before any test makes the application: whatever the developer's display, windows open offscreen.
[[maybe_unused]] const bool offscreenPlatform = qputenv("QT_QPA_PLATFORM", "offscreen");

// Shows a modal window of type Window by `show`; `user` runs on it once its
// event loop has started and must end the showing.
template <typename Window, typename Show>
auto answering(Show show, std::function<void(Window&)> user) {
    QTimer::singleShot(0, [user] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window) return ADD_FAILURE() << "the window is not the modal one";
        user(*window);
        if (window->isVisible()) {
            ADD_FAILURE() << "the window is still open";
            window->done(0);
        }
    });
    return show();
}

void pressKey(QWidget& widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

int32_t answerBox(int32_t style, const std::function<void(QMessageBox&)>& user) {
    return answering<QMessageBox>(
        [style] { return QtUserInterface().messageBox("Use this playlist?\rIt is empty.", style, "Select Playlist"); }, user);
}

TEST(QtUserInterface, ShowsTheShapedBoxAndReturnsTheClassicAnswer) {
    ASSERT_TRUE(widgetsAvailable());
    EXPECT_EQ(answerBox(box::YesNoCancel | box::Question | box::DefaultButton2,
                        [](QMessageBox& shown) {
                            EXPECT_EQ(shown.text(), "Use this playlist?\nIt is empty.");
                            EXPECT_EQ(shown.textFormat(), Qt::PlainText) << "no markup from the program's texts";
                            shown.button(QMessageBox::Yes)->click();
                        }),
              box::Yes);
    EXPECT_EQ(answerBox(box::AbortRetryIgnore | box::DefaultButton2,
                        [](QMessageBox& shown) { pressKey(shown, Qt::Key_Return); }),
              box::Retry);
    EXPECT_EQ(answerBox(box::YesNoCancel, [](QMessageBox& shown) { pressKey(shown, Qt::Key_Escape); }), box::Cancel);
    EXPECT_EQ(answerBox(box::YesNo, [](QMessageBox& shown) { shown.close(); }), box::No);
}

platform::simulated::PlaylistScript playlistOf(std::string name, int items, bool isAuto = false) {
    platform::simulated::PlaylistScript script{std::move(name), isAuto, {}};
    for (int i = 0; i < items; ++i) script.items.emplace_back().name = "item " + std::to_string(i);
    return script;
}

class SelectionTest : public failsafe::testing::FrameworkTest {
protected:
    platform::simulated::Scenario scenario;
    std::shared_ptr<lumo::testing::FakeDriveService> drives = std::make_shared<lumo::testing::FakeDriveService>();

    void SetUp() override {
        FrameworkTest::SetUp();
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        failsafe::fsOPTION(16, failsafe::Value(path("LUMOAudioErrors.log").string()));
        failsafe::fsOPTION(23, failsafe::Value::flag(true));
        scenario.playlists = {playlistOf("Jazz", 3), playlistOf("Long tracks", 2, true), playlistOf("Rock", 1)};
        scenario.drives = {{"D:"}, {"E:"}};
        player::setMediaPlayerFactory(
            [this] { return std::make_unique<platform::simulated::SimulatedPlayer>(scenario); });
        common::setDriveServiceFactory([this] { return drives; });
        common::CreateFSO();
        activeSelection().sPromptedDrive.clear();
    }
    void TearDown() override {
        player::unloadAudioPlayer();
        player::setMediaPlayerFactory(nullptr);
        common::ReleaseFSO();
        common::setDriveServiceFactory(nullptr);
        FrameworkTest::TearDown();
    }
};

class WindowTest : public SelectionTest {
protected:
    void SetUp() override {
        SelectionTest::SetUp();
        setWindowsAnsweredByProgram(true);
        ASSERT_TRUE(widgetsAvailable());
    }
    void TearDown() override {
        releaseSelectionWindow();
        setWindowsAnsweredByProgram(false);
        SelectionTest::TearDown();
    }
};

using PromptForDiscTest = SelectionTest;

TEST_F(PromptForDiscTest, WithoutDrivesOnlyCancelEndsItAndOnlyTheUsersCloseCountsAsCancel) {
    frmPromptForDisc prompt;
    scenario.drives.clear();
    prompt.Form_Load();
    EXPECT_THAT(prompt.entries(), ElementsAre("No CDROMS found!"));
    prompt.setListIndex(0);
    prompt.cmdOK_Click();  // disabled: nothing happens
    EXPECT_TRUE(prompt.loaded());
    EXPECT_TRUE(ui->boxes.empty());
    prompt.cmdCancel_Click();
    EXPECT_FALSE(prompt.loaded());
    EXPECT_EQ(prompt.PromptResult(), frmPromptForDisc::PromptCancelled);
    EXPECT_EQ(prompt.CDError(), pl_error::PromptCancelled);

    scenario.drives = {{"F:"}};  // the next showing starts from a fresh list
    player::unloadAudioPlayer();
    prompt.Form_Load();
    EXPECT_THAT(prompt.entries(), ElementsAre("F:"));
    EXPECT_EQ(prompt.listIndex(), -1);
    EXPECT_EQ(prompt.Form_Resize(300, 375).height, 0) << "sized below the status bar";

    const int32_t earlier = pl_error::NoCdDrive;
    for (const UnloadMode mode : {UnloadMode::ControlMenu, UnloadMode::FromCode, UnloadMode::SystemShutdown}) {
        const bool user = mode == UnloadMode::ControlMenu;
        frmPromptForDisc closing;
        closing.setPromptResult(frmPromptForDisc::DriveConfirmed);
        closing.setCDError(earlier);
        closing.Form_Load();
        closing.Form_QueryUnload(mode);
        EXPECT_FALSE(closing.loaded());
        EXPECT_EQ(closing.PromptResult(), user ? frmPromptForDisc::PromptCancelled : frmPromptForDisc::DriveConfirmed);
        EXPECT_EQ(closing.CDError(), user ? earlier | pl_error::PromptCancelled : earlier) << static_cast<int>(mode);
    }
}

using DiscPromptWindowTest = WindowTest;

TEST_F(DiscPromptWindowTest, HandsEveryAnswerToThePrompt) {
    const auto answer = [](std::function<void(DiscPromptDialog&)> user) {
        return answering<DiscPromptDialog>(showDiscPrompt, std::move(user));
    };
    const int32_t flagsBefore = PromptForDisc().CDError();
    const int32_t confirmed = answer([&](DiscPromptDialog& window) {
        auto* list = window.findChild<QListWidget*>("lstCDROMS");
        auto* ok = window.findChild<QPushButton*>("cmdOK");
        ASSERT_TRUE(list && ok);
        ASSERT_EQ(list->count(), 2);
        pressKey(window, Qt::Key_Escape);
        pressKey(*ok, Qt::Key_Return);
        Q_EMIT list->itemDoubleClicked(list->item(0));
        ok->click();  // nothing selected yet
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(ui->boxes.size(), 1u);
        list->setCurrentRow(1);
        ok->click();
    });
    EXPECT_EQ(confirmed, frmPromptForDisc::DriveConfirmed);
    EXPECT_EQ(activeSelection().sPromptedDrive, "E:");
    EXPECT_EQ(PromptForDisc().CDError(), flagsBefore);

    // Closed from code: nothing answered, nothing changes.
    EXPECT_EQ(answer([](DiscPromptDialog& window) { window.close(); }), frmPromptForDisc::DriveConfirmed);
    EXPECT_EQ(PromptForDisc().CDError(), flagsBefore);
    EXPECT_EQ(answer([](DiscPromptDialog& window) { window.findChild<QPushButton*>("cmdCancel")->click(); }),
              frmPromptForDisc::PromptCancelled);
    EXPECT_EQ(PromptForDisc().CDError(), flagsBefore | pl_error::PromptCancelled);
}

std::vector<std::string> texts(const ListViewState& list) {
    std::vector<std::string> out;
    for (const ListRow& row : list.rows) {
        out.push_back(row.text);
        for (const std::string& cell : row.subItems) out.back() += "|" + cell;
    }
    return out;
}

class SelPlaylistTest : public SelectionTest {
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
        dialog.setCancelled(VFalse);
        if (!dialog.loaded()) dialog.Form_Load();
        dialog.Show();
        dialog.Form_Activate();
    }
};

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
    dialog.lvCDROMS_ItemClick(1);
    EXPECT_TRUE(dialog.okEnabled());
    drives->list.clear();
    dialog.cmdRefreshCDROMS_Click();
    EXPECT_FALSE(dialog.okEnabled());
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
    drives->add("D", "Audio CD", 0, false);
    drives->add("E", "MUSIC", 0x1234ABCD);
    open();
    dialog.tabPlaylists_Click(frmSelPlaylist::tabCdroms);
    dialog.cmdRefreshCDROMS_Click();
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

    open();
    dialog.cmdCancel_Click();
    EXPECT_EQ(values(), "|-1|E:|||0|1|-1") << "Cancel keeps the drive of the last CD";
}

TEST_F(SelPlaylistTest, MoreMenuChecksOnlyAReadySelectionAndShowsThePlayersVersion) {
    int checks = 0;
    dialog.setPlaylistCheck([&] { ++checks; });
    open();
    dialog.selectRow(frmSelPlaylist::tabStandard, -1);
    dialog.menuMorePlaylistReport_Click();
    dialog.tabPlaylists_Click(frmSelPlaylist::tabCdroms);
    dialog.menuMorePlaylistReport_Click();
    drives->add("D", "Audio CD", 0, false);
    dialog.cmdRefreshCDROMS_Click();
    dialog.menuMorePlaylistReport_Click();
    EXPECT_EQ(checks, 0) << "a ready one runs in CheckWindowTest";
    EXPECT_EQ(ui->boxes.size(), 3u) << "one refusal each";

    dialog.menuMoreShowWMPVersion_Click();
    EXPECT_EQ(ui->boxes.at(3).text, "WMP version info: Simulated player 1.0");
    scenario.versionFails = true;
    player::unloadAudioPlayer();
    dialog.menuMoreShowWMPVersion_Click();
    EXPECT_EQ(ui->boxes.size(), 4u) << "a player without a version shows no message";
}

void clickAt(QWidget* widget, QPoint where) {
    for (const auto& [type, held] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton}, {QEvent::MouseButtonRelease, Qt::NoButton}}) {
        QMouseEvent event(type, where, widget->mapToGlobal(where), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

using SelPlaylistWindowTest = WindowTest;

TEST_F(SelPlaylistWindowTest, ClicksReachTheDialogAndItsStateOutlivesEachShowing) {
    for (const auto& [key, value] : {std::pair{"Left", "1500"}, {"Top", "750"}, {"Width", "15000"}, {"Height", "7500"}})
        platform::writeSetting("LUMO Audio", "Settings", key, value);
    drives->add("D", "Audio CD", 0, false);
    drives->add("E", "MUSIC", 0x1234ABCD);

    QRect shown;
    const SelectionResult chosen = answering<SelPlaylistDialog>(showSelectionWindow, [&](SelPlaylistDialog& window) {
        shown = window.frameGeometry();
        auto* ok = window.findChild<QPushButton*>("cmdOK");
        auto* strip = window.findChild<QTabBar*>();
        auto* cdroms = window.findChild<QTreeWidget*>("lvCDROMS");
        ASSERT_TRUE(ok && strip && cdroms);
        auto* header = qobject_cast<TickHeaderView*>(cdroms->header());
        ASSERT_TRUE(header);
        clickAt(strip, strip->tabRect(frmSelPlaylist::tabCdroms).center());
        EXPECT_FALSE(ok->isEnabled());
        window.findChild<QPushButton*>("cmdRefreshCDROMS")->click();
        ASSERT_EQ(cdroms->topLevelItemCount(), 2);
        EXPECT_FALSE(ok->isEnabled()) << "D: is first and not ready";
        clickAt(cdroms->viewport(), cdroms->visualItemRect(cdroms->topLevelItem(1)).center());
        EXPECT_TRUE(ok->isEnabled());

        // The tick moves from Serial Number to Drive Letter; the row stays selected.
        EXPECT_FALSE(header->tickRect(4).isEmpty());
        clickAt(header->viewport(), {header->sectionViewportPosition(0) + 4, header->height() / 2});
        EXPECT_TRUE(header->tickRect(4).isEmpty());
        EXPECT_FALSE(header->tickRect(0).isEmpty());
        EXPECT_EQ(cdroms->currentItem(), cdroms->topLevelItem(1));

        window.findChild<QPushButton*>("cmdMore")->click();
        auto* menu = window.findChild<QMenu*>("menuMore");
        ASSERT_TRUE(menu && menu->isVisible());
        menu->actions().at(2)->trigger();  // the player's version
        menu->hide();
        pressKey(window, Qt::Key_Escape);
        EXPECT_TRUE(window.isVisible()) << "Escape is no Cancel";
        window.findChild<QCheckBox*>("chkShuffleMode")->click();
        ui->answers = {failsafe::box::Yes, failsafe::box::Yes};
        ok->click();
    });
    EXPECT_EQ(ui->boxes.size(), 2u) << "the version, then the question";
    EXPECT_EQ(chosen.selectedPlaylist, "CDROM");
    EXPECT_EQ(chosen.driveLetter, "E:");
    EXPECT_EQ(chosen.howToIDDisk, how_to_id::DriveLetter);

    // The next showing finds tab, row and tick as they were; closing the
    // window is Cancel.
    const SelectionResult closed = answering<SelPlaylistDialog>(showSelectionWindow, [&](SelPlaylistDialog& window) {
        EXPECT_EQ(window.frameGeometry(), shown) << "the saved rectangle again";
        EXPECT_EQ(window.findChild<QTabBar*>()->currentIndex(), frmSelPlaylist::tabCdroms);
        window.move(window.pos() + QPoint(40, 0));
        window.close();
    });
    EXPECT_EQ(closed.cancelled, VTrue);
    EXPECT_EQ(closed.driveLetter, "E:");

    // A saved size no window can take: the window stays where it was.
    platform::writeSetting("LUMO Audio", "Settings", "Width", "1e300");
    answering<SelPlaylistDialog>(showSelectionWindow, [&](SelPlaylistDialog& window) {
        EXPECT_EQ(window.frameGeometry(), shown.translated(40, 0));
        window.findChild<QPushButton*>("cmdCancel")->click();
    });
}

class CheckWindowTest : public WindowTest {
protected:
    frmSelPlaylist dialog;

    static CheckPlaylistDialog* checkWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<CheckPlaylistDialog*>(widget); window && window->isVisible()) return window;
        return nullptr;
    }
};

TEST_F(CheckWindowTest, PlaylistInTheMoreMenuChecksTheSelectedPlaylistInTheWindow) {
    SelPlaylistDialog window(dialog);
    auto* playlistCommand = window.findChild<QAction*>("menuMorePlaylistReport");
    ASSERT_TRUE(playlistCommand);
    bool checked = false;
    QTimer::singleShot(0, [&] {
        dialog.selectRow(frmSelPlaylist::tabStandard, 0);  // "Jazz", three items
        auto* poll = new QTimer;  // until the check window is open and its run is over
        QObject::connect(poll, &QTimer::timeout, [&checked, poll] {
            CheckPlaylistDialog* check = checkWindow();
            if (!check || report::CheckPL().running() || report::CheckPL().panels()[0].empty()) return;
            poll->stop();
            poll->deleteLater();
            checked = true;
            auto* list = check->findChild<QTreeWidget*>("lvPL");
            ASSERT_TRUE(list);
            EXPECT_EQ(list->topLevelItemCount(), 3) << "the selected playlist, Jazz";
            EXPECT_EQ(check->findChild<QLabel*>("status")->text(), "Status = Done");
            check->Move(1500, 900, 12000, 6000);
            check->findChild<QPushButton*>("cmdDone")->click();
        });
        poll->start(10);
        playlistCommand->trigger();
        window.findChild<QPushButton*>("cmdCancel")->click();
    });
    window.showModally();
    EXPECT_TRUE(checked);
    EXPECT_EQ(platform::readSetting("LUMO Audio", "Settings", "Width"), "12000") << "Done saves the rectangle";
    EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(CheckWindowTest, ClosingDuringARunStopsItAndClosesOnceItHasEnded) {
    scenario.playlists = {playlistOf("Long", 6)};
    dialog.Form_Load();
    dialog.selectRow(frmSelPlaylist::tabStandard, 0);
    bool stillOpenAfterClose = false;
    ui->onEvents = [&] {
        CheckPlaylistDialog* window = checkWindow();
        if (!window || report::CheckPL().rows().size() != 2) return;
        window->close();
        stillOpenAfterClose = window->isVisible();
    };
    showCheckWindow(dialog);
    EXPECT_TRUE(stillOpenAfterClose) << "the window stays while the run still writes to it";
    EXPECT_EQ(checkWindow(), nullptr);
    EXPECT_EQ(report::CheckPL().rows().size(), 2u);
    EXPECT_FALSE(report::CheckPL().running());
}

}  // namespace
}  // namespace lumo::dialogs
