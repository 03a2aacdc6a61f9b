#pragma once
// What every fault test needs: a private home in a temporary folder, the
// helper program run in a child process (under the fault shim when asked),
// a child killed at a random moment, and files compared byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/temp_folder.h"

namespace lumo::faults::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using namespace lumo::testing;

inline void writeBytes(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

// Which calls the shim fails (fault_shim.cpp), for files under `path`.
struct Fault {
    std::string path;
    std::string error = "ENOSPC";
    std::string calls;  // empty: every call but opens for reading
    int skip = 0;
    int times = -1;
    std::string vanish;  // instead: this file disappears before its first open
};

inline Fault faultOn(std::string path, std::string error, std::string calls = "", int skip = 0) {
    Fault fault;
    fault.path = std::move(path);
    fault.error = std::move(error);
    fault.calls = std::move(calls);
    fault.skip = skip;
    return fault;
}

struct Finished {
    int status = -1;  // exit status; -1 when it did not exit
    int signal = 0;   // the signal that ended it
    std::vector<std::string> out;
    std::string errors;
    std::vector<std::string> injected;  // one line per call the shim failed

    // The values of the lines "word value".
    std::vector<std::string> said(const std::string& word) const {
        std::vector<std::string> values;
        for (const std::string& line : out)
            if (line.rfind(word + " ", 0) == 0) values.push_back(line.substr(word.size() + 1));
        return values;
    }
    bool saidLine(const std::string& line) const { return std::find(out.begin(), out.end(), line) != out.end(); }
    std::string dump() const {
        std::string text = "exit " + std::to_string(status) + " signal " + std::to_string(signal) + "\n";
        for (const std::string& line : out) text += line + "\n";
        for (const std::string& line : injected) text += "injected: " + line + "\n";
        return text + errors;
    }
};

// A private home for the helper: its own configuration, data and cache
// folders under `root`, and nothing of the caller's settings or display.
class HelperTest : public ::testing::Test {
protected:
    TempFolder root;
    fs::path config = root / "config", cache = root / "cache", data = root / "data";

    std::vector<std::string> environment() const {
        std::vector<std::string> entries = privateEnvironment(
            {{"HOME", root.path()}, {"XDG_CONFIG_HOME", config}, {"XDG_DATA_HOME", data}, {"XDG_CACHE_HOME", cache}});
        entries.push_back("LUMO_AUDIO_SINK=fakesink sync=false");
        return entries;
    }

    // The shim after the sanitizer runtime, which must come first.
    static std::string preload() {
        const std::string runtime = LUMO_SANITIZER_RUNTIME;
        return "LD_PRELOAD=" + (runtime.empty() ? "" : runtime + ":") + LUMO_FAULT_SHIM;
    }

    std::vector<std::string> environmentWith(const Fault& fault, const fs::path& log) const {
        std::vector<std::string> entries = environment();
        entries.push_back(preload());
        entries.push_back("LUMO_FAULT_LOG=" + log.string());
        if (!fault.vanish.empty()) {
            entries.push_back("LUMO_FAULT_VANISH=" + fault.vanish);
            return entries;
        }
        entries.push_back("LUMO_FAULT_PATH=" + fault.path);
        entries.push_back("LUMO_FAULT_ERRNO=" + fault.error);
        if (!fault.calls.empty()) entries.push_back("LUMO_FAULT_CALLS=" + fault.calls);
        entries.push_back("LUMO_FAULT_SKIP=" + std::to_string(fault.skip));
        entries.push_back("LUMO_FAULT_TIMES=" + std::to_string(fault.times));
        return entries;
    }

    // Starts the helper (or another program) with standard output and error
    // in files of `folder`; standard input is a pipe whose writing end is
    // returned in *input.
    pid_t start(const std::vector<std::string>& arguments, const std::vector<std::string>& env,
                const fs::path& folder, int* input = nullptr) const {
        std::vector<std::string> command = {LUMO_FAULT_HELPER};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return startProgram(command, env, folder, input);
    }
    pid_t startProgram(const std::vector<std::string>& command, const std::vector<std::string>& env,
                       const fs::path& folder, int* input = nullptr) const {
        const ChildProcess child = startChild(command, env, folder, {}, input != nullptr);
        if (input) *input = child.input;
        return child.pid;
    }

    // Waits for the child; one still running after two minutes is hung and
    // killed, so that the test fails instead of blocking.
    static Finished finish(pid_t pid, const fs::path& folder) {
        Finished finished;
        const ChildEnd end = waitForChild(pid, std::chrono::minutes(2), "the helper");
        finished.status = end.status;
        finished.signal = end.signal;
        finished.out = linesOf(bytesOf(folder / "out"));
        finished.errors = bytesOf(folder / "err");
        finished.injected = linesOf(bytesOf(folder / "injected"));
        return finished;
    }

    int runs_ = 0;
    fs::path nextRunFolder() { return root / "runs" / std::to_string(++runs_); }

    Finished run(const std::vector<std::string>& arguments) {
        const fs::path folder = nextRunFolder();
        return finish(start(arguments, environment(), folder), folder);
    }
    Finished runWith(const Fault& fault, const std::vector<std::string>& arguments) {
        const fs::path folder = nextRunFolder();
        return finish(start(arguments, environmentWith(fault, folder / "injected"), folder), folder);
    }
};

// Kill runs: LUMO_CRASH_KILLS of them per operation (5 unless set).
inline int killCount() {
    const char* text = std::getenv("LUMO_CRASH_KILLS");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : 5;
}

// The lines the helper has written so far.
inline std::vector<std::string> outputSoFar(const fs::path& folder) { return linesOf(bytesOf(folder / "out")); }

// Waits until the helper has written a line starting with `word` (at most a
// minute: a helper that never gets there has failed).
inline bool waitForLine(const fs::path& folder, const std::string& word) {
    const auto deadline = std::chrono::steady_clock::now() + 1min;
    while (std::chrono::steady_clock::now() < deadline) {
        for (const std::string& line : outputSoFar(folder))
            if (line.rfind(word, 0) == 0) return true;
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

// Counts printed for the long run (scripts/crash-test) to gather.
inline void printCounts(const std::string& what, const std::vector<std::pair<std::string, int>>& counts) {
    std::string line = "[ counts   ] " + what + ":";
    for (const auto& [name, count] : counts) line += " " + name + "=" + std::to_string(count);
    std::cout << line << std::endl;
}

}  // namespace lumo::faults::testing
