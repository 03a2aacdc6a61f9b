#pragma once
// The procedure mechanism that every procedure of the program runs under.
//
//   int32_t cLUMOAudio::Volume() {
//       Procedure proc("cLUMOAudio", "Property (Get) Volume", LogAndClear{"cLUMOAudio.Volume (Get)"});
//       int32_t volume = 0;
//       proc.step([&] { volume = player().settings().volume(); });
//       return volume;
//   }
//
// Creating the Procedure pushes the procedure onto the trace; leaving it by
// any way (a return, a statement that left after an error, an exception
// passing through) pops it. Each statement that can fail runs in step(); what
// a failure does depends on how the procedure handles errors:
//   Trap (the default): the framework's error entry decides: 1 retries the
//     statement, 2 goes on with the next one, anything else leaves: every
//     later step is skipped and the procedure returns the result it holds.
//   PassOver: the failure only means "not found" or "unknown"; the error
//     stays readable in Err() until the next failure or the procedure's end.
//   LogAndClear{location}: the error is noted in the error log under the
//     location text and cleared, and the procedure goes on.

#include <cxxabi.h>

#include <cstdint>
#include <string_view>
#include <variant>

#include "failsafe/runtime_error.h"
#include "failsafe/source_location.h"
#include "failsafe/trace/trace_stack.h"

namespace lumo::failsafe {

// A name known when the program is compiled; the trace keeps it by reference.
class TraceName {
public:
    template <size_t N>
    consteval TraceName(const char (&text)[N]) : text_(text, N - 1) {}
    constexpr std::string_view view() const { return text_; }

private:
    std::string_view text_;
};

struct Trap {};
struct PassOver {};
struct LogAndClear {
    std::string_view location;
};
using OnError = std::variant<Trap, PassOver, LogAndClear>;
// For the few procedures that run without a trace entry.
struct NoTrace {};

class Procedure {
public:
    explicit Procedure(TraceName module, TraceName procedure, OnError onError = Trap{})
        : module_(module.view()), procedure_(procedure.view()), onError_(onError) {
        tracePush(module_, procedure_, {});
    }
    Procedure(NoTrace, OnError onError) : traced_(false), onError_(onError) {}
    ~Procedure();
    Procedure(const Procedure&) = delete;
    Procedure& operator=(const Procedure&) = delete;

    // Runs one statement; true when it completed. A failed statement returns
    // false after the procedure's error handling has run.
    template <typename Statement>
    bool step(Statement&& statement, SourceLocation where = SourceLocation::current());

    // True once an error has sent the procedure to its exit.
    bool leaving() const { return leaving_; }

private:
    enum class Next { Retry, GoOn, Leave };
    Next handleFailure(std::exception_ptr failure, const SourceLocation& where);

    std::string_view module_, procedure_;
    bool traced_ = true;
    OnError onError_;
    bool leaving_ = false;
};

template <typename Statement>
bool Procedure::step(Statement&& statement, SourceLocation where) {
    if (leaving_) return false;
    for (;;) {
        try {
            statement();
            return true;
        } catch (abi::__forced_unwind&) {
            throw;  // thread cancellation must run its course
        } catch (...) {
            const Next next = handleFailure(std::current_exception(), where);
            if (next == Next::Retry) continue;
            if (next == Next::Leave) leaving_ = true;
            return false;
        }
    }
}

}  // namespace lumo::failsafe
