#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

class RecordingErrorWindow final : public ErrorWindow {
public:
    int shown = 0;
    int16_t answer = 0;
    bool windowOpenFlagWhileShown = false;
    InterceptedError seen;
    Framework* framework = nullptr;
    int16_t show(InterceptedError& error) override {
        ++shown;
        seen = error;
        windowOpenFlagWhileShown = framework->errorWindowOpen();
        error.userText = "I pressed Next twice";
        return answer;
    }
};

class ErrorEntryTest : public FrameworkTest {
protected:
    void logToDisk(const std::string& extra = "") {
        writeOptions("[log file]\nWrite To Disk=1\nLog File=errors.log\n[include]\nResources=0\nMemory=0\n"
                     "Arguments=0\nUser=0\n" + extra);
    }
    void raise(int32_t number, const std::string& description, const std::string& source, int32_t line) {
        Err().set(RuntimeError(number, description, source), line);
    }
};

TEST_F(ErrorEntryTest, LocalErrorIsReportedInTheLogWithEverySection) {
    logToDisk();
    fsPUSH("modMain", "Sub Main", "");
    fsPUSH("cLUMOAudio", "Sub DoNext", "");
    raise(11, "Division by zero", "LUMOAudioPlayer", 42);
    EXPECT_EQ(fsERROR("cLUMOAudio", "Sub DoNext"), std::nullopt);  // no window yet: nobody is asked
    EXPECT_EQ(Err().number, 0);  // the run time's error is cleared

    const std::vector<std::string> expected = {
        "12-04-2026 05:30:00 - start FailSafe client v6.6 (C++20 programs on Linux, GCC 12 and Clang 14) data "
        "capture",
        std::string(65, '*'),
        folder.string() + "/LUMOAudioPlayer ver 2.1.7",
        "Error Information",
        "\t*Error 1",
        "\t\tCategory General run-time error",
        "\t\tSource LUMOAudioPlayer (local)",
        "\t\tModule cLUMOAudio",
        "\t\tProcedure Sub DoNext",
        "\t\tLine Number 42",
        "\t\tError No. 11",
        "\t\tDescription Division by zero",
        "\t\tCode Pointer : 0",
        "",
        "",
        "Call Tree & Arguments",
        "\t\t 1 : Call\tmodMain : Sub Main :",
        "\t\t 2 : Call\t\tcLUMOAudio : Sub DoNext :",
        "\t\t 3 : Trap\t\tRuntime error 11, Division by zero on line 42",
        "",
        "System State Information",
        "System line one",
        "System line two",
        "User Said",
        "",
        "12-04-2026 05:30:00 - stop FailSafe client v6.6 (C++20 programs on Linux, GCC 12 and Clang 14) data "
        "capture",
    };
    const std::string log = readFile(path("errors.log"));
    EXPECT_EQ(crlfLines(log), expected);
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

TEST_F(ErrorEntryTest, TraceRecordOfTheError) {
    writeOptions("[log file]\nWrite To Disk=1\nCapture To Disk=1\nLog File=trace.log\n[include]\nArguments=0\n"
                 "Resources=0\nMemory=0\nUser=0\n");
    fsPUSH("cLUMOAudio", "Sub DoNext", "");
    raise(11, "Division by zero", "LUMOAudioPlayer", 0);
    fsERROR("cLUMOAudio", "Sub DoNext");
    const std::string log = readFile(path("trace.log"));
    EXPECT_NE(log.find("\r\n[LUMOAudioPlayer] ERROR 11 at cLUMOAudio : Sub DoNext : Line 0 : Division by zero\r\n"),
              std::string::npos)
        << log;
}

TEST_F(ErrorEntryTest, SourceAndNamesSayWhereTheErrorCameFrom) {
    fsPUSH("cLUMOAudio", "Sub DoNext", "");
    raise(-2147221504, "Automation failed", "GStreamer", 3);
    fsERROR("CLUMOAUDIO ", " sub donext");  // same names in other case and spacing
    const ErrorSlot& slot = fs->lastError().slots[0];
    EXPECT_EQ(slot.source, "GStreamer (remote)");
    EXPECT_EQ(slot.category, "Remote OLE Automation error");
    EXPECT_EQ(slot.module, "cLUMOAudio");
    EXPECT_EQ(slot.procedure, "Sub DoNext");

    raise(5, "", "LUMOAudioPlayer", 0);
    fsERROR("modMain", "Sub DoNext");
    EXPECT_EQ(fs->lastError().slots[0].module, "modMain << cLUMOAudio");
    EXPECT_EQ(fs->lastError().slots[0].procedure, "Sub DoNext");
    EXPECT_EQ(fs->lastError().slots[0].description, "Invalid procedure call or argument");
}

// The entry starts the framework itself; with nothing traced the error names the start entry.
TEST_F(ErrorEntryTest, AnErrorWithNothingTracedStartsTheFrameworkAndNamesTheStartEntry) {
    EXPECT_FALSE(fs->initialised());
    raise(53, "", "", 0);
    fsERROR("modMain", "Sub Main");
    EXPECT_TRUE(fs->initialised());
    const ErrorSlot& slot = fs->lastError().slots[0];
    EXPECT_EQ(slot.source, " (remote)");
    EXPECT_EQ(slot.category, "File System (disk, directory or file) access error");
    EXPECT_EQ(slot.module, "modMain << FailSafe");
    EXPECT_EQ(slot.procedure, "Sub Main << Program START <12-04-2026, 05:30:00>");
    EXPECT_EQ(fs->lastError().callTree, std::vector<std::string>{"0"});
}

TEST_F(ErrorEntryTest, ChainFromAnotherComponentFillsFurtherSlots) {
    logToDisk();
    fsPUSH("cLUMOAudio", "Sub DoPlay", "");
    raise(440, "Automation error", "2!Engine!modEngine!Sub Play!17!70!Access denied!Decoder!modDecode", 9);
    fsERROR("cLUMOAudio", "Sub DoPlay");
    const InterceptedError& error = fs->lastError();
    ASSERT_EQ(error.lastSlot, 2);
    EXPECT_EQ(error.slots[1].source + "|" + error.slots[1].module + "|" + error.slots[1].procedure + "|" +
                  std::to_string(error.slots[1].line) + "|" + error.slots[1].category,
              "Engine (remote)|modEngine|Sub Play|17|Network  error");
    EXPECT_EQ(error.slots[2].source + "|" + error.slots[2].procedure, "Decoder (remote)|<unknown>");

    const std::vector<std::string> lines = crlfLines(readFile(path("errors.log")));
    const auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("\t*Error 3"));
    EXPECT_TRUE(has("\t\t 2 : Trap\tRuntime error 440, Automation error on line 9"));
    EXPECT_TRUE(has("\t\t 3 : Error\tRuntime error 70, Remote Access denied on line 17"));
    EXPECT_TRUE(has("\t\t 4 : Error\tRuntime error 0, Remote <unknown>"));

    raise(440, "Automation error", "99!a", 0);  // more errors than slots: the slots that exist
    fsERROR("cLUMOAudio", "Sub DoPlay");
    EXPECT_EQ(fs->lastError().lastSlot, 10);
}

