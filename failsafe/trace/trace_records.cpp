#include "failsafe/trace/trace_records.h"

#include <charconv>

#include "failsafe/trace/record_format.h"

namespace lumo::failsafe {

int64_t TraceRecords::elapsed() const {
    return (environment_.services().nowMilliseconds() - stack_.startTime()) * TraceStack::fixedPointScale;
}

std::string_view TraceRecords::format(bool isPush) {
    const Settings& settings = options_.settings();
    const int64_t time = elapsed() - (isPush ? stack_.pushOverhead : stack_.popOverhead);
    TraceStack::Level* top = stack_.top();
    if (top != nullptr) top->time = time;
    std::string& record = buffer_;  // keeps its capacity from record to record
    record.assign(environment_.exeTag()).append("[");
    appendCounter(record, stack_.records());
    record.append("] [");
    appendTimeField(record, time);
    record.append(isPush ? "] ->" : "] <-");
    if (top != nullptr) {
        record.append(static_cast<size_t>(stack_.depth() - 1), '\t');
        record.append(top->module).append(" : ").append(top->procedure).append(" : ").append(top->arguments);
    }
    if (!settings.includeArguments) cutAfterProcedure(record);
    if (settings.includeResources || settings.includeMemory) {
        const MemoryStatus memory = memoryForRecord();
        char digits[24];
        if (settings.includeResources) {
            record.append(" : [res = ");
            record.append(digits, std::to_chars(digits, digits + sizeof digits, memory.loadPercent).ptr);
            record.append("%");
        }
        if (settings.includeMemory) {
            record.append(settings.includeResources ? ", mem = " : " : [mem = ");
            record.append(digits, std::to_chars(digits, digits + sizeof digits, memory.availablePhysical).ptr);
        }
        record.append("]");
    }
    if (settings.includeUser) record.append(" : ").append(environment_.userText());
    record.append("\r\n");
    return record;
}

// Reading the memory figures costs several microseconds: records written in
// the same millisecond (the resolution of their time field) share one reading.
MemoryStatus TraceRecords::memoryForRecord() {
    SystemServices& services = environment_.services();
    const int64_t now = services.nowMilliseconds();
    if (now != memorySampledAt_) {
        memorySample_ = services.memoryStatus().value_or(MemoryStatus{});
        memorySampledAt_ = now;
    }
    return memorySample_;
}

}  // namespace lumo::failsafe
