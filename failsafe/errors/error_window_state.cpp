#include "failsafe/errors/error_window_state.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "failsafe/errors/error_report.h"
#include "failsafe/messages.h"

namespace lumo::failsafe {
namespace {

constexpr std::array<std::string_view, ErrorWindowState::pageCount> pageNames{
    "To help resolve the problem, please enter what you were doing.",
    "View detailed information about the error source",
    "View error context and procedure trace",
    "View local system information",
};

constexpr std::array<std::pair<std::string_view, std::string_view>, 19> hoverTexts{{
    {"", "Press 'Continue' to acknowledge this error and continue."},
    {"nsCtrlContinue", "Press to acknowledge this error and continue."},
    {"nsCtrlMore", "Press to break to design-mode in this procedure."},
    {"fsPrint", "Press to print or copy error information to the clipboard."},
    {"nsHelp", "Press to show detailed help about this error."},
    {"ErrModule", "The error module"},
    {"nsCtrlLabel1", "The error module"},
    {"ErrProcedure", "The error procedure"},
    {"nsCtrlLabel2", "The error procedure"},
    {"ErrLine", "The line number where the error happened"},
    {"nsCtrlLabel4", "The line number where the error happened"},
    {"ErrNo", "The error number"},
    {"nsCtrlLabel5", "The error number"},
    {"errText", "A description of the error"},
    {"nsCtrlLabel6", "A description of the error"},
    {"ErrType", "The error category"},
    {"nsCtrlLabel7", "The error category"},
    {"errProject", "The error source"},
    {"nsCtrlProjLab", "The error source"},
}};

constexpr int32_t helpButton = 16384;

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}

std::vector<ErrorField> fieldsOf(const InterceptedError& error) {
    const ErrorSlot& slot = error.slots[0];
    std::string line = slot.line != 0
                           ? " " + std::to_string(slot.line)
                           : " line numbers not used - Code Pointer = " + std::to_string(error.failingMark);
    const std::string raisedAt = error.origin.empty() ? "" : "Raised at " + error.origin;
    return {
        {"nsCtrlLabel7", "ErrType", std::string(fixedMessage(38)), slot.category, {}},
        {"nsCtrlProjLab", "errProject", std::string(fixedMessage(61)), slot.source, {}},
        {"nsCtrlLabel1", "ErrModule", trimmed(fixedMessage(19)) + " ", " " + slot.module, {}},
        {"nsCtrlLabel2", "ErrProcedure", std::string(fixedMessage(30)) + " ", " " + slot.procedure, {}},
        {"nsCtrlLabel4", "ErrLine", std::string(fixedMessage(35)), line, raisedAt},
        {"nsCtrlLabel5", "ErrNo", std::string(fixedMessage(36)), " " + std::to_string(slot.number), {}},
        {"nsCtrlLabel6", "errText", std::string(fixedMessage(37)), slot.description, {}},
    };
}

// Without a traced procedure there is no level to list, not even a failing one.
bool hasCallTree(const InterceptedError& error) { return error.callTree.size() > 1; }

// The level each call tree row belongs to, in the order the rows are made.
std::vector<int> rowLevels(const InterceptedError& error) {
    std::vector<int> levels;
    const int depth = error.callTree.empty() ? 0 : static_cast<int>(error.callTree.size()) - 1;
    for (int level = 1; level <= depth; ++level) {
        levels.push_back(level);
        const size_t index = static_cast<size_t>(level);
        if (index < error.callTreeMarks.size() && error.callTreeMarks[index] > 0) levels.push_back(level);
    }
    for (int slot = 0; slot <= error.lastSlot; ++slot) levels.push_back(depth);
    return levels;
}

}  // namespace

ErrorWindowState::ErrorWindowState(InterceptedError& error, ErrorWindowSetup setup, UserInterface& ui,
                                   ErrorWindowDevices& devices)
    : error_(error),
      setup_(std::move(setup)),
      ui_(ui),
      devices_(devices),
      fields_(fieldsOf(error)),
      callRows_(hasCallTree(error) ? callTreeLines(error) : std::vector<std::string>{}),
      callRowLevels_(hasCallTree(error) ? rowLevels(error) : std::vector<int>{}),
      status_(hoverText("")) {}

std::string ErrorWindowState::title() const { return std::string(fixedMessage(34)); }

std::string ErrorWindowState::headline() const {
    const ErrorSlot& slot = error_.slots[0];
    const bool remote = slot.source.ends_with(" (remote)");
    return "An unexpected '" + lowerCase(slot.description) +
           (remote ? "' error occurred in a component used by " : "' error occurred in ") + setup_.programName + ".";
}

std::string_view ErrorWindowState::pageName(int page) {
    return page >= 0 && page < pageCount ? pageNames[static_cast<size_t>(page)] : std::string_view();
}

std::string ErrorWindowState::pageCaption(int page) {
    return page >= ErrorSource && page <= SystemInformation ? std::string(fixedMessage(26 + page)) : std::string();
}

void ErrorWindowState::selectCall(int row) {
    selectedCall_ = row >= 0 && row < static_cast<int>(callRows_.size()) ? row : -1;
}

