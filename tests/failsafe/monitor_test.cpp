// The trace link between a program and the monitor program: the real server
// pausing, stepping and resuming the real link; monitors that misbehave; the
// checks that keep other users out; and the wire framing.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

#include "failsafe/local_socket.h"
#include "failsafe/monitor_link.h"
#include "failsafe/monitor_server.h"
#include "test_monitor.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The monitor program's server on a thread of its own; the test hands it
// commands as a user types them.
class ServedMonitor {
public:
    explicit ServedMonitor(const fs::path& socket) {
        MonitorEvents events;
        events.record = [this](uint32_t, std::string_view record) { note(records_, record); };
        events.status = [this](std::string_view line) { note(statuses_, line); };
        std::string whyNot;
        server_ = MonitorServer::listen(socket, events, whyNot);
        if (!server_) throw std::runtime_error(whyNot);
        thread_ = std::thread([this] {
            while (!stop_) {
                server_->serve(10ms);
                std::vector<std::function<void(MonitorServer&)>> commands;
                {
                    std::lock_guard lock(mutex_);
                    commands.swap(commands_);
                }
                for (auto& command : commands) command(*server_);
            }
        });
    }
    ~ServedMonitor() {
        stop_ = true;
        thread_.join();
    }
    void post(std::function<void(MonitorServer&)> command) {
        std::lock_guard lock(mutex_);
        commands_.push_back(std::move(command));
    }
    // Runs a command on the server's thread and waits for it (bounded).
    void run(std::function<void(MonitorServer&)> command) {
        std::atomic<bool> done{false};
        post([&](MonitorServer& server) {
            command(server);
            done = true;
        });
        waitFor([&] { return done.load(); });
    }
    static void waitFor(const std::function<bool()>& condition) {
        for (int round = 0; round < 2000 && !condition(); ++round) std::this_thread::sleep_for(5ms);
    }
    std::vector<std::string> records() {
        std::lock_guard lock(mutex_);
        return records_;
    }
    // Waits (bounded) for a status line that contains `text`.
    bool said(std::string_view text) {
        bool found = false;
        waitFor([&] {
            std::lock_guard lock(mutex_);
            for (const std::string& line : statuses_) found = found || line.find(text) != std::string::npos;
            return found;
        });
        return found;
    }

private:
    void note(std::vector<std::string>& list, std::string_view line) {
        std::lock_guard lock(mutex_);
        list.emplace_back(line);
    }
    std::unique_ptr<MonitorServer> server_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::function<void(MonitorServer&)>> commands_;
    std::vector<std::string> records_, statuses_;
};

// A program speaking the protocol by hand.
class RawProgram {
public:
    explicit RawProgram(const fs::path& socket) : fd_(connectToOwnSocket(socket)) {}
    ~RawProgram() { close(); }
    std::optional<int32_t> ask(const std::string& frame) {
        const Deadline deadline = deadlineIn(10s);
        if (!sendAllBefore(fd_, frame, deadline)) return std::nullopt;
        const auto answer = readFrameBefore(fd_, reader_, deadline);
        return answer ? wire::decodeAnswer(answer->payload) : std::nullopt;
    }
    void send(const std::string& bytes) { sendAllBefore(fd_, bytes, deadlineIn(10s)); }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    wire::FrameReader reader_;
};

class MonitorTest : public FrameworkTest {
protected:
    fs::path socket() const { return path("m.sock"); }
    void SetUp() override {
        FrameworkTest::SetUp();
        fs->setMonitorFinder(socketMonitorFinder({socket(), 10s}));  // a safety limit
    }
};

