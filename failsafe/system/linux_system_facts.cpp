// The system facts of a Linux machine and of this process.
#include <dirent.h>
#include <fcntl.h>
#include <langinfo.h>
#include <link.h>
#include <locale.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "failsafe/system/system_facts.h"
#include "failsafe/text_file.h"

namespace lumo::failsafe {
namespace {

namespace fs = std::filesystem;

// The user address space of a process when no limit is set.
constexpr uint64_t addressSpace() {
#if defined(__aarch64__)
    return uint64_t{1} << 48;
#elif defined(__x86_64__)
    return (uint64_t{1} << 47) - 4096;
#else
    return sizeof(void*) == 8 ? uint64_t{1} << 47 : uint64_t{3} << 30;
#endif
}

uint64_t kilobytesOf(const std::string& text, std::string_view key) {
    const std::string value = fieldOf(text, key, ':');
    return value.empty() ? 0 : std::strtoull(value.c_str(), nullptr, 10) * 1024;
}

std::string languageCode() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value) {
            const std::string locale = value;
            return locale.substr(0, locale.find_first_of("_.@"));
        }
    return "C";
}

class LinuxSystemFacts final : public SystemFacts {
public:
    explicit LinuxSystemFacts(fs::path root) : root_(std::move(root)) {}

    std::string computerName() override {
        utsname system{};
        return uname(&system) == 0 ? system.nodename : "";
    }

    std::optional<KernelFacts> kernel() override {
        utsname system{};
        if (uname(&system) != 0) return std::nullopt;
        KernelFacts facts{system.sysname, system.release, {}};
        facts.distribution = unquoted(fieldOf(readTextFile(root_ / "etc/os-release"), "PRETTY_NAME", '='));
        return facts;
    }

    std::optional<MemoryFacts> memory() override {
        MemoryFacts facts;
        const std::string meminfo = readTextFile(root_ / "proc/meminfo");
        facts.totalPhysical = kilobytesOf(meminfo, "MemTotal");
        facts.availablePhysical = kilobytesOf(meminfo, "MemAvailable");
        if (facts.availablePhysical == 0) facts.availablePhysical = kilobytesOf(meminfo, "MemFree");
        struct sysinfo system{};
        if (facts.totalPhysical == 0) {
            // Without /proc the kernel still answers sysinfo: free memory and
            // buffers stand in for what is available.
            if (sysinfo(&system) != 0) return std::nullopt;
            facts.totalPhysical = uint64_t{system.totalram} * system.mem_unit;
            facts.availablePhysical = (uint64_t{system.freeram} + system.bufferram) * system.mem_unit;
        }
        rlimit limit{};
        facts.totalVirtual = getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                                 ? std::min<uint64_t>(limit.rlim_cur, addressSpace())
                                 : addressSpace();
        if (const uint64_t used = kilobytesOf(readTextFile(root_ / "proc/self/status"), "VmSize"); used != 0)
            facts.availableVirtual = used < facts.totalVirtual ? facts.totalVirtual - used : 0;
        return facts;
    }

    std::optional<ProcessorFacts> processor() override {
        ProcessorFacts facts;
        utsname system{};
        if (uname(&system) == 0) facts.machine = system.machine;
        std::string cpuinfo = readTextFile(root_ / "proc/cpuinfo");
        cpuinfo = cpuinfo.substr(0, cpuinfo.find("\n\n"));  // the first processor
        facts.vendor = fieldOf(cpuinfo, "vendor_id", ':');
        auto number = [&](std::string_view key) {
            const std::string value = fieldOf(cpuinfo, key, ':');
            return value.empty() ? -1 : std::atoi(value.c_str());
        };
        facts.family = number("cpu family");
        facts.model = number("model");
        facts.stepping = number("stepping");
        for (std::string_view key : {"model name", "Processor", "cpu model", "cpu"})
            if (facts.modelName = fieldOf(cpuinfo, key, ':'); !facts.modelName.empty()) break;
        if (facts.machine.empty() && cpuinfo.empty()) return std::nullopt;
        return facts;
    }

    int processorCount() override {
        const long online = sysconf(_SC_NPROCESSORS_ONLN);
        return online > 0 ? static_cast<int>(online) : 1;
    }

    std::optional<DisplayFacts> display() override { return std::nullopt; }

