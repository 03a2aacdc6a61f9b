#pragma once
// frmFAILSAFE on Qt widgets: a thin view over ErrorWindowState. The controls
// carry the window's own names as object names; hovering one shows its text
// in the status line.

#include <QDialog>

#include "failsafe/errors/error_window_state.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QStackedWidget;

namespace lumo::failsafe::window {

class ErrorWindowDialog final : public QDialog {
public:
    explicit ErrorWindowDialog(ErrorWindowState& state, QWidget* parent = nullptr);
    ~ErrorWindowDialog() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    // The close box and Escape answer as Continue does.
    void reject() override;

private:
    QWidget* makeUserTextPage();
    QWidget* makeErrorSourcePage();
    QWidget* makeCallTreePage();
    QWidget* makeSystemPage();
    QWidget* makeButtons();
    void answer(void (ErrorWindowState::*press)());
    void watch(QWidget* widget);
    void refresh();

    ErrorWindowState& state_;
    QComboBox* pages_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    QPlainTextEdit* userText_ = nullptr;
    QListWidget* arguments_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace lumo::failsafe::window
