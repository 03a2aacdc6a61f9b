#pragma once
// The framework's user interface on Qt widgets: message boxes are
// QMessageBoxes shaped by their classic style values, pending events run
// through Qt's event loop, and the program's windows are the application's
// top-level widgets.

#include <QMessageBox>

#include "failsafe/user_interface.h"

namespace lumo::dialogs {

class QtUserInterface final : public failsafe::UserInterface {
public:
    // Needs a QApplication (common::widgetsAvailable()).
    int32_t messageBox(std::string_view text, int32_t style, std::string_view title) override;
    void processPendingEvents() override;
    void setProgramWindowsEnabled(bool enabled) override;
};

// Between the classic answers and icons and Qt's.
QMessageBox::StandardButton qtButtonFor(int32_t answer);
int32_t answerFor(QMessageBox::StandardButton button);
QMessageBox::Icon qtIconFor(int32_t icon);

// Makes message boxes windows when someone can answer them
// (common::windowsCanBeAnswered()) and returns true; otherwise the framework keeps
// its headless interface.
bool installWindowedUserInterface();

}  // namespace lumo::dialogs
