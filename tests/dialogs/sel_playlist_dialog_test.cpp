// The selection and check windows on the offscreen platform: real clicks
// reach the dialog, its state outlives each showing, "Playlist..." checks the
// selected playlist in the check window, and a close during a run waits for
// the run's end.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include "dialogs/check_playlist_dialog.h"
#include "dialogs/qt_application.h"
#include "dialogs/sel_playlist_dialog.h"
#include "dialogs/tick_header_view.h"
#include "tests/dialogs/selection_support.h"

namespace lumo::dialogs {
namespace {

void clickAt(QWidget* widget, QPoint where) {
    QMouseEvent press(QEvent::MouseButtonPress, where, widget->mapToGlobal(where), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, where, widget->mapToGlobal(where), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

class SelPlaylistWindowTest : public testing::WindowTest {
protected:
    void TearDown() override {
        releaseSelectionWindow();
        WindowTest::TearDown();
    }
    automation::SelectionResult showAnswering(std::function<void(SelPlaylistDialog&)> user) {
        testing::whenShown(std::move(user));
        return showSelectionWindow();
    }
};

TEST_F(SelPlaylistWindowTest, ClicksReachTheDialogAndItsStateOutlivesEachShowing) {
    for (const auto& [key, value] : {std::pair{"Left", "1500"}, {"Top", "750"}, {"Width", "15000"}, {"Height", "7500"}})
        platform::writeSetting("LUMO Audio", "Settings", key, value);
    drives->add("D", "Audio CD", 0, false);
    drives->add("E", "MUSIC", 0x1234ABCD);

    QRect shown;
    const automation::SelectionResult chosen = showAnswering([&](SelPlaylistDialog& window) {
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
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&window, &escape);
        EXPECT_TRUE(window.isVisible()) << "Escape is no Cancel";
        window.findChild<QCheckBox*>("chkShuffleMode")->click();
        ui->answers = {failsafe::box::Yes, failsafe::box::Yes};
        ok->click();
    });
    EXPECT_EQ(ui->boxes.size(), 2u) << "the version, then the question";
    EXPECT_EQ(chosen.selectedPlaylist, "CDROM");
    EXPECT_EQ(chosen.driveLetter, "E:");
    EXPECT_EQ(chosen.howToIDDisk, automation::how_to_id::DriveLetter);

    // The next showing finds tab, row and tick as they were; closing the
    // window is Cancel.
    const automation::SelectionResult closed = showAnswering([&](SelPlaylistDialog& window) {
        EXPECT_EQ(window.frameGeometry(), shown) << "the saved rectangle again";
        EXPECT_EQ(window.findChild<QTabBar*>()->currentIndex(), frmSelPlaylist::tabCdroms);
        window.move(window.pos() + QPoint(40, 0));
        window.close();
    });
    EXPECT_EQ(closed.cancelled, automation::VTrue);
    EXPECT_EQ(closed.driveLetter, "E:");

    // A saved size no window can take: the window stays where it was.
    platform::writeSetting("LUMO Audio", "Settings", "Width", "1e300");
    showAnswering([&](SelPlaylistDialog& window) {
        EXPECT_EQ(window.frameGeometry(), shown.translated(40, 0));
        window.findChild<QPushButton*>("cmdCancel")->click();
    });
}

class CheckWindowTest : public testing::WindowTest {
protected:
    frmSelPlaylist dialog;

    static CheckPlaylistDialog* checkWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<CheckPlaylistDialog*>(widget); window && window->isVisible()) return window;
        return nullptr;
    }
    // Runs `user` once the check window is open and its run is over.
    static void whenChecked(const std::function<void(CheckPlaylistDialog&)>& user) {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, user] {
            CheckPlaylistDialog* window = checkWindow();
            const report::frmCheckPL& check = report::CheckPL();
            if (!window || check.running() || check.panels()[0].empty()) return;
            poll->stop();
            poll->deleteLater();
            user(*window);
        });
        poll->start(10);
    }
};

TEST_F(CheckWindowTest, PlaylistInTheMoreMenuChecksTheSelectedPlaylistInTheWindow) {
    SelPlaylistDialog window(dialog);
    auto* playlistCommand = window.findChild<QAction*>("menuMorePlaylistReport");
    ASSERT_TRUE(playlistCommand);
    bool checked = false;
    QTimer::singleShot(0, [&] {
        dialog.selectRow(frmSelPlaylist::tabStandard, 0);  // "Jazz", three items
        whenChecked([&](CheckPlaylistDialog& check) {
            checked = true;
            auto* list = check.findChild<QTreeWidget*>("lvPL");
            ASSERT_TRUE(list);
            EXPECT_EQ(list->topLevelItemCount(), 3) << "the selected playlist, Jazz";
            EXPECT_EQ(check.findChild<QLabel*>("status")->text(), "Status = Done");
            auto* done = check.findChild<QPushButton*>("cmdDone");
            check.Move(1500, 900, 12000, 6000);
            done->click();
        });
        playlistCommand->trigger();
        window.findChild<QPushButton*>("cmdCancel")->click();
    });
    window.showModally();
    EXPECT_TRUE(checked);
    EXPECT_EQ(platform::readSetting("LUMO Audio", "Settings", "Width"), "12000") << "Done saves the rectangle";
    EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(CheckWindowTest, ClosingDuringARunStopsItAndClosesOnceItHasEnded) {
    scenario.playlists = {testing::playlistOf("Long", 6)};
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
