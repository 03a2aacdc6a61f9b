#pragma once
// The error entry: what a procedure's trap hands a run-time error to. It
// fills the intercepted error from the error state and the trace, asks the
// user (or the preset answer) what to do, and notes the errors that
// procedures log and clear.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "failsafe/environment.h"
#include "failsafe/errors/intercepted_error.h"
#include "failsafe/options/options.h"
#include "failsafe/runtime_error.h"
#include "failsafe/trace/sinks.h"
#include "failsafe/trace/trace_stack.h"

namespace lumo::failsafe {

class ErrorEntry {
public:
    ErrorEntry(Environment& environment, const Options& options, const TraceStack& stack, Sinks& sinks,
               TraceGate& gate)
        : environment_(environment), options_(options), stack_(stack), sinks_(sinks), gate_(gate) {}
    ErrorEntry(const ErrorEntry&) = delete;
    ErrorEntry& operator=(const ErrorEntry&) = delete;

    void setErrorWindow(std::shared_ptr<ErrorWindow> window) { window_ = std::move(window); }
    void setUserActionProvider(std::function<int16_t()> provider) { userActionProvider_ = std::move(provider); }
    void setSystemReportBuilder(std::function<std::string()> builder) { buildSystemReport_ = std::move(builder); }

    // While the error window is open, push and pop wait for it.
    bool windowOpen() const { return gate_.holds(TraceGate::ErrorWindowOpen); }
    void setWindowOpen(bool open) { gate_.set(TraceGate::ErrorWindowOpen, open); }
    void waitWhileWindowOpen();

    // The steps of an interception, in the order the framework runs them.
    void fillErrorSlots(std::string_view module, std::string_view procedure, const ErrorState& runtime);
    std::string errorRecord() const;
    void copyCallTree();
    void gatherSystemReport();
    // 1 retry, 2 next statement, anything else (or nothing) leave.
    std::optional<int16_t> askWhatToDo();

    int16_t userAction();
    const InterceptedError& lastError() const { return error_; }
    InterceptedError& lastError() { return error_; }

    // Where the errors that procedures log and clear are noted: the
    // program's own error-log procedure, which writes them with
    // writeCaughtError. Without one they are written here directly.
    using CaughtErrorHandler = std::function<void(std::string_view, int32_t, int32_t, std::string_view)>;
    void setCaughtErrorHandler(CaughtErrorHandler handler) { caughtErrorHandler_ = std::move(handler); }
    void logCaughtError(std::string_view location, int32_t line, int32_t number, std::string_view description);
    // The one line of the log file for a caught error (location text such as
    // "cLUMOAudio.Volume (Let)", line, number, description).
    void writeCaughtError(std::string_view location, int32_t line, int32_t number, std::string_view description);

private:
    Environment& environment_;
    const Options& options_;
    const TraceStack& stack_;
    Sinks& sinks_;
    TraceGate& gate_;
    std::shared_ptr<ErrorWindow> window_;
    std::function<int16_t()> userActionProvider_;
    std::function<std::string()> buildSystemReport_;
    CaughtErrorHandler caughtErrorHandler_;
    InterceptedError error_;
};

}  // namespace lumo::failsafe
