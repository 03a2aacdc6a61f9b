#include "failsafe/trace/trace_stack.h"

#include <cstring>

namespace lumo::failsafe {
namespace {

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.data() == b.data() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

}  // namespace

void TraceStack::start(std::string startEntry, int64_t startTime) {
    levels_.assign(static_cast<size_t>(maxLevel) + 1, Level{});
    level_ = levels_.data();
    startEntry_ = std::move(startEntry);
    startTime_ = startTime;
    gate_.set(TraceGate::NotStarted, false);
}

void TraceStack::enter(std::string_view module, std::string_view procedure, std::string_view arguments) {
    ++depth_;
    if (Level* level = top()) {
        level->module = module;
        level->procedure = procedure;
        level->arguments = arguments;
    }
}

void TraceStack::leave() {
    if (Level* level = top()) level->mark = 0;
    --depth_;
}

TraceStack::Level* TraceStack::top() {
    if (depth_ < 1 || depth_ > maxLevel || levels_.empty()) return nullptr;
    return &levels_[static_cast<size_t>(depth_)];
}

const TraceStack::Level* TraceStack::top() const { return const_cast<TraceStack*>(this)->top(); }

bool TraceStack::topMatches(std::string_view module, std::string_view procedure) const {
    const Level* level = top();
    if (level == nullptr) return false;
    if (sameText(level->module, module) && sameText(level->procedure, procedure)) return true;
    // The entry only has to contain "module : procedure".
    std::string wanted;
    wanted.append(module).append(" : ").append(procedure);
    return entryText(depth_).find(wanted) != std::string::npos;
}

std::string TraceStack::entryBody(int32_t level) const {
    std::string body;
    if (level < 1 || level > maxLevel || levels_.empty()) return body;
    const Level& entry = levels_[static_cast<size_t>(level)];
    body.assign(static_cast<size_t>(level - 1), '\t');
    body.append(entry.module).append(" : ").append(entry.procedure).append(" : ").append(entry.arguments);
    return body;
}

std::string TraceStack::entryText(int32_t level) const {
    if (level == 0) return startEntry_;
    if (level < 0 || level > depth_ || level > maxLevel) return {};
    return " " + std::to_string(level) + " : " + entryBody(level);
}

int64_t TraceStack::levelTime(int32_t level) const {
    if (level < 0 || level > maxLevel || levels_.empty()) return 0;
    return level == 0 ? startTime_ * fixedPointScale : levels_[static_cast<size_t>(level)].time;
}

int16_t TraceStack::levelMark(int32_t level) const {
    if (level < 1 || level > maxLevel || levels_.empty()) return 0;
    return levels_[static_cast<size_t>(level)].mark;
}

}  // namespace lumo::failsafe
