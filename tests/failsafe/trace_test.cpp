// The trace stack and its records: nesting, unbalanced pops, errors off the
// top of the stack, the switches, and a monitor whose reading costs time.
#include <vector>

#include "failsafe/record_format.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

class TraceTest : public FrameworkTest {
protected:
    void captureToLog(const std::string& include = "Resources=0\nMemory=0\nArguments=0\nUser=0\n") {
        writeOptions("[log file]\nWrite To Disk=1\nCapture To Disk=1\nLog File=trace.log\n[include]\n" + include);
    }
    // The trace records of the log, without the blank line that follows each.
    std::vector<std::string> loggedRecords() {
        std::vector<std::string> records;
        for (const std::string& line : crlfLines(readFile(path("trace.log"))))
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
    EXPECT_EQ(fs->depth(), 3);
    EXPECT_EQ(fs->entryText(0), "FailSafe : Program START <12-04-2026, 05:30:00>");
    EXPECT_EQ(fs->entryText(1), " 1 : modMain : Sub Main : ");
    EXPECT_EQ(fs->entryText(3), " 3 : \t\tmodMain : Sub CreateFSO : ");
    now += 10;
    fsPOP("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(fs->entryText(3), "");
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
}

TEST_F(TraceTest, IncludeFlagsExtendTheRecord) {
    const std::pair<std::string, std::string> cases[] = {
        {"Resources=0\nMemory=0\nArguments=1\nUser=0\n", ""},
        {"Resources=1\nMemory=0\nArguments=0\nUser=0\n", "[res = 42%]"},
        {"Resources=1\nMemory=1\nArguments=0\nUser=0\n", "[res = 42%, mem = 123456789]"},
        {"Resources=1\nMemory=1\nArguments=1\nUser=1\n", " : [res = 42%, mem = 123456789] : "}};
    for (const auto& [include, tail] : cases) {
        ScopedFramework fresh;
        configure(*fresh);
        std::filesystem::remove(path("trace.log"));
        captureToLog(include);
        fsPUSH("modMain", "Sub CreateFSO", "");
        const std::vector<std::string> records = loggedRecords();
        ASSERT_EQ(records.size(), 2u) << include;
        EXPECT_EQ(records[1], "[LUMOAudioPlayer] [00001] [00000.0000] ->modMain : Sub CreateFSO : " + tail) << include;
    }
}

TEST_F(TraceTest, TimeFieldsRoundAndWiden) {
    EXPECT_EQ(formatTimeField(1234567890LL * Framework::fixedPointScale), "123456.7890");
    EXPECT_EQ(formatTimeField(-25 * Framework::fixedPointScale), "-00000.0025");
    EXPECT_EQ(formatTimeField(15000), "00000.0002");  // 1.5 ms rounds up
    EXPECT_EQ(formatTimeField(14999), "00000.0001");
    EXPECT_EQ(formatCounter(123456), "123456");
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
    EXPECT_TRUE(ui->boxes.empty());

    ScopedFramework underDebugger;  // looked for at start
    configure(*underDebugger);
    debugger = true;
    ui->answers = {box::Ok, box::Cancel};
    for (int round = 0; round < 2; ++round) {
        fsPUSH("modMain", "Sub Main", "");
        fsPOP("modMain", "Sub Other", "");
    }
    ASSERT_EQ(ui->boxes.size(), 2u);
    EXPECT_EQ(ui->boxes[0].title, "FSVB100");
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
    // The slot-0 texts are used up: the next unbalanced pop asks again.
    fsPUSH("modMain", "Sub Main", "");
    fsPOP("frmCheckPL", "Sub Run", "");
    EXPECT_EQ(ui->boxes.size(), 1u);
}

TEST_F(TraceTest, MoreThanAThousandLevelsCountOnButStoreNothing) {
    captureToLog();
    for (int level = 1; level <= 1005; ++level) fsPUSH("modMain", "Function Deep", "");
    EXPECT_EQ(fs->depth(), 1005);
    EXPECT_EQ(fs->entryText(1000), " 1000 : " + std::string(999, '\t') + "modMain : Function Deep : ");
    EXPECT_EQ(fs->entryText(1001), "");
    fsPOP("modMain", "Function Deep", "");  // level 1005 has no entry: unbalanced, the stack is emptied
    EXPECT_EQ(fs->depth(), 0);
    const std::vector<std::string> records = loggedRecords();
    ASSERT_EQ(records.size(), 1u + 1005u);  // a pop that matches nothing writes no record
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

TEST_F(TraceTest, PushWaitsWhileTheErrorWindowIsOpen) {
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
    struct ThrowingUi final : UserInterface {
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
    fsPOP("modMain", "Sub Other", "");  // the unbalanced box fails as well
    EXPECT_EQ(fs->depth(), 0);
    EXPECT_FALSE(fs->settings().circularLog);
    EXPECT_GE(throwing->boxes, 2);
}

// The time a monitor takes to read a record is the framework's, not the program's.
TEST_F(TraceTest, TheFrameworkSubtractsItsOwnCostFromRecordTimes) {
    struct SlowMonitor final : TraceMonitor {
        std::vector<std::string>* records;
        int64_t* clock = nullptr;
        explicit SlowMonitor(std::vector<std::string>* r) : records(r) {}
        intptr_t sendRecord(std::string_view record) override {
            records->emplace_back(record);
            if (clock) *clock += 5;
            return 0;
        }
        intptr_t sendWaitRequest(int) override { return 0; }
    };
    std::vector<std::string> records;
    SlowMonitor* monitor = nullptr;
    fs->setMonitorFinder([&] {
        auto found = std::make_unique<SlowMonitor>(&records);
        monitor = found.get();
        return found;
    });
    fsSTART();
    ASSERT_TRUE(monitor);
    monitor->clock = &now;
    fsPUSH("modMain", "Sub Main", "");
    fsPOP("modMain", "Sub Main", "");
    now += 100;
    fsPUSH("modMain", "Sub Main", "");
    fsPOP("modMain", "Sub Main", "");
    EXPECT_TRUE(fs->monitorPresent());
    ASSERT_EQ(records.size(), 5u);
    EXPECT_NE(records[1].find("[00001] [00000.0000] ->"), std::string::npos) << records[1];
    EXPECT_NE(records[2].find("[00002] [00000.0005] <-"), std::string::npos) << records[2];
    EXPECT_NE(records[3].find("[00003] [00000.0105] ->"), std::string::npos) << records[3];
    EXPECT_NE(records[4].find("[00004] [00000.0110] <-"), std::string::npos) << records[4];
}

}  // namespace
}  // namespace lumo::failsafe::testing
