#pragma once
// lumo-fault-helper: the program the fault and crash tests run in a child
// process, under the fault shim or until they kill it. Each command prints
// what it saw as "word value" lines on standard output, written straight to
// the descriptor so that nothing is lost in a buffer when the process dies.

#include <string>
#include <string_view>
#include <vector>

namespace lumo::faults {

using Arguments = std::vector<std::string>;

// One line on standard output, written at once.
void say(std::string_view line);

int settingsCommand(const Arguments& arguments);
int indexCommand(const Arguments& arguments);
int traceCommand(const Arguments& arguments);
int playCommand(const Arguments& arguments);
int stalledCommand(const Arguments& arguments);

}  // namespace lumo::faults
