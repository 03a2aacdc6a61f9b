// The numbered options that are settings.
#include "failsafe/options/options.h"

#include "failsafe/file_append.h"

namespace lumo::failsafe {
namespace {

// Stores value != 0 when the value is numeric; a non-numeric value changes nothing.
void storeFlag(bool& flag, const Value& value) {
    if (const auto number = value.number()) flag = *number != 0;
}

}  // namespace

bool Options::isGet(const Value& value) { return value.isText() && equalsIgnoringCase(value.text(), "Get"); }

Value Options::option(int number, const Value& value) {
    Value result;
    update([&](Settings& s) { result = applyOption(number, value, s); });
    return result;
}

Value Options::applyOption(int number, const Value& value, Settings& s) {
    const bool get = isGet(value);
    switch (number) {
        case 4:
            if (get) return Value(s.mailAddress);
            s.mailAddress = value.text();
            return {};
        case 11:
            if (get) return Value(static_cast<int32_t>(s.captureToDisk));
            if (const auto number16 = value.toInt16()) s.captureToDisk = *number16;
            return {};
        case 12: if (get) return Value::flag(s.includeMemory); storeFlag(s.includeMemory, value); return {};
        case 13: if (get) return Value::flag(s.includeResources); storeFlag(s.includeResources, value); return {};
        case 14: if (get) return Value::flag(s.includeArguments); storeFlag(s.includeArguments, value); return {};
        case 15: if (get) return Value::flag(s.includeUser); storeFlag(s.includeUser, value); return {};
        case 16:
            if (get) return Value(s.logFile);
            s.logFile = value.text();
            if (!s.logFile.empty() && !createEmptyIfMissing(s.logFile)) s.logFile.clear();
            return Value(s.logFile);
        case 20:
            if (get) return Value::flag(s.frameworkOff);
            if (const auto n = value.number()) s.frameworkOff = *n == 0;
            return {};
        case 21: if (get) return Value::flag(s.silentRun); storeFlag(s.silentRun, value); return {};
        case 22:
            if (get) return Value::flag(s.traceOff);
            if (const auto n = value.number()) s.traceOff = *n == 0;
            return {};
        case 23: if (get) return Value::flag(s.writeToDisk); storeFlag(s.writeToDisk, value); return {};
        case 24: if (get) return Value::flag(s.forceSystemInfo); storeFlag(s.forceSystemInfo, value); return {};
        case 25:
            if (get) return Value(s.circularLimit);
            if (const auto limit = value.toInt32()) s.circularLimit = *limit;
            return {};
        case 26:
            if (get) return Value(s.circularFile);
            s.circularFile = value.text();
            return {};
        case 27:
            if (get) return Value::flag(s.circularLog);
            storeFlag(s.circularLog, value);
            return {};
        case 28: if (get) return Value(s.defectAddress); s.defectAddress = value.text(); return {};
        case 29: if (get) return Value(s.defectProject); s.defectProject = value.text(); return {};
        case 30: if (get) return Value(s.defectAssignedTo); s.defectAssignedTo = value.text(); return {};
        case 31: if (get) return Value::flag(s.attachLog); storeFlag(s.attachLog, value); return {};
        default: return {};
    }
}

}  // namespace lumo::failsafe
