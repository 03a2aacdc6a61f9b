#include "failsafe/monitor/monitor_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "failsafe/local_socket.h"

namespace lumo::failsafe {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds answerTimeout{1000};

bool fillAddress(sockaddr_un& address, const std::filesystem::path& path) {
    const std::string& name = path.native();
    if (name.empty() || name.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.c_str(), name.size());
    return true;
}

// True when nobody listens on the socket file any more.
bool isStale(const sockaddr_un& address) {
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0) return false;
    const bool refused =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 && errno == ECONNREFUSED;
    ::close(probe);
    return refused;
}

std::string oneLine(std::string_view record) {
    std::string line(record.substr(0, 120));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

}  // namespace

struct MonitorServer::Client {
    int fd = -1;
    wire::FrameReader reader;
    bool greeted = false;
    uint32_t processId = 0;
    std::string name;
    bool paused = false;
    std::optional<Clock::time_point> holdEnds;  // a wait request 1 not yet answered

    std::string label() const { return name + " (pid " + std::to_string(processId) + ")"; }
};

std::unique_ptr<MonitorServer> MonitorServer::listen(const std::filesystem::path& path, MonitorEvents events,
                                                     std::string& whyNot) {
    sockaddr_un address{};
    if (!fillAddress(address, path)) {
        whyNot = "socket path too long: " + path.string();
        return nullptr;
    }
    struct stat existing{};
    if (::lstat(path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode) || existing.st_uid != ::geteuid()) {
            whyNot = path.string() + " exists and is not a socket of this user";
            return nullptr;
        }
        if (!isStale(address)) {
            whyNot = "another monitor listens on " + path.string();
            return nullptr;
        }
        ::unlink(path.c_str());
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    bool ok = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    // Peers are checked by user id too; the mode keeps other users from connecting at all.
    ok = ok && ::chmod(path.c_str(), 0600) == 0 && ::listen(fd, 16) == 0;
    if (!ok) {
        whyNot = "cannot listen on " + path.string() + ": " + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<MonitorServer>(new MonitorServer(fd, path, std::move(events)));
}

MonitorServer::MonitorServer(int fd, std::filesystem::path path, MonitorEvents events)
    : fd_(fd), path_(std::move(path)), events_(std::move(events)) {}

MonitorServer::~MonitorServer() {
    for (const auto& client : clients_) ::close(client->fd);
    ::close(fd_);
    ::unlink(path_.c_str());
}

size_t MonitorServer::pausedCount() const {
    size_t paused = 0;
    for (const auto& client : clients_) paused += client->paused ? 1 : 0;
    return paused;
}

void MonitorServer::say(const std::string& line) const {
    if (events_.status) events_.status(line);
}

bool MonitorServer::serve(std::chrono::milliseconds wait, int extraFd) {
    std::vector<pollfd> watched{{fd_, POLLIN, 0}};
    for (const auto& client : clients_) watched.push_back({client->fd, POLLIN, 0});
    if (extraFd >= 0) watched.push_back({extraFd, POLLIN, 0});
    const int polled = ::poll(watched.data(), watched.size(), static_cast<int>(untilNextHoldEnds(wait).count()));
    answerHeldWaits(true);
    if (polled <= 0) return false;
    // Clients first, by their place in the list as polled; new ones join after.
    std::vector<Client*> gone;
    for (size_t i = 0; i < clients_.size(); ++i)
        if (watched[i + 1].revents != 0 && !handle(*clients_[i])) gone.push_back(clients_[i].get());
    for (Client* client : gone) {
        say(client->label() + " left" + (client->paused ? " while paused" : ""));
        ::close(client->fd);
        std::erase_if(clients_, [client](const auto& c) { return c.get() == client; });
    }
    if (watched[0].revents & POLLIN) accept();
    return extraFd >= 0 && (watched.back().revents & (POLLIN | POLLHUP)) != 0;
}

void MonitorServer::accept() {
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    const auto uid = peerUid(fd);
    if (uid != ::geteuid()) {
        say("refused a program of user " + (uid ? std::to_string(*uid) : std::string("?")));
        ::close(fd);
        return;
    }
    auto client = std::make_unique<Client>();
    client->fd = fd;
    clients_.push_back(std::move(client));
}

bool MonitorServer::handle(Client& client) {
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::recv(client.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0) return false;
        if (got < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) break;
            return false;
        }
        client.reader.feed(std::string_view(buffer, static_cast<size_t>(got)));
    }
    // A held wait is answered first; what the program sends meanwhile waits its turn.
    while (!client.holdEnds) {
        auto frame = client.reader.next();
        if (!frame) break;
        if (!answerFrame(client, *frame)) return false;
    }
    if (client.reader.broken()) say(client.label() + " broke the protocol");
    return !client.reader.broken();
}

