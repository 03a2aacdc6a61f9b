// The check window on the offscreen platform: "Playlist..." in the selection
// dialog opens it over the selected playlist, a run starts when it shows, its
// widgets show the run's result, Done closes it and saves the rectangle, and
// a close during a run waits for the run's end.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include "dialogs/check_playlist_dialog.h"
#include "dialogs/qt_application.h"
#include "dialogs/sel_playlist_dialog.h"
#include "tests/dialogs/selection_support.h"

namespace lumo::dialogs {
namespace {

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
