#pragma once
// The system information report: the program and the machine at the moment
// of an error, in fixed sections of labelled lines, each ending in CR LF. It
// fills the error window's system page and the log's error report.

#include <memory>
#include <string>

#include "failsafe/services.h"
#include "failsafe/system/system_facts.h"

namespace lumo::failsafe {

std::string systemReport(SystemFacts& facts, const ProgramInfo& program);

// The facts the framework reports on: this machine's, without a display,
// until a window toolkit installs facts that know the display.
SystemFacts& processSystemFacts();
void setProcessSystemFacts(std::shared_ptr<SystemFacts> facts);

// Appends the report of the framework's program on the process's facts.
void fsSYSTEMREPORT(std::string& report);

}  // namespace lumo::failsafe
