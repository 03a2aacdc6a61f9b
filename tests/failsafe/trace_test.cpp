#include <vector>

#include "failsafe/record_format.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

class TraceTest : public FrameworkTest {
protected:
    // Trace records go to trace.log; each include flag as given.
    void captureToLog(int resources, int memoryFlag, int arguments, int user) {
        writeOptions("[log file]\nWrite To Disk=1\nCapture To Disk=1\nLog File=trace.log\n[include]\nResources=" +
                     std::to_string(resources) + "\nMemory=" + std::to_string(memoryFlag) +
                     "\nArguments=" + std::to_string(arguments) + "\nUser=" + std::to_string(user) + "\n");
    }
    // The trace records of the log, without the blank line each one is followed by.
    std::vector<std::string> loggedRecords() {
        std::vector<std::string> records;
        for (const std::string& line : crlfLines(readFile(path("trace.log"))))
            if (!line.empty()) records.push_back(line);
        return records;
    }
};

TEST_F(TraceTest, StackKeepsEntriesWithLevelPrefixAndTabs) {
    fsPUSH("modMain", "Sub Main", "");
    fsPUSH("cLUMOAudio", "Function InitialisePL", "");
    fsPUSH("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(fs->depth(), 3);
    EXPECT_EQ(fs->entryText(1), " 1 : modMain : Sub Main : ");
    EXPECT_EQ(fs->entryText(2), " 2 : \tcLUMOAudio : Function InitialisePL : ");
    EXPECT_EQ(fs->entryText(3), " 3 : \t\tmodMain : Sub CreateFSO : ");
    EXPECT_EQ(fs->entryText(0), "FailSafe : Program START <12-04-2026, 05:30:00>");
    fsPOP("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(fs->depth(), 2);
    EXPECT_EQ(fs->entryText(3), "");
    fsPOP("cLUMOAudio", "Function InitialisePL", "");
    fsPOP("modMain", "Sub Main", "");
    EXPECT_EQ(fs->depth(), 0);
    // Without an options file no sink is active: nothing is counted.
    EXPECT_EQ(fs->records(), 0u);
    EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(TraceTest, RecordsWithoutArgumentsEndWithTheProcedure) {
    captureToLog(0, 0, 0, 0);
    fsPUSH("modMain", "Sub Main", "");
    now += 1234;
    fsPUSH("modMain", "Sub CreateFSO", "");
    now += 10;
    fsPOP("modMain", "Sub CreateFSO", "");
    fsPOP("modMain", "Sub Main", "");
    const std::vector<std::string> expected = {
        "[LUMOAudioPlayer] 12-04-2026 05:30:00 - start FailSafe client v6.6 (C++20 programs on Linux, GCC 12 and "
        "Clang 14) data capture",
        "[LUMOAudioPlayer] [00001] [00000.0000] ->modMain : Sub Main",
        "[LUMOAudioPlayer] [00002] [00000.1234] ->\tmodMain : Sub CreateFSO",
        "[LUMOAudioPlayer] [00003] [00000.1244] <-\tmodMain : Sub CreateFSO",
        "[LUMOAudioPlayer] [00004] [00000.1244] <-modMain : Sub Main",
    };
    EXPECT_EQ(loggedRecords(), expected);
    // Each record already ends in CR LF and the log writer adds its own line end.
    EXPECT_NE(readFile(path("trace.log")).find("Sub Main\r\n\r\n"), std::string::npos);
}

TEST_F(TraceTest, IncludeFlagsExtendTheRecord) {
    struct Case {
        int resources, memoryFlag, arguments, user;
        std::string tail;
    };
    const std::vector<Case> cases = {
        {0, 0, 1, 0, "->modMain : Sub CreateFSO : "},
        {1, 0, 0, 0, "->modMain : Sub CreateFSO : [res = 42%]"},
        {0, 1, 0, 0, "->modMain : Sub CreateFSO : [mem = 123456789]"},
        {1, 1, 0, 0, "->modMain : Sub CreateFSO : [res = 42%, mem = 123456789]"},
        {0, 0, 0, 1, "->modMain : Sub CreateFSO : "},
        {1, 1, 1, 1, "->modMain : Sub CreateFSO :  : [res = 42%, mem = 123456789] : "},
    };
    for (const Case& c : cases) {
        ScopedFramework fresh;
        configure(*fresh);
        std::filesystem::remove(path("trace.log"));
        captureToLog(c.resources, c.memoryFlag, c.arguments, c.user);
        fsPUSH("modMain", "Sub CreateFSO", "");
        const std::vector<std::string> records = loggedRecords();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[1], "[LUMOAudioPlayer] [00001] [00000.0000] " + c.tail)
            << c.resources << c.memoryFlag << c.arguments << c.user;
    }
}

TEST_F(TraceTest, TimeFieldAndCounterFormats) {
    EXPECT_EQ(formatTimeField(1234 * Framework::fixedPointScale), "00000.1234");
    EXPECT_EQ(formatTimeField(0), "00000.0000");
    EXPECT_EQ(formatTimeField(123456789LL * Framework::fixedPointScale), "12345.6789");
    EXPECT_EQ(formatTimeField(1234567890LL * Framework::fixedPointScale), "123456.7890");
    EXPECT_EQ(formatTimeField(-25 * Framework::fixedPointScale), "-00000.0025");
    EXPECT_EQ(formatTimeField(15000), "00000.0002");  // 1.5 ms rounds up
    EXPECT_EQ(formatTimeField(14999), "00000.0001");
    EXPECT_EQ(formatCounter(42), "00042");
    EXPECT_EQ(formatCounter(123456), "123456");
}

TEST_F(TraceTest, PopMatchesAnEntryThatContainsModuleAndProcedure) {
    fsPUSH("modMain", "Sub CreateFSO", "");
    fsPOP("Main", "Sub CreateFSO", "");  // "modMain : Sub CreateFSO" contains "Main : Sub CreateFSO"
    EXPECT_EQ(fs->depth(), 0);
    std::string module = "modMain";  // equal text at another address
    fsPUSH("modMain", "Sub CreateFSO", "");
    fsPOP(module, "Sub CreateFSO", "");
    EXPECT_EQ(fs->depth(), 0);
    EXPECT_TRUE(ui->boxes.empty());
}

TEST_F(TraceTest, UnbalancedPopEmptiesTheStackAndTraceGoesOn) {
    fsPUSH("modMain", "Sub Main", "");
    fsPUSH("modMain", "Sub CreateFSO", "");
    fsPOP("modMain", "Sub Other", "");
    EXPECT_EQ(fs->depth(), 0);
    fsPOP("modMain", "Sub Main", "");  // a pop without any push
    EXPECT_EQ(fs->depth(), 0);
    fsPUSH("frmSelPlaylist", "Sub Form_Load", "");
    EXPECT_EQ(fs->depth(), 1);
    EXPECT_EQ(fs->entryText(1), " 1 : frmSelPlaylist : Sub Form_Load : ");
    // Outside a debugger nobody is asked.
    EXPECT_TRUE(ui->boxes.empty());
    EXPECT_EQ(breaks, 0);
}

TEST_F(TraceTest, UnbalancedPopUnderADebuggerAsksToBreak) {
    debugger = true;
    fsPUSH("modMain", "Sub Main", "");
    fsPOP("modMain", "Sub Other", "");
    ASSERT_EQ(ui->boxes.size(), 1u);
    EXPECT_EQ(ui->boxes[0].title, "FSVB100");
    EXPECT_EQ(ui->boxes[0].style, box::OkCancel | box::Exclamation);
    EXPECT_EQ(ui->boxes[0].text,
              "Module    \tmodMain\r\nProcedure\tSub Other\r\n\r\n"
              "Procedure is unbalanced or contains calls to unbalanced routines. \r\n\r\n"
              "'fsPOP()' was called without 'fsPUSH()'. \r\n\r\n"
              "Choose OK to break into the debugger at this point.\r\nChoose CANCEL to continue with program.");
    EXPECT_EQ(breaks, 1);  // OK is the default answer

    ui->answers.push_back(box::Cancel);
    fsPUSH("modMain", "Sub Main", "");
    fsPOP("modMain", "Sub Other", "");
    EXPECT_EQ(ui->boxes.size(), 2u);
    EXPECT_EQ(breaks, 1);
}

TEST_F(TraceTest, NoUnbalancedBoxAfterAnErrorReportedOffTheTopOfTheTrace) {
    debugger = true;
    fsPUSH("modMain", "Sub Main", "");
    Err().set(RuntimeError(5), 0);
    fsERROR("frmCheckPL", "Sub Run");  // reported by a procedure not on top: both names carry " << "
    EXPECT_EQ(fs->lastError().slots[0].module, "frmCheckPL << modMain");
    fsPOP("frmCheckPL", "Sub Run", "");
    EXPECT_TRUE(ui->boxes.empty());
    EXPECT_EQ(fs->depth(), 0);
    // The slot-0 texts are used up: the next unbalanced pop asks again.
    EXPECT_EQ(fs->lastError().slots[0].module, "");
    fsPUSH("modMain", "Sub Main", "");
    fsPOP("frmCheckPL", "Sub Run", "");
    EXPECT_EQ(ui->boxes.size(), 1u);
}

TEST_F(TraceTest, MoreThanAThousandLevelsCountOnButStoreNothing) {
    captureToLog(0, 0, 0, 0);
    for (int level = 1; level <= 1005; ++level) fsPUSH("modMain", "Function Deep", "");
    EXPECT_EQ(fs->depth(), 1005);
    EXPECT_EQ(fs->entryText(1000), " 1000 : " + std::string(999, '\t') + "modMain : Function Deep : ");
    EXPECT_EQ(fs->entryText(1001), "");
    // The pop of level 1005 finds no entry: unbalanced, the stack is emptied.
    fsPOP("modMain", "Function Deep", "");
    EXPECT_EQ(fs->depth(), 0);
    for (int level = 1; level < 1005; ++level) fsPOP("modMain", "Function Deep", "");
    EXPECT_EQ(fs->depth(), 0);
    const std::vector<std::string> records = loggedRecords();
    ASSERT_EQ(records.size(), 1u + 1005u);  // pops that match nothing write no record
    EXPECT_EQ(records.back(), "[LUMOAudioPlayer] [01005] [00000.0000] ->");
}

TEST_F(TraceTest, SwitchedOffTraceLeavesTheStackAlone) {
    fsPUSH("modMain", "Sub Main", "");
    fsOPTION(22, Value(int32_t{0}));
    fsPUSH("modMain", "Sub CreateFSO", "");
    fsPOP("modMain", "Sub Other", "");
    EXPECT_EQ(fs->depth(), 1);
    fsOPTION(22, Value::flag(true));
    fsPOP("modMain", "Sub Main", "");
    EXPECT_EQ(fs->depth(), 0);

    fsOPTION(20, Value(int32_t{0}));  // the whole framework off
    fsPUSH("modMain", "Sub Main", "");
    EXPECT_EQ(fs->depth(), 0);
    Err().set(RuntimeError(11), 3);
    EXPECT_EQ(fsERROR("modMain", "Sub Main"), std::nullopt);
}

TEST_F(TraceTest, PushAndPopWaitWhileTheErrorWindowIsOpen) {
    fsPUSH("modMain", "Sub Main", "");
    fs->setErrorWindowOpen(true);
    ui->onEvents = [&] {
        if (ui->eventRounds == 3) fs->setErrorWindowOpen(false);
    };
    fsPUSH("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(ui->eventRounds, 3);
    EXPECT_EQ(fs->depth(), 2);
}

TEST_F(TraceTest, AFailingSinkNeverStopsTheProgram) {
    class ThrowingUi final : public UserInterface {
    public:
        int boxes = 0;
        int32_t messageBox(std::string_view, int32_t, std::string_view) override {
            ++boxes;
            throw std::runtime_error("no display");
        }
        void processPendingEvents() override {}
        void setProgramWindowsEnabled(bool) override {}
    };
    auto throwing = std::make_shared<ThrowingUi>();
    fs->setUserInterface(throwing);
    debugger = true;
    writeOptions("[Log File]\nCircularLog=1\n[CircularLog]\nFileName=missing/circ.log\n");
    fsPUSH("modMain", "Sub Main", "");  // the circular file cannot open, and its box fails too
    fsPOP("modMain", "Sub Other", "");  // unbalanced box fails as well
    EXPECT_EQ(fs->depth(), 0);
    EXPECT_FALSE(fs->settings().circularLog);
    EXPECT_GE(throwing->boxes, 2);
}

}  // namespace
}  // namespace lumo::failsafe::testing
