// The error entry: the report in the log (the one place its layout and call
// tree are checked), where an error came from, chains of remote errors, and
// what the error window's user said.
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

class RecordingErrorWindow final : public ErrorWindow {
public:
    int shown = 0;
    int16_t answer = 0;
    bool openWhileShown = false;
    InterceptedError seen;
    Framework* framework = nullptr;
    int16_t show(InterceptedError& error) override {
        ++shown, seen = error, openWhileShown = framework->errorWindowOpen();
        error.userText = "I pressed Next twice";
        return answer;
    }
};

class ErrorEntryTest : public FrameworkTest {
protected:
    std::shared_ptr<RecordingErrorWindow> window = std::make_shared<RecordingErrorWindow>();
    void logToDisk(const std::string& extra = "") {
        writeOptions("[log file]\nWrite To Disk=1\nLog File=errors.log\n[include]\nResources=0\nMemory=0\n"
                     "Arguments=0\nUser=0\n" + extra);
    }
    std::optional<int16_t> raise(int32_t number, const std::string& description, const std::string& source, int32_t line,
                                 std::string_view module = "cLUMOAudio", std::string_view procedure = "Sub DoNext") {
        Err().set(RuntimeError(number, description, source), line);
        return fsERROR(module, procedure);
    }
    void useWindow() {
        window->framework = &*fs;
        fs->setErrorWindow(window);
    }
};

TEST_F(ErrorEntryTest, ALocalErrorIsReportedInTheLogWithEverySection) {
    logToDisk("[log file]\nCapture To Disk=1\n");
    useWindow();
    window->answer = 5;
    fsPUSH("modMain", "Sub Main", "");
    fsPUSH("cLUMOAudio", "Sub DoNext", "");
    EXPECT_EQ(raise(11, "Division by zero", "LUMOAudioPlayer", 42), 5);
    EXPECT_EQ(Err().number, 0);  // the run time's error is cleared
    EXPECT_TRUE(window->openWhileShown && !fs->errorWindowOpen());
    EXPECT_EQ(window->seen.systemReport, "System line one\r\nSystem line two\r\n");
    std::vector<std::string> report;
    for (const std::string& line : crlfLines(bytesOf(path("errors.log"))))
        if (!line.starts_with("[LUMOAudioPlayer] [0")) report.push_back(line);  // without the trace records
    const std::string start = "12-04-2026 05:30:00 - start FailSafe client v6.6 (C++20 programs on Linux, GCC 12 and "
                              "Clang 14) data capture";
    const std::vector<std::string> expected = {"[LUMOAudioPlayer] " + start, "", "", "",  // each record's line end
        "[LUMOAudioPlayer] ERROR 11 at cLUMOAudio : Sub DoNext : Line 42 : Division by zero", "", start,
        std::string(65, '*'), folder.string() + "/LUMOAudioPlayer ver 2.1.7", "Error Information", "\t*Error 1",
        "\t\tCategory General run-time error", "\t\tSource LUMOAudioPlayer (local)", "\t\tModule cLUMOAudio",
        "\t\tProcedure Sub DoNext", "\t\tLine Number 42", "\t\tError No. 11", "\t\tDescription Division by zero",
        "\t\tCode Pointer : 0", "", "", "Call Tree & Arguments", "\t\t 1 : Call\tmodMain : Sub Main :",
        "\t\t 2 : Call\t\tcLUMOAudio : Sub DoNext :", "\t\t 3 : Trap\t\tRuntime error 11, Division by zero on line 42", "",
        "System State Information", "System line one", "System line two", "User Said", "I pressed Next twice",
        "12-04-2026 05:30:00 - stop FailSafe client v6.6 (C++20 programs on Linux, GCC 12 and Clang 14) data capture"};
    EXPECT_EQ(report, expected);
}

TEST_F(ErrorEntryTest, SourceAndNamesSayWhereTheErrorCameFrom) {
    raise(53, "", "", 0, "modMain", "Sub Main");  // the entry starts the framework; nothing traced yet
    EXPECT_TRUE(fs->initialised());
    const ErrorSlot* slot = &fs->lastError().slots[0];
    EXPECT_EQ(slot->source + "|" + slot->category, " (remote)|File System (disk, directory or file) access error");
    EXPECT_EQ(slot->module + " : " + slot->procedure, "modMain << FailSafe : Sub Main << Program START <12-04-2026, 05:30:00>");
    fsPUSH("cLUMOAudio", "Sub DoNext", "");
    raise(-2147221504, "Automation failed", "GStreamer", 3, "CLUMOAUDIO ", " sub donext");  // other case and spacing
    slot = &fs->lastError().slots[0];
    EXPECT_EQ(slot->source + "|" + slot->category, "GStreamer (remote)|Remote OLE Automation error");
    EXPECT_EQ(slot->module + " : " + slot->procedure, "cLUMOAudio : Sub DoNext");
    raise(5, "", "LUMOAudioPlayer", 0, "modMain");
    EXPECT_EQ(slot->module + " : " + slot->procedure + " : " + slot->description,
              "modMain << cLUMOAudio : Sub DoNext : Invalid procedure call or argument");
}

TEST_F(ErrorEntryTest, AChainFromAnotherComponentFillsFurtherSlots) {
    logToDisk();
    fsPUSH("cLUMOAudio", "Sub DoPlay", "");
    raise(440, "Automation error", "2!Engine!modEngine!Sub Play!17!70!Access denied!Decoder!modDecode", 9);
    const InterceptedError& error = fs->lastError();
    ASSERT_EQ(error.lastSlot, 2);
    EXPECT_EQ(error.slots[1].source + "|" + error.slots[1].module + "|" + error.slots[1].procedure + "|" +
                  std::to_string(error.slots[1].line) + "|" + error.slots[1].category,
              "Engine (remote)|modEngine|Sub Play|17|Network  error");
    EXPECT_EQ(error.slots[2].source + "|" + error.slots[2].procedure, "Decoder (remote)|<unknown>");
    const std::string log = bytesOf(path("errors.log"));
    for (const char* line : {"\r\n\t*Error 3\r\n", "\r\n\t\t 3 : Error\tRuntime error 70, Remote Access denied on line 17\r\n",
                             "\r\n\t\t 4 : Error\tRuntime error 0, Remote <unknown>\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    raise(440, "Automation error", "99!a", 0);  // more errors than slots: the slots that exist
    EXPECT_EQ(fs->lastError().lastSlot, 10);
}

}  // namespace
}  // namespace lumo::failsafe::testing
