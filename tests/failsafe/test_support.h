#pragma once
// A framework of its own for each test: a clock the test moves, fixed memory
// figures and local time, a program folder in a fresh temporary directory, and
// message boxes that are answered from a script and remembered.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "failsafe/failsafe.h"
#include "tests/support/child_process.h"

namespace lumo::failsafe::testing {

class FakeServices final : public SystemServices {
public:
    int64_t* now;
    MemoryStatus* memory;
    bool* debugger;
    int* breaks;
    FakeServices(int64_t* n, MemoryStatus* m, bool* d, int* b) : now(n), memory(m), debugger(d), breaks(b) {}
    int64_t nowMilliseconds() override { return *now; }
    std::tm localTime() override {  // 12-04-2026 05:30:00
        std::tm t{};
        t.tm_year = 2026 - 1900, t.tm_mon = 11, t.tm_mday = 4, t.tm_hour = 5, t.tm_min = 30;
        return t;
    }
    std::optional<MemoryStatus> memoryStatus() override { return *memory; }
    bool debuggerAttached() override { return *debugger; }
    void breakIntoDebugger() override { ++*breaks; }
};

struct ShownBox { std::string text; int32_t style; std::string title; };

class ScriptedUserInterface final : public UserInterface {
public:
    std::vector<ShownBox> boxes;
    std::deque<int32_t> answers;  // empty: the default button
    int eventRounds = 0;
    std::vector<bool> windowStates;
    std::function<void()> onEvents;

    int32_t messageBox(std::string_view text, int32_t style, std::string_view title) override {
        boxes.push_back({std::string(text), style, std::string(title)});
        if (answers.empty()) return box::defaultAnswer(style);
        const int32_t answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void processPendingEvents() override {
        ++eventRounds;
        if (onEvents) onEvents();
    }
    void setProgramWindowsEnabled(bool enabled) override { windowStates.push_back(enabled); }
};

using lumo::testing::bytesOf;

inline std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, at; start < text.size(); start = at + 2) {
        at = std::min(text.find("\r\n", start), text.size());
        lines.push_back(text.substr(start, at - start));
    }
    return lines;
}

class FrameworkTest : public ::testing::Test {
protected:
    int64_t now = 50000;
    MemoryStatus memory{42, 123456789};
    bool debugger = false;
    int breaks = 0;
    std::shared_ptr<ScriptedUserInterface> ui = std::make_shared<ScriptedUserInterface>();
    std::filesystem::path folder;
    ScopedFramework fs;

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("lumo-fs-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                  std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        configure(*fs);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Gives a framework the fixture's clock, interface and program folder.
    void configure(Framework& f) {
        f.setServices(std::make_unique<FakeServices>(&now, &memory, &debugger, &breaks));
        f.setUserInterface(ui);
        f.setProgram({folder, "libLUMOAudioPlayer.so", "LUMOAudioPlayer", "LUMOAudioPlayer", 2, 1, 7});
        f.setSystemReportBuilder([] { return std::string("System line one\r\nSystem line two\r\n"); });
    }

    void writeOptions(const std::string& text) { std::ofstream(folder / "FSCLIENT.INI", std::ios::binary) << text; }
    std::filesystem::path path(const std::string& name) const { return folder / name; }
};

}  // namespace lumo::failsafe::testing
