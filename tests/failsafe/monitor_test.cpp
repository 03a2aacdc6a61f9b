// The trace link between a program and the monitor program: monitors that
// misbehave, and the checks that keep other users out. tools_end_to_end.sh
// pauses, steps and resumes a real host and sees it leave.
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
#include "failsafe/monitor/monitor_link.h"
#include "failsafe/monitor/monitor_server.h"
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
    return fd;
}

// A monitor in a child process that takes one program and answers each frame
// as the script says; kinds() waits for it and gives the frames it received.
class ChildMonitor {
public:
    ChildMonitor(const fs::path& socket, const std::function<Reply(const wire::Frame&)>& script) {
        const int listener = boundSocket(socket);
        ::chmod(socket.c_str(), 0600);
        if (::listen(listener, 1) != 0 || ::pipe(kinds_) != 0) throw std::runtime_error("no monitor");
        if ((child_ = ::fork()) == 0) {
            ::alarm(20);  // a test can fail but never hang
            const int program = ::accept(listener, nullptr, nullptr);
            wire::FrameReader reader;
            char buffer[4096];
            for (ssize_t got; (got = ::recv(program, buffer, sizeof buffer, 0)) > 0;)
                for (reader.feed(std::string_view(buffer, static_cast<size_t>(got))); auto frame = reader.next();) {
                    const char kind = static_cast<char>(frame->kind);
                    const Reply reply = script(*frame);
                    if ((void)!::write(kinds_[1], &kind, 1), !reply) ::_exit(0);
                    ::send(program, reply->data(), reply->size(), MSG_NOSIGNAL);
                }
            ::_exit(0);
        }
        ::close(listener);
        ::close(kinds_[1]);
    }
    std::string kinds() {
        ::waitpid(child_, nullptr, 0);
        std::string kinds;
        for (char kind; ::read(kinds_[0], &kind, 1) == 1;) kinds += kind;
        return ::close(kinds_[0]), kinds;
    }

private:
    pid_t child_;
    int kinds_[2];
};

// The monitor program's server on a thread of its own; the test drives it
// between two rounds of serving, as a user types commands.
class ServedMonitor {
public:
    explicit ServedMonitor(const fs::path& socket) {
        MonitorEvents events;
        events.status = [this](std::string_view line) {
            std::lock_guard lock(statusMutex_);
            statuses_.emplace_back(line);
        };
        std::string whyNot;
        if (!(server_ = MonitorServer::listen(socket, events, whyNot))) throw std::runtime_error(whyNot);
        thread_ = std::thread([this] {
            for (; !stop_; std::this_thread::sleep_for(1ms)) {
                std::lock_guard lock(serverMutex_);
                server_->serve(10ms);
            }
        });
    }
    ~ServedMonitor() { stop_ = true, thread_.join(); }
    void with(const std::function<void(MonitorServer&)>& command) {
        std::lock_guard lock(serverMutex_);
        command(*server_);
    }
    bool said(std::string_view text) {  // waits (bounded) for a status line with `text`
        for (int round = 0; round < 2000; ++round, std::this_thread::sleep_for(5ms)) {
            std::lock_guard lock(statusMutex_);
            for (const std::string& line : statuses_)
                if (line.find(text) != std::string::npos) return true;
        }
        return false;
    }

private:
    std::unique_ptr<MonitorServer> server_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex serverMutex_, statusMutex_;
    std::vector<std::string> statuses_;
};

class MonitorTest : public FrameworkTest {};

