// The numbered options and the log-line writer.
#include "failsafe/file_append.h"
#include "failsafe/framework.h"
#include "failsafe/messages.h"

namespace lumo::failsafe {
namespace {

bool isGet(const Value& value) { return value.isText() && equalsIgnoringCase(value.text(), "Get"); }

// Stores value != 0 when the value is numeric; a non-numeric value changes nothing.
void storeFlag(bool& flag, const Value& value) {
    if (const auto number = value.number()) flag = *number != 0;
}

}  // namespace

Value Framework::option(int number, const Value& value) {
    Value result = applyOption(number, value);
    refreshFastPath();
    return result;
}

Value Framework::applyOption(int number, const Value& value) {
    const bool get = isGet(value);
    Settings& s = settings_;
    switch (number) {
        case 0: return get ? Value(frameworkVersion) : Value();
        case 1: return get ? Value(dateText() + " " + timeText()) : Value();
        case 2: return get ? Value(frameworkMaker) : Value();
        case 3: return get ? Value::flag(inDevEnvironment_) : Value();
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
            circular_.close();  // the next record opens the new file
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

void Framework::writeLog(std::string_view text) {
    if (!settings_.writeToDisk) return;
    std::string line(text);
    line += "\r\n";
    appendToFile(settings_.logFile, line);
}

}  // namespace lumo::failsafe
