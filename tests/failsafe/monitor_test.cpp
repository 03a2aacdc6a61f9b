// The trace link between a program and the monitor program: the real server
// pausing, stepping and resuming the real link; monitors that misbehave; the
// checks that keep other users out; and the wire framing.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>
#include <thread>

#include "failsafe/local_socket.h"
#include "failsafe/monitor_link.h"
#include "failsafe/monitor_server.h"
#include "test_support.h"
#include "tests/temp_folder.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::lumo::testing::TempFolder;
using Reply = std::optional<std::string>;  // nothing: hang up; "": never answer

int boundSocket(const fs::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::chmod(socket.c_str(), 0600);
    return fd;
}

// A monitor that takes one program and answers each frame as its script says.
// Every wait is bounded, so a test can fail but never hang.
class ScriptedMonitor {
public:
    ScriptedMonitor(const fs::path& socket, std::function<Reply(const wire::Frame&)> script)
        : listener_(boundSocket(socket)) {
        ::listen(listener_, 4);
        if (::pipe2(stop_, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
        thread_ = std::thread([this, script] { serve(script); });
    }
    ~ScriptedMonitor() {
        ::close(stop_[1]);
        thread_.join();
        ::close(stop_[0]);
        ::close(listener_);
    }
    std::string kinds() {  // one letter a frame received
        std::lock_guard lock(mutex_);
        return kinds_;
    }

private:
    void serve(const std::function<Reply(const wire::Frame&)>& script) {
        if (!readable(listener_)) return;
        const int program = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        wire::FrameReader reader;
        char buffer[4096];
        for (ssize_t got; readable(program) && (got = ::recv(program, buffer, sizeof buffer, 0)) > 0;) {
            reader.feed(std::string_view(buffer, static_cast<size_t>(got)));
            while (auto frame = reader.next()) {
                std::unique_lock lock(mutex_);
                kinds_ += static_cast<char>(frame->kind);
                lock.unlock();
                const Reply reply = script(*frame);
                if (!reply) return (void)::close(program);
                ::send(program, reply->data(), reply->size(), MSG_NOSIGNAL);
            }
        }
        ::close(program);
    }
    bool readable(int fd) {
        pollfd watched[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
        return ::poll(watched, 2, 20'000) > 0 && watched[1].revents == 0;
    }
    int listener_, stop_[2] = {-1, -1};
    std::thread thread_;
    std::mutex mutex_;
    std::string kinds_;
};

// The monitor program's server on a thread of its own; the test hands it
// commands as a user types them.
class ServedMonitor {
public:
    explicit ServedMonitor(const fs::path& socket) {
        MonitorEvents events;
        events.status = [this](std::string_view line) {
            std::lock_guard lock(mutex_);
            statuses_.emplace_back(line);
        };
        std::string whyNot;
        server_ = MonitorServer::listen(socket, events, whyNot);
        if (!server_) throw std::runtime_error(whyNot);
        thread_ = std::thread([this] {
            while (!stop_) {
                server_->serve(10ms);
                std::vector<std::function<void(MonitorServer&)>> commands;
                std::unique_lock lock(mutex_);
                commands.swap(commands_);
                lock.unlock();
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
    void run(const std::function<void(MonitorServer&)>& command) {  // on the server's thread, waited for
        std::atomic<bool> done{false};
        post([&](MonitorServer& server) { command(server), done = true; });
        waitFor([&] { return done.load(); });
    }
    static void waitFor(const std::function<bool()>& condition) {
        for (int round = 0; round < 2000 && !condition(); ++round) std::this_thread::sleep_for(5ms);
    }
    bool said(std::string_view text) {  // waits (bounded) for a status line with `text`
        bool found = false;
        waitFor([&] {
            std::lock_guard lock(mutex_);
            for (const std::string& line : statuses_) found = found || line.find(text) != std::string::npos;
            return found;
        });
        return found;
    }

private:
    std::unique_ptr<MonitorServer> server_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::function<void(MonitorServer&)>> commands_;
    std::vector<std::string> statuses_;
};

// A program speaking the protocol by hand.
struct RawProgram {
    int fd;
    wire::FrameReader reader;
    explicit RawProgram(const fs::path& socket) : fd(connectToOwnSocket(socket)) {}
    ~RawProgram() { ::close(fd); }
    std::optional<int32_t> ask(const std::string& frame) {
        const Deadline deadline = deadlineIn(10s);
        if (!sendAllBefore(fd, frame, deadline)) return std::nullopt;
        const auto answer = readFrameBefore(fd, reader, deadline);
        return answer ? wire::decodeAnswer(answer->payload) : std::nullopt;
    }
};

class MonitorTest : public FrameworkTest {
protected:
    fs::path socket() const { return path("m.sock"); }
    void SetUp() override {
        FrameworkTest::SetUp();
        fs->setMonitorFinder(socketMonitorFinder({socket(), 10s}));  // a safety limit
    }
};

// Pause stops the program at its next record with its windows off; step lets
// it on to the record after; resume lets it go.
TEST_F(MonitorTest, TheServerPausesStepsAndResumesTheProgram) {
    ServedMonitor monitor(socket());
    fsPUSH("modMain", "Sub Main", "");
    EXPECT_TRUE(fs->monitorPresent());
    monitor.run([](MonitorServer& server) { server.pause(); });
    size_t handled = 0;
    ui->onEvents = [&] {  // within the first pause: step; within the second: resume
        const size_t pause = (ui->windowStates.size() + 1) / 2;
        EXPECT_FALSE(ui->windowStates.back());
        if (pause == handled) return;
        handled = pause;
        monitor.post([pause](MonitorServer& server) { pause == 1 ? server.step() : server.resume(); });
    };
    fsPUSH("modMain", "Sub CreateFSO", "");
    EXPECT_EQ(ui->windowStates, (std::vector<bool>{false, true}));
    fsPOP("modMain", "Sub CreateFSO", "");  // the next record: paused again
    fsPOP("modMain", "Sub Main", "");
    EXPECT_EQ(ui->windowStates, (std::vector<bool>{false, true, false, true}));
    EXPECT_TRUE(monitor.said(" paused at [LUMOAudioPlayer] [00002] [00000.0000] ->\tmodMain : Sub CreateFSO"));
    EXPECT_TRUE(monitor.said(" paused at [LUMOAudioPlayer] [00003] [00000.0000] <-\tmodMain : Sub CreateFSO"));
}

TEST_F(MonitorTest, AProgramThatLeavesWhilePausedOrBreaksTheProtocolIsForgotten) {
    ServedMonitor monitor(socket());
    monitor.run([](MonitorServer& server) { server.pause(); });
    {
        RawProgram program(socket());
        EXPECT_EQ(program.ask(wire::helloFrame(77, "raw")), static_cast<int32_t>(wire::version));
        EXPECT_EQ(program.ask(wire::recordFrame("[raw] [00001] [00000.0000] ->modMain : Sub Main\r\n")), 128);
        EXPECT_EQ(program.ask(wire::waitFrame(2, 0)), 0);  // still paused: keep waiting
    }
    EXPECT_TRUE(monitor.said("raw (pid 77) left while paused"));
    monitor.run([](MonitorServer& server) { EXPECT_EQ(server.pausedCount() + server.programCount(), 0u); });
    RawProgram rude(socket());
    EXPECT_EQ(rude.ask(wire::helloFrame(66, "rude")), static_cast<int32_t>(wire::version));
    sendAllBefore(rude.fd, "GET / HTTP/1.0\r\n\r\n", deadlineIn(10s));
    EXPECT_TRUE(monitor.said("rude (pid 66) broke the protocol"));
    EXPECT_FALSE(RawProgram(socket()).ask(wire::recordFrame("a record before the greeting")));
}

TEST(MonitorServerListen, RefusesALiveSocketAndForeignFilesButReplacesAStaleOne) {
    const TempFolder folder;
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
    ::close(boundSocket(socket));      // a crashed one leaves its socket file behind
    EXPECT_TRUE(MonitorServer::listen(socket, {}, whyNot)) << whyNot;
    std::ofstream(socket) << "not a socket";
    EXPECT_FALSE(MonitorServer::listen(socket, {}, whyNot));
    EXPECT_EQ(whyNot, socket.string() + " exists and is not a socket of this user");
    EXPECT_EQ(readFile(socket), "not a socket");
}

// Monitors that do not greet back, break the framing, hang up or stop
// answering, at a record or within a pause: the link ends, the program goes
// on, and a pause under way ends.
TEST_F(MonitorTest, AMisbehavingMonitorEndsTheLinkAndNeverTheProgram) {
    const Reply pause = wire::answerFrame(128), stillPaused = wire::answerFrame(1), wait = wire::answerFrame(0);
    struct Case {
        const char* name;
        Reply hello, atCreateFso;
        std::vector<Reply> waitReplies;
        std::chrono::milliseconds timeout;
        bool paused;
        std::string frames;  // what the monitor received
    };
    const Reply greeting = wire::answerFrame(static_cast<int32_t>(wire::version));
    const Case cases[] = {
        {"plain pause, the link goes on", greeting, pause, {stillPaused, wait, wait}, 10s, true, "HTTTWWWTT"},
        {"no greeting back", std::string("HTTP/1.1 400\r\n\r\n"), wait, {}, 10s, false, "H"},
        {"garbage for an answer", greeting, std::string("\x80garbage", 8), {}, 10s, false, "HTTT"},
        {"hangs up within the pause", greeting, pause, {stillPaused, wait, std::nullopt}, 10s, true, "HTTTWWW"},
        {"never answers a record", greeting, std::string(), {}, 200ms, false, "HTTT"},
        {"never answers within the pause", greeting, pause, {stillPaused, wait, std::string()}, 200ms, true, "HTTTWWW"},
    };
    int index = 0;
    for (const Case& c : cases) {
        const fs::path socket = path("m" + std::to_string(index++) + ".sock");
        auto waits = std::make_shared<std::deque<Reply>>(c.waitReplies.begin(), c.waitReplies.end());
        ScriptedMonitor monitor(socket, [&c, waits](const wire::Frame& frame) -> Reply {
            if (frame.kind == wire::Kind::Hello) return c.hello;
            if (frame.kind == wire::Kind::Record && frame.payload.find("->\tmodMain : Sub CreateFSO") != std::string::npos)
                return c.atCreateFso;
            if (frame.kind != wire::Kind::Wait || waits->empty()) return wire::answerFrame(0);
            const Reply next = waits->front();
            waits->pop_front();
            return next;
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

TEST(MonitorWire, FramesSurviveAnyCutAndBadStreamsStayBroken) {
    const std::string stream = wire::helloFrame(42, "lumo-host") + wire::recordFrame("[x] ->modMain\r\n") +
                               wire::waitFrame(2, 0) + wire::answerFrame(-5);
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        wire::FrameReader reader;
        std::vector<wire::Frame> frames;
        for (const std::string& piece : {stream.substr(0, cut), stream.substr(cut)})
            for (reader.feed(piece); auto frame = reader.next();) frames.push_back(*frame);
        ASSERT_EQ(frames.size(), 4u) << cut;
        EXPECT_EQ(wire::decodeHello(frames[0].payload)->programName, "lumo-host");
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
}

constexpr uid_t kOtherUser = 65534;  // "nobody"

// Another user who gets past the socket's mode (opened wide on purpose) is
// still turned away by the check of the peer's credentials, and the traced
// side talks to no socket that another user made.
TEST(MonitorPeers, AProgramOfAnotherUserIsRefusedAndNoProgramTalksToAForeignMonitor) {
    if (::geteuid() != 0) GTEST_SKIP() << "becoming another user needs root";
    const TempFolder folder;
    ::chmod(folder.path().c_str(), 0777);
    const fs::path socket = folder / "m.sock", foreign = folder / "foreign.sock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const auto asOtherUser = [](const std::function<int()>& body) {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0 ? 90 : body());
        return child;
    };
    {
        ServedMonitor monitor(socket);
        ::chmod(socket.c_str(), 0666);
        const pid_t visitor = asOtherUser([&] {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return 10;
            timeval wait{5, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            char byte;
            return ::recv(fd, &byte, 1, 0) == 0 ? 0 : 11;  // closed by the monitor
        });
        int status = -1;
        ::waitpid(visitor, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_TRUE(monitor.said("refused a program of user 65534"));
        monitor.run([](MonitorServer& server) { EXPECT_EQ(server.programCount(), 0u); });
    }
    const pid_t listener = asOtherUser([&] {  // a listening socket made by another user
        std::string whyNot;
        auto server = MonitorServer::listen(foreign, {}, whyNot);
        ::chmod(foreign.c_str(), 0666);
        (void)!::write(ready[1], server ? "y" : "n", 1);
        return ::pause();
    });
    char answer = 0;
    (void)!::read(ready[0], &answer, 1);
    EXPECT_EQ(answer, 'y');
    EXPECT_EQ(connectToOwnSocket(foreign), -1);
    ::kill(listener, SIGKILL);
    ::waitpid(listener, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace lumo::failsafe::testing
