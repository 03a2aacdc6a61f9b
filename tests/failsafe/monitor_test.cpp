#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

// A monitor that answers from a script and can let time pass while it reads.
class ScriptedMonitor final : public TraceMonitor {
public:
    std::vector<std::string>* records;
    std::vector<std::string>* log;  // every call, in order
    std::deque<intptr_t> recordReplies, waitReplies;
    int64_t* clock = nullptr;
    int64_t readingTime = 0;

    ScriptedMonitor(std::vector<std::string>* r, std::vector<std::string>* l) : records(r), log(l) {}
    intptr_t sendRecord(std::string_view record) override {
        records->emplace_back(record);
        log->push_back("record");
        if (clock) *clock += readingTime;
        return next(recordReplies);
    }
    intptr_t sendWaitRequest(int request) override {
        log->push_back("wait " + std::to_string(request));
        return next(waitReplies);
    }

private:
    static intptr_t next(std::deque<intptr_t>& replies) {
        if (replies.empty()) return 0;
        const intptr_t reply = replies.front();
        replies.pop_front();
        return reply;
    }
};

class MonitorTest : public FrameworkTest {
protected:
    std::vector<std::string> records, calls;
    ScriptedMonitor* monitor = nullptr;

    void SetUp() override {
        FrameworkTest::SetUp();
        fs->setMonitorFinder([this] {
            auto found = std::make_unique<ScriptedMonitor>(&records, &calls);
            monitor = found.get();
            return found;
        });
    }
};

TEST_F(MonitorTest, MonitorReceivesTheStartRecordAndEveryRecord) {
    fsPUSH("modMain", "Sub Main", "");
    fsPOP("modMain", "Sub Main", "");
    EXPECT_TRUE(fs->monitorPresent());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].rfind("[LUMOAudioPlayer] 12-04-2026 05:30:00 - start FailSafe client v6.6", 0), 0u);
    // Without an options file the include flags are off: records end with the procedure.
    EXPECT_EQ(records[1], "[LUMOAudioPlayer] [00001] [00000.0000] ->modMain : Sub Main\r\n");
    EXPECT_EQ(records[2], "[LUMOAudioPlayer] [00002] [00000.0000] <-modMain : Sub Main\r\n");
}

TEST_F(MonitorTest, PauseDisablesTheWindowsUntilTheMonitorSaysGo) {
    fsPUSH("modMain", "Sub Main", "");
    monitor->recordReplies = {TraceMonitor::PauseReply};
    // Still paused, still paused, then the wait request says the pause is over.
    monitor->waitReplies = {1, 0, 1, 0, 0};
    calls.clear();
    fsPUSH("modMain", "Sub CreateFSO", "");
    const std::vector<std::string> expected = {"record", "wait 1", "wait 2", "wait 1", "wait 2", "wait 1"};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(ui->eventRounds, 2);
    EXPECT_EQ(ui->windowStates, (std::vector<bool>{false, true}));
    EXPECT_EQ(fs->depth(), 2);

    monitor->recordReplies = {TraceMonitor::PauseReply};
    monitor->waitReplies = {1, 5};  // a go-on answer to the second request ends it too
    calls.clear();
    fsPOP("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(calls, (std::vector<std::string>{"record", "wait 1", "wait 2"}));
}

TEST_F(MonitorTest, TheFrameworkSubtractsItsOwnCostFromRecordTimes) {
    fsSTART();
    monitor->clock = &now;
    monitor->readingTime = 5;  // each record costs 5 ms to hand over
    fsPUSH("modMain", "Sub Main", "");       // measures the push cost
    fsPOP("modMain", "Sub Main", "");        // record 2 at 5 ms; measures the pop cost
    now += 100;
    fsPUSH("modMain", "Sub Main", "");       // at 110 ms, less 5 ms
    fsPOP("modMain", "Sub Main", "");        // at 115 ms, less 5 ms
    ASSERT_EQ(records.size(), 5u);
    EXPECT_NE(records[1].find("[00001] [00000.0000] ->"), std::string::npos) << records[1];
    EXPECT_NE(records[2].find("[00002] [00000.0005] <-"), std::string::npos) << records[2];
    EXPECT_NE(records[3].find("[00003] [00000.0105] ->"), std::string::npos) << records[3];
    EXPECT_NE(records[4].find("[00004] [00000.0110] <-"), std::string::npos) << records[4];
}

TEST_F(MonitorTest, WithoutAMonitorNothingIsMeasured) {
    fs->setMonitorFinder([] { return std::unique_ptr<TraceMonitor>(); });
    fsPUSH("modMain", "Sub Main", "");
    EXPECT_FALSE(fs->monitorPresent());
    EXPECT_EQ(fs->records(), 0u);
    EXPECT_TRUE(records.empty());
}

}  // namespace
}  // namespace lumo::failsafe::testing
