#pragma once
// A trace monitor that a test scripts frame by frame: it listens on a socket
// of its own, takes one program, and answers each frame with what the script
// says (bytes, silence, or hanging up). Every wait is bounded, so a test can
// fail but never hang.

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "failsafe/monitor_wire.h"

namespace lumo::failsafe::testing {

class TestMonitor {
public:
    // The bytes to send back; nothing to hang up.
    using Script = std::function<std::optional<std::string>(const wire::Frame&)>;

    // Answers every request with 0, the greeting with the protocol version.
    static std::optional<std::string> plainAnswers(const wire::Frame& frame) {
        return wire::answerFrame(frame.kind == wire::Kind::Hello ? static_cast<int32_t>(wire::version) : 0);
    }

    explicit TestMonitor(const std::filesystem::path& socket) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::chmod(socket.c_str(), 0600);
        ::listen(listener_, 4);
        if (::pipe2(stop_, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    }
    ~TestMonitor() {
        ::close(stop_[1]);  // a program still linked is left as if the monitor quit
        if (thread_.joinable()) thread_.join();
        ::close(stop_[0]);
        ::close(listener_);
    }

    void start(Script script) {
        thread_ = std::thread([this, script = std::move(script)] { serve(script); });
    }
    // The kinds of the frames received so far, one letter each.
    std::string kinds() {
        std::lock_guard lock(mutex_);
        return kinds_;
    }

private:
    static constexpr int safetyLimitMs = 20'000;

    void serve(const Script& script) {
        if (!readable(listener_)) return;
        const int program = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        wire::FrameReader reader;
        for (bool open = true; open;) {
            char buffer[4096];
            const ssize_t got = readable(program) ? ::recv(program, buffer, sizeof buffer, 0) : 0;
            if (got <= 0) break;
            reader.feed(std::string_view(buffer, static_cast<size_t>(got)));
            while (auto frame = reader.next()) {
                {
                    std::lock_guard lock(mutex_);
                    kinds_.push_back(static_cast<char>(frame->kind));
                }
                const std::optional<std::string> reply = script(*frame);
                if (!reply) {
                    open = false;
                    break;
                }
                ::send(program, reply->data(), reply->size(), MSG_NOSIGNAL);
            }
        }
        ::close(program);
    }

    // False when the test is over or the safety limit has passed.
    bool readable(int fd) {
        pollfd watched[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
        return ::poll(watched, 2, safetyLimitMs) > 0 && watched[1].revents == 0;
    }

    int listener_ = -1;
    int stop_[2] = {-1, -1};
    std::thread thread_;
    std::mutex mutex_;
    std::string kinds_;
};

}  // namespace lumo::failsafe::testing
