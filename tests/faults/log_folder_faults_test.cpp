// FailSafe's logs when their folder is read-only or its disk is full: the
// program goes on as it would have (a logged error still lets the procedure
// go on, a trapped one still leaves it), no box reaches the user, and what
// the log files held before is still there, byte for byte.
#include "fault_support.h"

namespace lumo::faults::testing {
namespace {

const std::string Options =
    "[Log File]\r\nWrite To Disk=1\r\nCapture To Disk=1\r\nLog File=program.log\r\nCircularLog=1\r\n"
    "[CircularLog]\r\nFileName=circ.log\r\nRecordSize=128\r\nMaxRecords=10\r\n[Preferences]\r\nSilent Run=1\r\n";
const std::string EarlierLog = "a line from an earlier run\r\n";
const std::string EarlierCircular = "CIRCULAR\r\n" + std::string(126, 'e') + "\r\n";

class LogFolder : public HelperTest {
protected:
    fs::path program = root / "program";
    void SetUp() override {
        writeBytes(program / "FSCLIENT.INI", Options);
        writeBytes(program / "program.log", EarlierLog);
        writeBytes(program / "circ.log", EarlierCircular);
    }
    static void expectTheProgramWentOn(const Finished& run) {
        EXPECT_EQ(run.status, 0) << run.dump();
        EXPECT_TRUE(run.saidLine("after-logged-error 1")) << run.dump();
        EXPECT_TRUE(run.saidLine("trapped-error-left yes")) << run.dump();
        EXPECT_TRUE(run.saidLine("done")) << run.dump();
        EXPECT_TRUE(run.said("box").empty()) << run.dump();
    }
};

struct Case {
    const char* name;
    const char* error;
    const char* calls;
    int skip;
};
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }


class LogFolderFaults : public LogFolder, public ::testing::WithParamInterface<Case> {};

TEST_P(LogFolderFaults, LoggingIsSkippedAndNothingStoredIsLost) {
    const Case& c = GetParam();
    const Finished run = runWith(faultOn(program.string(), c.error, c.calls, c.skip), {"trace", "log", program.string()});
    ASSERT_FALSE(run.injected.empty()) << "the fault was never met\n" << run.dump();
    expectTheProgramWentOn(run);
    const std::string log = bytesOf(program / "program.log");
    ASSERT_EQ(log.substr(0, EarlierLog.size()), EarlierLog) << "the earlier log is damaged";
    const std::string circular = bytesOf(program / "circ.log");
    ASSERT_GE(circular.size(), EarlierCircular.size());
    EXPECT_EQ(circular.substr(0, 10), "CIRCULAR\r\n");
    if (c.skip == 0) {
        EXPECT_EQ(log, EarlierLog);
        EXPECT_EQ(circular, EarlierCircular);
    }
}

INSTANTIATE_TEST_SUITE_P(Logs, LogFolderFaults,
                         ::testing::Values(Case{"ReadOnlyFolder", "EROFS", "", 0},
                                           Case{"FolderWithoutWriteAccess", "EACCES", "", 0},
                                           Case{"DiskFull", "ENOSPC", "write", 0},
                                           Case{"DiskFillsUpWhileLogging", "ENOSPC", "write", 12}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LogFolder, ALogThatCannotBeCreatedIsSwitchedOff) {
    const fs::path logs = root / "logs", log = logs / "LUMOAudioErrors.log";
    fs::create_directories(logs);
    const Finished run = runWith(faultOn(logs.string(), "EROFS"), {"trace", "log", program.string(), log.string()});
    ASSERT_FALSE(run.injected.empty()) << run.dump();
    EXPECT_EQ(run.said("log-file"), std::vector<std::string>{""}) << run.dump();
    expectTheProgramWentOn(run);
    EXPECT_FALSE(fs::exists(log));

    const Finished writable = this->run({"trace", "log", program.string(), log.string()});
    EXPECT_EQ(writable.said("log-file"), std::vector<std::string>{log.string()}) << writable.dump();
    expectTheProgramWentOn(writable);
    EXPECT_NE(bytesOf(log).find("modFaults.LoggedError"), std::string::npos);
}

TEST_F(LogFolder, AWritableFolderGetsEveryLogAppended) {
    const Finished run = this->run({"trace", "log", program.string()});
    expectTheProgramWentOn(run);
    const std::string log = bytesOf(program / "program.log");
    ASSERT_EQ(log.substr(0, EarlierLog.size()), EarlierLog);
    EXPECT_NE(log.find("modFaults.LoggedError"), std::string::npos) << log;
    EXPECT_NE(log.find("a line written by the program"), std::string::npos) << log;
    EXPECT_NE(log.find("Sub TrappedError"), std::string::npos) << log;
    const std::string circular = bytesOf(program / "circ.log");
    EXPECT_EQ(circular.substr(0, 10), "CIRCULAR\r\n");
    EXPECT_EQ((circular.size() - 10) % 128, 0u);
    EXPECT_NE(circular.find("Sub Traced"), std::string::npos);
}

}  // namespace
}  // namespace lumo::faults::testing
