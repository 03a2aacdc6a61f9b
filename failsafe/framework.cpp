#include "failsafe/framework.h"

#include "failsafe/messages.h"
#include "failsafe/options/profile_reader.h"

namespace lumo::failsafe {
namespace {

Framework* currentFramework = nullptr;

Framework& processFramework() {
    static Framework instance;
    return instance;
}

}  // namespace

Framework::Framework() = default;
Framework::~Framework() = default;

void Framework::start() {
    if (settings().frameworkOff || stack_.started()) return;
    std::optional<ProfileReader> file;
    sinks_.guarded("fsSTART()", [&] { file.emplace(optionsFile()); });
    if (!file) file.emplace(ProfileReader::fromText(""));
    const std::filesystem::path& folder = environment_.program().folder;
    sinks_.guarded("fsSTART()", [&] {
        if (const auto refusal = options_.readCircularLogKeys(*file, folder))
            sinks_.refuseCircularLog(refusal->why, refusal->number);
        else if (settings().circularLog)
            sinks_.openCircularLog();
    });
    std::string startEntry;
    sinks_.guarded("fsSTART()", [&] {
        startEntry = message(32) + " <" + environment_.dateText() + ", " + environment_.timeText() + ">";
    });
    if (file->fileExists()) sinks_.guarded("fsSTART()", [&] { options_.readRemainingKeys(*file, folder); });
    sinks_.guarded("fsSTART()", [&] { environment_.noteDevEnvironment(); });
    sinks_.guarded("fsSTART()", [&] { environment_.noteProgramTag(); });
    int64_t startTime = 0;
    sinks_.guarded("fsSTART()", [&] { startTime = environment_.services().nowMilliseconds(); });
    stack_.start(std::move(startEntry), startTime);
    sinks_.guarded("fsSTART()", [&] { sinks_.linkMonitor(); });
    sinks_.guarded("fsSTART()", [&] { emit(environment_.exeTag() + message(20) + "\r\n"); });
    sinks_.guarded("fsSTART()", [&] { environment_.noteProjectName(); });
}

void Framework::pushTraced(std::string_view module, std::string_view procedure, std::string_view arguments) {
    if (settings().frameworkOff || settings().traceOff) return;
    if (!stack_.started()) [[unlikely]] start();
    if (stack_.records() == 0 && sinks_.monitorLinked()) [[unlikely]] records_.noteOverheadStart();
    if (errors_.windowOpen()) [[unlikely]] errors_.waitWhileWindowOpen();
    stack_.enter(module, procedure, arguments);
    if (sinks_.recording()) [[unlikely]] {
        sinks_.guarded("fsPUSH()", [&] {
            stack_.countRecord();
            emit(records_.format(true));
        });
    }
    if (stack_.overheadStart) [[unlikely]] {
        stack_.pushOverhead = records_.elapsed() - *stack_.overheadStart;
        stack_.overheadStart.reset();
    }
}

void Framework::popTraced(std::string_view module, std::string_view procedure, std::string_view arguments) {
    (void)arguments;  // the match looks at module and procedure only
    if (settings().frameworkOff || settings().traceOff) return;
    if (stack_.records() == 1 && sinks_.monitorLinked()) [[unlikely]] records_.noteOverheadStart();
    if (errors_.windowOpen()) [[unlikely]] errors_.waitWhileWindowOpen();
    if (stack_.topMatches(module, procedure)) [[likely]] {
        if (sinks_.recording()) [[unlikely]] {
            sinks_.guarded("fsPOP()", [&] {
                stack_.countRecord();
                emit(records_.format(false));
            });
        }
        stack_.leave();
    } else {
        unbalancedPop(module, procedure);
    }
    if (stack_.overheadStart) [[unlikely]] {
        stack_.popOverhead = records_.elapsed() - *stack_.overheadStart;
        stack_.overheadStart.reset();
    }
}

void Framework::unbalancedPop(std::string_view module, std::string_view procedure) {
    stack_.reset();
    sinks_.guarded("fsPOP()", [&] {
        ErrorSlot& first = errors_.lastError().slots[0];
        const bool reportedByOtherProcedure =
            first.module.find(" << ") != std::string::npos && first.procedure.find(" << ") != std::string::npos;
        if (inDevEnvironment() && !reportedByOtherProcedure) {
            std::string text;
            text.append(message(19)).append("\t").append(module).append("\r\n");
            text.append(message(30)).append("\t").append(procedure).append("\r\n\r\n");
            text.append(message(48)).append("\r\n\r\n").append(message(49)).append("\r\n\r\n");
            text.append(message(50)).append("\r\n").append(message(51));
            if (ui().messageBox(text, box::OkCancel | box::Exclamation, message(53)) == box::Ok)
                services().breakIntoDebugger();
        }
        first.module.clear();
        first.procedure.clear();
    });
}

Value Framework::option(int number, const Value& value) {
    const bool get = Options::isGet(value);
    switch (number) {
        case 0: return get ? Value(frameworkVersion) : Value();
        case 1: return get ? Value(dateText() + " " + timeText()) : Value();
        case 2: return get ? Value(frameworkMaker) : Value();
        case 3: return get ? Value::flag(inDevEnvironment()) : Value();
        case 26:
            if (!get) sinks_.closeCircularLog();  // the next record opens the new file
            return options_.option(number, value);
        default: return options_.option(number, value);
    }
}

std::optional<int16_t> Framework::interceptError(std::string_view module, std::string_view procedure) {
    const ErrorState runtime = Err();
    if (settings().frameworkOff) return std::nullopt;
    if (errors_.windowOpen()) errors_.waitWhileWindowOpen();
    if (!stack_.started()) start();
    sinks_.guarded("fsERROR()", [&] { errors_.fillErrorSlots(module, procedure, runtime); });
    sinks_.guarded("fsERROR()", [&] { emit(errors_.errorRecord()); });
    sinks_.guarded("fsERROR()", [&] { errors_.copyCallTree(); });
    sinks_.guarded("fsERROR()", [&] { errors_.gatherSystemReport(); });
    std::optional<int16_t> result;
    sinks_.guarded("fsERROR()", [&] { result = errors_.askWhatToDo(); });
    if (!settings().defectAddress.empty()) defectReport();
    if (!settings().mailAddress.empty()) mailReport();
    if (settings().writeToDisk) logErrorReport();
    errors_.setWindowOpen(false);
    Err().clear();
    return result;
}

namespace {

// Inlined in both readers below: framework() itself may be interposed, being
// exported from the shared object, so the trace path must not call it.
Framework& currentOrProcess() {
    if (currentFramework == nullptr) [[unlikely]] currentFramework = &processFramework();
    return *currentFramework;
}

}  // namespace

Framework& framework() { return currentOrProcess(); }
TraceStack& traceStack() { return currentOrProcess().trace(); }
void pushTraced(std::string_view module, std::string_view procedure, std::string_view arguments) {
    framework().pushTraced(module, procedure, arguments);
}
void popTraced(std::string_view module, std::string_view procedure, std::string_view arguments) {
    framework().popTraced(module, procedure, arguments);
}

ScopedFramework::ScopedFramework() : framework_(std::make_unique<Framework>()), previous_(&framework()) {
    currentFramework = framework_.get();
}

ScopedFramework::~ScopedFramework() { currentFramework = previous_; }

}  // namespace lumo::failsafe
