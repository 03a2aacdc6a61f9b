#pragma once
// The error report that the framework appends to its log file.

#include <string>

#include "failsafe/errors/intercepted_error.h"

namespace lumo::failsafe {

struct ReportFrame {
    std::string startLine;    // the start line with date, time and framework version
    std::string programLine;  // program folder, name and version
    std::string stopLine;
};

// The whole report, every line ending in CR LF.
std::string formatErrorReport(const InterceptedError& error, const ReportFrame& frame);

// The call tree lines of the report (also what the error window lists),
// without line ends: " 1 : Call", a tab per level, the entry.
std::vector<std::string> callTreeLines(const InterceptedError& error);

}  // namespace lumo::failsafe
