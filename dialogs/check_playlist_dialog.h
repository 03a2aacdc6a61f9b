#pragma once
// The playlist check window: maps frmCheckPL to Qt widgets placed at its
// twips layout, starts a run when it becomes the active window and hands the
// Done/Stop button to the check.
//
// Closing the window while a run goes on (close box, Escape, the window
// system) is taken as Stop followed by a close: the run finishes the item in
// hand, passes through its final step (and the message box of a failing
// item), and then the window closes and saves its rectangle. The window
// never goes away under a run that still writes to it.

#include <QDialog>

#include <functional>

#include "common/form_settings.h"
#include "report/check_playlist.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTreeWidget;
class QWindow;

namespace lumo::dialogs {

class frmSelPlaylist;

class CheckPlaylistDialog final : public QDialog, public common::FormWindow {
    Q_OBJECT
public:
    using SelectionSource = std::function<report::Selection()>;
    CheckPlaylistDialog(report::frmCheckPL& check, SelectionSource selection, QWidget* parent = nullptr);
    ~CheckPlaylistDialog() override;

    // Shows the check's state; between forced updates at most every 100 ms,
    // so a long run adds its rows in batches.
    void sync(bool now = true);

    double Left() const override;
    double Top() const override;
    double Width() const override;
    double Height() const override;
    void Move(double left, double top, double width, double height) override;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildWidgets();
    void applyLayout();
    void syncRows();
    void runReport();
    void focusMoved(QWindow* window);
    QRect pixels(const report::layout::Rect& rect) const;

    report::frmCheckPL& check_;
    SelectionSource selection_;
    QWidget* toolbar_ = nullptr;
    QPushButton* done_ = nullptr;
    QProgressBar* pb_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QStatusBar* sb_ = nullptr;
    QLabel* panels_[3] = {};
    int shownGeneration_ = -1;
    int shownRows_ = 0;
    qint64 lastSync_ = 0;
    bool shownOnce_ = false;
    bool runDue_ = true;              // the first showing runs the report
    bool otherWindowInFront_ = false;  // another window of the program was active
    bool closeAfterRun_ = false;
};

// The selection dialog's state as the check reads it: the current tab and
// the selected rows.
report::Selection checkSelectionOf(const frmSelPlaylist& dialog);

// Shows the process's check window modally over the dialog's selection;
// when nobody can answer it (common::windowsCanBeAnswered()) it does nothing.
void showCheckWindow(const frmSelPlaylist& dialog);

}  // namespace lumo::dialogs
