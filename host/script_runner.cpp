#include "host/script_runner.h"

#include "automation/client/call_by_name.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <thread>

#include "host/json_output.h"

namespace lumo::host {
namespace {

using Clock = std::chrono::steady_clock;

// How often :wait reads its property: often enough to see a short state,
// rarely enough to leave the player its time.
constexpr auto kPollInterval = std::chrono::milliseconds(20);

// Waits for the given time. When the library has made a Qt application on
// this thread (it does for the desktop's media controls), the wait runs
// Qt's event loop instead of sleeping, so that the desktop's calls are
// served while a script waits.
void waitInLoop(std::chrono::milliseconds duration) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || application->thread() != QThread::currentThread()) {
        std::this_thread::sleep_for(duration);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Whether a property's value is the one :wait expects, compared the way
// the expected value was written: as a Boolean, a number or a text.
bool matches(const Variant& got, const Variant& expected) {
    switch (expected.type()) {
        case VarType::Bool: {
            const std::optional<int16_t> flag = got.toVBool();
            return flag && (*flag != 0) == (expected.vbool() != 0);
        }
        case VarType::Int32: {
            const std::optional<double> number = got.toDouble();
            return number && *number == expected.int32();
        }
        default: return got.toText() == expected.toText();
    }
}

}  // namespace

struct ScriptRunner::Outcome {
    const FuncDesc* desc = nullptr;
    std::string name;  // as the interface spells it, when known
    Variant result;
    std::optional<json::Failure> failure;
};

ScriptRunner::ScriptRunner(RunnerSetup setup) : setup_(std::move(setup)) {}

void ScriptRunner::print(const std::string& line) { *setup_.out << line << '\n' << std::flush; }

bool ScriptRunner::ensureObject(std::string* failure) {
    if (object_) return true;
    CreatedObject created = setup_.create(setup_.progId);
    if (!created.object) {
        if (failure)
            *failure = "cannot create " + setup_.progId + ": " + created.error + " (" +
                       json::hresult(created.result) + ")";
        return false;
    }
    object_ = std::move(created.object);
    return true;
}

ScriptRunner::Outcome ScriptRunner::invoke(const std::string& name, bool assignment, std::span<Variant> arguments) {
    Outcome outcome;
    outcome.name = name;
    DISPID id = -1;
    const HRESULT named = object_->GetIDsOfNames(&name, 1, &id);
    if (failed(named)) {
        outcome.failure = json::Failure{named, dispatchFailureText(named, name, assignment), {}};
        return outcome;
    }
    outcome.desc = memberOf(object_.get(), id, assignment);
    if (outcome.desc) outcome.name = outcome.desc->name;
    const uint16_t flags = !assignment  ? uint16_t(dispatch::Method | dispatch::PropertyGet)
                           : outcome.desc ? outcome.desc->invokeKind
                                          : dispatch::PropertyPut;
    ExcepInfo error;
    const HRESULT called = object_->Invoke(id, flags, arguments, &outcome.result, &error);
    if (failed(called)) {
        json::Failure failure{called, error.description, {}};
        // The type information knows best when no member of that kind exists.
        if (failure.description.empty() || (!outcome.desc && called == hr::DISP_E_MEMBERNOTFOUND))
            failure.description = dispatchFailureText(called, outcome.name, assignment);
        if (outcome.desc && error.argument >= 0 && size_t(error.argument) < outcome.desc->params.size())
            failure.argument = outcome.desc->params[error.argument].name;
        outcome.failure = std::move(failure);
    }
    return outcome;
}

bool ScriptRunner::call(const Call& call, std::string* failure) {
    if (!ensureObject(failure)) return false;
    std::vector<Variant> arguments = call.arguments;
    const Outcome outcome = invoke(call.name, false, arguments);
    if (outcome.failure) {
        print(json::callError(outcome.name, *outcome.failure));
        return true;
    }
    std::vector<std::pair<std::string, Variant>> byRef;
    if (outcome.desc)
        for (size_t i = 0; i < outcome.desc->params.size() && i < arguments.size(); ++i)
            if (outcome.desc->params[i].byRef) byRef.emplace_back(outcome.desc->params[i].name, arguments[i]);
    print(json::callRecord(outcome.name, outcome.result, byRef));
    return true;
}

bool ScriptRunner::assign(const Assignment& assignment, std::string* failure) {
    if (!ensureObject(failure)) return false;
    Variant value = assignment.value;
    const Outcome outcome = invoke(assignment.name, true, std::span<Variant>(&value, 1));
    if (outcome.failure) {
        print(json::callError(outcome.name, *outcome.failure));
        return true;
    }
    std::vector<std::pair<std::string, Variant>> byRef;
    if (outcome.desc && !outcome.desc->params.empty() && outcome.desc->params[0].byRef)
        byRef.emplace_back(outcome.desc->params[0].name, value);
    print(json::callRecord(outcome.name, outcome.result, byRef));
    return true;
}

bool ScriptRunner::wait(const Wait& wait, std::string* failure) {
    if (!ensureObject(failure)) return false;
    const Clock::time_point start = Clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    for (;;) {
        const Outcome outcome = invoke(wait.property, false, {});
        if (outcome.failure) {
            print(json::waitError(wait.text, *outcome.failure));
            return true;
        }
        if (matches(outcome.result, wait.expected)) break;
        if (elapsed() >= wait.timeoutMs) {
            print(json::waitRecord(wait.text, false, elapsed()));
            return true;
        }
        pause(kPollInterval);
    }
    print(json::waitRecord(wait.text, true, elapsed()));
    return true;
}

void ScriptRunner::registration(bool add, const std::string& named) {
    const char* verb = add ? "register" : "unregister";
    const std::optional<std::filesystem::path> library = setup_.library(named);
    if (!library) {
        const json::Failure failure{hr::CO_E_DLLNOTFOUND, "no library to " + std::string(verb) +
                                                              ": name one with --library or LUMO_LIBRARY", {}};
        print(json::registrationRecord(verb, "", &failure));
        return;
    }
    std::string why;
    const char* entry = add ? "DllRegisterServer" : "DllUnregisterServer";
    const HRESULT result = callEntryPoint(*library, entry, &why);
    if (failed(result)) {
        const json::Failure failure{result, why.empty() ? std::string(entry) + " failed" : why, {}};
        print(json::registrationRecord(verb, library->string(), &failure));
        return;
    }
    print(json::registrationRecord(verb, library->string(), nullptr));
}

void ScriptRunner::pause(std::chrono::milliseconds duration) {
    if (!events_ || !doEvents_) return waitInLoop(duration);
    Variant ms(static_cast<int32_t>(duration.count()));
    object_->Invoke(*doEvents_, dispatch::Method, std::span<Variant>(&ms, 1), nullptr, nullptr);
}

bool ScriptRunner::events(const Events& events, std::string* failure) {
    if (!events.on) {
        events_ = EventSubscription();
        print(json::eventsRecord(false, nullptr));
        return true;
    }
    if (!ensureObject(failure)) return false;
    if (events_) {
        print(json::eventsRecord(true, nullptr));
        return true;
    }
    HRESULT result = hr::S_OK;
    events_ = subscribeEvents(
        object_.get(), [this](const Event& event) { print(json::eventRecord(event.name, event.arguments)); }, &result);
    if (!events_) {
        const json::Failure why{result, "the object has no events to offer", {}};
        print(json::eventsRecord(true, &why));
        return true;
    }
    DISPID id = -1;
    const std::string name = "DoEvents";
    if (succeeded(object_->GetIDsOfNames(&name, 1, &id))) doEvents_ = id;
    print(json::eventsRecord(true, nullptr));
    return true;
}

bool ScriptRunner::run(const Statement& statement, std::string* failure) {
    struct Visit {
        ScriptRunner& runner;
        std::string* failure;
        bool operator()(const Call& s) { return runner.call(s, failure); }
        bool operator()(const Assignment& s) { return runner.assign(s, failure); }
        bool operator()(const Wait& s) { return runner.wait(s, failure); }
        bool operator()(const Sleep& s) {
            runner.pause(std::chrono::milliseconds(s.ms));
            return true;
        }
        bool operator()(const Events& s) { return runner.events(s, failure); }
        bool operator()(const Register& s) {
            runner.registration(true, s.library);
            return true;
        }
        bool operator()(const Unregister& s) {
            runner.registration(false, s.library);
            return true;
        }
    };
    return std::visit(Visit{*this, failure}, statement);
}

}  // namespace lumo::host
