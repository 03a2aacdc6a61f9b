#pragma once
// The records of push and pop: the program tag, the record counter, the time
// since start, the entry and the figures the settings ask for.

#include <cstdint>
#include <string>
#include <string_view>

#include "failsafe/environment.h"
#include "failsafe/options/options.h"
#include "failsafe/trace/trace_stack.h"

namespace lumo::failsafe {

class TraceRecords {
public:
    TraceRecords(TraceStack& stack, const Options& options, Environment& environment)
        : stack_(stack), options_(options), environment_(environment) {}
    TraceRecords(const TraceRecords&) = delete;
    TraceRecords& operator=(const TraceRecords&) = delete;

    // The record of the level on top, in a buffer of its own, valid until the
    // next record.
    std::string_view format(bool isPush);
    // Milliseconds since start, fixed point.
    int64_t elapsed() const;
    // The monitor's cost is timed from here to the end of the push or pop.
    void noteOverheadStart() { stack_.overheadStart = elapsed(); }

private:
    MemoryStatus memoryForRecord();

    TraceStack& stack_;
    const Options& options_;
    Environment& environment_;
    std::string buffer_;
    int64_t memorySampledAt_ = -1;  // clock milliseconds of memorySample_
    MemoryStatus memorySample_;
};

}  // namespace lumo::failsafe
