#pragma once
// One run of lumo-host: the -e calls and the script file are parsed whole
// before anything runs, so a typo on the last line runs nothing; standard
// input is run line by line as it arrives, so a program can drive
// lumo-host interactively, and stops at its first bad line.

#include <istream>
#include <ostream>

#include "host/command_line.h"
#include "host/script_runner.h"

namespace lumo::host {

// The exit status: 0 when every line ran, 2 when a line does not parse, the
// script cannot be read or the object cannot be created (said on `errors`).
int runSession(const CommandLine& options, ScriptRunner& runner, std::istream& input, std::ostream& errors);

}  // namespace lumo::host
