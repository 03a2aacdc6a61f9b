#pragma once
// The framework's error window on Qt: shown modally for each intercepted
// error (fsSHOWERROR), with the default printer, the clipboard, the desktop's
// help viewer and the application's pointer as its devices.

#include <functional>

#include "failsafe/errors/error_window_state.h"
#include "failsafe/framework.h"

namespace lumo::failsafe::window {

class QtErrorWindowDevices final : public ErrorWindowDevices {
public:
    PrintOutcome print(const std::vector<std::string>& lines) override;
    bool putOnClipboard(std::string_view text) override;
    bool openHelp(const std::filesystem::path& file, int32_t context) override;
    void setBusy(bool busy) override;
};

// What the window's No answer to Save... runs: the program's copy of every
// page to the clipboard.
using CopyAllPages = std::function<void(ErrorWindowState&)>;

class QtErrorWindow final : public ErrorWindow {
public:
    explicit QtErrorWindow(CopyAllPages copyAllPages) : copyAllPages_(std::move(copyAllPages)) {}
    // Fills the window from the error, shows it modally and returns 0
    // (Continue) or 5 (Break to).
    int16_t show(InterceptedError& error) override;

private:
    CopyAllPages copyAllPages_;
};

// The window's view of the framework: the program, the open-window flag, the
// system report and the log that notes the window's fallbacks.
ErrorWindowSetup errorWindowSetup(Framework& fs, CopyAllPages copyAllPages);

// Needs a QApplication. The framework shows its errors in the window, and
// its system reports know the display.
void installQtErrorWindow(CopyAllPages copyAllPages);

}  // namespace lumo::failsafe::window
