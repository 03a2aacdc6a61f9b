#pragma once
// frmFAILSAFE, the error window, without its widgets: the texts, the fields,
// the four pages of Combo1, the hover texts of lblStatus and what each button
// decides. A window toolkit shows it; tests drive it directly.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "failsafe/errors/intercepted_error.h"
#include "failsafe/user_interface.h"

namespace lumo::failsafe {

enum class PrintOutcome { Printed, NoPrinter, Failed };

// What the window reaches outside itself.
class ErrorWindowDevices {
public:
    virtual ~ErrorWindowDevices() = default;
    // Prints the lines on the default printer.
    virtual PrintOutcome print(const std::vector<std::string>& lines) = 0;
    // Empties the clipboard and puts the text on it; false when it cannot.
    virtual bool putOnClipboard(std::string_view text) = 0;
    // Opens the help file with the desktop's viewer; false when it cannot.
    virtual bool openHelp(const std::filesystem::path& file, int32_t context) = 0;
    // The hourglass pointer while the window works.
    virtual void setBusy(bool busy) = 0;
};

class ErrorWindowState;

struct ErrorWindowSetup {
    std::string programName;              // the program file's name without extension
    std::filesystem::path programFolder;  // where the window's own help file lives
    bool inDevEnvironment = false;
    std::function<std::string()> buildSystemReport;       // for a report still missing
    std::function<void(ErrorWindowState&)> copyAllPages;  // the No answer of Save...
    std::function<void(std::string_view)> note;           // where fallbacks are logged
    // Sets the framework's open-window flag: pushes and pops wait while it is set.
    std::function<void(bool)> windowOpen;
};

struct ErrorField {
    std::string_view labelName, fieldName;  // the controls: nsCtrlLabel7, ErrType
    std::string label, value;
    // Shown on pointing at the field, never printed or copied: the pages keep
    // their fixed lines. The line field's names the file and line that raised
    // an error in the program's own code.
    std::string hint;
};

class ErrorWindowState {
public:
    enum Page : int { WhatYouWereDoing, ErrorSource, ErrorContext, SystemInformation };
    static constexpr int pageCount = 4;
    static constexpr int16_t continueAction = 0, breakAction = 5;
    static constexpr std::string_view userTextPrompt = "Type in what you were doing here.";

    ErrorWindowState(InterceptedError& error, ErrorWindowSetup setup, UserInterface& ui, ErrorWindowDevices& devices);

    std::string title() const;
    std::string headline() const;
    // The entries of Combo1, and the captions of pages 1 to 3.
    static std::string_view pageName(int page);
    static std::string pageCaption(int page);
    // ErrType, errProject, ErrModule, ErrProcedure, ErrLine, ErrNo, errText.
    const std::vector<ErrorField>& fields() const { return fields_; }
    // nsCtrlCalls, and nsCtrlArgs for the selected row.
    const std::vector<std::string>& callRows() const { return callRows_; }
    void selectCall(int row);
    int selectedCall() const { return selectedCall_; }
    std::vector<std::string> argumentRows() const;
    std::vector<std::string> errorRows() const;
    std::string errorCountText() const;
    const std::string& systemReport() const { return error_.systemReport; }

    const std::string& userText() const { return userText_; }
    void setUserText(std::string text) { userText_ = std::move(text); }
    const std::string& status() const { return status_; }
    void setStatus(std::string text);
    // The hover text of a control (by its name, "" for the window itself).
    static std::string_view hoverText(std::string_view control);
    void hoverOver(std::string_view control);

    int page() const { return page_; }
    // Shows a page; the system page builds a missing report first.
    void selectPage(int page);
    // What Save... prints: the window's texts and the selected page.
    std::vector<std::string> printedLines() const;

    // The window became active.
    void activated();
    void pressContinue();
    void pressBreakTo();
    void pressSave();
    void pressHelp();
    bool answered() const { return answered_; }
    int16_t action() const { return error_.action; }

    ErrorWindowDevices& devices() { return devices_; }
    void note(std::string_view problem) const;
    // Called whenever the page or the status line changes.
    void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

private:
    void printSelectedPage();
    std::filesystem::path helpFile() const;

    InterceptedError& error_;
    ErrorWindowSetup setup_;
    UserInterface& ui_;
    ErrorWindowDevices& devices_;
    std::vector<ErrorField> fields_;
    std::vector<std::string> callRows_;
    std::vector<int> callRowLevels_;
    int selectedCall_ = -1;
    std::string userText_{userTextPrompt};
    std::string status_;
    int page_ = WhatYouWereDoing;
    bool answered_ = false;
    std::function<void()> changed_;
};

}  // namespace lumo::failsafe
