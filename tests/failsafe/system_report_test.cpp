// The system information report: its values from facts a test sets, in the
// locale's format; facts that are missing or fail; and the Linux facts on this
// machine and on made-up /proc and /etc trees.
#include <unistd.h>

#include "failsafe/mail_reports.h"
#include "failsafe/system_report.h"
#include "failsafe/system_values.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;

// A plausible machine with a display; times as UTC so that the texts hold in every zone.
class FakeFacts final : public SystemFacts {
public:
    std::optional<MemoryFacts> memoryFacts = MemoryFacts{8ull << 30, 3ull << 30, 140737488351232ull, 140737000000000ull};
    std::optional<ProcessorFacts> processorFacts = ProcessorFacts{"GenuineIntel", 6, 8, 1, "Pentium III", "i686"};
    std::optional<DisplayFacts> displayFacts = DisplayFacts{24, 1920, 1080, 2, true, 5, true, "MX Master 3", ""};
    LocaleFacts localeFacts{"English", false, false, ",", ".", true};
    std::vector<DriveFacts> driveFacts{{'C', DriveKind::Fixed, 52428800000ull}};
    std::optional<FileFacts> fileFacts = FileFacts{1234567, 1700000000, 1690000000};
    std::string computerName() override { return "studio-pc"; }
    std::optional<KernelFacts> kernel() override { return KernelFacts{"Linux", "6.1.0-18-amd64", "Debian 12"}; }
    std::optional<MemoryFacts> memory() override { return memoryFacts; }
    std::optional<ProcessorFacts> processor() override { return processorFacts; }
    int processorCount() override { return 4; }
    std::optional<DisplayFacts> display() override { return displayFacts; }
    LocaleFacts locale() override { return localeFacts; }
    std::vector<DriveFacts> drives() override { return driveFacts; }
    std::string defaultPrinter() override { return ""; }
    std::string currentFolder() override { return "/home/ann"; }
    bool otherInstanceRuns(const fs::path&) override { return false; }
    std::vector<std::string> loadedModules() override { return {"/usr/bin/host"}; }
    std::optional<FileFacts> file(const fs::path&) override { return fileFacts; }
    std::tm localTime(std::time_t time) override {
        std::tm utc{};
        gmtime_r(&time, &utc);
        return utc;
    }
};

const ProgramInfo library{"/opt/lumo", "libLUMOAudioPlayer.so", "LUMOAudioPlayer", "LUMOAudioPlayer", 2, 1, 7};

// The line that starts with `label`, without the label.
std::string valueAfter(const std::string& report, std::string_view label) {
    for (const std::string& line : crlfLines(report))
        if (line.starts_with(label)) return line.substr(label.size());
    return "(missing)";
}

TEST(SystemReport, ValuesFollowTheFactsInTheLocalesFormat) {
    FakeFacts facts;
    const std::tuple<std::string_view, std::string, std::string> lines[] = {  // label, English, German
        {"   Total Physical......", "8,388,608K", "8.388.608K"}, {"   Pct Physical Free...", "37.5%", "37,5%"},
        {"  EXE Time Stamp......", "11/14/2023 22:13:20", "14/11/2023 22:13:20"},
        {"   CPU.................", "Intel Pentium III or Pentium III Xeon Model, 08 Stepping 01", ""},
        {"   Drive C:...........", "Fixed     51,200,000 KB Free", "Fixed     51.200.000 KB Free"},
        {"   Colors.......................", "True Color", "4.294.967.296"}, {"   Language............", "English", "Deutsch"}};
    const std::string english = systemReport(facts, library);
    facts.localeFacts = {"Deutsch", false, false, ".", ",", false};
    facts.displayFacts->bitsPerPixel = 32;
    const std::string german = systemReport(facts, library);
    for (const auto& [label, inEnglish, inGerman] : lines) {
        EXPECT_EQ(valueAfter(english, label), inEnglish) << label;
        if (!inGerman.empty()) {
            EXPECT_EQ(valueAfter(german, label), inGerman) << label;
        }
    }
    EXPECT_TRUE(english.starts_with("Application running on computer studio-pc\r\nApplication\r\n"));
    EXPECT_TRUE(english.ends_with("Other Components Running In Process\r\n    /usr/bin/host       FileVersion: <Not Found> "
                                  "ProductVersion: <Not Found> ProductName: <Not Found> CompanyName: <Not Found> "
                                  "FileDescription: <Not Found>  Created: 07/22/2023 04:26:40\r\n"));
    EXPECT_EQ(defectFactsOf(facts).physicalMemory, "8.388.608K");  // the defect report takes the report's values
}

