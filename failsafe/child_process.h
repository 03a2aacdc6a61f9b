#pragma once
// Runs a helper program with its standard input fed from memory, bounded in
// time: a helper that has not finished by the deadline is killed with its
// whole process group. Arguments go straight to the program, never through a
// shell; its output is discarded.

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::failsafe {

struct ChildOutcome {
    bool started = false;
    bool finished = false;  // exited (or was killed by a signal) before the deadline
    int exitCode = -1;      // when it exited normally
    std::string problem;    // why it did not succeed, for a log line
    bool succeeded() const { return finished && exitCode == 0; }
};

// arguments[0] is the program's name as it sees it.
ChildOutcome runWithInput(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                          std::string_view input, std::chrono::milliseconds timeout);

}  // namespace lumo::failsafe
