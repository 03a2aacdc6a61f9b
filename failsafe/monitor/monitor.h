#pragma once
// The link to a trace monitor of another program: it receives every trace
// record and may ask the traced program to pause until it says go.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace lumo::failsafe {

class TraceMonitor {
public:
    static constexpr intptr_t PauseReply = 128;
    static constexpr int WaitRequest = 1124;
    static constexpr int WaitWhilePaused = 1;  // reply 0 ends the pause
    static constexpr int AskToGoOn = 2;        // a non-zero reply ends the pause

    virtual ~TraceMonitor() = default;
    // Hands over one record; PauseReply asks the program to pause.
    virtual intptr_t sendRecord(std::string_view record) = 0;
    virtual intptr_t sendWaitRequest(int request) = 0;
};

// Looks for a running monitor at start; empty when there is none.
using MonitorFinder = std::function<std::unique_ptr<TraceMonitor>()>;

}  // namespace lumo::failsafe