TEST(SystemReport, MissingOrFailingFactsGiveTheDefaultsAndAWholeReport) {
    FakeFacts facts;
    facts.memoryFacts = MemoryFacts{8ull << 30, 1023, 1ull << 40, std::nullopt};  // under one kilobyte
    facts.processorFacts.reset();
    facts.displayFacts.reset();  // no display
    facts.fileFacts.reset();
    facts.driveFacts.clear();
    const std::string report = systemReport(facts, library);
    const std::pair<std::string_view, std::string> defaults[] = {{"   Available Physical..", "<none>"},
        {"   Available Virtual...", "<Unknown>"}, {"  EXE Size............", "<Unknown>"}, {"   CPU.................", "Unknown"},
        {"   Disks...............", "0"}, {"   Number of Monitors..", "1"}, {"   Mouse Present.......", "No"}};
    for (const auto& [label, value] : defaults) EXPECT_EQ(valueAfter(report, label), value) << label;

    struct Failing final : SystemFacts {
        [[noreturn]] static void fail() { throw std::runtime_error("unreadable"); }
        std::string computerName() override { fail(); }
        std::optional<KernelFacts> kernel() override { fail(); }
        std::optional<MemoryFacts> memory() override { fail(); }
        std::optional<ProcessorFacts> processor() override { fail(); }
        int processorCount() override { fail(); }
        std::optional<DisplayFacts> display() override { fail(); }
        LocaleFacts locale() override { fail(); }
        std::vector<DriveFacts> drives() override { fail(); }
        std::string defaultPrinter() override { fail(); }
        std::string currentFolder() override { fail(); }
        bool otherInstanceRuns(const fs::path&) override { fail(); }
        std::vector<std::string> loadedModules() override { fail(); }
        std::optional<FileFacts> file(const fs::path&) override { fail(); }
        std::tm localTime(std::time_t) override { fail(); }
    } failing;
    const std::vector<std::string> lines = crlfLines(systemReport(failing, library));
    EXPECT_EQ(lines.size(), 55u);
    EXPECT_EQ(lines.back(), "Other Components Running In Process");
}

TEST(SystemValues, ProcessorNamesAndDrives) {
    for (const auto& [type, level, revision, name] : std::vector<std::tuple<int, int, int, std::string>>{
             {586, 6, 0x0302, "Intel Pentium II, Model 3 Stepping 02"}, {586, 6, 0x0200, "Unable to determine processor type"},
             {4000, 0, 0, "MIPS R4000"}, {8664, 0, 0, "Unknown"}})
        EXPECT_EQ(classicCpuName(type, level, revision), name);
    EXPECT_EQ(classicCpuName(586, 6, 0x0A01), "Unable to determine processor type");  // a letter in the model digits
    EXPECT_EQ(classicCpuName(586, 6, 0x1001), "Unable to determine processor type");  // read as decimal 10
    FakeFacts facts;
    facts.processorFacts = ProcessorFacts{"GenuineIntel", 6, 140, 1, "11th Gen Intel(R) Core(TM) i7", "x86_64"};
    EXPECT_EQ(fsCPUNAME(facts), "11th Gen Intel(R) Core(TM) i7");  // the classic names only where they describe it
    facts.processorFacts = ProcessorFacts{"", -1, -1, -1, "", "aarch64"};
    EXPECT_EQ(fsCPUNAME(facts), "aarch64");
    // A floppy counts only as A: first or B: second in the list.
    const std::pair<std::vector<DriveFacts>, std::string> drives[] = {
        {{{'A', DriveKind::Removable, {}}, {'B', DriveKind::Removable, {}}, {'D', DriveKind::Cdrom, {}},
          {'E', DriveKind::Remote, {}}, {'F', DriveKind::Unknown, {}}, {'G', DriveKind::Fixed, {}}}, "2 4"},
        {{{'C', DriveKind::Fixed, 0}, {'B', DriveKind::Removable, {}}}, "1 1"},
        {{{'B', DriveKind::Removable, {}}, {'A', DriveKind::Removable, {}}}, "0 2"}};
    for (const auto& [list, floppiesAndDisks] : drives) {
        facts.driveFacts = list;
        std::string report;
        fsDRIVES(facts, report);
        const std::vector<std::string> lines = crlfLines(report);
        EXPECT_EQ(lines.at(1).substr(23) + " " + lines.at(2).substr(23), floppiesAndDisks) << report;
    }
}

