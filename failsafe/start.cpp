// The framework's start: the options file, the circular log, the start record.
#include <cmath>

#include "failsafe/framework.h"
#include "failsafe/profile_reader.h"

namespace lumo::failsafe {
namespace {

bool positive(const std::string& text) { return leadingNumber(text) > 0; }

// A flag stored as minus the number of its text: "1" is on, "0" off.
bool minusValueFlag(const std::string& text) { return leadingNumber(text) != 0; }

}  // namespace

void Framework::start() {
    if (settings_.frameworkOff || initialised_) return;
    std::optional<ProfileReader> options;
    guarded("fsSTART()", [&] { options.emplace(optionsFile()); });
    if (!options) options.emplace(ProfileReader::fromText(""));
    guarded("fsSTART()", [&] { readCircularLogKeys(*options); });
    guarded("fsSTART()", [&] {
        levels_.assign(static_cast<size_t>(maxLevel) + 1, Level{});
        level_ = levels_.data();
    });
    initialised_ = true;
    guarded("fsSTART()", [&] { startEntry_ = message(32) + " <" + dateText() + ", " + timeText() + ">"; });
    if (options->fileExists()) guarded("fsSTART()", [&] { readRemainingKeys(*options); });
    guarded("fsSTART()", [&] { inDevEnvironment_ = services_->debuggerAttached(); });
    guarded("fsSTART()", [&] { exeTag_ = "[" + program_.name + "] "; });
    guarded("fsSTART()", [&] { startTime_ = services_->nowMilliseconds(); });
    guarded("fsSTART()", [&] {
        if (findMonitor_) monitor_ = findMonitor_();
    });
    guarded("fsSTART()", [&] { emit(exeTag_ + message(20) + "\r\n"); });
    guarded("fsSTART()", [&] { projectName_ = program_.projectName; });
    refreshFastPath();
}

void Framework::readCircularLogKeys(const ProfileReader& options) {
    settings_.circularLog = options.get("Log File", "CircularLog", "0", 4).starts_with('1');
    settings_.circularFile = (program_.folder / options.get("CircularLog", "FileName", "circ0001.log", 127)).string();
    if (!settings_.circularLog) return;
    // Rounded half to even, as every number the framework converts.
    const double recordSize = std::nearbyint(leadingNumber(options.get("CircularLog", "RecordSize", "512", 127)));
    const double maxRecords = std::nearbyint(leadingNumber(options.get("CircularLog", "MaxRecords", "100", 127)));
    if (recordSize < 2 || recordSize > INT16_MAX) {
        refuseCircularLog("RecordSize " + options.get("CircularLog", "RecordSize", "512", 127) +
                              " must lie from 2 to 32767",
                          recordSize > INT16_MAX ? error::Overflow : error::InvalidProcedureCall);
        return;
    }
    if (maxRecords < 0 || maxRecords > INT32_MAX) {
        refuseCircularLog("MaxRecords " + options.get("CircularLog", "MaxRecords", "100", 127) +
                              " must lie from 0 to 2147483647",
                          maxRecords < 0 ? error::InvalidProcedureCall : error::Overflow);
        return;
    }
    settings_.recordSize = static_cast<int16_t>(recordSize);
    settings_.circularLimit = static_cast<int32_t>(maxRecords);
    openCircularLog();
}

// The circular log cannot work with these settings: it is switched off and
// the reason reported, instead of writing slots that make no sense.
void Framework::refuseCircularLog(std::string_view why, int32_t number) {
    switchCircularLogOff();
    reportInternalError("fsSTART()", 0,
                        RuntimeError(number, "Circular log switched off: " + std::string(why)));
}

void Framework::readRemainingKeys(const ProfileReader& options) {
    settings_.forceSystemInfo = positive(options.get("preferences", "Force System Info", "", 7));
    settings_.mailAddress = options.get("email", "Address", "", 254);
    settings_.writeToDisk = positive(options.get("log file", "Write To Disk", "", 7));
    settings_.captureToDisk = positive(options.get("log file", "Capture To Disk", "", 7)) ? -1 : 0;
    if (settings_.writeToDisk) {
        const std::string logFile = options.get("log file", "Log File", "", 127);
        // A relative name lives in the program folder, never in whatever folder
        // the host happens to run in.
        settings_.logFile = logFile.empty() ? (program_.folder / "error.log").string()
                                            : (program_.folder / logFile).string();
    }
    settings_.silentRun = minusValueFlag(options.get("preferences", "Silent Run", "0", 1));
    settings_.includeResources = minusValueFlag(options.get("include", "Resources", "1", 1));
    settings_.includeMemory = minusValueFlag(options.get("include", "Memory", "1", 1));
    settings_.includeArguments = minusValueFlag(options.get("include", "Arguments", "1", 1));
    settings_.includeUser = minusValueFlag(options.get("include", "User", "1", 1));
    settings_.defectDatabase = options.get("DefectTracker", "Database", "", 254);
    settings_.defectAddress = options.get("DefectTracker", "Address", "", 254);
    settings_.defectProject = options.get("DefectTracker", "Project", "", 254);
    settings_.defectAssignedTo = options.get("DefectTracker", "Assigned To", "", 254);
    settings_.attachLog = minusValueFlag(options.get("DefectReport", "Attach Log", "1", 254));
}

}  // namespace lumo::failsafe
