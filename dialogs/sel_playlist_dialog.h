#pragma once
// The selection dialog's window: maps frmSelPlaylist to Qt widgets placed at
// its twips layout and hands every click, header click, tab change and close
// to it. The window is made at the first showing and only hidden afterwards.

#include <QDialog>

#include <array>
#include <cstdint>

#include "common/codes.h"
#include "common/form_settings.h"
#include "dialogs/sel_playlist.h"

class QAction;
class QCheckBox;
class QMenu;
class QPushButton;
class QTabBar;
class QTreeWidget;

namespace lumo::dialogs {

class TickHeaderView;

class SelPlaylistDialog final : public QDialog, public common::FormWindow {
    Q_OBJECT
public:
    // Loads the dialog unless it is loaded already.
    explicit SelPlaylistDialog(frmSelPlaylist& dialog, QWidget* parent = nullptr);
    ~SelPlaylistDialog() override;

    // Activates the dialog and blocks until OK or Cancel hides it.
    void showModally();
    // Shows the dialog's state; every handler calls it after the dialog acted.
    void sync();

    // The outer rectangle in twips.
    double Left() const override;
    double Top() const override;
    double Width() const override;
    double Height() const override;
    void Move(double left, double top, double width, double height) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWidgets();
    void connectWidgets();
    void placeToolbarControls();
    void applyLayout();
    void applyColumnWidths();
    void syncList(int32_t tab);
    void hideWhenDone();
    QRect pixels(const TwipsRect& rect) const;

    frmSelPlaylist& dialog_;
    QWidget* toolbar_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* more_ = nullptr;
    QCheckBox* shuffle_ = nullptr;
    QWidget* tab_ = nullptr;
    QTabBar* tabBar_ = nullptr;
    std::array<QTreeWidget*, 3> lists_{};
    std::array<int32_t, 3> shownRevision_{-1, -1, -1};
    TickHeaderView* cdHeader_ = nullptr;
    QMenu* menuMore_ = nullptr;
    QAction* playlistReport_ = nullptr;
    QAction* wmpVersion_ = nullptr;
    bool columnsApplied_ = false;
};

// What SelectPlaylists shows: the process's dialog with Cancelled false,
// modally, then its eight values. Without a display (offscreen and minimal
// count as none) the dialog is answered as closed by the user (Cancelled
// true), and the error log says so.
SelectionResult showSelectionWindow();

// Destroys the window of the process's dialog, if there is one; the
// dialog's state stays, and the next showing builds a window over it. For a
// process that ends its Qt application before it ends.
void releaseSelectionWindow();

}  // namespace lumo::dialogs
