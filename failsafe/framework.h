#pragma once
// FailSafe, the error-trapping framework: the trace of the running procedures
// and its sinks, the numbered options, the log writer and messages, and the
// error entry. One instance serves the process; every procedure of the
// program reaches it through the procedure mechanism (procedure.h). It runs
// on the program's user-interface thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "failsafe/circular_log.h"
#include "failsafe/intercepted_error.h"
#include "failsafe/mail_delivery.h"
#include "failsafe/mail_reports.h"
#include "failsafe/monitor.h"
#include "failsafe/runtime_error.h"
#include "failsafe/services.h"
#include "failsafe/settings.h"
#include "failsafe/source_location.h"
#include "failsafe/user_interface.h"
#include "failsafe/value.h"

namespace lumo::failsafe {

// Receives the errors that a procedure logs and clears (location text such as
// "cLUMOAudio.Volume (Let)", line, number, description).
using ErrorLogHandler = std::function<void(std::string_view, int32_t, int32_t, std::string_view)>;

class Framework {
public:
    static constexpr int32_t maxLevel = 1000;
    static constexpr int64_t fixedPointScale = 10000;  // times are milliseconds with four decimals

    Framework();
    ~Framework();
    Framework(const Framework&) = delete;
    Framework& operator=(const Framework&) = delete;

    // Seams, set before the first procedure runs.
    void setServices(std::unique_ptr<SystemServices> services);
    void setUserInterface(std::shared_ptr<UserInterface> ui);
    void setProgram(ProgramInfo program);
    void setMonitorFinder(MonitorFinder finder);
    void setSystemReportBuilder(std::function<std::string()> builder);
    void setErrorWindow(std::shared_ptr<ErrorWindow> window);
    void setUserActionProvider(std::function<int16_t()> provider);
    void setErrorLogHandler(ErrorLogHandler handler);
    void setMailSender(MailSender sender);
    void setDefectFactsProvider(DefectFactsProvider provider);

    // The trace. The texts are kept by reference until the matching pop: pass
    // texts that live that long (the procedure mechanism passes literals).
    void push(std::string_view module, std::string_view procedure, std::string_view arguments);
    void pop(std::string_view module, std::string_view procedure, std::string_view arguments);
    // The same with every rule applied, whatever the state: the slow path of
    // push and pop.
    void pushTraced(std::string_view module, std::string_view procedure, std::string_view arguments);
    void popTraced(std::string_view module, std::string_view procedure, std::string_view arguments);
    void start();
    void emit(std::string_view record);

    // Options, log writer, messages.
    Value option(int number, const Value& value);
    void writeLog(std::string_view text);
    std::string message(int number) const;
    std::string userText() const { return {}; }

    // The error entry: returns 1 retry, 2 next statement, anything else (or
    // nothing) leave the procedure.
    std::optional<int16_t> interceptError(std::string_view module, std::string_view procedure);
    int16_t userAction();
    void logErrorReport();
    // The reports by mail to the configured addresses; failures are logged
    // and otherwise ignored.
    void mailReport();
    void defectReport();
    // The third way of handling an error: noted through the error log handler.
    void logCaughtError(std::string_view location, int32_t line, int32_t number, std::string_view description);
    // Reports a failure inside the framework itself and lets the caller go on.
    void reportInternalError(std::string_view operation, int32_t line, const RuntimeError& error) noexcept;

    // Readers of the framework's state.
    bool initialised() const { return initialised_; }
    bool inDevEnvironment() const { return inDevEnvironment_; }
    bool monitorPresent() const { return monitor_ != nullptr; }
    bool errorWindowOpen() const { return errorWindowOpen_; }
    void setErrorWindowOpen(bool open) {
        errorWindowOpen_ = open;
        refreshFastPath();
    }
    int32_t depth() const { return depth_; }
    uint32_t records() const { return records_; }
    // The entry of a level as a reader sees it: level prefix, tabs, module,
    // procedure and arguments; level 0 is the start entry.
    std::string entryText(int32_t level) const;
    int64_t levelTime(int32_t level) const;
    int16_t levelMark(int32_t level) const;
    const Settings& settings() const { return settings_; }
    const ProgramInfo& program() const { return program_; }
    const std::string& exeTag() const { return exeTag_; }
    const std::string& projectName() const { return projectName_; }
    const InterceptedError& lastError() const { return error_; }
    std::filesystem::path optionsFile() const;
    std::filesystem::path errorReportFile() const;
    UserInterface& ui() { return *ui_; }
    SystemServices& services() { return *services_; }

