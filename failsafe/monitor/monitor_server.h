#pragma once
// The monitor's end of the trace link: listens on the socket, answers every
// traced program of this user, and pauses them on request. A program is
// paused at its next record; while paused, its first wait request is held
// (up to wire::pauseHold) and then answered "still paused", so the program
// neither spins nor hangs. Resume lets every paused program go on.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "failsafe/monitor/monitor_wire.h"

namespace lumo::failsafe {

struct MonitorEvents {
    // One record as the program emitted it (with its CR LF).
    std::function<void(uint32_t processId, std::string_view record)> record;
    // Connections, pauses and departures, as one line of text.
    std::function<void(std::string_view line)> status;
};

class MonitorServer {
public:
    // Listens at `path` (mode 0600). A stale socket file of this user is
    // replaced; a live one, or any other file, is left alone and refused.
    static std::unique_ptr<MonitorServer> listen(const std::filesystem::path& path, MonitorEvents events,
                                                 std::string& whyNot);
    ~MonitorServer();
    MonitorServer(const MonitorServer&) = delete;
    MonitorServer& operator=(const MonitorServer&) = delete;

    // Waits up to `wait` for programs to connect or ask, and answers them.
    // True when `extraFd` (not watched when negative) became readable.
    bool serve(std::chrono::milliseconds wait, int extraFd = -1);

    void pause();   // every program stops at its next record
    void resume();  // every paused program goes on
    void step();    // paused programs go on to their next record and stop there
    bool pauseRequested() const { return pauseRequested_; }
    size_t programCount() const { return clients_.size(); }
    size_t pausedCount() const;

private:
    struct Client;
    MonitorServer(int fd, std::filesystem::path path, MonitorEvents events);
    void accept();
    // False when the client broke the protocol or left.
    bool handle(Client& client);
    bool answerFrame(Client& client, const wire::Frame& frame);
    void release(bool pauseAgain);
    void answerHeldWaits(bool onlyExpired);
    std::chrono::milliseconds untilNextHoldEnds(std::chrono::milliseconds wait) const;
    void say(const std::string& line) const;

    int fd_;
    std::filesystem::path path_;
    MonitorEvents events_;
    std::vector<std::unique_ptr<Client>> clients_;
    bool pauseRequested_ = false;
};

}  // namespace lumo::failsafe