TEST_F(MonitorTest, TheServerShowsTheRecordsAndPausesTheProgramUntilResumed) {
    ServedMonitor monitor(socket());
    fsPUSH("modMain", "Sub Main", "");
    EXPECT_TRUE(fs->monitorPresent());
    monitor.run([](MonitorServer& server) { server.pause(); });
    int rounds = 0;
    ui->onEvents = [&] {
        EXPECT_EQ(ui->windowStates, std::vector<bool>{false});
        if (++rounds == 2) monitor.post([](MonitorServer& server) { server.resume(); });
    };
    fsPUSH("modMain", "Sub CreateFSO", "");  // returns once resumed
    EXPECT_GE(rounds, 2);
    fsPOP("modMain", "Sub CreateFSO", "");
    fsPOP("modMain", "Sub Main", "");
    EXPECT_EQ(ui->windowStates, (std::vector<bool>{false, true}));  // resumed: no further pause
    const std::vector<std::string> records = monitor.records();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_TRUE(records[0].starts_with("[LUMOAudioPlayer] 12-04-2026 05:30:00 - start FailSafe client v6.6"));
    EXPECT_EQ(records[2], "[LUMOAudioPlayer] [00002] [00000.0000] ->\tmodMain : Sub CreateFSO\r\n");
    EXPECT_TRUE(monitor.said(" paused at [LUMOAudioPlayer] [00002] [00000.0000] ->\tmodMain : Sub CreateFSO"));
    EXPECT_TRUE(monitor.said(" goes on"));
}