bool MonitorServer::answerFrame(Client& client, const wire::Frame& frame) {
    int32_t answer = 0;
    switch (frame.kind) {
        case wire::Kind::Hello: {
            const auto hello = wire::decodeHello(frame.payload);
            if (!hello || client.greeted) return false;
            client.greeted = true;
            client.processId = hello->processId;
            client.name = hello->programName;
            say(client.label() + " connected");
            answer = static_cast<int32_t>(wire::version);
            break;
        }
        case wire::Kind::Record:
            if (!client.greeted) return false;
            if (events_.record) events_.record(client.processId, frame.payload);
            if (pauseRequested_ && !client.paused) {
                client.paused = true;
                answer = 128;
                say(client.label() + " paused at " + oneLine(frame.payload));
            }
            break;
        case wire::Kind::Wait: {
            const auto request = wire::decodeWait(frame.payload);
            if (!request || !client.greeted) return false;
            if (*request == 1 && client.paused) {
                client.holdEnds = Clock::now() + wire::pauseHold;
                return true;
            }
            // Request 1: 0 ends the pause. Request 2: non-zero ends it.
            answer = *request == 2 && !client.paused ? 1 : 0;
            break;
        }
        case wire::Kind::Answer:
            return false;
    }
    return sendAllBefore(client.fd, wire::answerFrame(answer), deadlineIn(answerTimeout));
}

void MonitorServer::pause() { pauseRequested_ = true; }
void MonitorServer::resume() { release(false); }
void MonitorServer::step() { release(true); }

void MonitorServer::release(bool pauseAgain) {
    pauseRequested_ = pauseAgain;
    for (const auto& client : clients_) {
        if (!client->paused) continue;
        client->paused = false;
        say(client->label() + " goes on");
    }
    answerHeldWaits(false);
}

void MonitorServer::answerHeldWaits(bool onlyExpired) {
    const auto now = Clock::now();
    for (const auto& client : clients_) {
        if (!client->holdEnds || (onlyExpired && *client->holdEnds > now)) continue;
        client->holdEnds.reset();
        // Still paused: "go on waiting"; released: 0 ends the pause.
        if (!sendAllBefore(client->fd, wire::answerFrame(client->paused ? 1 : 0), deadlineIn(answerTimeout)))
            ::shutdown(client->fd, SHUT_RDWR);  // the next serve() sees it leave
        // Requests that came in while the wait was held.
        while (!client->holdEnds) {
            auto frame = client->reader.next();
            if (!frame) break;
            if (!answerFrame(*client, *frame)) {
                ::shutdown(client->fd, SHUT_RDWR);
                break;
            }
        }
    }
}

std::chrono::milliseconds MonitorServer::untilNextHoldEnds(std::chrono::milliseconds wait) const {
    const auto now = Clock::now();
    for (const auto& client : clients_) {
        if (!client->holdEnds) continue;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*client->holdEnds - now);
        wait = std::max(std::chrono::milliseconds(0), std::min(wait, left));
    }
    return wait;
}

}  // namespace lumo::failsafe
