// The Linux system facts: this machine's report, and trees with made-up or
// missing /proc and /etc entries.
#include <unistd.h>

#include <regex>

#include "failsafe/system_report.h"
#include "failsafe/system_values.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

namespace fs = std::filesystem;

class FakeRootTest : public ::testing::Test {
protected:
    fs::path root = fs::temp_directory_path() / ("lumo-facts-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(root / "proc/self"); }
    void TearDown() override { fs::remove_all(root); }
    void write(const fs::path& file, const std::string& text) {
        fs::create_directories((root / file).parent_path());
        std::ofstream(root / file) << text;
    }
};

// Every section in its order, every line either a title or a label with
// dots and its value in the expected shape.
TEST(LinuxSystemFacts, ThisMachinesReportIsWhole) {
    ScopedFramework framework;
    std::string report;
    fsSYSTEMREPORT(report);
    const std::vector<std::string> lines = crlfLines(report);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(report.ends_with("\r\n"));

    const std::vector<std::string> titles = {
        "Application",       "Operating System", "Memory Information", "Processor",
        "Drives",            "Printer",          "Ports",              "Network",
        "General Video Information", "Mouse",    "Keyboard",           "Other Components Running In Process"};
    size_t next = 0;
    for (const std::string& line : lines)
        if (next < titles.size() && line == titles[next]) ++next;
    EXPECT_EQ(next, titles.size()) << "missing or out of order: " << (next < titles.size() ? titles[next] : "");

    const std::regex title(R"([A-Z][A-Za-z ]+)");
    const std::regex valueLine(R"(  ( )?[A-Z][A-Za-z0-9 :]*\.{2,}.*)");
    const std::regex component(R"(    \S.*       FileVersion: <Not Found> ProductVersion: <Not Found> ProductName: <Not Found> CompanyName: <Not Found> FileDescription: <Not Found>  Created: .*)");
    size_t components = 0;
    for (const std::string& line : lines) {
        if (std::regex_match(line, component)) ++components;
        else EXPECT_TRUE(std::regex_match(line, title) || std::regex_match(line, valueLine)) << line;
    }
    EXPECT_TRUE(lines.front().starts_with("Application running on computer "));

    const std::regex kilobytes(R"([0-9]{1,3}(,[0-9]{3})*K)");
    for (std::string_view label : {"   Total Physical......", "   Virtual Memory......", "   Available Virtual..."}) {
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(label); });
        ASSERT_NE(line, lines.end()) << label;
        EXPECT_TRUE(std::regex_match(line->substr(label.size()), kilobytes)) << *line;
    }
    EXPECT_TRUE(std::regex_search(report, std::regex(R"(\r\n   Pct Physical Free\.\.\.[0-9]+(\.[0-9]{1,2})?%\r\n)")));
    EXPECT_TRUE(std::regex_search(report, std::regex(R"(\r\n   Drive C:\.{11}Fixed     [0-9,]+ KB Free\r\n)")));
    EXPECT_TRUE(std::regex_search(report, std::regex(R"(\r\n   Number of CPUs\.{6}[1-9][0-9]*\r\n)")));
    EXPECT_NE(report.find("\r\n   Windows Version......Linux "), std::string::npos);
    // The real shared objects of this process: the C++ runtime among them,
    // the test program first.
    EXPECT_GE(components, 3u);
    EXPECT_NE(report.find("libstdc++.so"), std::string::npos);
    const size_t listed = report.find("Other Components Running In Process\r\n    /");
    ASSERT_NE(listed, std::string::npos);
    EXPECT_EQ(report.compare(listed + 41, framework->program().folder.string().size(),
                             framework->program().folder.string()),
              0);
}