std::vector<std::string> ErrorWindowState::argumentRows() const {
    if (selectedCall_ < 0 || static_cast<size_t>(selectedCall_) >= callRowLevels_.size()) return {};
    const size_t level = static_cast<size_t>(callRowLevels_[static_cast<size_t>(selectedCall_)]);
    if (level < 1 || level >= error_.callTree.size()) return {};
    // The entry is "<level> : <tabs>module : procedure : arguments".
    std::string_view entry = error_.callTree[level];
    for (int separator = 0; separator < 3; ++separator) {
        const size_t at = entry.find(" : ");
        if (at == std::string_view::npos) return {};
        entry.remove_prefix(at + 3);
    }
    return entry.empty() ? std::vector<std::string>{} : std::vector<std::string>{std::string(entry)};
}

std::vector<std::string> ErrorWindowState::errorRows() const {
    std::vector<std::string> rows;
    for (int slot = 0; slot <= error_.lastSlot; ++slot)
        rows.push_back("Error " + std::to_string(slot + 1) + " - " + error_.slots[static_cast<size_t>(slot)].description);
    return rows;
}

std::string ErrorWindowState::errorCountText() const {
    return std::to_string(error_.lastSlot + 1) + " error(s) are logged.";
}

void ErrorWindowState::setStatus(std::string text) {
    status_ = std::move(text);
    if (changed_) changed_();
}

std::string_view ErrorWindowState::hoverText(std::string_view control) {
    for (const auto& [name, text] : hoverTexts)
        if (name == control) return text;
    return {};
}

void ErrorWindowState::hoverOver(std::string_view control) {
    if (const std::string_view text = hoverText(control); !text.empty() && text != status_) setStatus(std::string(text));
}

void ErrorWindowState::selectPage(int page) {
    if (page < 0 || page >= pageCount) return;
    page_ = page;
    if (page == SystemInformation && error_.systemReport.empty() && setup_.buildSystemReport) {
        devices_.setBusy(true);
        try {
            error_.systemReport = setup_.buildSystemReport();
        } catch (...) {
            note("The system information report could not be built.");
        }
        devices_.setBusy(false);
    }
    if (changed_) changed_();
}

std::vector<std::string> ErrorWindowState::printedLines() const {
    std::vector<std::string> lines{title(), headline(), "", std::string(pageName(page_)), ""};
    auto add = [&lines](const std::vector<std::string>& more) { lines.insert(lines.end(), more.begin(), more.end()); };
    switch (page_) {
        case WhatYouWereDoing: add(linesOf(userText_)); break;
        case ErrorSource:
            for (const ErrorField& field : fields_) lines.push_back(field.label + field.value);
            lines.emplace_back();
            add(errorRows());
            lines.push_back(errorCountText());
            break;
        case ErrorContext: add(callRows_); break;
        default: add(linesOf(error_.systemReport)); break;
    }
    return lines;
}

void ErrorWindowState::activated() {
    if (setup_.windowOpen) setup_.windowOpen(true);
}

// The flag is cleared before the window closes: code that waits on it inside
// the window's event loop must return before that loop can end.
void ErrorWindowState::pressContinue() {
    error_.action = continueAction;
    error_.userText = userText_;
    answered_ = true;
    if (setup_.windowOpen) setup_.windowOpen(false);
}

void ErrorWindowState::pressBreakTo() {
    error_.action = breakAction;
    answered_ = true;
    if (setup_.windowOpen) setup_.windowOpen(false);
}

void ErrorWindowState::pressSave() {
    const std::string question =
        "Save error message window(s) to the default printer or clipboard?\r\r"
        "- Press 'Yes' to print the SELECTED error window to the default PRINTER:\r"
        "- Press 'No' to copy ALL the error windows to the CLIPBOARD: ( *** USEFUL FOR BUG REPORTING  *** )\r"
        "- Press 'Cancel' not to save any error message windows:";
    const int32_t answer = ui_.messageBox(question, box::YesNoCancel | box::Question, "Save Error Information");
    if (answer == box::Yes) printSelectedPage();
    if (answer == box::No && setup_.copyAllPages) setup_.copyAllPages(*this);
}

void ErrorWindowState::printSelectedPage() {
    devices_.setBusy(true);
    PrintOutcome outcome = PrintOutcome::Failed;
    try {
        outcome = devices_.print(printedLines());
    } catch (...) {
    }
    devices_.setBusy(false);
    switch (outcome) {
        case PrintOutcome::Printed: setStatus("The selected error window was sent to the default printer."); break;
        case PrintOutcome::NoPrinter:
            setStatus("There is no default printer: the error window was not printed.");
            note(status_);
            break;
        case PrintOutcome::Failed:
            setStatus("The default printer failed: the error window was not printed.");
            note(status_);
            break;
    }
}

std::filesystem::path ErrorWindowState::helpFile() const {
    const std::string& named = error_.slots[0].helpFile;
    const std::filesystem::path file(named.empty() ? std::string("failsafe.hlp") : named);
    return file.is_absolute() ? file : setup_.programFolder / file;
}

void ErrorWindowState::pressHelp() {
    const std::filesystem::path file = helpFile();
    const int32_t context = error_.slots[0].helpContext;
    if (setup_.inDevEnvironment) {
        ui_.messageBox("Press F1 for Help on " + file.filename().string() + ", context " + std::to_string(context),
                       box::OkOnly | helpButton, setup_.programName);
        return;
    }
    bool opened = false;
    try {
        opened = devices_.openHelp(file, context);
    } catch (...) {
    }
    if (opened) return;
    setStatus("No help could be shown: " + file.string() + " does not open.");
    note(status_);
}

void ErrorWindowState::note(std::string_view problem) const {
    if (setup_.note) setup_.note(problem);
}

}  // namespace lumo::failsafe
