// Procedures under the error entry: leave, retry and next statement, errors
// that pass through nested procedures, and the ways an error is passed over.
#include <system_error>

#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

class ProcedureTest : public FrameworkTest {
protected:
    std::deque<int16_t> answers;  // the error entry's answers, one per error
    int asked = 0;

    void SetUp() override {
        FrameworkTest::SetUp();
        fs->setUserActionProvider([this]() -> int16_t {
            ++asked;
            const int16_t answer = answers.empty() ? 0 : answers.front();
            if (!answers.empty()) answers.pop_front();
            return answer;
        });
    }
};

TEST_F(ProcedureTest, LeavingAfterAnErrorSkipsTheRestAndReturnsTheHeldResult) {
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
    int32_t got = 0;
    {
        Procedure outer("cLUMOAudio", "Sub DoNext");
        outer.step([&] { got = inner(); });
        EXPECT_FALSE(outer.leaving());
        EXPECT_EQ(fs->depth(), 1);
    }
    EXPECT_EQ(got, 7);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(fs->depth(), 0);
    const ErrorSlot& slot = fs->lastError().slots[0];
    EXPECT_EQ(slot.module + "|" + slot.procedure + "|" + std::to_string(slot.number) + "|" + slot.source,
              "modMain|Function Inner|11|LUMOAudioPlayer (local)");
    EXPECT_EQ(slot.line, failingLine);
    EXPECT_EQ(fs->lastError().callTree.size(), 3u);
    EXPECT_EQ(Err().number, 0);
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
}

TEST_F(ProcedureTest, AnErrorThatPassesThroughANestedProcedurePopsItOnTheWay) {
    auto inner = [&] {
        Procedure proc("modMain", "Function IsReady");
        throw std::system_error(ENOENT, std::generic_category(), "no disc image");
    };
    {
        Procedure outer("cLUMOAudio", "Function InitialisePL");
        outer.step([&] { inner(); });
        EXPECT_TRUE(outer.leaving());
    }
    EXPECT_EQ(fs->depth(), 0);
    const ErrorSlot& slot = fs->lastError().slots[0];  // the inner level was popped: the trapping one is on top
    EXPECT_EQ(slot.module + " : " + slot.procedure, "cLUMOAudio : Function InitialisePL");
    EXPECT_EQ(slot.number, error::FileNotFound);
}

// Logged errors go to the program's handler, or without one to the log file.
TEST_F(ProcedureTest, LogAndClearNotesTheErrorUnderItsLocation) {
    writeOptions("[log file]\nWrite To Disk=1\nLog File=errors.log\n");
    std::vector<std::string> logged;
    fs->setErrorLogHandler([&](std::string_view location, int32_t line, int32_t number, std::string_view text) {
        logged.push_back(std::string(location) + "|" + std::to_string(line) + "|" + std::to_string(number) + "|" +
                         std::string(text));
    });
    int failingLine = 0;
    {
        Procedure proc("cLUMOAudio", "Property (Let) Volume", LogAndClear{"cLUMOAudio.Volume (Let)"});
        failingLine = __LINE__ + 1;
        proc.step([] { throw RuntimeError(-1072885353, "The sink refused the volume"); });
        EXPECT_EQ(Err().number, 0);
        EXPECT_TRUE(proc.step([] {}));
    }
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(logged, std::vector<std::string>{"cLUMOAudio.Volume (Let)|" + std::to_string(failingLine) +
                                               "|-1072885353|The sink refused the volume"});
    EXPECT_FALSE(std::filesystem::exists(path("errors.log")));
    fs->setErrorLogHandler(nullptr);
    {
        Procedure proc("cLUMOAudio", "Sub SetLoop", LogAndClear{"cLUMOAudio.SetLoop"});
        proc.step([] { raiseError(error::InvalidProcedureCall, "loop refused"); });
    }
    const std::string log = bytesOf(path("errors.log"));
    EXPECT_NE(log.find("cLUMOAudio.SetLoop"), std::string::npos) << log;
    EXPECT_NE(log.find("'loop refused'"), std::string::npos) << log;
}

TEST_F(ProcedureTest, ForeignExceptionsBecomeRuntimeErrors) {
    struct Case {
        std::function<void()> fail;
        int32_t number;
    };
    const std::vector<Case> cases = {
        {[] { throw std::bad_alloc(); }, error::OutOfMemory},
        {[] { throw std::invalid_argument("bad"); }, error::InvalidProcedureCall},
        {[] { throw std::overflow_error("big"); }, error::Overflow},
        {[] { throw std::system_error(EACCES, std::generic_category()); }, error::PermissionDenied},
        {[] { throw std::runtime_error("odd"); }, error::InternalError},
        {[] { throw 42; }, error::InternalError},
    };
    for (const Case& c : cases) {
        Procedure proc("modMain", "Sub Convert", PassOver{});
        proc.step(c.fail);
        EXPECT_EQ(Err().number, c.number);
    }
}

}  // namespace
}  // namespace lumo::failsafe::testing
