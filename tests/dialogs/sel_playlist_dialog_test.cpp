// The selection dialog's window on the offscreen platform: its widgets sit at
// the twips layout, real clicks on buttons, tabs, rows and column headers
// reach the dialog, and the window keeps its state between showings.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include "dialogs/qt_application.h"
#include "dialogs/sel_playlist_dialog.h"
#include "dialogs/tick_header_view.h"
#include "tests/dialogs/selection_support.h"

namespace lumo::dialogs {
namespace {

namespace box = failsafe::box;
namespace layout = selection_layout;

void clickAt(QWidget* widget, QPoint where) {
    QMouseEvent press(QEvent::MouseButtonPress, where, widget->mapToGlobal(where), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, where, widget->mapToGlobal(where), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

class SelPlaylistWindowTest : public testing::SelectionTest {
protected:
    frmSelPlaylist dialog;

    // Shows the window modally; the user's part runs once its event loop has
    // started, and must end the showing.
    void showAnswering(SelPlaylistDialog& window, const std::function<void()>& user) {
        QTimer::singleShot(0, [&] {
            if (QApplication::activeModalWidget() != &window) ADD_FAILURE() << "the dialog is not the modal window";
            user();
            if (window.isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                window.done(0);
            }
        });
        window.showModally();
    }
};

TEST_F(SelPlaylistWindowTest, ClicksReachTheDialogAndItsStateOutlivesEachShowing) {
    ASSERT_TRUE(widgetsAvailable());
    for (const auto& [key, value] : {std::pair{"Left", "1500"}, {"Top", "750"}, {"Width", "15000"}, {"Height", "7500"}})
        platform::writeSetting("LUMO Audio", "Settings", key, value);
    drive("D", false);
    drive("E", true, 0x1234ABCD)->volume = "MUSIC";

    SelPlaylistDialog window(dialog);
    auto* ok = window.findChild<QPushButton*>("cmdOK");
    auto* cancel = window.findChild<QPushButton*>("cmdCancel");
    auto* refresh = window.findChild<QPushButton*>("cmdRefreshCDROMS");
    auto* more = window.findChild<QPushButton*>("cmdMore");
    auto* shuffle = window.findChild<QCheckBox*>("chkShuffleMode");
    auto* tabs = window.findChild<QWidget*>("tabPlaylists");
    auto* strip = window.findChild<QTabBar*>();
    auto* standard = window.findChild<QTreeWidget*>("lvStandard");
    auto* cdroms = window.findChild<QTreeWidget*>("lvCDROMS");
    auto* menu = window.findChild<QMenu*>("menuMore");
    ASSERT_TRUE(ok && cancel && refresh && more && shuffle && tabs && strip && standard && cdroms && menu);
    auto* header = qobject_cast<TickHeaderView*>(cdroms->header());
    ASSERT_TRUE(header);
    const int dpiX = window.logicalDpiX(), dpiY = window.logicalDpiY();

    showAnswering(window, [&] {
        // The saved rectangle, converted from twips.
        EXPECT_EQ(window.frameGeometry(), QRect(twipsToPixels(1500, dpiX), twipsToPixels(750, dpiY),
                                                twipsToPixels(15000, dpiX), twipsToPixels(7500, dpiY)));
        EXPECT_EQ(window.windowTitle(), "Standard Playlists");
        EXPECT_EQ(ok->text(), "OK");
        EXPECT_EQ(refresh->text(), " Refresh CD ROMS");
        EXPECT_EQ(shuffle->text(), "Use Shuffle Mode");
        EXPECT_TRUE(shuffle->isChecked()) << "nothing saved: shuffle on";
        // The toolbar's order, one row, the design widths.
        const std::vector<QWidget*> order{ok, cancel, refresh, more, shuffle};
        for (size_t i = 1; i < order.size(); ++i) {
            EXPECT_GT(order[i]->x(), order[i - 1]->x() + order[i - 1]->width());
            EXPECT_EQ(order[i]->y(), ok->y());
        }
        EXPECT_EQ(ok->width(), twipsToPixels(layout::buttonWidth, dpiX));
        EXPECT_EQ(shuffle->width(), twipsToPixels(layout::shuffleWidth, dpiX));
        // The tab control and the lists follow the client area.
        const auto placed = layout::ResizeControls({0, 0, pixelsToTwips(window.width(), dpiX),
                                                    pixelsToTwips(window.height(), dpiY)},
                                                   layout::toolbarHeight,
                                                   pixelsToTwips(strip->sizeHint().height(), dpiY));
        ASSERT_TRUE(placed);
        EXPECT_EQ(tabs->y(), twipsToPixels(placed->tab.top, dpiY));
        EXPECT_EQ(tabs->height(), twipsToPixels(placed->tab.height, dpiY));
        EXPECT_EQ(standard->geometry(), cdroms->geometry());
        EXPECT_EQ(standard->y(), twipsToPixels(placed->list.top, dpiY));
        EXPECT_EQ(cdroms->header()->sectionSize(4), twipsToPixels(3000, dpiX)) << "0.2 of the first list width";
        EXPECT_TRUE(standard->isVisible());
        EXPECT_EQ(standard->topLevelItemCount(), 2);
        EXPECT_EQ(standard->currentItem()->text(0), "Jazz");

        clickAt(strip, strip->tabRect(frmSelPlaylist::tabCdroms).center());
        EXPECT_EQ(window.windowTitle(), "CDROM Playlists");
        EXPECT_TRUE(cdroms->isVisible());
        EXPECT_FALSE(standard->isVisible());
        EXPECT_TRUE(refresh->isEnabled());
        EXPECT_FALSE(ok->isEnabled());

        refresh->click();
        ASSERT_EQ(cdroms->topLevelItemCount(), 2);
        EXPECT_EQ(cdroms->topLevelItem(1)->text(4), "305441741");
        EXPECT_FALSE(ok->isEnabled()) << "D: is first and not ready";
        clickAt(cdroms->viewport(), cdroms->visualItemRect(cdroms->topLevelItem(1)).center());
        EXPECT_TRUE(ok->isEnabled());

        // The tick moves from Serial Number to Drive Letter, drawn after the text.
        EXPECT_FALSE(header->tickRect(4).isEmpty());
        clickAt(header->viewport(), {header->sectionViewportPosition(0) + 4, header->height() / 2});
        EXPECT_TRUE(header->tickRect(4).isEmpty());
        const QRect tick = header->tickRect(0);
        ASSERT_FALSE(tick.isEmpty());
        EXPECT_GT(tick.left(), header->fontMetrics().horizontalAdvance("Drive Letter"));
        EXPECT_LT(tick.right(), header->sectionSize(0));
        EXPECT_EQ(cdroms->currentItem(), cdroms->topLevelItem(1)) << "a header click keeps the selection";

        // Check... opens the menu; the window offers "Playlist...".
        more->click();
        EXPECT_TRUE(menu->isVisible());
        EXPECT_TRUE(menu->actions().at(0)->isEnabled());
        menu->actions().at(2)->trigger();
        menu->hide();
        EXPECT_EQ(ui->boxes.at(0).text, "WMP version info: Simulated player 1.0");

        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&window, &escape);
        EXPECT_TRUE(window.isVisible()) << "Escape is no Cancel";

        shuffle->click();
        ui->answers = {box::Yes};
        ok->click();
    });
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(dialog.SelectedPlaylist(), "CDROM");
    EXPECT_EQ(dialog.DriveLetter(), "E:");
    EXPECT_EQ(dialog.HowToIDDisk(), automation::how_to_id::DriveLetter);
    EXPECT_EQ(dialog.ShuffleMode(), automation::shuffle_mode::Off);

    // The next showing finds tab, rows, selection and tick as they were;
    // closing the window is Cancel.
    window.move(window.pos() + QPoint(40, 0));
    showAnswering(window, [&] {
        EXPECT_EQ(window.x(), twipsToPixels(1500, dpiX)) << "the saved rectangle again";
        EXPECT_EQ(strip->currentIndex(), frmSelPlaylist::tabCdroms);
        EXPECT_EQ(cdroms->currentItem(), cdroms->topLevelItem(1));
        EXPECT_FALSE(header->tickRect(0).isEmpty());
        EXPECT_FALSE(shuffle->isChecked()) << "the saved default";
        window.close();
    });
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(dialog.Cancelled(), automation::VTrue);
    EXPECT_EQ(dialog.PlayListType(), -1);
    EXPECT_EQ(dialog.DriveLetter(), "E:");

    // A saved size no window can take: the window stays where it was.
    platform::writeSetting("LUMO Audio", "Settings", "Width", "1e300");
    window.move(window.pos() + QPoint(40, 0));
    const QRect before = window.frameGeometry();
    showAnswering(window, [&] {
        EXPECT_EQ(window.frameGeometry(), before);
        cancel->click();
    });
}

}  // namespace
}  // namespace lumo::dialogs
