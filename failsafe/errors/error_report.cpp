#include "failsafe/errors/error_report.h"

#include <algorithm>

#include "failsafe/messages.h"

namespace lumo::failsafe {
namespace {

constexpr std::string_view indent = "\t\t";

// An entry as the report shows it: level prefix gone, tabs as blanks, trimmed.
std::string cleanedEntry(const std::string& entry) {
    std::string text = entry;
    if (const size_t prefix = text.find(" : "); prefix != std::string::npos) text.erase(0, prefix + 3);
    std::replace(text.begin(), text.end(), '\t', ' ');
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string trapText(const ErrorSlot& slot) {
    std::string text = "Runtime error " + std::to_string(slot.number) + ", " + slot.description;
    if (slot.line != 0) text += " on line " + std::to_string(slot.line);
    return text;
}

// Every line of the text with a CR LF end, whatever ends it had.
void appendLines(std::string& out, std::string_view text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        out.append(text.substr(start, end - start)).append("\r\n");
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
}

}  // namespace

std::vector<std::string> callTreeLines(const InterceptedError& error) {
    std::vector<std::string> lines;
    const size_t levels = error.callTree.empty() ? 0 : error.callTree.size() - 1;
    auto add = [&](std::string_view kind, size_t tabs, const std::string& text) {
        lines.push_back(" " + std::to_string(lines.size() + 1) + " : " + std::string(kind) + "\t" +
                        std::string(tabs, '\t') + text);
    };
    for (size_t level = 1; level <= levels; ++level) {
        add("Call", level - 1, cleanedEntry(error.callTree[level]));
        const int16_t mark = level < error.callTreeMarks.size() ? error.callTreeMarks[level] : 0;
        if (mark > 0) add("Code", level - 1, "Code Pointer = " + std::to_string(mark));
    }
    const size_t failingTabs = levels == 0 ? 0 : levels - 1;
    add("Trap", failingTabs, trapText(error.slots[0]));
    for (int slot = 1; slot <= error.lastSlot; ++slot) add("Error", failingTabs, trapText(error.slots[slot]));
    return lines;
}

std::string formatErrorReport(const InterceptedError& error, const ReportFrame& frame) {
    std::string out;
    auto line = [&out](std::string_view text) { out.append(text).append("\r\n"); };
    auto detail = [&](std::string_view label, std::string_view value) {
        out.append(indent).append(label).append(value).append("\r\n");
    };
    line(frame.startLine);
    line(std::string(65, '*'));
    line(frame.programLine);
    line(fixedMessage(27));
    for (int k = 0; k <= error.lastSlot; ++k) {
        const ErrorSlot& slot = error.slots[k];
        line("\t*Error " + std::to_string(k + 1));
        detail(fixedMessage(38), slot.category);
        detail("Source ", slot.source);
        detail("Module ", slot.module);
        detail("Procedure ", slot.procedure);
        detail(fixedMessage(35), std::to_string(slot.line));
        detail(fixedMessage(36), std::to_string(slot.number));
        detail(fixedMessage(37), slot.description);
        detail("Code Pointer : ", std::to_string(error.failingMark));
        line("");
    }
    line("");
    line(fixedMessage(28));
    for (const std::string& call : callTreeLines(error)) out.append(indent).append(call).append("\r\n");
    line("");
    line(fixedMessage(29));
    appendLines(out, error.systemReport);
    line("User Said");
    if (error.userText.empty()) line("");
    appendLines(out, error.userText);
    line(frame.stopLine);
    return out;
}

}  // namespace lumo::failsafe
