#pragma once
// The operating-system services the framework needs, behind one interface so
// that tests can drive the clock and the memory figures.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace lumo::failsafe {

struct MemoryStatus {
    uint32_t loadPercent = 0;        // share of physical memory in use
    uint64_t availablePhysical = 0;  // bytes
};

class SystemServices {
public:
    virtual ~SystemServices() = default;
    // A steady clock in whole milliseconds; only differences matter.
    virtual int64_t nowMilliseconds() = 0;
    virtual std::tm localTime() = 0;
    virtual std::optional<MemoryStatus> memoryStatus() = 0;
    virtual bool debuggerAttached() = 0;
    virtual void breakIntoDebugger() = 0;
};

// The real services: the monotonic clock, /proc/meminfo, TracerPid of
// /proc/self/status, SIGTRAP.
std::unique_ptr<SystemServices> makeLinuxSystemServices();

// Reads MemTotal and MemAvailable from a meminfo text.
std::optional<MemoryStatus> parseMeminfo(const std::string& text);

// The program the framework runs in: its folder holds the options file, its
// name tags every trace record.
struct ProgramInfo {
    std::filesystem::path folder;
    std::string fileName;     // with extension, without folder
    std::string name;         // without folder and extension
    std::string projectName;  // the source name of the program's own errors
    int major = 1, minor = 0, revision = 0;
};

// The shared object or executable that holds `address`.
ProgramInfo programInfoOfModuleAt(const void* address);

// The program's name from its file name: a library libNAME.so[.version] is
// called NAME, the way the program calls itself; other files lose their
// extension.
std::string programNameOf(const std::string& fileName);

}  // namespace lumo::failsafe