TEST(MonitorServer, RefusesALiveSocketAndForeignFilesButReplacesAStaleOne) {
    const TempFolder folder;
    const fs::path socket = folder / "m.sock";
    std::string whyNot;
    {
        auto first = MonitorServer::listen(socket, {}, whyNot);
        ASSERT_TRUE(first) << whyNot;
        EXPECT_EQ(fs::status(socket).permissions(), fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_FALSE(MonitorServer::listen(socket, {}, whyNot));
        EXPECT_EQ(whyNot, "another monitor listens on " + socket.string());
    }
    EXPECT_FALSE(fs::exists(socket));  // a monitor that quits takes its socket along
    ::close(boundSocket(socket));      // a crashed one leaves its socket file behind
    EXPECT_EQ(connectToOwnSocket(socket), -1);
    EXPECT_TRUE(MonitorServer::listen(socket, {}, whyNot)) << whyNot;
    std::ofstream(socket) << "not a socket";
    EXPECT_FALSE(MonitorServer::listen(socket, {}, whyNot));
    EXPECT_EQ(whyNot, socket.string() + " exists and is not a socket of this user");
    EXPECT_EQ(bytesOf(socket), "not a socket");
}

TEST_F(MonitorTest, AMisbehavingMonitorEndsTheLinkAndNeverTheProgram) {
    const Reply hello = wire::answerFrame(static_cast<int32_t>(wire::version)), pause = wire::answerFrame(128),
                stillPaused = wire::answerFrame(1), wait = wire::answerFrame(0);
    struct Case {
        const char* name;
        Reply hello, atCreateFso;
        std::vector<Reply> waitReplies;
        std::chrono::milliseconds timeout;
        std::string frames;  // what the monitor received
    };
    const Case cases[] = {
        {"plain pause, the link goes on", hello, pause, {stillPaused, wait, wait}, 10s, "HTTTWWWTT"},
        {"no greeting back", std::string("HTTP/1.1 400\r\n\r\n"), wait, {}, 10s, "H"},
        {"garbage for an answer", hello, std::string("\x80garbage", 8), {}, 10s, "HTTT"},
        {"hangs up within the pause", hello, pause, {stillPaused, wait, std::nullopt}, 10s, "HTTTWWW"},
        {"never answers a record", hello, std::string(), {}, 200ms, "HTTT"},
        {"never answers within the pause", hello, pause, {stillPaused, wait, std::string()}, 200ms, "HTTTWWW"},
    };
    for (const Case& c : cases) {
        const fs::path socket = path("m" + std::to_string(&c - cases) + ".sock");
        std::deque<Reply> waits(c.waitReplies.begin(), c.waitReplies.end());
        ChildMonitor monitor(socket, [&](const wire::Frame& frame) -> Reply {
            if (frame.kind == wire::Kind::Hello) return c.hello;
            if (frame.payload.find("->\tmodMain : Sub CreateFSO") != std::string::npos) return c.atCreateFso;
            if (frame.kind != wire::Kind::Wait || waits.empty()) return wait;
            const Reply next = waits.front();
            return waits.pop_front(), next;
        });
        {
            ScopedFramework own;
            configure(*own);
            own->setMonitorFinder(socketMonitorFinder({socket, c.timeout}));
            ui->windowStates.clear();
            fsPUSH("modMain", "Sub Main", "");
            fsPUSH("modMain", "Sub CreateFSO", "");
            EXPECT_EQ(ui->windowStates, (c.atCreateFso == pause ? std::vector{false, true} : std::vector<bool>{}))
                << c.name;  // the windows are off within a pause, and a pause ends
            fsPOP("modMain", "Sub CreateFSO", "");
            fsPOP("modMain", "Sub Main", "");
            EXPECT_EQ(own->depth(), 0) << c.name;
        }
        EXPECT_EQ(monitor.kinds(), c.frames) << c.name;
    }
}

// Another user who gets past the socket's mode (opened wide on purpose) is
// still turned away by the check of the peer's credentials, and the traced
// side talks to no socket that another user made.
TEST(MonitorPeers, AProgramOfAnotherUserIsRefusedAndNoProgramTalksToAForeignMonitor) {
    if (::geteuid() != 0) GTEST_SKIP() << "becoming another user needs root";
    constexpr uid_t nobody = 65534;
    const TempFolder folder;
    ::chmod(folder.path().c_str(), 0777);
    const fs::path socket = folder / "m.sock", foreign = folder / "foreign.sock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const auto asNobody = [&](const std::function<int()>& body) {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(::setgid(nobody) != 0 || ::setuid(nobody) != 0 ? 90 : body());
        return child;
    };
    {
        ServedMonitor monitor(socket);
        ::chmod(socket.c_str(), 0666);
        const pid_t visitor = asNobody([&] {
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
        EXPECT_EQ(lumo::testing::waitForChild(visitor, 20s, "the visitor").status, 0);
        EXPECT_TRUE(monitor.said("refused a program of user 65534"));
        monitor.with([](MonitorServer& server) { EXPECT_EQ(server.programCount(), 0u); });
    }
    const pid_t listener = asNobody([&] {
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
}

}  // namespace
}  // namespace lumo::failsafe::testing
