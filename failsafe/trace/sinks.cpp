#include "failsafe/trace/sinks.h"

#include "failsafe/file_append.h"

namespace lumo::failsafe {

void Sinks::setMonitor(std::unique_ptr<TraceMonitor> monitor) {
    monitor_ = std::move(monitor);
    gate_.set(TraceGate::MonitorLinked, monitor_ != nullptr);
}

void Sinks::linkMonitor() {
    if (findMonitor_) setMonitor(findMonitor_());
}

bool Sinks::recording() const {
    const Settings& settings = options_.settings();
    return settings.captureToDisk != 0 || monitor_ || settings.circularLog;
}

void Sinks::emit(std::string_view record) {
    const Settings& settings = options_.settings();
    if (settings.captureToDisk != 0) guarded("fsTRACE()", [&] { writeLog(record); });
    if (settings.circularLog) emitToCircularLog(record);
    if (monitor_) guarded("fsTRACE()", [&] { emitToMonitor(record); });
}

void Sinks::writeLog(std::string_view text) {
    const Settings& settings = options_.settings();
    if (!settings.writeToDisk) return;
    std::string line(text);
    line += "\r\n";
    appendToFile(settings.logFile, line);
}

void Sinks::emitToCircularLog(std::string_view record) {
    const Settings& settings = options_.settings();
    if (settings.recordSize < 2) {
        refuseCircularLog("RecordSize " + std::to_string(settings.recordSize) +
                              " leaves no room for a record and its line end",
                          error::InvalidProcedureCall);
        return;
    }
    if (!circular_.isOpen() && !openCircularLog()) return;
    circular_.write(record, settings.recordSize, settings.circularLimit);
}

bool Sinks::openCircularLog() {
    const std::string& file = options_.settings().circularFile;
    if (!file.empty() && circular_.open(file)) return true;
    switchCircularLogOff();
    if (environment_.inDevEnvironment())
        guarded("fsTRACE()", [&] {
            environment_.ui().messageBox("Could not open circular log file " + options_.settings().circularFile,
                                         box::Critical, "FailSafe" + environment_.message(24));
        });
    return false;
}

void Sinks::switchCircularLogOff() {
    options_.update([](Settings& s) { s.circularLog = false; });
    circular_.close();
}

void Sinks::refuseCircularLog(std::string_view why, int32_t number) {
    switchCircularLogOff();
    reportInternalError("fsSTART()", 0, RuntimeError(number, "Circular log switched off: " + std::string(why)));
}

void Sinks::emitToMonitor(std::string_view record) {
    if (monitor_->sendRecord(record) != TraceMonitor::PauseReply) return;
    UserInterface& ui = environment_.ui();
    ui.setProgramWindowsEnabled(false);
    while (monitor_->sendWaitRequest(TraceMonitor::WaitWhilePaused) != 0) {
        ui.processPendingEvents();
        if (monitor_->sendWaitRequest(TraceMonitor::AskToGoOn) != 0) break;
    }
    ui.setProgramWindowsEnabled(true);
}

void Sinks::reportInternalError(std::string_view operation, int32_t line, const RuntimeError& error) noexcept {
    const Environment& env = environment_;
    try {
        std::string text = "Line Number: " + std::to_string(line) + " " + std::string(operation) + " " +
                           env.message(23) + " " + std::to_string(error.number()) + ", '" + error.description() +
                           "', inside FAILSAFE\r\n";
        try {
            writeLog("FailSafe" + env.message(24) + ": " + text.substr(0, text.size() - 2));
        } catch (...) {
        }
        env.ui().messageBox(text, box::Critical, "FailSafe" + env.message(24));
    } catch (...) {
        try {
            env.ui().messageBox(env.message(25) + std::to_string(error.number()) + env.message(26) +
                                    std::to_string(line),
                                box::OkOnly, "");
        } catch (...) {
        }
    }
}

}  // namespace lumo::failsafe
