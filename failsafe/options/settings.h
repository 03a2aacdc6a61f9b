#pragma once
// The framework's numbered settings. Everything starts off, zero or empty;
// the options file and the program's start-up options fill them.

#include <cstdint>
#include <string>

namespace lumo::failsafe {

struct Settings {
    int16_t captureToDisk = 0;  // kept as the number written; any non-zero value is on
    bool includeMemory = false;
    bool includeResources = false;
    bool includeArguments = false;
    bool includeUser = false;
    std::string logFile;
    bool frameworkOff = false;
    bool silentRun = false;
    bool traceOff = false;
    bool writeToDisk = false;
    bool forceSystemInfo = false;
    int32_t circularLimit = 0;
    std::string circularFile;
    bool circularLog = false;
    int16_t recordSize = 0;
    std::string defectAddress;
    std::string defectProject;
    std::string defectAssignedTo;
    bool attachLog = false;
    std::string mailAddress;
    std::string defectDatabase;
};

}  // namespace lumo::failsafe