TEST_F(MonitorTest, StepLetsTheProgramOnToItsNextRecordOnly) {
    ServedMonitor monitor(socket());
    fsPUSH("modMain", "Sub Main", "");
    monitor.run([](MonitorServer& server) { server.pause(); });
    size_t handled = 0;
    ui->onEvents = [&] {  // within the first pause: step; within the second: resume
        const size_t pause = (ui->windowStates.size() + 1) / 2;
        if (pause == handled) return;
        handled = pause;
        monitor.post([pause](MonitorServer& server) { pause == 1 ? server.step() : server.resume(); });
    };
    fsPUSH("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(ui->windowStates, (std::vector<bool>{false, true}));
    fsPOP("modMain", "Sub CreateFSO", "");  // the next record: paused again
    fsPOP("modMain", "Sub Main", "");
    EXPECT_EQ(ui->windowStates, (std::vector<bool>{false, true, false, true}));
}

TEST_F(MonitorTest, AProgramLeavingWhilePausedIsForgotten) {
    ServedMonitor monitor(socket());
    monitor.run([](MonitorServer& server) { server.pause(); });
    RawProgram program(socket());
    EXPECT_EQ(program.ask(wire::helloFrame(77, "raw")), static_cast<int32_t>(wire::version));
    EXPECT_EQ(program.ask(wire::recordFrame("[raw] [00001] [00000.0000] ->modMain : Sub Main\r\n")), 128);
    EXPECT_EQ(program.ask(wire::waitFrame(2, 0)), 0);  // still paused: keep waiting
    program.close();
    EXPECT_TRUE(monitor.said("raw (pid 77) left while paused"));
    monitor.run([](MonitorServer& server) { EXPECT_EQ(server.pausedCount() + server.programCount(), 0u); });
}

TEST_F(MonitorTest, GarbageClosesOnlyTheProgramThatSentIt) {
    ServedMonitor monitor(socket());
    RawProgram rude(socket());
    EXPECT_EQ(rude.ask(wire::helloFrame(66, "rude")), static_cast<int32_t>(wire::version));
    rude.send("GET / HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(monitor.said("rude (pid 66) broke the protocol"));
    RawProgram silent(socket());
    EXPECT_FALSE(silent.ask(wire::recordFrame("a record before the greeting")));
    fsPUSH("modMain", "Sub Main", "");  // other programs are still served
    ServedMonitor::waitFor([&] { return monitor.records().size() == 2; });
    EXPECT_EQ(monitor.records().size(), 2u);
}

TEST(MonitorServerListen, RefusesALiveSocketAndForeignFilesButReplacesAStaleOne) {
    const fs::path folder = fs::temp_directory_path() / ("lumo-listen-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path socket = folder / "m.sock";
    std::string whyNot;
    {
        auto first = MonitorServer::listen(socket, {}, whyNot);
        ASSERT_TRUE(first) << whyNot;
        struct stat info{};
        ::stat(socket.c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_FALSE(MonitorServer::listen(socket, {}, whyNot));
        EXPECT_EQ(whyNot, "another monitor listens on " + socket.string());
    }
    EXPECT_FALSE(fs::exists(socket));  // a monitor that quits takes its socket along
    { TestMonitor crashed(socket); }   // leaves its socket file behind
    EXPECT_TRUE(MonitorServer::listen(socket, {}, whyNot)) << whyNot;
    std::ofstream(socket) << "not a socket";
    EXPECT_FALSE(MonitorServer::listen(socket, {}, whyNot));
    EXPECT_EQ(whyNot, socket.string() + " exists and is not a socket of this user");
    EXPECT_EQ(readFile(socket), "not a socket");
    fs::remove_all(folder);
}

// Monitors that break the framing, hang up or stop answering, at a record or
// within a pause: the link ends, the program goes on, and a pause under way ends.
TEST_F(MonitorTest, AMisbehavingMonitorEndsTheLinkAndNeverTheProgram) {
    using Reply = std::optional<std::string>;  // nothing: hang up; "": never answer
    const Reply pause = wire::answerFrame(128), stillPaused = wire::answerFrame(1), wait = wire::answerFrame(0);
    struct Case {
        const char* name;
        Reply atCreateFsoRecord;
        std::vector<Reply> waitReplies;
        std::chrono::milliseconds timeout;
        bool paused;
        std::string frames;  // the kinds the monitor saw
    };
    const Case cases[] = {
        {"plain pause, the link goes on", pause, {stillPaused, wait, wait}, 10s, true, "HTTTWWWTT"},
        {"garbage for an answer", std::string("\x80garbage", 8), {}, 10s, false, "HTTT"},
        {"hangs up within the pause", pause, {stillPaused, wait, std::nullopt}, 10s, true, "HTTTWWW"},
        {"never answers a record", std::string(), {}, 200ms, false, "HTTT"},
        {"never answers within the pause", pause, {stillPaused, wait, std::string()}, 200ms, true, "HTTTWWW"},
    };
    int index = 0;
    for (const Case& c : cases) {
        const fs::path socket = path("m" + std::to_string(index++) + ".sock");
        TestMonitor monitor(socket);
        auto waits = std::make_shared<std::deque<Reply>>(c.waitReplies.begin(), c.waitReplies.end());
        monitor.start([&c, waits, replied = false](const wire::Frame& frame) mutable -> Reply {
            if (frame.kind == wire::Kind::Record && frame.payload.find("CreateFSO") != std::string::npos && !replied) {
                replied = true;
                return c.atCreateFsoRecord;
            }
            if (frame.kind == wire::Kind::Wait && !waits->empty()) {
                Reply next = waits->front();
                waits->pop_front();
                return next;
            }
            return TestMonitor::plainAnswers(frame);
        });
        ScopedFramework own;
        configure(*own);
        own->setMonitorFinder(socketMonitorFinder({socket, c.timeout}));
        ui->windowStates.clear();
        fsPUSH("modMain", "Sub Main", "");
        fsPUSH("modMain", "Sub CreateFSO", "");
        EXPECT_EQ(ui->windowStates, c.paused ? (std::vector<bool>{false, true}) : std::vector<bool>()) << c.name;
        fsPOP("modMain", "Sub CreateFSO", "");
        fsPOP("modMain", "Sub Main", "");
        EXPECT_EQ(own->depth(), 0) << c.name;
        EXPECT_EQ(monitor.kinds(), c.frames) << c.name;
    }
}

TEST_F(MonitorTest, NoListenerOrOneThatDoesNotGreetBackIsNoMonitor) {
    fsPUSH("modMain", "Sub Main", "");  // no socket file at all
    EXPECT_FALSE(fs->monitorPresent());
    for (const bool listening : {false, true}) {
        fs::remove(socket());
        std::optional<TestMonitor> monitor(std::in_place, socket());
        if (listening) monitor->start([](const wire::Frame&) { return std::optional<std::string>("HTTP/1.1 400\r\n\r\n"); });
        else monitor.reset();  // leaves a socket file nobody listens on
        ScopedFramework own;
        configure(*own);
        own->setMonitorFinder(socketMonitorFinder({socket(), 10s}));
        own->start();
        EXPECT_FALSE(own->monitorPresent()) << listening;
    }
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
        EXPECT_EQ(wire::decodeHello(frames[0].payload)->version, wire::version);
        EXPECT_EQ(frames[1].payload, "[x] ->modMain\r\n");
        EXPECT_EQ(wire::decodeWait(frames[2].payload), 2);
        EXPECT_EQ(wire::decodeAnswer(frames[3].payload), -5);
    }
    std::string tooLong = "T";
    wire::appendInt32(tooLong, static_cast<uint32_t>(wire::maxPayload + 1));
    for (const std::string& bad : {std::string("Z\0\0\0\0", 5) + wire::answerFrame(0), tooLong}) {
        wire::FrameReader reader;
        reader.feed(bad);
        EXPECT_FALSE(reader.next());
        EXPECT_TRUE(reader.broken());
    }
    EXPECT_EQ(wire::recordFrame(std::string(wire::maxPayload + 10, 'r')).size(), wire::headerSize + wire::maxPayload);
    EXPECT_FALSE(wire::decodeAnswer("abc"));
}

constexpr uid_t kOtherUser = 65534;  // "nobody"

// Runs `body` in a child process that has become another user; its exit code.
int asOtherUser(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0) ::_exit(90);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

// Another user who gets past the socket's mode (opened wide on purpose) is
// still turned away by the check of the peer's credentials, and the traced
// side talks to no socket that another user made.
TEST(MonitorPeers, AProgramOfAnotherUserIsRefusedAndNoProgramTalksToAForeignMonitor) {
    if (::geteuid() != 0) GTEST_SKIP() << "becoming another user needs root";
    const fs::path folder = fs::temp_directory_path() / ("lumo-peers-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    ::chmod(folder.c_str(), 0777);
    const fs::path socket = folder / "m.sock";
    {
        ServedMonitor monitor(socket);
        ::chmod(socket.c_str(), 0666);
        const int childSaw = asOtherUser([&] {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return 10;
            timeval wait{5, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            char byte;
            return ::recv(fd, &byte, 1, 0) == 0 ? 0 : 11;  // closed by the monitor
        });
        EXPECT_EQ(childSaw, 0);
        EXPECT_TRUE(monitor.said("refused a program of user 65534"));
        monitor.run([](MonitorServer& server) { EXPECT_EQ(server.programCount(), 0u); });
    }
    // A listening socket made by another user.
    const fs::path foreign = folder / "foreign.sock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t listener = ::fork();
    if (listener == 0) {
        if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0) ::_exit(90);
        std::string whyNot;
        auto server = MonitorServer::listen(foreign, {}, whyNot);
        ::chmod(foreign.c_str(), 0666);
        (void)!::write(ready[1], server ? "y" : "n", 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    (void)!::read(ready[0], &answer, 1);
    EXPECT_EQ(answer, 'y');
    EXPECT_EQ(connectToOwnSocket(foreign), -1);
    ::kill(listener, SIGKILL);
    ::waitpid(listener, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    fs::remove_all(folder);
}

// The same check without becoming another user: a socket given away is not trusted.
TEST_F(MonitorTest, ASocketOfAnotherUserIsNotTrusted) {
    TestMonitor monitor(socket());
    if (::chown(socket().c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) != 0)
        GTEST_SKIP() << "only root can give the socket to another user";
    monitor.start(TestMonitor::plainAnswers);
    fsPUSH("modMain", "Sub Main", "");
    EXPECT_FALSE(fs->monitorPresent());
}

}  // namespace
}  // namespace lumo::failsafe::testing
