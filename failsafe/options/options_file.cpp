// The options file's keys, read at the framework's start.
#include <cmath>

#include "failsafe/options/options.h"
#include "failsafe/options/profile_reader.h"
#include "failsafe/runtime_error.h"

namespace lumo::failsafe {
namespace {

bool positive(const std::string& text) { return leadingNumber(text) > 0; }

// A flag stored as minus the number of its text: "1" is on, "0" off.
bool minusValueFlag(const std::string& text) { return leadingNumber(text) != 0; }

}  // namespace

std::optional<Options::Refusal> Options::readCircularLogKeys(const ProfileReader& file,
                                                               const std::filesystem::path& folder) {
    std::optional<Refusal> refusal;
    update([&](Settings& s) {
        s.circularLog = file.get("Log File", "CircularLog", "0", 4).starts_with('1');
        s.circularFile = (folder / file.get("CircularLog", "FileName", "circ0001.log", 127)).string();
        if (!s.circularLog) return;
        // Rounded half to even, as every number the framework converts.
        const std::string recordText = file.get("CircularLog", "RecordSize", "512", 127);
        const std::string maxText = file.get("CircularLog", "MaxRecords", "100", 127);
        const double recordSize = std::nearbyint(leadingNumber(recordText));
        const double maxRecords = std::nearbyint(leadingNumber(maxText));
        if (recordSize < 2 || recordSize > INT16_MAX) {
            refusal = Refusal{"RecordSize " + recordText + " must lie from 2 to 32767",
                              recordSize > INT16_MAX ? error::Overflow : error::InvalidProcedureCall};
        } else if (maxRecords < 0 || maxRecords > INT32_MAX) {
            refusal = Refusal{"MaxRecords " + maxText + " must lie from 0 to 2147483647",
                              maxRecords < 0 ? error::InvalidProcedureCall : error::Overflow};
        } else {
            s.recordSize = static_cast<int16_t>(recordSize);
            s.circularLimit = static_cast<int32_t>(maxRecords);
        }
    });
    return refusal;
}

void Options::readRemainingKeys(const ProfileReader& file, const std::filesystem::path& folder) {
    update([&](Settings& s) {
        s.forceSystemInfo = positive(file.get("preferences", "Force System Info", "", 7));
        s.mailAddress = file.get("email", "Address", "", 254);
        s.writeToDisk = positive(file.get("log file", "Write To Disk", "", 7));
        s.captureToDisk = positive(file.get("log file", "Capture To Disk", "", 7)) ? -1 : 0;
        if (s.writeToDisk) {
            const std::string logFile = file.get("log file", "Log File", "", 127);
            // A relative name lives in the program folder, never in whatever
            // folder the host happens to run in.
            s.logFile = logFile.empty() ? (folder / "error.log").string() : (folder / logFile).string();
        }
        s.silentRun = minusValueFlag(file.get("preferences", "Silent Run", "0", 1));
        s.includeResources = minusValueFlag(file.get("include", "Resources", "1", 1));
        s.includeMemory = minusValueFlag(file.get("include", "Memory", "1", 1));
        s.includeArguments = minusValueFlag(file.get("include", "Arguments", "1", 1));
        s.includeUser = minusValueFlag(file.get("include", "User", "1", 1));
        s.defectDatabase = file.get("DefectTracker", "Database", "", 254);
        s.defectAddress = file.get("DefectTracker", "Address", "", 254);
        s.defectProject = file.get("DefectTracker", "Project", "", 254);
        s.defectAssignedTo = file.get("DefectTracker", "Assigned To", "", 254);
        s.attachLog = minusValueFlag(file.get("DefectReport", "Attach Log", "1", 254));
    });
}

}  // namespace lumo::failsafe