TEST_F(FakeRootTest, ProcAndEtcEntriesAreRead) {
    write("proc/meminfo", "MemTotal:       2048 kB\nMemFree:         100 kB\nMemAvailable:    512 kB\n");
    write("proc/self/status", "Name:\ttest\nVmSize:\t    4096 kB\n");
    write("proc/cpuinfo",
          "processor\t: 0\nvendor_id\t: GenuineIntel\ncpu family\t: 6\nmodel\t\t: 8\nmodel name\t: Pentium III "
          "(Coppermine)\nstepping\t: 1\ncpu MHz\t\t: 866.0\n\nprocessor\t: 1\nvendor_id\t: AuthenticAMD\n");
    write("etc/os-release", "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
    auto facts = makeLinuxSystemFacts(root);
    const std::optional<MemoryFacts> memory = facts->memory();
    ASSERT_TRUE(memory.has_value());
    EXPECT_EQ(memory->totalPhysical, 2048u * 1024);
    EXPECT_EQ(memory->availablePhysical, 512u * 1024);
    EXPECT_EQ(memory->availableVirtual, memory->totalVirtual - 4096 * 1024);
    EXPECT_EQ(fsCPUNAME(*facts), "Intel Pentium III or Pentium III Xeon Model, 08 Stepping 01");
    EXPECT_TRUE(fsWINDOWSVERSION(*facts).ends_with(") Debian GNU/Linux 12 (bookworm)"));

    // A process of this program other than this one.
    const fs::path program = "/opt/lumo/libLUMOAudioPlayer.so";
    EXPECT_FALSE(facts->otherInstanceRuns(program));
    write("proc/" + std::to_string(::getpid()) + "/maps", "7f00-7f10 r-xp 0 08:01 5 " + program.string() + "\n");
    EXPECT_FALSE(facts->otherInstanceRuns(program));
    write("proc/4242/maps", "7f00-7f10 r-xp 0 08:01 5 /usr/lib/libc.so.6\n");
    EXPECT_FALSE(facts->otherInstanceRuns(program));
    write("proc/4243/maps", "7f00-7f10 r-xp 0 08:01 5 " + program.string() + "\n");
    EXPECT_TRUE(facts->otherInstanceRuns(program));
}

TEST_F(FakeRootTest, MissingEntriesFallBack) {
    auto facts = makeLinuxSystemFacts(root);
    // sysinfo answers without /proc/meminfo; the address space needs no file.
    const std::optional<MemoryFacts> memory = facts->memory();
    ASSERT_TRUE(memory.has_value());
    EXPECT_GT(memory->totalPhysical, 0u);
    EXPECT_LE(memory->availablePhysical, memory->totalPhysical);
    EXPECT_GT(memory->totalVirtual, 0u);
    EXPECT_FALSE(memory->availableVirtual.has_value());
    // Without /proc/cpuinfo the processor is named by its architecture.
    EXPECT_FALSE(fsCPUNAME(*facts).empty());
    EXPECT_EQ(fsCPUNAME(*facts), facts->processor()->machine);
    EXPECT_FALSE(facts->otherInstanceRuns("/opt/lumo/libLUMOAudioPlayer.so"));
    // The loaded objects come from the dynamic linker, not from /proc.
    const std::vector<std::string> modules = facts->loadedModules();
    EXPECT_TRUE(std::any_of(modules.begin(), modules.end(),
                            [](const std::string& m) { return m.find("libstdc++.so") != std::string::npos; }));
    EXPECT_EQ(facts->kernel()->distribution, "");
    EXPECT_FALSE(facts->file(root / "nothing-here").has_value());

    ProgramInfo program{root, "libLUMOAudioPlayer.so", "LUMOAudioPlayer", "LUMOAudioPlayer", 1, 0, 0};
    const std::string report = systemReport(*facts, program);
    EXPECT_NE(report.find("\r\n   Available Virtual...<Unknown>\r\n"), std::string::npos);
    EXPECT_NE(report.find("\r\n  EXE Size............<Unknown>\r\n"), std::string::npos);
    EXPECT_NE(report.find("\r\n   Number of Monitors..1\r\n"), std::string::npos);
}

}  // namespace
}  // namespace lumo::failsafe::testing
