#include "common/failsafe_clipboard.h"

#include <array>

#include "common/formatting.h"
#include "failsafe/framework.h"
#include "failsafe/procedure.h"

namespace lumo::common {
namespace {

using failsafe::ErrorWindowState;

constexpr std::string_view crlf = "\r\n";

// The text with every line ended by CR LF, whatever ended it before.
std::string crlfLines(std::string_view text) {
    std::string out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        out.append(text.substr(start, end - start)).append(crlf);
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return out;
}

constexpr std::array<std::string_view, ErrorWindowState::pageCount> pageHeaders{
    "<ERROR WINDOW> *** To help resolve the problem, please enter what you were doing ***\r\n",
    "<ERROR WINDOW> *** View detailed information about the error source ***\r\n",
    "<ERROR WINDOW> *** View error context and procedure trace ***\r\n",
    "<ERROR WINDOW> *** View local system information ***\r\n",
};

std::string pageText(ErrorWindowState& window, int page) {
    window.selectPage(page);
    std::string text(pageHeaders[static_cast<size_t>(page)]);
    switch (page) {
        case ErrorWindowState::WhatYouWereDoing:
            // Text1 as typed, then three line ends.
            text.append(window.userText()).append("\r\n\r\n\r\n");
            break;
        case ErrorWindowState::ErrorSource:
            for (const failsafe::ErrorField& field : window.fields())
                text.append(field.label)
                    .append(field.fieldName == "ErrProcedure" ? "" : " ")
                    .append(field.value)
                    .append(crlf);
            text.append("\r\n\r\n");
            break;
        case ErrorWindowState::ErrorContext:
            for (const std::string& row : window.callRows()) text.append(row).append(crlf);
            text.append("\r\n\r\n");
            break;
        default: text.append(crlfLines(window.systemReport())).append(crlf); break;
    }
    return text;
}

}  // namespace

std::string failSafeClipboardText(ErrorWindowState& window, std::string_view dateTime, std::string_view playerVersion) {
    const failsafe::ProgramInfo& program = failsafe::framework().program();
    std::string text = "FAILSAFE ERROR COPIED TO CLIPBOARD AT: " + std::string(dateTime) + "\r\n\r\n";
    // The version as ISFormatAppVersion writes it, without its trace entry.
    text += "LUMOAudio version : " + formatAppVersion(program.major, program.minor, program.revision) + "\r\n";
    text += "MS WMP version : " + std::string(playerVersion) + "\r\n\r\n\r\n";
    for (int page = 0; page < ErrorWindowState::pageCount; ++page) text += pageText(window, page);
    text += "*** END OF FAILSAFE COPY TO CLIPBOARD ***\r\n\r\n";
    return text;
}

void CopyFailSafeErrorToCB(ErrorWindowState& window, std::string_view playerVersion) {
    failsafe::Procedure proc(failsafe::NoTrace{}, failsafe::PassOver{});
    const int shown = window.page();
    std::string text;
    bool copied = false;
    window.devices().setBusy(true);
    proc.step([&] { text = failSafeClipboardText(window, generalDateTime(), playerVersion); });
    proc.step([&] { copied = !text.empty() && window.devices().putOnClipboard(text); });
    window.selectPage(shown);
    window.devices().setBusy(false);
    if (copied) {
        window.setStatus(generalDateTime() + " All error windows copied to the clipboard!");
        return;
    }
    window.setStatus(generalDateTime() + " The clipboard could not be opened: nothing was copied.");
    window.note(window.status());
}

}  // namespace lumo::common
