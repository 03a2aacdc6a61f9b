#pragma once
// What the system information report knows about the machine and the
// process, behind one interface: the Linux implementation reads /proc,
// sysinfo, uname, statvfs and the loaded objects; a window toolkit adds the
// display; tests give fixed facts. A fact that cannot be read is empty, and
// the report shows its default.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumo::failsafe {

struct KernelFacts {
    std::string name;          // "Linux"
    std::string release;       // "6.1.0-18-amd64"
    std::string distribution;  // "Debian GNU/Linux 12 (bookworm)", empty when unknown
};

struct MemoryFacts {  // bytes
    uint64_t totalPhysical = 0, availablePhysical = 0;
    uint64_t totalVirtual = 0;  // the process's address space
    std::optional<uint64_t> availableVirtual;
};

struct ProcessorFacts {
    std::string vendor;     // "GenuineIntel", "AuthenticAMD"; empty off x86
    int family = -1, model = -1, stepping = -1;
    std::string modelName;  // what the kernel calls the processor
    std::string machine;    // uname's machine: "x86_64", "aarch64"
};

struct DisplayFacts {
    int bitsPerPixel = 0;
    int width = 0, height = 0;  // pixels of the primary screen
    int monitors = 0;
    bool mousePresent = false;
    int mouseButtons = 0;
    bool mouseWheel = false;
    std::string mouseName, keyboardName;  // the input devices as the display names them
};

struct LocaleFacts {
    std::string nativeLanguage;  // the language's name in itself: "English", "Deutsch"
    bool rightToLeft = false;    // Arabic, Hebrew, ...
    bool doubleByte = false;     // Chinese, Japanese, Korean
    std::string groupSeparator = ",";
    std::string decimalSeparator = ".";
    bool monthFirst = true;      // the order of day and month in a short date
};

enum class DriveKind { Unknown, Removable, Fixed, Remote, Cdrom };

struct DriveFacts {
    char letter = 'C';
    DriveKind kind = DriveKind::Fixed;
    std::optional<uint64_t> freeBytes;  // available to the user
};

struct FileFacts {
    uint64_t size = 0;
    std::time_t modified = 0;
    std::time_t created = 0;  // the birth time, or the modification time where none is kept
};

class SystemFacts {
public:
    virtual ~SystemFacts() = default;
    virtual std::string computerName() = 0;
    virtual std::optional<KernelFacts> kernel() = 0;
    virtual std::optional<MemoryFacts> memory() = 0;
    virtual std::optional<ProcessorFacts> processor() = 0;
    virtual int processorCount() = 0;
    virtual std::optional<DisplayFacts> display() = 0;  // empty without a display
    virtual LocaleFacts locale() = 0;
    virtual std::vector<DriveFacts> drives() = 0;
    virtual std::string defaultPrinter() = 0;
    virtual std::string currentFolder() = 0;
    // Whether another process runs the same program file.
    virtual bool otherInstanceRuns(const std::filesystem::path& programFile) = 0;
    // Every object loaded in the process, the program first, by full path.
    virtual std::vector<std::string> loadedModules() = 0;
    virtual std::optional<FileFacts> file(const std::filesystem::path& path) = 0;
    virtual std::tm localTime(std::time_t time) = 0;
};

// The facts of this machine and process; `root` stands for "/" so that tests
// can offer a tree with missing /proc entries.
std::unique_ptr<SystemFacts> makeLinuxSystemFacts(std::filesystem::path root = "/");

}  // namespace lumo::failsafe
