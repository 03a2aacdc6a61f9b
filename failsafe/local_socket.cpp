#include "failsafe/local_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lumo::failsafe {

int millisecondsLeft(Deadline deadline) {
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 60'000));
}

bool sendAllBefore(int fd, std::string_view bytes, Deadline deadline) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        pollfd ready{fd, POLLOUT, 0};
        const int left = millisecondsLeft(deadline);
        if (left == 0) return false;
        const int polled = ::poll(&ready, 1, left);
        if (polled < 0 && errno != EINTR) return false;
        if (polled > 0 && (ready.revents & (POLLERR | POLLHUP | POLLNVAL))) return false;
    }
    return true;
}

std::optional<wire::Frame> readFrameBefore(int fd, wire::FrameReader& reader, Deadline deadline) {
    for (;;) {
        if (auto frame = reader.next()) return frame;
        if (reader.broken()) return std::nullopt;
        char buffer[4096];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) {
            reader.feed(std::string_view(buffer, static_cast<size_t>(got)));
            continue;
        }
        if (got == 0) return std::nullopt;  // closed
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return std::nullopt;
        pollfd ready{fd, POLLIN, 0};
        const int left = millisecondsLeft(deadline);
        if (left == 0) return std::nullopt;
        if (::poll(&ready, 1, left) < 0 && errno != EINTR) return std::nullopt;
    }
}

std::optional<uid_t> peerUid(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return std::nullopt;
    return credentials.uid;
}

int connectToOwnSocket(const std::filesystem::path& path) {
    sockaddr_un address{};
    const std::string& name = path.native();
    if (name.empty() || name.size() >= sizeof address.sun_path) return -1;
    struct stat file{};
    if (::lstat(name.c_str(), &file) != 0 || !S_ISSOCK(file.st_mode) || file.st_uid != ::geteuid()) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.c_str(), name.size());
    // A local connect completes at once or fails (EAGAIN: the backlog is full).
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || peerUid(fd) != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace lumo::failsafe
