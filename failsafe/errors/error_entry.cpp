#include "failsafe/errors/error_entry.h"

#include <algorithm>
#include <cctype>

#include "failsafe/categories.h"
#include "failsafe/system/system_report.h"

namespace lumo::failsafe {
namespace {

std::string trimmedUpper(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    std::string result(text.substr(first, text.find_last_not_of(" \t") - first + 1));
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

std::string trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

// The passed name, or "passed << traced" when the failing procedure is not
// the one on top of the trace.
std::string reportedName(std::string_view passed, const std::string& traced) {
    if (trimmedUpper(passed) == trimmedUpper(traced)) return traced;
    return std::string(passed) + " << " + traced;
}

std::vector<std::string> splitAt(std::string_view text, char separator) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
        fields.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
    fields.emplace_back(text.substr(start));
    return fields;
}

}  // namespace

int16_t ErrorEntry::userAction() { return userActionProvider_ ? userActionProvider_() : 0; }

void ErrorEntry::waitWhileWindowOpen() {
    while (windowOpen()) sinks_.guarded("fsWAIT()", [&] { environment_.ui().processPendingEvents(); });
}

void ErrorEntry::fillErrorSlots(std::string_view module, std::string_view procedure, const ErrorState& runtime) {
    error_ = InterceptedError{};
    ErrorSlot& first = error_.slots[0];
    first.number = runtime.number;
    first.description = runtime.description;
    first.line = runtime.line;
    error_.origin = runtime.origin;
    first.source = runtime.source + (runtime.source == environment_.projectName() ? " (local)" : " (remote)");
    first.category = errorCategory(runtime.number);
    first.helpFile = runtime.helpFile;
    first.helpContext = runtime.helpContext;

    std::string tracedModule, tracedProcedure;
    if (const TraceStack::Level* top = stack_.top()) {
        tracedModule = trimmed(top->module);
        tracedProcedure = trimmed(top->procedure);
    } else if (stack_.depth() == 0) {
        const std::string_view start = stack_.startEntry();
        const size_t colon = start.find(':');
        tracedModule = trimmed(start.substr(0, colon));
        if (colon != std::string::npos) tracedProcedure = trimmed(start.substr(colon + 1));
    }
    first.module = reportedName(module, tracedModule);
    first.procedure = reportedName(procedure, tracedProcedure);

    if (runtime.source.find('!') == std::string::npos) return;
    // A chain from another component: a count, then six fields per error.
    const std::vector<std::string> fields = splitAt(runtime.source, '!');
    const int further = std::clamp(static_cast<int>(leadingNumber(fields[0])), 0, InterceptedError::slotCount - 1);
    auto field = [&](size_t index) { return index < fields.size() ? fields[index] : std::string("<unknown>"); };
    for (int k = 1; k <= further; ++k) {
        const size_t base = 1 + static_cast<size_t>(k - 1) * 6;
        ErrorSlot& slot = error_.slots[static_cast<size_t>(k)];
        slot.source = field(base) + " (remote)";
        slot.module = field(base + 1);
        slot.procedure = field(base + 2);
        slot.line = static_cast<int32_t>(leadingNumber(field(base + 3)));
        slot.number = static_cast<int32_t>(leadingNumber(field(base + 4)));
        slot.description = "Remote " + field(base + 5);
        slot.category = errorCategory(slot.number);
    }
    error_.lastSlot = static_cast<int16_t>(further);
}

std::string ErrorEntry::errorRecord() const {
    const ErrorSlot& first = error_.slots[0];
    return environment_.exeTag() + "ERROR " + std::to_string(first.number) + " at " + first.module + " : " +
           first.procedure + " : Line " + std::to_string(first.line) + " : " + first.description + "\r\n";
}

void ErrorEntry::copyCallTree() {
    const int32_t depth = stack_.depth();
    const int32_t listed = std::clamp(depth, 0, TraceStack::maxLevel);
    error_.callTree.assign(1, std::to_string(depth));
    error_.callTreeMarks.assign(1, 0);
    for (int32_t level = 1; level <= listed; ++level) {
        error_.callTree.push_back(stack_.entryText(level));
        error_.callTreeMarks.push_back(stack_.levelMark(level));
    }
    error_.failingMark = stack_.levelMark(listed);
}

void ErrorEntry::gatherSystemReport() {
    error_.systemReport =
        buildSystemReport_ ? buildSystemReport_() : systemReport(processSystemFacts(), environment_.program());
}

std::optional<int16_t> ErrorEntry::askWhatToDo() {
    const int16_t preset = userAction();
    const bool presetActs = preset >= 1 && preset <= 5;
    if (!options_.settings().silentRun && preset != -1) {
        if (presetActs) return preset;
        if (window_) {
            setWindowOpen(true);
            error_.action = window_->show(error_);
            setWindowOpen(false);
            return error_.action;
        }
    }
    // Silent, or no error window in this program: nobody is asked.
    return presetActs ? std::optional<int16_t>(preset) : std::nullopt;
}

void ErrorEntry::logCaughtError(std::string_view location, int32_t line, int32_t number,
                                std::string_view description) {
    if (caughtErrorHandler_)
        caughtErrorHandler_(location, line, number, description);
    else
        writeCaughtError(location, line, number, description);
}

void ErrorEntry::writeCaughtError(std::string_view location, int32_t line, int32_t number,
                                  std::string_view description) {
    sinks_.guarded("LogError()", [&] {
        sinks_.writeLog(environment_.generalDateTime() + " LAP LOG ERROR: " + std::string(location) +
                        " Erl=" + std::to_string(line) + " Error Number=" + std::to_string(number) + " '" +
                        std::string(description) + "'");
    });
}

}  // namespace lumo::failsafe
