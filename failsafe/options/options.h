#pragma once
// The framework's options: the numbered settings, read from the options file
// at start and changed by the program through fsOPTION. Every change goes
// through update(), which also tells the trace gate whether the settings
// still let push and pop take their short path.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "failsafe/options/settings.h"
#include "failsafe/trace/trace_stack.h"
#include "failsafe/value.h"

namespace lumo::failsafe {

class ProfileReader;

class Options {
public:
    explicit Options(TraceGate& gate) : gate_(gate) {}
    Options(const Options&) = delete;
    Options& operator=(const Options&) = delete;

    const Settings& settings() const { return settings_; }
    template <typename Edit>
    void update(Edit&& edit) {
        edit(settings_);
        gate_.set(TraceGate::TracingOff, settings_.frameworkOff || settings_.traceOff);
        gate_.set(TraceGate::Recording, settings_.captureToDisk != 0 || settings_.circularLog);
    }

    // A numbered option that is a setting: "Get" reads it, any other value
    // writes it. Numbers that are not settings answer nothing.
    Value option(int number, const Value& value);
    static bool isGet(const Value& value);

    // Why the circular log keys cannot be used.
    struct Refusal {
        std::string why;
        int32_t number;
    };
    // The options file's keys, names of files taken in the program folder.
    std::optional<Refusal> readCircularLogKeys(const ProfileReader& file, const std::filesystem::path& folder);
    void readRemainingKeys(const ProfileReader& file, const std::filesystem::path& folder);

private:
    Value applyOption(int number, const Value& value, Settings& s);

    TraceGate& gate_;
    Settings settings_;
};

}  // namespace lumo::failsafe
