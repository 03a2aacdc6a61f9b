#pragma once
// FailSafe, the error-trapping framework, as one object per process: it owns
// the parts (the trace stack and its records, the options, the sinks, the
// error entry, the reports) and runs the operations that need several of them
// (start, the full push and pop, the interception of an error). The program
// sets the seams here; the procedure mechanism needs only the trace stack
// (trace/trace_stack.h). It runs on the program's user-interface thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "failsafe/environment.h"
#include "failsafe/errors/error_entry.h"
#include "failsafe/mail/report_mailing.h"
#include "failsafe/options/options.h"
#include "failsafe/trace/sinks.h"
#include "failsafe/trace/trace_records.h"
#include "failsafe/trace/trace_stack.h"

namespace lumo::failsafe {

class Framework {
public:
    static constexpr int32_t maxLevel = TraceStack::maxLevel;
    static constexpr int64_t fixedPointScale = TraceStack::fixedPointScale;

    Framework();
    ~Framework();
    Framework(const Framework&) = delete;
    Framework& operator=(const Framework&) = delete;

    // The parts.
    Environment& environment() { return environment_; }
    TraceStack& trace() { return stack_; }
    Options& options() { return options_; }
    Sinks& sinks() { return sinks_; }
    ErrorEntry& errors() { return errors_; }
    Reports& reports() { return reports_; }

    // Seams, set before the first procedure runs.
    void setServices(std::unique_ptr<SystemServices> services) { environment_.setServices(std::move(services)); }
    void setUserInterface(std::shared_ptr<UserInterface> ui) { environment_.setUserInterface(std::move(ui)); }
    void setProgram(ProgramInfo program) { environment_.setProgram(std::move(program)); }
    void setMonitorFinder(MonitorFinder finder) { sinks_.setMonitorFinder(std::move(finder)); }
    void setSystemReportBuilder(std::function<std::string()> builder) {
        errors_.setSystemReportBuilder(std::move(builder));
    }
    void setErrorWindow(std::shared_ptr<ErrorWindow> window) { errors_.setErrorWindow(std::move(window)); }
    void setUserActionProvider(std::function<int16_t()> provider) {
        errors_.setUserActionProvider(std::move(provider));
    }
    void setMailSender(MailSender sender) { reports_.setMailSender(std::move(sender)); }
    void setDefectFactsProvider(DefectFactsProvider provider) { reports_.setDefectFactsProvider(std::move(provider)); }

    // The trace. The texts are kept by reference until the matching pop: pass
    // texts that live that long (the procedure mechanism passes literals).
    void push(std::string_view module, std::string_view procedure, std::string_view arguments) {
        if (!stack_.tryPush(module, procedure, arguments)) pushTraced(module, procedure, arguments);
    }
    void pop(std::string_view module, std::string_view procedure, std::string_view arguments) {
        if (!stack_.tryPop(module, procedure)) popTraced(module, procedure, arguments);
    }
    // The same with every rule applied, whatever the state: the slow path of
    // push and pop.
    void pushTraced(std::string_view module, std::string_view procedure, std::string_view arguments);
    void popTraced(std::string_view module, std::string_view procedure, std::string_view arguments);
    void start();
    void emit(std::string_view record) { sinks_.emit(record); }

    // Options, log writer, messages.
    Value option(int number, const Value& value);
    void writeLog(std::string_view text) { sinks_.writeLog(text); }
    std::string message(int number) const { return environment_.message(number); }
    std::string userText() const { return environment_.userText(); }

    // The error entry: returns 1 retry, 2 next statement, anything else (or
    // nothing) leave the procedure.
    std::optional<int16_t> interceptError(std::string_view module, std::string_view procedure);
    int16_t userAction() { return errors_.userAction(); }
    void logErrorReport() { reports_.logErrorReport(); }
    void mailReport() { reports_.mailReport(); }
    void defectReport() { reports_.defectReport(); }
    void setCaughtErrorHandler(ErrorEntry::CaughtErrorHandler handler) {
        errors_.setCaughtErrorHandler(std::move(handler));
    }
    void logCaughtError(std::string_view location, int32_t line, int32_t number, std::string_view description) {
        errors_.logCaughtError(location, line, number, description);
    }
    void writeCaughtError(std::string_view location, int32_t line, int32_t number, std::string_view description) {
        errors_.writeCaughtError(location, line, number, description);
    }
    void reportInternalError(std::string_view operation, int32_t line, const RuntimeError& error) noexcept {
        sinks_.reportInternalError(operation, line, error);
    }

    // Readers of the framework's state.
    bool initialised() const { return stack_.started(); }
    bool inDevEnvironment() const { return environment_.inDevEnvironment(); }
    bool monitorPresent() const { return sinks_.monitorLinked(); }
    bool errorWindowOpen() const { return errors_.windowOpen(); }
    void setErrorWindowOpen(bool open) { errors_.setWindowOpen(open); }
    int32_t depth() const { return stack_.depth(); }
    uint32_t records() const { return stack_.records(); }
    std::string entryText(int32_t level) const { return stack_.entryText(level); }
    int64_t levelTime(int32_t level) const { return stack_.levelTime(level); }
    int16_t levelMark(int32_t level) const { return stack_.levelMark(level); }
    const Settings& settings() const { return options_.settings(); }
    const ProgramInfo& program() const { return environment_.program(); }
    const std::string& exeTag() const { return environment_.exeTag(); }
    const std::string& projectName() const { return environment_.projectName(); }
    const InterceptedError& lastError() const { return errors_.lastError(); }
    std::filesystem::path optionsFile() const { return environment_.program().folder / "FSCLIENT.INI"; }
    std::filesystem::path errorReportFile() const { return reports_.errorReportFile(); }
    UserInterface& ui() { return environment_.ui(); }
    SystemServices& services() { return environment_.services(); }
    std::string dateText() const { return environment_.dateText(); }
    std::string timeText() const { return environment_.timeText(); }

private:
    void unbalancedPop(std::string_view module, std::string_view procedure);
    void readOptionsFile();

    // In the order each needs the ones before it.
    TraceStack stack_;
    Options options_{stack_.gate()};
    Environment environment_;
    Sinks sinks_{environment_, options_, stack_.gate()};
    TraceRecords records_{stack_, options_, environment_};
    ErrorEntry errors_{environment_, options_, stack_, sinks_, stack_.gate()};
    Reports reports_{environment_, options_, errors_, sinks_};
};

// The framework of this process.
Framework& framework();

// Puts a framework of its own in place of the process's for the life of the
// object, so that a test starts from a framework that has never run.
class ScopedFramework {
public:
    ScopedFramework();
    ~ScopedFramework();
    ScopedFramework(const ScopedFramework&) = delete;
    ScopedFramework& operator=(const ScopedFramework&) = delete;
    Framework& operator*() { return *framework_; }
    Framework* operator->() { return framework_.get(); }

private:
    std::unique_ptr<Framework> framework_;
    Framework* previous_;
};

}  // namespace lumo::failsafe