TEST(LinuxSystemFacts, MadeUpProcAndEtcEntriesAreReadAndMissingOnesFallBack) {
    const fs::path root = fs::temp_directory_path() / ("lumo-facts-" + std::to_string(::getpid()));
    const auto write = [&](const fs::path& file, const std::string& text) {
        fs::create_directories((root / file).parent_path());
        std::ofstream(root / file) << text;
    };
    ScopedFramework framework;  // this machine's report, through the framework
    std::string report;
    fsSYSTEMREPORT(report);
    EXPECT_TRUE(report.starts_with("Application running on computer ") && report.find("libstdc++.so") != std::string::npos);
    fs::create_directories(root / "proc/self");
    auto bare = makeLinuxSystemFacts(root);
    EXPECT_GT(bare->memory()->totalPhysical, 0u);  // sysinfo answers without /proc/meminfo
    EXPECT_FALSE(bare->memory()->availableVirtual.has_value());
    EXPECT_EQ(fsCPUNAME(*bare), bare->processor()->machine);
    write("proc/meminfo", "MemTotal:       2048 kB\nMemFree:         100 kB\nMemAvailable:    512 kB\n");
    write("proc/self/status", "Name:\ttest\nVmSize:\t    4096 kB\n");
    write("proc/cpuinfo", "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 8\n"
                          "model name\t: Pentium III\nstepping\t: 1\n\nprocessor\t: 1\nvendor_id\t: AuthenticAMD\n");
    write("etc/os-release", "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
    auto facts = makeLinuxSystemFacts(root);
    const MemoryFacts memory = facts->memory().value();
    EXPECT_EQ(memory.availablePhysical, 512u * 1024);
    EXPECT_EQ(memory.availableVirtual, memory.totalVirtual - 4096 * 1024);
    EXPECT_EQ(fsCPUNAME(*facts), "Intel Pentium III or Pentium III Xeon Model, 08 Stepping 01");
    EXPECT_TRUE(fsWINDOWSVERSION(*facts).ends_with(") Debian GNU/Linux 12 (bookworm)"));
    const fs::path program = "/opt/lumo/libLUMOAudioPlayer.so";  // another process of this program
    write("proc/" + std::to_string(::getpid()) + "/maps", "7f00-7f10 r-xp 0 08:01 5 " + program.string() + "\n");
    write("proc/4242/maps", "7f00-7f10 r-xp 0 08:01 5 /usr/lib/libc.so.6\n");
    EXPECT_FALSE(facts->otherInstanceRuns(program));
    write("proc/4243/maps", "7f00-7f10 r-xp 0 08:01 5 " + program.string() + "\n");
    EXPECT_TRUE(facts->otherInstanceRuns(program));
    fs::remove_all(root);
}

}  // namespace
}  // namespace lumo::failsafe::testing
