#include "failsafe/services.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>

namespace lumo::failsafe {
namespace {

std::string readWholeFile(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class LinuxSystemServices final : public SystemServices {
public:
    int64_t nowMilliseconds() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    std::tm localTime() override {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return local;
    }
    ~LinuxSystemServices() override {
        if (meminfo_ >= 0) ::close(meminfo_);
    }
    std::optional<MemoryStatus> memoryStatus() override {
        // The figures needed are on the first lines; the file stays open.
        if (meminfo_ < 0) meminfo_ = ::open("/proc/meminfo", O_RDONLY | O_CLOEXEC);
        char buffer[512];
        const ssize_t size = meminfo_ < 0 ? -1 : ::pread(meminfo_, buffer, sizeof buffer, 0);
        if (size <= 0) return std::nullopt;
        return parseMeminfo(std::string(buffer, static_cast<size_t>(size)));
    }
    bool debuggerAttached() override {
        std::istringstream status(readWholeFile("/proc/self/status"));
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("TracerPid:", 0) == 0) return std::stol(line.substr(10)) != 0;
        return false;
    }
    void breakIntoDebugger() override { std::raise(SIGTRAP); }

private:
    int meminfo_ = -1;
};

uint64_t meminfoKilobytes(const std::string& text, const std::string& key) {
    const size_t at = text.find(key + ":");
    if (at == std::string::npos) return 0;
    return std::strtoull(text.c_str() + at + key.size() + 1, nullptr, 10);
}

}  // namespace

std::unique_ptr<SystemServices> makeLinuxSystemServices() { return std::make_unique<LinuxSystemServices>(); }

std::optional<MemoryStatus> parseMeminfo(const std::string& text) {
    const uint64_t total = meminfoKilobytes(text, "MemTotal");
    if (total == 0) return std::nullopt;
    uint64_t available = meminfoKilobytes(text, "MemAvailable");
    if (available == 0) available = meminfoKilobytes(text, "MemFree");  // kernels before 3.14
    if (available > total) available = total;
    MemoryStatus status;
    status.loadPercent = static_cast<uint32_t>((total - available) * 100 / total);
    status.availablePhysical = available * 1024;
    return status;
}

ProgramInfo programInfoOfModuleAt(const void* address) {
    ProgramInfo info;
    Dl_info module{};
    std::filesystem::path file;
    if (dladdr(address, &module) != 0 && module.dli_fname != nullptr && module.dli_fname[0] != '\0')
        file = module.dli_fname;
    if (file.empty() || !file.has_parent_path()) {
        std::error_code error;
        file = std::filesystem::read_symlink("/proc/self/exe", error);
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    if (!error) file = absolute.lexically_normal();
    info.folder = file.parent_path();
    info.fileName = file.filename().string();
    info.name = programNameOf(info.fileName);
    info.projectName = info.name;
    return info;
}

std::string programNameOf(const std::string& fileName) {
    std::string name = fileName;
    if (const size_t so = name.find(".so"); so != std::string::npos && (so + 3 == name.size() || name[so + 3] == '.')) {
        name.erase(so);
        if (name.rfind("lib", 0) == 0 && name.size() > 3) name.erase(0, 3);
    } else if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

}  // namespace lumo::failsafe