    // Date and time as the framework's texts write them: 12-04-2026, 05:30:00.
    std::string dateText() const;
    std::string timeText() const;

private:
    struct Level {
        std::string_view module, procedure, arguments;
        int64_t time = 0;
        int16_t mark = 0;
    };

    bool anySinkActive() const { return settings_.captureToDisk != 0 || monitor_ || settings_.circularLog; }
    // Push and pop take the short path only when started, tracing, without a
    // sink and without an open error window; this flag says when they cannot.
    void refreshFastPath() {
        slowPath_ = !initialised_ || settings_.frameworkOff || settings_.traceOff || errorWindowOpen_ || anySinkActive();
    }
    void switchCircularLogOff();
    Value applyOption(int number, const Value& value);
    MemoryStatus memoryForRecord();
    void waitWhileErrorWindowOpen();
    void noteMonitorOverheadStart();
    int64_t elapsedFixedPoint() const;
    std::string entryBody(int32_t level) const;
    bool popMatches(std::string_view module, std::string_view procedure) const;
    void unbalancedPop(std::string_view module, std::string_view procedure);
    // The record in a buffer of the framework's, valid until the next record.
    std::string_view formatRecord(bool isPush);
    void emitToCircularLog(std::string_view record);
    void emitToMonitor(std::string_view record);
    void readCircularLogKeys(const class ProfileReader& options);
    void readRemainingKeys(const ProfileReader& options);
    bool openCircularLog();
    void fillErrorSlots(std::string_view module, std::string_view procedure, const ErrorState& runtime);
    void copyCallTree();
    std::optional<int16_t> askWhatToDo();
    void refuseCircularLog(std::string_view why, int32_t number);
    void sendReportMail(const MailMessage& message);
    template <typename Step>
    void guarded(std::string_view operation, Step&& step,
                 SourceLocation where = SourceLocation::current()) noexcept;

    std::unique_ptr<SystemServices> services_;
    std::shared_ptr<UserInterface> ui_;
    ProgramInfo program_;
    MonitorFinder findMonitor_;
    std::function<std::string()> buildSystemReport_;
    std::shared_ptr<ErrorWindow> errorWindow_;
    std::function<int16_t()> userActionProvider_;
    ErrorLogHandler errorLogHandler_;
    MailSender sendMail_;
    DefectFactsProvider defectFacts_;

    Settings settings_;
    bool slowPath_ = true;
    bool initialised_ = false;
    bool inDevEnvironment_ = false;
    bool errorWindowOpen_ = false;
    std::vector<Level> levels_;
    Level* level_ = nullptr;  // levels_.data(), for the short path
    std::string startEntry_;
    int32_t depth_ = 0;
    uint32_t records_ = 0;
    int64_t startTime_ = 0;  // clock milliseconds
    int64_t pushOverhead_ = 0, popOverhead_ = 0;  // fixed point
    std::optional<int64_t> overheadStart_;  // set while the framework times its own cost
    std::string exeTag_;
    std::string projectName_;
    CircularLog circular_;
    std::unique_ptr<TraceMonitor> monitor_;
    InterceptedError error_;
    std::string recordBuffer_;
    int64_t memorySampledAt_ = -1;  // clock milliseconds of memorySample_
    MemoryStatus memorySample_;
};

inline void Framework::push(std::string_view module, std::string_view procedure, std::string_view arguments) {
    if (slowPath_) [[unlikely]] {
        pushTraced(module, procedure, arguments);
        return;
    }
    if (++depth_ <= maxLevel) [[likely]] {
        Level& level = level_[depth_];
        level.module = module;
        level.procedure = procedure;
        level.arguments = arguments;
    }
}

inline void Framework::pop(std::string_view module, std::string_view procedure, std::string_view arguments) {
    if (!slowPath_ && depth_ >= 1 && depth_ <= maxLevel) [[likely]] {
        Level& level = level_[depth_];
        // The same texts as the push, as the procedure mechanism passes them.
        if (level.module.data() == module.data() && level.module.size() == module.size() &&
            level.procedure.data() == procedure.data() && level.procedure.size() == procedure.size()) [[likely]] {
            level.mark = 0;
            --depth_;
            return;
        }
    }
    popTraced(module, procedure, arguments);
}

// Runs one step of the framework's own work; a failure goes to the internal
// error handler and the framework goes on with its next step.
template <typename Step>
void Framework::guarded(std::string_view operation, Step&& step, SourceLocation where) noexcept {
    try {
        step();
    } catch (...) {
        reportInternalError(operation, static_cast<int32_t>(where.line()), toRuntimeError(std::current_exception()));
    }
}

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
