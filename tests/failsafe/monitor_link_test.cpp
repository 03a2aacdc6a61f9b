#include "failsafe/monitor_link.h"
#include "test_monitor.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using wire::Kind;

std::string answer(int32_t value) { return wire::answerFrame(value); }

// A script that answers the first record naming `procedure` with `reply` and
// the wait requests from a list, in order; everything else plainly.
TestMonitor::Script pauseAt(std::string procedure, std::optional<std::string> reply,
                            std::vector<std::optional<std::string>> waitReplies) {
    auto waits = std::make_shared<std::deque<std::optional<std::string>>>(waitReplies.begin(), waitReplies.end());
    auto replied = std::make_shared<bool>(false);
    return [=](const wire::Frame& frame) -> std::optional<std::string> {
        if (frame.kind == Kind::Record && frame.payload.find(procedure) != std::string::npos && !*replied) {
            *replied = true;
            return reply;
        }
        if (frame.kind == Kind::Wait && !waits->empty()) {
            auto next = waits->front();
            waits->pop_front();
            return next;
        }
        return TestMonitor::plainAnswers(frame);
    };
}

class MonitorLinkTest : public FrameworkTest {
protected:
    fs::path socket() const { return path("m.sock"); }
    void linkWithin(std::chrono::milliseconds answerTimeout) {
        fs->setMonitorFinder(socketMonitorFinder({socket(), answerTimeout}));
    }
    void SetUp() override {
        FrameworkTest::SetUp();
        linkWithin(10s);  // a safety limit: these monitors answer at once
    }
};

TEST_F(MonitorLinkTest, FoundAtStartAndSentEveryRecordAsItIsEmitted) {
    TestMonitor monitor(socket());
    monitor.start(TestMonitor::plainAnswers);
    fsPUSH("modMain", "Sub Main", "");
    fsPOP("modMain", "Sub Main", "");
    EXPECT_TRUE(fs->monitorPresent());
    const std::vector<wire::Frame> frames = monitor.frames();
    ASSERT_EQ(monitor.kinds(), (std::vector<char>{'H', 'T', 'T', 'T'}));
    const auto hello = wire::decodeHello(frames[0].payload);
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->version, wire::version);
    EXPECT_EQ(hello->processId, static_cast<uint32_t>(::getpid()));
    EXPECT_TRUE(frames[1].payload.starts_with("[LUMOAudioPlayer] 12-04-2026 05:30:00 - start FailSafe client v6.6"));
    EXPECT_EQ(frames[2].payload, "[LUMOAudioPlayer] [00001] [00000.0000] ->modMain : Sub Main\r\n");
    EXPECT_EQ(frames[3].payload, "[LUMOAudioPlayer] [00002] [00000.0000] <-modMain : Sub Main\r\n");
}

