#pragma once
// System facts a test sets field by field; every fact starts as a plausible
// machine with a display.

#include "failsafe/system_facts.h"

namespace lumo::failsafe::testing {

class FakeFacts final : public SystemFacts {
public:
    std::string name = "studio-pc";
    std::optional<KernelFacts> kernelFacts = KernelFacts{"Linux", "6.1.0-18-amd64", "Debian GNU/Linux 12 (bookworm)"};
    std::optional<MemoryFacts> memoryFacts = MemoryFacts{8 * 1024 * 1024 * 1024ull, 3 * 1024 * 1024 * 1024ull,
                                                         140737488351232ull, 140737000000000ull};
    std::optional<ProcessorFacts> processorFacts =
        ProcessorFacts{"GenuineIntel", 6, 8, 1, "Pentium III (Coppermine)", "i686"};
    int cpus = 4;
    std::optional<DisplayFacts> displayFacts = DisplayFacts{24, 1920, 1080, 2, true, 5, true, "Logitech MX Master 3", ""};
    LocaleFacts localeFacts{"English", false, false, ",", ".", true};
    std::vector<DriveFacts> driveFacts{{'C', DriveKind::Fixed, 52428800000ull}};
    std::string printer;
    std::string folder = "/home/ann";
    bool otherInstance = false;
    std::vector<std::string> modules{"/usr/bin/host", "/usr/lib/libLUMOAudioPlayer.so"};
    std::optional<FileFacts> fileFacts = FileFacts{1234567, 1700000000, 1690000000};

    std::string computerName() override { return name; }
    std::optional<KernelFacts> kernel() override { return kernelFacts; }
    std::optional<MemoryFacts> memory() override { return memoryFacts; }
    std::optional<ProcessorFacts> processor() override { return processorFacts; }
    int processorCount() override { return cpus; }
    std::optional<DisplayFacts> display() override { return displayFacts; }
    LocaleFacts locale() override { return localeFacts; }
    std::vector<DriveFacts> drives() override { return driveFacts; }
    std::string defaultPrinter() override { return printer; }
    std::string currentFolder() override { return folder; }
    bool otherInstanceRuns(const std::filesystem::path&) override { return otherInstance; }
    std::vector<std::string> loadedModules() override { return modules; }
    std::optional<FileFacts> file(const std::filesystem::path&) override { return fileFacts; }
    // Times as UTC, so that the expected texts hold in every time zone.
    std::tm localTime(std::time_t time) override {
        std::tm utc{};
        gmtime_r(&time, &utc);
        return utc;
    }
};

}  // namespace lumo::failsafe::testing
