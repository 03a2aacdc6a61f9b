#pragma once
// The trace monitor of another program, reached over its local socket. Every
// request waits for its answer a bounded time only: a monitor that goes away,
// breaks the framing or stops answering ends the link, and from then on every
// request answers 0 at once (no pause, or the end of one).

#include <chrono>
#include <filesystem>
#include <memory>

#include "failsafe/monitor/monitor.h"
#include "failsafe/monitor/monitor_wire.h"

namespace lumo::failsafe {

struct MonitorLinkOptions {
    std::filesystem::path socket = wire::defaultSocketPath();
    // Longest wait for any answer, the greeting included.
    std::chrono::milliseconds answerTimeout{2000};
};

class SocketTraceMonitor final : public TraceMonitor {
public:
    // Connects and greets; nothing when no monitor of this user answers.
    static std::unique_ptr<SocketTraceMonitor> connect(const MonitorLinkOptions& options = {});
    ~SocketTraceMonitor() override;
    SocketTraceMonitor(const SocketTraceMonitor&) = delete;
    SocketTraceMonitor& operator=(const SocketTraceMonitor&) = delete;

    intptr_t sendRecord(std::string_view record) override;
    intptr_t sendWaitRequest(int request) override;
    bool connected() const { return fd_ >= 0; }

private:
    SocketTraceMonitor(int fd, std::chrono::milliseconds answerTimeout) : fd_(fd), answerTimeout_(answerTimeout) {}
    // Sends one request and returns its answer; 0 and the link closed on failure.
    int32_t ask(const std::string& frame);
    void disconnect();

    int fd_;
    std::chrono::milliseconds answerTimeout_;
    wire::FrameReader reader_;
};

// The finder that start-up gives the framework (Framework::setMonitorFinder).
MonitorFinder socketMonitorFinder(MonitorLinkOptions options = {});

}  // namespace lumo::failsafe
