// The trace stack and its records: nesting, unbalanced pops, errors off the
// top of the stack, the switches, and a monitor whose reading costs time.
#include "failsafe/record_format.h"
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

// An unbalanced pop empties the stack; under a debugger it asks whether to break.
TEST_F(TraceTest, UnbalancedPopEmptiesTheStackAndAsksOnlyUnderADebugger) {
    fsPUSH("modMain", "Sub Main", "");
    fsPUSH("modMain", "Sub CreateFSO", "");
    fsPOP("modMain", "Sub Other", "");
    EXPECT_EQ(fs->depth(), 0);
    fsPOP("modMain", "Sub Main", "");  // a pop without any push
    fsPUSH("frmSelPlaylist", "Sub Form_Load", "");
    EXPECT_EQ(fs->entryText(1), " 1 : frmSelPlaylist : Sub Form_Load : ");
    ScopedFramework underDebugger;  // looked for at start
    configure(*underDebugger);
    debugger = true;
    ui->answers = {box::Ok, box::Cancel};
    for (int round = 0; round < 2; ++round) fsPUSH("modMain", "Sub Main", ""), fsPOP("modMain", "Sub Other", "");
    ASSERT_EQ(ui->boxes.size(), 2u);  // none before the debugger
    EXPECT_NE(ui->boxes[0].text.find("'fsPOP()' was called without 'fsPUSH()'."), std::string::npos);
    EXPECT_EQ(breaks, 1);  // OK breaks, Cancel goes on
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
    fsPUSH("modMain", "Sub Main", "");  // the error's names are used up: the next unbalanced pop asks
    fsPOP("frmCheckPL", "Sub Run", "");
    EXPECT_EQ(ui->boxes.size(), 1u);
}

TEST_F(TraceTest, MoreThanAThousandLevelsCountOnButStoreNothing) {
    captureToLog();
    for (int level = 1; level <= 1005; ++level) fsPUSH("modMain", "Function Deep", "");
    EXPECT_EQ(fs->entryText(1000), " 1000 : " + std::string(999, '\t') + "modMain : Function Deep : ");
    EXPECT_EQ(fs->entryText(1001), "");
    fsPOP("modMain", "Function Deep", "");  // level 1005 has no entry: unbalanced, the stack is emptied
    EXPECT_EQ(fs->depth(), 0);
    const std::vector<std::string> records = loggedRecords();
    ASSERT_EQ(records.size(), 1u + 1005u);  // a pop that matches nothing writes no record
    EXPECT_EQ(records.back(), "[LUMOAudioPlayer] [01005] [00000.0000] ->");
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
    fsOPTION(20, Value(int32_t{0}));  // the whole framework off
    Err().set(RuntimeError(11), 3);
    EXPECT_EQ(fsERROR("modMain", "Sub Main"), std::nullopt);
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

// The time a monitor takes to read a record is the framework's, not the program's.
TEST_F(TraceTest, TheFrameworkSubtractsItsOwnCostFromRecordTimes) {
    struct SlowMonitor final : TraceMonitor {
        std::vector<std::string> records;
        int64_t* clock = nullptr;
        intptr_t sendRecord(std::string_view record) override { return records.emplace_back(record), *clock += 5, 0; }
        intptr_t sendWaitRequest(int) override { return 0; }
    };
    auto owned = std::make_unique<SlowMonitor>();
    SlowMonitor& monitor = *owned;
    int64_t startCost = 0;
    monitor.clock = &startCost;
    fs->setMonitorFinder([&] { return std::move(owned); });
    fsSTART();
    monitor.clock = &now;
    for (int round = 0; round < 2; ++round, now += 100) fsPUSH("modMain", "Sub Main", ""), fsPOP("modMain", "Sub Main", "");
    ASSERT_EQ(monitor.records.size(), 5u);
    for (const auto& [n, head] : {std::pair{1, "[00001] [00000.0000] ->"}, {2, "[00002] [00000.0005] <-"},
                                  {3, "[00003] [00000.0105] ->"}, {4, "[00004] [00000.0110] <-"}})
        EXPECT_NE(monitor.records[n].find(head), std::string::npos) << monitor.records[n];
}

}  // namespace
}  // namespace lumo::failsafe::testing
