#include "failsafe/monitor/monitor_link.h"

#include <errno.h>
#include <unistd.h>

#include "failsafe/local_socket.h"

namespace lumo::failsafe {

std::unique_ptr<SocketTraceMonitor> SocketTraceMonitor::connect(const MonitorLinkOptions& options) {
    const int fd = connectToOwnSocket(options.socket);
    if (fd < 0) return nullptr;
    std::unique_ptr<SocketTraceMonitor> link(new SocketTraceMonitor(fd, options.answerTimeout));
    const int32_t version =
        link->ask(wire::helloFrame(static_cast<uint32_t>(::getpid()), program_invocation_short_name));
    if (version <= 0) return nullptr;  // not a monitor that speaks the protocol
    return link;
}

SocketTraceMonitor::~SocketTraceMonitor() { disconnect(); }

void SocketTraceMonitor::disconnect() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

intptr_t SocketTraceMonitor::sendRecord(std::string_view record) { return ask(wire::recordFrame(record)); }

intptr_t SocketTraceMonitor::sendWaitRequest(int request) { return ask(wire::waitFrame(request, 0)); }

int32_t SocketTraceMonitor::ask(const std::string& frame) {
    if (fd_ < 0) return 0;
    const Deadline deadline = deadlineIn(answerTimeout_);
    std::optional<wire::Frame> answer;
    if (sendAllBefore(fd_, frame, deadline)) answer = readFrameBefore(fd_, reader_, deadline);
    std::optional<int32_t> value;
    if (answer && answer->kind == wire::Kind::Answer) value = wire::decodeAnswer(answer->payload);
    if (!value) {
        disconnect();
        return 0;
    }
    return *value;
}

MonitorFinder socketMonitorFinder(MonitorLinkOptions options) {
    return [options]() -> std::unique_ptr<TraceMonitor> { return SocketTraceMonitor::connect(options); };
}

}  // namespace lumo::failsafe
