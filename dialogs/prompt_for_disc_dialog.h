#pragma once
// The disc prompt's window: maps frmPromptForDisc to Qt widgets placed at its
// designed twips, and hands every click and close to it.

#include <QDialog>

#include <cstdint>

#include "dialogs/prompt_for_disc.h"

class QListWidget;
class QPushButton;
class QStatusBar;

namespace lumo::dialogs {

class DiscPromptDialog final : public QDialog {
    Q_OBJECT
public:
    // Loads the prompt: its list is filled when the window is made.
    explicit DiscPromptDialog(frmPromptForDisc& prompt, QWidget* parent = nullptr);
    ~DiscPromptDialog() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void closeWhenUnloaded();
    QRect pixels(const TwipsRect& rect) const;

    frmPromptForDisc& prompt_;
    QListWidget* list_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QStatusBar* statusBar_;
};

// Shows the process's disc prompt modally and returns its PromptResult; the
// caller reads PromptForDisc().CDError() and the active selection's
// sPromptedDrive afterwards. Without a display (offscreen and minimal count
// as none) the prompt is answered as cancelled by the user, and the error log
// says so.
int32_t showDiscPrompt();

}  // namespace lumo::dialogs