    LocaleFacts locale() override {
        LocaleFacts facts;
        const std::string code = languageCode();
        facts.rightToLeft = code == "ar" || code == "he" || code == "fa" || code == "ur" || code == "yi";
        facts.doubleByte = code == "zh" || code == "ja" || code == "ko";
        // The user's locale without switching the process's own.
        const locale_t user = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
        if (user == static_cast<locale_t>(nullptr)) return facts;
        facts.nativeLanguage = nl_langinfo_l(_NL_IDENTIFICATION_LANGUAGE, user);
        if (const std::string group = nl_langinfo_l(THOUSEP, user); !group.empty()) facts.groupSeparator = group;
        if (const std::string point = nl_langinfo_l(RADIXCHAR, user); !point.empty()) facts.decimalSeparator = point;
        std::string date = nl_langinfo_l(D_FMT, user);
        if (date.find("%D") != std::string::npos) date = "%m/%d/%y";
        const size_t day = date.find("%d"), month = date.find("%m");
        if (day != std::string::npos && month != std::string::npos) facts.monthFirst = month < day;
        freelocale(user);
        return facts;
    }

    std::vector<DriveFacts> drives() override {
        // The program calls the root file system C:.
        DriveFacts root;
        struct statvfs volume{};
        if (statvfs(root_.c_str(), &volume) == 0) root.freeBytes = uint64_t{volume.f_bavail} * volume.f_frsize;
        return {root};
    }

    std::string defaultPrinter() override {
        for (const char* name : {"PRINTER", "LPDEST"})
            if (const char* value = std::getenv(name); value && *value) return value;
        std::vector<fs::path> files;
        if (const char* home = std::getenv("HOME"); home && *home) files.push_back(fs::path(home) / ".cups/lpoptions");
        files.push_back(root_ / "etc/cups/lpoptions");
        for (const fs::path& file : files) {
            std::istringstream lines(readTextFile(file));
            for (std::string line; std::getline(lines, line);)
                if (line.rfind("Default ", 0) == 0) return line.substr(8, line.find(' ', 8) - 8);
        }
        return {};
    }

    std::string currentFolder() override {
        std::error_code error;
        const fs::path folder = fs::current_path(error);
        return error ? "" : folder.string();
    }

    bool otherInstanceRuns(const fs::path& programFile) override;
    std::vector<std::string> loadedModules() override;

    std::optional<FileFacts> file(const fs::path& path) override {
        struct statx status{};
        if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &status) != 0) return std::nullopt;
        FileFacts facts;
        facts.size = status.stx_size;
        facts.modified = status.stx_mtime.tv_sec;
        // Some file systems report a birth time of 0 rather than none.
        const bool born = (status.stx_mask & STATX_BTIME) && status.stx_btime.tv_sec > 0;
        facts.created = born ? status.stx_btime.tv_sec : status.stx_mtime.tv_sec;
        return facts;
    }

    std::tm localTime(std::time_t time) override {
        std::tm local{};
        localtime_r(&time, &local);
        return local;
    }

private:
    fs::path root_;
};

bool LinuxSystemFacts::otherInstanceRuns(const fs::path& programFile) {
    std::error_code error;
    const fs::path program = fs::weakly_canonical(programFile, error);
    const std::string self = std::to_string(getpid());
    DIR* processes = opendir((root_ / "proc").c_str());
    if (!processes) return false;
    bool found = false;
    while (const dirent* entry = readdir(processes)) {
        const std::string pid = entry->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
        const fs::path process = root_ / "proc" / pid;
        // A program file is the process's executable or an object it mapped;
        // other users' processes cannot be read and are not ours anyway.
        if (fs::read_symlink(process / "exe", error) == program ||
            readTextFile(process / "maps").find(program.string()) != std::string::npos) {
            found = true;
            break;
        }
    }
    closedir(processes);
    return found;
}

std::vector<std::string> LinuxSystemFacts::loadedModules() {
    std::vector<std::string> modules;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            static_cast<std::vector<std::string>*>(data)->emplace_back(info->dlpi_name ? info->dlpi_name : "");
            return 0;
        },
        &modules);
    // The program itself is listed first, without a name.
    if (!modules.empty() && modules.front().empty()) {
        std::error_code error;
        const fs::path program = fs::read_symlink(root_ / "proc/self/exe", error);
        if (!error) modules.front() = program.string();
    }
    std::erase(modules, std::string());
    return modules;
}

}  // namespace

std::unique_ptr<SystemFacts> makeLinuxSystemFacts(std::filesystem::path root) {
    return std::make_unique<LinuxSystemFacts>(std::move(root));
}

}  // namespace lumo::failsafe
