// The framework's core: the trace stack and its records, the error entry and
// its report in the log (the one place its layout and call tree are checked),
// procedures under the error entry, and the error window's decisions without
// a display.
#include <system_error>

#include "failsafe/errors/error_window_state.h"
#include "failsafe/trace/record_format.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

class TraceTest : public FrameworkTest {
protected:
    void captureToLog(const std::string& include = "Resources=0\nMemory=0\nArguments=0\nUser=0\n") {
        writeOptions("[log file]\nWrite To Disk=1\nCapture To Disk=1\nLog File=trace.log\n[include]\n" + include);
    }
    std::vector<std::string> loggedRecords() {  // without the blank line that follows each
        std::vector<std::string> records;
        for (const std::string& line : crlfLines(bytesOf(path("trace.log"))))
            if (!line.empty()) records.push_back(line);
        return records;
    }
};

TEST_F(TraceTest, NestedProceduresKeepTheirEntriesAndRecords) {
    captureToLog();
    fsPUSH("modMain", "Sub Main", "");
    now += 1234;
    fsPUSH("cLUMOAudio", "Function InitialisePL", "");
    fsPUSH("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(fs->entryText(0), "FailSafe : Program START <12-04-2026, 05:30:00>");
    EXPECT_EQ(fs->entryText(1), " 1 : modMain : Sub Main : ");
    EXPECT_EQ(fs->entryText(3), " 3 : \t\tmodMain : Sub CreateFSO : ");
    now += 10;
    fsPOP("modMain", "Sub CreateFSO", "");
    fsPOP("cLUMOAudio", "Function InitialisePL", "");
    fsPOP("Main", "Sub Main", "");  // an entry that contains module and procedure matches
    EXPECT_EQ(fs->depth(), 0);
    const std::vector<std::string> records = loggedRecords();
    ASSERT_EQ(records.size(), 7u);
    EXPECT_TRUE(records[0].starts_with("[LUMOAudioPlayer] 12-04-2026 05:30:00 - start FailSafe client v6.6"));
    EXPECT_EQ(records[1], "[LUMOAudioPlayer] [00001] [00000.0000] ->modMain : Sub Main");
    EXPECT_EQ(records[3], "[LUMOAudioPlayer] [00003] [00000.1234] ->\t\tmodMain : Sub CreateFSO");
    EXPECT_EQ(records[4], "[LUMOAudioPlayer] [00004] [00000.1244] <-\t\tmodMain : Sub CreateFSO");
    EXPECT_EQ(records[6], "[LUMOAudioPlayer] [00006] [00000.1244] <-modMain : Sub Main");
    EXPECT_TRUE(ui->boxes.empty());
    EXPECT_EQ(formatTimeField(15000) + formatTimeField(-25 * Framework::fixedPointScale), "00000.0002-00000.0025");
    EXPECT_EQ(formatTimeField(1234567890LL * Framework::fixedPointScale) + formatCounter(123456), "123456.7890123456");
}

// An unbalanced pop empties the stack, also past the thousand levels that are
// stored, and without a debugger asks nothing.
TEST_F(TraceTest, UnbalancedPopEmptiesTheStackAndAsksNothing) {
    captureToLog();
    for (int level = 1; level <= 1005; ++level) fsPUSH("modMain", "Function Deep", "");
    EXPECT_EQ(fs->entryText(1000), " 1000 : " + std::string(999, '\t') + "modMain : Function Deep : ");
    EXPECT_EQ(fs->entryText(1001), "");
    fsPOP("modMain", "Function Deep", "");  // level 1005 has no entry: unbalanced
    EXPECT_EQ(fs->depth(), 0);
    const std::vector<std::string> records = loggedRecords();
    ASSERT_EQ(records.size(), 1u + 1005u);  // a pop that matches nothing writes no record
    EXPECT_EQ(records.back(), "[LUMOAudioPlayer] [01005] [00000.0000] ->");
    fsPOP("modMain", "Sub Main", "");  // a pop without any push
    fsPUSH("frmSelPlaylist", "Sub Form_Load", "");
    EXPECT_EQ(fs->entryText(1), " 1 : frmSelPlaylist : Sub Form_Load : ");
    EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(TraceTest, SwitchedOffTraceLeavesTheStackAloneAndWaitsForTheErrorWindow) {
    fsPUSH("modMain", "Sub Main", "");
    fs->setErrorWindowOpen(true);
    ui->onEvents = [&] { fs->setErrorWindowOpen(ui->eventRounds < 3); };
    fsPUSH("modMain", "Sub CreateFSO", "");  // waits while the error window is open
    EXPECT_EQ(ui->eventRounds, 3);
    fsOPTION(22, Value(int32_t{0}));
    fsPUSH("modMain", "Sub CreateFSO", "");
    fsPOP("modMain", "Sub Other", "");
    EXPECT_EQ(fs->depth(), 2);
}

TEST_F(TraceTest, AFailingSinkNeverStopsTheProgram) {
    struct ThrowingUi final : UserInterface {
        int boxes = 0;
        int32_t messageBox(std::string_view, int32_t, std::string_view) override { throw std::runtime_error(std::to_string(++boxes)); }
        void processPendingEvents() override {}
        void setProgramWindowsEnabled(bool) override {}
    };
    auto throwing = std::make_shared<ThrowingUi>();
    fs->setUserInterface(throwing);
    debugger = true;
    writeOptions("[Log File]\nCircularLog=1\n[CircularLog]\nFileName=missing/circ.log\n");
    fsPUSH("modMain", "Sub Main", "");  // the circular file cannot open, and its box fails too
    fsPOP("modMain", "Sub Other", "");  // the unbalanced box fails as well
    EXPECT_EQ(fs->depth(), 0);
    EXPECT_GE(throwing->boxes, 2);
}

class ErrorEntryTest : public FrameworkTest {
protected:
    void logToDisk(const std::string& extra = "") {
        writeOptions("[log file]\nWrite To Disk=1\nLog File=errors.log\n[include]\nResources=0\nMemory=0\n"
                     "Arguments=0\nUser=0\n" + extra);
    }
    std::optional<int16_t> raise(int32_t number, const std::string& description, const std::string& source, int32_t line,
                                 std::string_view module = "cLUMOAudio", std::string_view procedure = "Sub DoNext") {
        Err().set(RuntimeError(number, description, source, {}, 0, SourceLocation{}), line);  // raised elsewhere
        return fsERROR(module, procedure);
    }
};

TEST_F(ErrorEntryTest, ALocalErrorIsReportedInTheLogWithEverySection) {
    struct RecordingErrorWindow final : ErrorWindow {
        InterceptedError seen;
        int16_t show(InterceptedError& error) override {
            seen = error;
            error.userText = "I pressed Next twice";
            return 5;
        }
    };
    const auto window = std::make_shared<RecordingErrorWindow>();
    logToDisk("[log file]\nCapture To Disk=1\n");
    fs->setErrorWindow(window);
    fsPUSH("modMain", "Sub Main", "");
    fsPUSH("cLUMOAudio", "Sub DoNext", "");
    EXPECT_EQ(raise(11, "Division by zero", "LUMOAudioPlayer", 42), 5);
    EXPECT_EQ(Err().number, 0);  // the run time's error is cleared
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

class ProcedureTest : public FrameworkTest {
protected:
    std::deque<int16_t> answers;  // the error entry's answers, one per error

    void SetUp() override {
        FrameworkTest::SetUp();
        fs->setUserActionProvider([this]() -> int16_t {
            const int16_t answer = answers.empty() ? 0 : answers.front();
            if (!answers.empty()) answers.pop_front();
            return answer;
        });
    }
};

TEST_F(ProcedureTest, LeavingAfterAnErrorReturnsTheHeldResultAndAnErrorPassingThroughPopsTheLevel) {
    int failingLine = 0;
    std::vector<int> ran;
    auto inner = [&]() -> int32_t {
        Procedure proc("modMain", "Function Inner");
        int32_t result = 0;
        proc.step([&] { result = 7; ran.push_back(1); });
        failingLine = __LINE__ + 1;
        proc.step([&] { ran.push_back(2); raiseError(error::DivisionByZero); });
        proc.step([&] { result = 99; ran.push_back(3); });
        EXPECT_TRUE(proc.leaving());
        EXPECT_EQ(fs->depth(), 2);
        return result;
    };
    {
        Procedure outer("cLUMOAudio", "Sub DoNext");
        int32_t got = 0;
        outer.step([&] { got = inner(); });
        EXPECT_FALSE(outer.leaving());
        EXPECT_EQ(fs->depth(), 1);
        EXPECT_EQ(got, 7);
        EXPECT_EQ(ran, (std::vector<int>{1, 2}));
        const ErrorSlot& slot = fs->lastError().slots[0];
        EXPECT_EQ(slot.module + "|" + slot.procedure + "|" + std::to_string(slot.number) + "|" + slot.source,
                  "modMain|Function Inner|11|LUMOAudioPlayer (local)");
        EXPECT_EQ(slot.line, failingLine);
        EXPECT_EQ(fs->lastError().callTree.size(), 3u);
        EXPECT_EQ(Err().number, 0);
        outer.step([&] {
            Procedure passedThrough("modMain", "Function IsReady");
            throw std::system_error(ENOENT, std::generic_category(), "no disc image");
        });
        EXPECT_TRUE(outer.leaving());
    }
    EXPECT_EQ(fs->depth(), 0);
    const ErrorSlot& slot = fs->lastError().slots[0];  // the inner level was popped: the trapping one is on top
    EXPECT_EQ(slot.module + " : " + slot.procedure + " " + std::to_string(slot.number),
              "cLUMOAudio : Sub DoNext " + std::to_string(error::FileNotFound));
}

TEST_F(ProcedureTest, RetryRunsTheFailingStatementAgainAndNextGoesOnAfterIt) {
    answers = {1, 1, 2};
    int attempts = 0;
    std::vector<int> ran;
    {
        Procedure proc("frmAudioPlayer", "Sub Form_Load");
        EXPECT_TRUE(proc.step([&] {
            if (++attempts < 3) raiseError(error::PermissionDenied);
        }));
        EXPECT_FALSE(proc.step([&] { ran.push_back(1); throw std::out_of_range("index 7"); }));
        EXPECT_TRUE(proc.step([&] { ran.push_back(2); }));
        EXPECT_FALSE(proc.leaving());
    }
    EXPECT_EQ(attempts, 3);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(fs->depth(), 0);
    EXPECT_EQ(fs->lastError().slots[0].number, error::SubscriptOutOfRange);
    EXPECT_EQ(fs->lastError().slots[0].description, "index 7");
    EXPECT_EQ(fs->lastError().origin, "") << "a standard exception was raised outside the program's code";
    int raisingLine = 0;
    {
        Procedure proc("modMain", "Sub Main");
        proc.step([&] {
            raisingLine = __LINE__ + 1;
            raiseError(error::DivisionByZero);
        });
    }
    EXPECT_EQ(fs->lastError().origin, "tests/failsafe/framework_test.cpp:" + std::to_string(raisingLine));
}


class ErrorWindowStateTest : public ::testing::Test, public ErrorWindowDevices {
protected:
    PrintOutcome outcome = PrintOutcome::Printed;
    std::vector<std::vector<std::string>> printed;
    std::vector<std::pair<std::filesystem::path, int32_t>> helpOpened;
    bool helpOpens = true;
    PrintOutcome print(const std::vector<std::string>& lines) override { return printed.push_back(lines), outcome; }
    bool putOnClipboard(std::string_view) override { return true; }
    bool openHelp(const std::filesystem::path& file, int32_t context) override {
        return helpOpened.emplace_back(file, context), helpOpens;
    }
    void setBusy(bool) override {}

    InterceptedError error;
    ScriptedUserInterface ui;
    std::vector<std::string> notes;
    int copies = 0;

    void SetUp() override {  // a division by zero in "Function GetCurrentPlaylist", called from "Sub Main"
        error.slots[0] = {11, "Division by zero", 42, "LUMOAudioPlayer (local)", "cLUMOAudio",
                          "Function GetCurrentPlaylist", "General run-time error", "", 0};
        error.callTree = {"2", " 1 : modMain : Sub Main : ", " 2 : \tcLUMOAudio : Function GetCurrentPlaylist : "};
        error.callTreeMarks = {0, 0, 0};
        error.systemReport = "Application running on computer studio\r\n";
    }
    ErrorWindowSetup setup(bool inDevEnvironment = false) {
        ErrorWindowSetup s;
        s.programName = "LUMOAudioPlayer";
        s.programFolder = "/opt/lumo";
        s.inDevEnvironment = inDevEnvironment;
        s.buildSystemReport = [] { return std::string("rebuilt\r\n"); };
        s.copyAllPages = [this](ErrorWindowState&) { ++copies; };
        s.note = [this](std::string_view text) { notes.emplace_back(text); };
        return s;
    }
};

TEST_F(ErrorWindowStateTest, RemoteChainsAndUnknownLines) {
    error.slots[0].line = 0;
    error.slots[0].source = "Decoder (remote)";
    error.slots[1].description = "Remote Access denied";
    error.lastSlot = 1;
    error.callTree[2] = " 2 : \tcLUMOAudio : Function GetCurrentPlaylist : drive=D:";
    ErrorWindowState window(error, setup(), ui, *this);
    EXPECT_EQ(window.headline(), "An unexpected 'division by zero' error occurred in a component used by LUMOAudioPlayer.");
    EXPECT_EQ(window.fields()[4].value, " line numbers not used - Code Pointer = 0");
    EXPECT_EQ(window.fields()[4].hint, "") << "raised outside the program's code";
    error.origin = "player/playlist_activation.cpp:120";
    EXPECT_EQ(ErrorWindowState(error, setup(), ui, *this).fields()[4].hint,
              "Raised at player/playlist_activation.cpp:120");
    EXPECT_EQ(window.errorRows(), (std::vector<std::string>{"Error 1 - Division by zero", "Error 2 - Remote Access denied"}));
    EXPECT_EQ(window.errorCountText(), "2 error(s) are logged.");
    // The arguments of the selected level; the trap and error rows belong to the failing level.
    for (int row : {0, 1, 3, 9}) {
        window.selectCall(row);
        EXPECT_EQ(window.argumentRows(), row % 9 == 0 ? std::vector<std::string>() : std::vector<std::string>{"drive=D:"});
    }
    EXPECT_EQ(window.selectedCall(), -1);
    window.hoverOver("ErrLine");
    window.hoverOver("Combo1");  // no text of its own: the line stays
    EXPECT_EQ(window.status(), "The line number where the error happened");
}

// Save...: Yes prints the selected page, No copies every page, Cancel does neither.
TEST_F(ErrorWindowStateTest, SavePrintsTheSelectedPageOrCopiesAndSaysWhatHappened) {
    error.systemReport.clear();  // built when its page is first shown
    ErrorWindowState window(error, setup(), ui, *this);
    window.selectPage(ErrorWindowState::ErrorSource);
    const std::tuple<int32_t, PrintOutcome, std::string> answers[] = {
        {box::Cancel, PrintOutcome::Printed, ""}, {box::No, PrintOutcome::Printed, ""},
        {box::Yes, PrintOutcome::Printed, "The selected error window was sent to the default printer."},
        {box::Yes, PrintOutcome::NoPrinter, "There is no default printer: the error window was not printed."},
        {box::Yes, PrintOutcome::Failed, "The default printer failed: the error window was not printed."}};
    for (const auto& [answer, result, status] : answers) {
        ui.answers = {answer};
        outcome = result;
        window.pressSave();
        if (!status.empty()) {
            EXPECT_EQ(window.status(), status);
        }
    }
    EXPECT_EQ(ui.boxes.at(0).title, "Save Error Information");
    EXPECT_EQ(copies, 1);
    ASSERT_EQ(printed.size(), 3u);
    const std::vector<std::string>& lines = printed[0];
    EXPECT_EQ(lines, (std::vector<std::string>{"Program Error Intercepted",
                         "An unexpected 'division by zero' error occurred in LUMOAudioPlayer.", "",
                         "View detailed information about the error source", "", "Category General run-time error",
                         "Source LUMOAudioPlayer (local)", "Module  cLUMOAudio", "Procedure  Function GetCurrentPlaylist",
                         "Line Number  42", "Error No.  11", "Description Division by zero", "",
                         "Error 1 - Division by zero", "1 error(s) are logged."}));
    EXPECT_EQ(notes, (std::vector<std::string>{std::get<2>(answers[3]), std::get<2>(answers[4])}));
    outcome = PrintOutcome::Printed;
    window.setUserText("Pressed Next\r\ntwice");
    for (const int page : {ErrorWindowState::WhatYouWereDoing, ErrorWindowState::SystemInformation}) {
        window.selectPage(page);
        ui.answers = {box::Yes};
        window.pressSave();
    }
    EXPECT_EQ(std::vector<std::string>(printed[3].begin() + 5, printed[3].end()), (std::vector<std::string>{"Pressed Next", "twice"}));
    EXPECT_EQ(printed.at(4).back(), "rebuilt");
}

TEST_F(ErrorWindowStateTest, HelpOpensTheErrorsHelpFile) {
    {
        ErrorWindowState window(error, setup(), ui, *this);
        window.pressHelp();  // no help file of its own: the window's
        error.slots[0].helpFile = "/usr/share/help/player.html";
        error.slots[0].helpContext = 1011;
        window.pressHelp();
        EXPECT_EQ(helpOpened, (std::vector<std::pair<std::filesystem::path, int32_t>>{
                                          {"/opt/lumo/failsafe.hlp", 0}, {"/usr/share/help/player.html", 1011}}));
        helpOpens = false;
        window.pressHelp();
        EXPECT_EQ(window.status(), "No help could be shown: /usr/share/help/player.html does not open.");
        EXPECT_EQ(notes, std::vector<std::string>{window.status()});
        EXPECT_TRUE(ui.boxes.empty());
    }
    ErrorWindowState window(error, setup(true), ui, *this);  // in the development environment: a box instead
    window.pressHelp();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Press F1 for Help on player.html, context 1011");
    EXPECT_EQ(helpOpened.size(), 3u);
}

}  // namespace
}  // namespace lumo::failsafe::testing