TEST_F(MonitorLinkTest, PauseDisablesTheWindowsAndWaitsUntilTheMonitorSaysGo) {
    TestMonitor monitor(socket());
    // Paused at CreateFSO: still paused (1), keep waiting (0), then 0 ends it.
    monitor.start(pauseAt("Sub CreateFSO", answer(128), {answer(1), answer(0), answer(0)}));
    fsPUSH("modMain", "Sub Main", "");
    ui->onEvents = [&] { EXPECT_EQ(ui->windowStates, std::vector<bool>{false}); };
    fsPUSH("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(ui->windowStates, (std::vector<bool>{false, true}));
    EXPECT_EQ(ui->eventRounds, 1);
    EXPECT_EQ(monitor.kinds(), (std::vector<char>{'H', 'T', 'T', 'T', 'W', 'W', 'W'}));
    const std::vector<wire::Frame> frames = monitor.frames();
    EXPECT_EQ(wire::decodeWait(frames[4].payload), 1);
    EXPECT_EQ(wire::decodeWait(frames[5].payload), 2);
    EXPECT_EQ(wire::decodeWait(frames[6].payload), 1);
    EXPECT_EQ(frames[4].payload.substr(4), std::string(4, '\0'));  // lParam 0
    fsPOP("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(fs->depth(), 1);
    EXPECT_EQ(monitor.kinds().size(), 8u);  // the link goes on after the pause
}

TEST_F(MonitorLinkTest, WithoutAListeningMonitorTheProgramRunsUnwatched) {
    fsPUSH("modMain", "Sub Main", "");  // no socket file at all
    EXPECT_FALSE(fs->monitorPresent());
    {
        ScopedFramework second;
        configure(*second);
        second->setMonitorFinder(socketMonitorFinder({socket(), 10s}));
        { TestMonitor gone(socket()); }  // leaves a socket file nobody listens on
        second->start();
        EXPECT_FALSE(second->monitorPresent());
    }
}

TEST_F(MonitorLinkTest, ASocketOfAnotherUserIsNotTrusted) {
    TestMonitor monitor(socket());
    if (::chown(socket().c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) != 0)
        GTEST_SKIP() << "only root can give the socket to another user";
    monitor.start(TestMonitor::plainAnswers);
    fsPUSH("modMain", "Sub Main", "");
    EXPECT_FALSE(fs->monitorPresent());
    // Let the monitor's thread go: connect and leave.
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket().c_str(), sizeof address.sun_path - 1);
    const int visitor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::connect(visitor, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(visitor);
}

TEST_F(MonitorLinkTest, AListenerThatDoesNotGreetBackIsNoMonitor) {
    TestMonitor garbage(socket());
    garbage.start([](const wire::Frame&) { return std::optional<std::string>("HTTP/1.1 400 Bad Request\r\n\r\n"); });
    fsPUSH("modMain", "Sub Main", "");
    EXPECT_FALSE(fs->monitorPresent());
}

TEST_F(MonitorLinkTest, GarbageEndsTheLinkAndTheProgramGoesOn) {
    TestMonitor monitor(socket());
    monitor.start(pauseAt("Sub CreateFSO", std::string("\x80garbage", 8), {}));
    fsPUSH("modMain", "Sub Main", "");
    fsPUSH("modMain", "Sub CreateFSO", "");
    fsPOP("modMain", "Sub CreateFSO", "");
    fsPOP("modMain", "Sub Main", "");
    monitor.finish();
    EXPECT_EQ(fs->depth(), 0);
    EXPECT_TRUE(ui->windowStates.empty());  // no pause
    EXPECT_EQ(monitor.kinds(), (std::vector<char>{'H', 'T', 'T', 'T'}));  // nothing after the garbage
}

TEST_F(MonitorLinkTest, AMonitorClosingMidPauseEndsThePause) {
    TestMonitor monitor(socket());
    monitor.start(pauseAt("Sub CreateFSO", answer(128), {answer(1), answer(0), std::nullopt}));
    fsPUSH("modMain", "Sub Main", "");
    fsPUSH("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(ui->windowStates, (std::vector<bool>{false, true}));
    fsPOP("modMain", "Sub CreateFSO", "");
    fsPOP("modMain", "Sub Main", "");
    EXPECT_EQ(fs->depth(), 0);
    monitor.finish();
    EXPECT_EQ(monitor.kinds(), (std::vector<char>{'H', 'T', 'T', 'T', 'W', 'W', 'W'}));
}

TEST_F(MonitorLinkTest, AMonitorThatNeverAnswersARecordIsLeftBehind) {
    linkWithin(200ms);
    TestMonitor monitor(socket());
    monitor.start(pauseAt("Sub CreateFSO", std::string(), {}));
    fsPUSH("modMain", "Sub Main", "");
    fsPUSH("modMain", "Sub CreateFSO", "");  // its answer never comes
    fsPOP("modMain", "Sub CreateFSO", "");
    fsPOP("modMain", "Sub Main", "");
    monitor.finish();
    EXPECT_EQ(fs->depth(), 0);
    EXPECT_TRUE(ui->windowStates.empty());
    EXPECT_EQ(monitor.kinds(), (std::vector<char>{'H', 'T', 'T', 'T'}));
}

TEST_F(MonitorLinkTest, AMonitorThatNeverAnswersWhilePausedEndsThePause) {
    linkWithin(200ms);
    TestMonitor monitor(socket());
    monitor.start(pauseAt("Sub CreateFSO", answer(128), {answer(1), answer(0), std::string()}));
    fsPUSH("modMain", "Sub Main", "");
    fsPUSH("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(ui->windowStates, (std::vector<bool>{false, true}));
    fsPOP("modMain", "Sub CreateFSO", "");
    monitor.finish();
    EXPECT_EQ(fs->depth(), 1);
    EXPECT_EQ(monitor.kinds().size(), 7u);
}

TEST(MonitorWire, FramesSurviveAnyCutAndBadStreamsStayBroken) {
    const std::string stream = wire::helloFrame(42, "lumo-host") + wire::recordFrame("[x] ->modMain\r\n") +
                               wire::waitFrame(2, 0) + wire::answerFrame(-5);
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        wire::FrameReader reader;
        std::vector<wire::Frame> frames;
        reader.feed(stream.substr(0, cut));
        while (auto frame = reader.next()) frames.push_back(*frame);
        reader.feed(stream.substr(cut));
        while (auto frame = reader.next()) frames.push_back(*frame);
        ASSERT_EQ(frames.size(), 4u) << cut;
        EXPECT_EQ(wire::decodeHello(frames[0].payload)->programName, "lumo-host");
        EXPECT_EQ(frames[1].payload, "[x] ->modMain\r\n");
        EXPECT_EQ(wire::decodeWait(frames[2].payload), 2);
        EXPECT_EQ(wire::decodeAnswer(frames[3].payload), -5);
    }
    wire::FrameReader unknownKind;
    unknownKind.feed(std::string("Z\0\0\0\0", 5) + wire::answerFrame(0));
    EXPECT_FALSE(unknownKind.next());
    EXPECT_TRUE(unknownKind.broken());

    wire::FrameReader tooLong;
    std::string header = "T";
    wire::appendInt32(header, static_cast<uint32_t>(wire::maxPayload + 1));
    tooLong.feed(header);
    EXPECT_FALSE(tooLong.next());
    EXPECT_TRUE(tooLong.broken());

    EXPECT_EQ(wire::recordFrame(std::string(wire::maxPayload + 10, 'r')).size(), wire::headerSize + wire::maxPayload);
    EXPECT_FALSE(wire::decodeAnswer("abc"));
    EXPECT_FALSE(wire::decodeWait("abcd"));
}

}  // namespace
}  // namespace lumo::failsafe::testing
