#pragma once
// The trace stack: the running procedures, a level each, and what the records
// of push and pop need of them. Push and pop run around every procedure, so
// their short path lives here, inline, and builds no text; the full push and
// pop (the framework's, with the sinks and the error window) run whenever the
// gate is closed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::failsafe {

// Why push and pop cannot take the short path. Each reason belongs to the
// part that holds the state behind it, and that part writes its reason in the
// one setter of that state, so the gate always follows the state.
class TraceGate {
public:
    enum Reason : uint8_t {
        NotStarted = 1 << 0,       // the trace stack
        TracingOff = 1 << 1,       // the options: framework or trace switched off
        Recording = 1 << 2,        // the options: log file capture or circular log on
        MonitorLinked = 1 << 3,    // the sinks
        ErrorWindowOpen = 1 << 4,  // the error entry
    };

    bool open() const { return closed_ == 0; }
    bool holds(Reason reason) const { return (closed_ & reason) != 0; }
    void set(Reason reason, bool holds) {
        closed_ = static_cast<uint8_t>(holds ? closed_ | reason : closed_ & ~reason);
    }

private:
    uint8_t closed_ = NotStarted;
};

class TraceStack {
public:
    static constexpr int32_t maxLevel = 1000;
    static constexpr int64_t fixedPointScale = 10000;  // times are milliseconds with four decimals

    struct Level {
        std::string_view module, procedure, arguments;
        int64_t time = 0;
        int16_t mark = 0;
    };

    // The short path: false, with nothing done, when the gate is closed. The
    // texts are kept by reference until the matching pop.
    bool tryPush(std::string_view module, std::string_view procedure, std::string_view arguments);
    // Only a pop of the texts on top, as the procedure mechanism passes them.
    bool tryPop(std::string_view module, std::string_view procedure);

    TraceGate& gate() { return gate_; }
    const TraceGate& gate() const { return gate_; }
    bool started() const { return !gate_.holds(TraceGate::NotStarted); }
    // Makes room for every level and names level 0.
    void start(std::string startEntry, int64_t startTime);

    // The full path's moves: enter stores the level (when within the limit),
    // leave takes the top one off, reset forgets every level.
    void enter(std::string_view module, std::string_view procedure, std::string_view arguments);
    void leave();
    void reset() { depth_ = 0; }
    // The top level is "module : procedure", by its texts or as its entry says.
    bool topMatches(std::string_view module, std::string_view procedure) const;
    // The level on top when within the limit, else nothing.
    Level* top();
    const Level* top() const;
    uint32_t countRecord() { return ++records_; }

    int32_t depth() const { return depth_; }
    uint32_t records() const { return records_; }
    int64_t startTime() const { return startTime_; }
    const std::string& startEntry() const { return startEntry_; }
    // The entry of a level as a reader sees it: level prefix, tabs, module,
    // procedure and arguments; level 0 is the start entry.
    std::string entryText(int32_t level) const;
    // The same without the level prefix.
    std::string entryBody(int32_t level) const;
    int64_t levelTime(int32_t level) const;
    int16_t levelMark(int32_t level) const;

    // The monitor's own cost, timed on the first push and pop it receives and
    // taken off every later record's time.
    int64_t pushOverhead = 0, popOverhead = 0;
    std::optional<int64_t> overheadStart;

private:
    TraceGate gate_;
    std::vector<Level> levels_;
    Level* level_ = nullptr;  // levels_.data(), for the short path
    int32_t depth_ = 0;
    uint32_t records_ = 0;
    std::string startEntry_;
    int64_t startTime_ = 0;  // clock milliseconds
};

inline bool TraceStack::tryPush(std::string_view module, std::string_view procedure, std::string_view arguments) {
    if (!gate_.open()) [[unlikely]]
        return false;
    if (++depth_ <= maxLevel) [[likely]] {
        Level& level = level_[depth_];
        level.module = module;
        level.procedure = procedure;
        level.arguments = arguments;
    }
    return true;
}

inline bool TraceStack::tryPop(std::string_view module, std::string_view procedure) {
    if (!gate_.open() || depth_ < 1 || depth_ > maxLevel) [[unlikely]]
        return false;
    Level& level = level_[depth_];
    if (level.module.data() != module.data() || level.module.size() != module.size() ||
        level.procedure.data() != procedure.data() || level.procedure.size() != procedure.size()) [[unlikely]]
        return false;
    level.mark = 0;
    --depth_;
    return true;
}

// The trace stack of this process's framework, and its full push and pop.
TraceStack& traceStack();
void pushTraced(std::string_view module, std::string_view procedure, std::string_view arguments);
void popTraced(std::string_view module, std::string_view procedure, std::string_view arguments);

// Push and pop, by the short path when the gate is open.
inline void tracePush(std::string_view module, std::string_view procedure, std::string_view arguments) {
    if (!traceStack().tryPush(module, procedure, arguments)) [[unlikely]]
        pushTraced(module, procedure, arguments);
}
inline void tracePop(std::string_view module, std::string_view procedure, std::string_view arguments) {
    if (!traceStack().tryPop(module, procedure)) [[unlikely]]
        popTraced(module, procedure, arguments);
}

}  // namespace lumo::failsafe
