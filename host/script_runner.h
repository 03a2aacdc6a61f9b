#pragma once
// Runs script statements against one object created by its ProgID, the way
// any host does: names through GetIDsOfNames, calls through Invoke, the
// type information for argument names and by-reference flags. Prints one
// JSON line per statement (json_output.h); :sleep prints nothing. The
// object is created at the first statement that needs it, so that
// :register can come first.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "host/script_parser.h"
#include "lumo/create_object.h"
#include "lumo/event_sink.h"

namespace lumo::host {

struct RunnerSetup {
    std::string progId;
    std::function<CreatedObject(std::string_view progId)> create;
    // The library for :register/:unregister, given the statement's path.
    std::function<std::optional<std::filesystem::path>(const std::string& named)> library;
    std::ostream* out = nullptr;
};

class ScriptRunner {
public:
    explicit ScriptRunner(RunnerSetup setup);
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // False when the script cannot go on because the object cannot be
    // created; `failure` then says why. Failed calls are records, not this.
    bool run(const Statement& statement, std::string* failure);

private:
    struct Outcome;
    bool ensureObject(std::string* failure);
    Outcome invoke(const std::string& name, bool assignment, std::span<Variant> arguments);
    void print(const std::string& line);
    bool call(const Call& call, std::string* failure);
    bool assign(const Assignment& assignment, std::string* failure);
    bool wait(const Wait& wait, std::string* failure);
    void registration(bool add, const std::string& named);
    bool events(const Events& events, std::string* failure);
    // Waits; while events are on, in the object's DoEvents, so that they
    // arrive whatever loop the library runs.
    void pause(std::chrono::milliseconds duration);

    RunnerSetup setup_;
    ComPtr<IDispatch> object_;
    EventSubscription events_;
    std::optional<DISPID> doEvents_;  // the object's DoEvents, found when events are turned on
};

}  // namespace lumo::host
