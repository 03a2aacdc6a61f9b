#pragma once
// Where the framework's records and lines go: the log file (option 11 sends
// the trace there too), the circular log and a trace monitor. Failures inside
// the framework are reported here as well, to the log file and a box, so
// that every part can run its own steps guarded.

#include <cstdint>
#include <memory>
#include <string_view>

#include "failsafe/environment.h"
#include "failsafe/monitor/monitor.h"
#include "failsafe/options/options.h"
#include "failsafe/runtime_error.h"
#include "failsafe/source_location.h"
#include "failsafe/trace/circular_log.h"

namespace lumo::failsafe {

class Sinks {
public:
    Sinks(Environment& environment, Options& options, TraceGate& gate)
        : environment_(environment), options_(options), gate_(gate) {}
    Sinks(const Sinks&) = delete;
    Sinks& operator=(const Sinks&) = delete;

    void setMonitorFinder(MonitorFinder finder) { findMonitor_ = std::move(finder); }
    // Looks for a monitor once, at start.
    void linkMonitor();
    bool monitorLinked() const { return monitor_ != nullptr; }
    // Any sink of the trace is on.
    bool recording() const;

    // One record to every sink that is on.
    void emit(std::string_view record);
    // One line to the log file, when writing to it is on.
    void writeLog(std::string_view text);

    bool openCircularLog();
    // The next record opens the file the settings name.
    void closeCircularLog() { circular_.close(); }
    // The circular log cannot work: switched off and the reason reported.
    void refuseCircularLog(std::string_view why, int32_t number);

    // Reports a failure inside the framework itself and lets the caller go on.
    void reportInternalError(std::string_view operation, int32_t line, const RuntimeError& error) noexcept;
    // Runs one step of the framework's own work; a failure goes to the internal
    // error report and the framework goes on with its next step.
    template <typename Step>
    void guarded(std::string_view operation, Step&& step, SourceLocation where = SourceLocation::current()) noexcept;

private:
    void switchCircularLogOff();
    void emitToCircularLog(std::string_view record);
    void emitToMonitor(std::string_view record);
    void setMonitor(std::unique_ptr<TraceMonitor> monitor);

    Environment& environment_;
    Options& options_;
    TraceGate& gate_;
    CircularLog circular_;
    MonitorFinder findMonitor_;
    std::unique_ptr<TraceMonitor> monitor_;
};

template <typename Step>
void Sinks::guarded(std::string_view operation, Step&& step, SourceLocation where) noexcept {
    try {
        step();
    } catch (...) {
        reportInternalError(operation, static_cast<int32_t>(where.line()), toRuntimeError(std::current_exception()));
    }
}

}  // namespace lumo::failsafe