TEST_F(ErrorEntryTest, SilentRunWritesTheReportWithoutAWindow) {
    logToDisk("[preferences]\nSilent Run=1\n");
    auto window = std::make_shared<RecordingErrorWindow>();
    window->framework = &*fs;
    fs->setErrorWindow(window);
    fsPUSH("cLUMOAudio", "Sub DoNext", "");
    raise(11, "Division by zero", "LUMOAudioPlayer", 0);
    EXPECT_EQ(fsERROR("cLUMOAudio", "Sub DoNext"), std::nullopt);
    EXPECT_EQ(window->shown, 0);
    EXPECT_NE(readFile(path("errors.log")).find("Description Division by zero"), std::string::npos);
    // Nothing goes to a mail program when no address is set: there is nothing but the log.
    EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(ErrorEntryTest, TheErrorWindowAnswersAndItsTextIsReported) {
    logToDisk();
    auto window = std::make_shared<RecordingErrorWindow>();
    window->framework = &*fs;
    window->answer = 5;
    fs->setErrorWindow(window);
    fsPUSH("cLUMOAudio", "Sub DoNext", "");
    raise(11, "Division by zero", "LUMOAudioPlayer", 0);
    EXPECT_EQ(fsERROR("cLUMOAudio", "Sub DoNext"), 5);
    EXPECT_EQ(window->shown, 1);
    EXPECT_TRUE(window->windowOpenFlagWhileShown);
    EXPECT_FALSE(fs->errorWindowOpen());
    EXPECT_EQ(window->seen.callTree.size(), 2u);
    EXPECT_EQ(window->seen.systemReport, "System line one\r\nSystem line two\r\n");
    const std::vector<std::string> lines = crlfLines(readFile(path("errors.log")));
    const auto said = std::find(lines.begin(), lines.end(), "User Said");
    ASSERT_NE(said, lines.end());
    EXPECT_EQ(*(said + 1), "I pressed Next twice");
    // Without the log setting nothing is written.
    std::filesystem::remove(path("errors.log"));
    fsOPTION(23, Value::flag(false));
    raise(11, "Division by zero", "LUMOAudioPlayer", 0);
    fsERROR("cLUMOAudio", "Sub DoNext");
    EXPECT_FALSE(std::filesystem::exists(path("errors.log")));
}

TEST_F(ErrorEntryTest, PresetUserActionAnswersWithoutTheWindow) {
    auto window = std::make_shared<RecordingErrorWindow>();
    window->framework = &*fs;
    fs->setErrorWindow(window);
    int16_t preset = 2;
    fs->setUserActionProvider([&] { return preset; });
    fsPUSH("cLUMOAudio", "Sub DoNext", "");
    raise(11, "", "LUMOAudioPlayer", 0);
    EXPECT_EQ(fsERROR("cLUMOAudio", "Sub DoNext"), 2);
    preset = -1;  // -1: no window, no action
    raise(11, "", "LUMOAudioPlayer", 0);
    EXPECT_EQ(fsERROR("cLUMOAudio", "Sub DoNext"), std::nullopt);
    preset = 6;  // out of range: the window decides
    raise(11, "", "LUMOAudioPlayer", 0);
    EXPECT_EQ(fsERROR("cLUMOAudio", "Sub DoNext"), 0);
    EXPECT_EQ(window->shown, 1);
    fsOPTION(21, Value::flag(true));
    preset = 4;  // silent: a preset still answers
    raise(11, "", "LUMOAudioPlayer", 0);
    EXPECT_EQ(fsERROR("cLUMOAudio", "Sub DoNext"), 4);
    EXPECT_EQ(window->shown, 1);
}

}  // namespace
}  // namespace lumo::failsafe::testing
