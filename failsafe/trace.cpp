// The trace of the running procedures: push, pop, their records and the sinks.
#include <charconv>
#include <cstring>

#include "failsafe/framework.h"
#include "failsafe/messages.h"
#include "failsafe/record_format.h"

namespace lumo::failsafe {
namespace {

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.data() == b.data() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

}  // namespace

void Framework::pushTraced(std::string_view module, std::string_view procedure, std::string_view arguments) {
    if (settings_.frameworkOff || settings_.traceOff) return;
    if (!initialised_) [[unlikely]] start();
    if (records_ == 0 && monitor_) [[unlikely]] noteMonitorOverheadStart();
    if (errorWindowOpen_) [[unlikely]] waitWhileErrorWindowOpen();
    ++depth_;
    if (depth_ >= 1 && depth_ <= maxLevel) {
        Level& level = levels_[static_cast<size_t>(depth_)];
        level.module = module;
        level.procedure = procedure;
        level.arguments = arguments;
    }
    if (anySinkActive()) [[unlikely]] {
        guarded("fsPUSH()", [&] {
            if (depth_ >= 1 && depth_ <= maxLevel) levels_[static_cast<size_t>(depth_)].mark = 0;
            ++records_;
            emit(formatRecord(true));
        });
    }
    if (overheadStart_) [[unlikely]] {
        pushOverhead_ = elapsedFixedPoint() - *overheadStart_;
        overheadStart_.reset();
    }
}

void Framework::popTraced(std::string_view module, std::string_view procedure, std::string_view arguments) {
    (void)arguments;  // the match looks at module and procedure only
    if (settings_.frameworkOff || settings_.traceOff) return;
    if (records_ == 1 && monitor_) [[unlikely]] noteMonitorOverheadStart();
    if (errorWindowOpen_) [[unlikely]] waitWhileErrorWindowOpen();
    if (popMatches(module, procedure)) [[likely]] {
        if (anySinkActive()) [[unlikely]] {
            guarded("fsPOP()", [&] {
                ++records_;
                emit(formatRecord(false));
            });
        }
        levels_[static_cast<size_t>(depth_)].mark = 0;
        --depth_;
    } else {
        unbalancedPop(module, procedure);
    }
    if (overheadStart_) [[unlikely]] {
        popOverhead_ = elapsedFixedPoint() - *overheadStart_;
        overheadStart_.reset();
    }
}

bool Framework::popMatches(std::string_view module, std::string_view procedure) const {
    if (depth_ < 1 || depth_ > maxLevel) return false;
    const Level& level = levels_[static_cast<size_t>(depth_)];
    if (sameText(level.module, module) && sameText(level.procedure, procedure)) return true;
    // The entry only has to contain "module : procedure".
    std::string wanted;
    wanted.append(module).append(" : ").append(procedure);
    return entryText(depth_).find(wanted) != std::string::npos;
}

void Framework::unbalancedPop(std::string_view module, std::string_view procedure) {
    depth_ = 0;
    guarded("fsPOP()", [&] {
        ErrorSlot& first = error_.slots[0];
        const bool reportedByOtherProcedure =
            first.module.find(" << ") != std::string::npos && first.procedure.find(" << ") != std::string::npos;
        if (inDevEnvironment_ && !reportedByOtherProcedure) {
            std::string text;
            text.append(message(19)).append("\t").append(module).append("\r\n");
            text.append(message(30)).append("\t").append(procedure).append("\r\n\r\n");
            text.append(message(48)).append("\r\n\r\n").append(message(49)).append("\r\n\r\n");
            text.append(message(50)).append("\r\n").append(message(51));
            if (ui_->messageBox(text, box::OkCancel | box::Exclamation, message(53)) == box::Ok)
                services_->breakIntoDebugger();
        }
        first.module.clear();
        first.procedure.clear();
    });
}

void Framework::waitWhileErrorWindowOpen() {
    while (errorWindowOpen_) guarded("fsWAIT()", [&] { ui_->processPendingEvents(); });
}

void Framework::noteMonitorOverheadStart() { overheadStart_ = elapsedFixedPoint(); }

int64_t Framework::elapsedFixedPoint() const {
    return (services_->nowMilliseconds() - startTime_) * fixedPointScale;
}

std::string Framework::entryBody(int32_t level) const {
    std::string body;
    if (level < 1 || level > maxLevel) return body;
    const Level& entry = levels_[static_cast<size_t>(level)];
    body.assign(static_cast<size_t>(level - 1), '\t');
    body.append(entry.module).append(" : ").append(entry.procedure).append(" : ").append(entry.arguments);
    return body;
}

std::string Framework::entryText(int32_t level) const {
    if (level == 0) return startEntry_;
    if (level < 0 || level > depth_ || level > maxLevel) return {};
    return " " + std::to_string(level) + " : " + entryBody(level);
}

int64_t Framework::levelTime(int32_t level) const {
    if (level < 0 || level > maxLevel || levels_.empty()) return 0;
    return level == 0 ? startTime_ * fixedPointScale : levels_[static_cast<size_t>(level)].time;
}

int16_t Framework::levelMark(int32_t level) const {
    if (level < 1 || level > maxLevel || levels_.empty()) return 0;
    return levels_[static_cast<size_t>(level)].mark;
}

std::string_view Framework::formatRecord(bool isPush) {
    int64_t time = elapsedFixedPoint() - (isPush ? pushOverhead_ : popOverhead_);
    if (depth_ >= 1 && depth_ <= maxLevel) levels_[static_cast<size_t>(depth_)].time = time;
    std::string& record = recordBuffer_;  // keeps its capacity from record to record
    record.assign(exeTag_).append("[");
    appendCounter(record, records_);
    record.append("] [");
    appendTimeField(record, time);
    record.append(isPush ? "] ->" : "] <-");
    if (depth_ >= 1 && depth_ <= maxLevel) {
        const Level& entry = levels_[static_cast<size_t>(depth_)];
        record.append(static_cast<size_t>(depth_ - 1), '\t');
        record.append(entry.module).append(" : ").append(entry.procedure).append(" : ").append(entry.arguments);
    }
    if (!settings_.includeArguments) cutAfterProcedure(record);
    if (settings_.includeResources || settings_.includeMemory) {
        const MemoryStatus memory = memoryForRecord();
        char digits[24];
        if (settings_.includeResources) {
            record.append(" : [res = ");
            record.append(digits, std::to_chars(digits, digits + sizeof digits, memory.loadPercent).ptr);
            record.append("%");
        }
        if (settings_.includeMemory) {
            record.append(settings_.includeResources ? ", mem = " : " : [mem = ");
            record.append(digits, std::to_chars(digits, digits + sizeof digits, memory.availablePhysical).ptr);
        }
        record.append("]");
    }
    if (settings_.includeUser) record.append(" : ").append(userText());
    record.append("\r\n");
    return record;
}

void Framework::emit(std::string_view record) {
    if (settings_.captureToDisk != 0) guarded("fsTRACE()", [&] { writeLog(record); });
    if (settings_.circularLog) emitToCircularLog(record);
    if (monitor_) guarded("fsTRACE()", [&] { emitToMonitor(record); });
}

void Framework::emitToCircularLog(std::string_view record) {
    if (settings_.recordSize < 2) {
        refuseCircularLog("RecordSize " + std::to_string(settings_.recordSize) +
                              " leaves no room for a record and its line end",
                          error::InvalidProcedureCall);
        return;
    }
    if (!circular_.isOpen() && !openCircularLog()) return;
    circular_.write(record, settings_.recordSize, settings_.circularLimit);
}

bool Framework::openCircularLog() {
    if (!settings_.circularFile.empty() && circular_.open(settings_.circularFile)) return true;
    switchCircularLogOff();
    if (inDevEnvironment_)
        guarded("fsTRACE()", [&] {
            ui_->messageBox("Could not open circular log file " + settings_.circularFile, box::Critical,
                            "FailSafe" + message(24));
        });
    return false;
}

void Framework::switchCircularLogOff() {
    settings_.circularLog = false;
    circular_.close();
    refreshFastPath();
}

// Reading the memory figures costs several microseconds: records written in
// the same millisecond (the resolution of their time field) share one reading.
MemoryStatus Framework::memoryForRecord() {
    const int64_t now = services_->nowMilliseconds();
    if (now != memorySampledAt_) {
        memorySample_ = services_->memoryStatus().value_or(MemoryStatus{});
        memorySampledAt_ = now;
    }
    return memorySample_;
}

void Framework::emitToMonitor(std::string_view record) {
    if (monitor_->sendRecord(record) != TraceMonitor::PauseReply) return;
    ui_->setProgramWindowsEnabled(false);
    while (monitor_->sendWaitRequest(TraceMonitor::WaitWhilePaused) != 0) {
        ui_->processPendingEvents();
        if (monitor_->sendWaitRequest(TraceMonitor::AskToGoOn) != 0) break;
    }
    ui_->setProgramWindowsEnabled(true);
}

}  // namespace lumo::failsafe
