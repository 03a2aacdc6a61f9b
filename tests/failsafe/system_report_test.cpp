// The system information report on fixed facts, line by line, and its value
// functions at their edges.
#include <algorithm>

#include "failsafe/system_report.h"
#include "failsafe/system_values.h"
#include "fake_facts.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

ProgramInfo library() {
    return {"/opt/lumo", "libLUMOAudioPlayer.so", "LUMOAudioPlayer", "LUMOAudioPlayer", 2, 1, 7};
}

std::string componentLine(const std::string& file, const std::string& created) {
    return "    " + file +
           "       FileVersion: <Not Found> ProductVersion: <Not Found> ProductName: <Not Found> "
           "CompanyName: <Not Found> FileDescription: <Not Found>  Created: " +
           created;
}

// The line that starts with `label`, without the label; "(missing)" if none.
std::string valueAfter(const std::string& report, std::string_view label) {
    for (const std::string& line : crlfLines(report))
        if (line.starts_with(label)) return line.substr(label.size());
    return "(missing)";
}

TEST(SystemReport, EveryLineOnKnownFacts) {
    FakeFacts facts;
    const std::vector<std::string> expected = {
        "Application running on computer studio-pc",
        "Application",
        "   Title...............LUMOAudioPlayer",
        "   Path................/opt/lumo",
        "   Project Version.....2.1.7",
        "   OLE Server..........YES",
        "   Previous Instance...False",
        "  EXE Name............LUMOAudioPlayer",
        "  EXE Time Stamp......11/14/2023 22:13:20",
        "  EXE Size............1,234,567 bytes",
        "Operating System",
        "   Windows Version......Linux 6.1 (Build 0) Debian GNU/Linux 12 (bookworm)",
        "   Debug Kernel........No",
        "   Language............English",
        "   Mideast.............No",
        "   DCBS................No",
        "   Windows Directory...<Unknown>",
        "   Current Path......../home/ann",
        "Memory Information",
        "   Total Physical......8,388,608K",
        "   Available Physical..3,145,728K",
        "   Virtual Memory......137,438,953,468K",
        "   Available Virtual...137,438,476,562K",
        "   Pct Physical Free...37.5%",
        "Processor",
        "   CPU.................Intel Pentium III or Pentium III Xeon Model, 08 Stepping 01",
        "   Number of CPUs......4",
        "Drives",
        "   Floppies............0",
        "   Disks...............1",
        "   Drive C:...........Fixed     51,200,000 KB Free",
        "Printer",
        "   Driver..............<Unknown>",
        "Ports",
        "   Serial Driver.......<Unknown>",
        "   Com1................<Unknown>",
        "   Com2................<Unknown>",
        "   Com3................<Unknown>",
        "   Com4................<Unknown>",
        "Network",
        "   Driver..............<Unknown>",
        "   Description.........<Unknown>",
        "General Video Information",
        "   Colors.......................True Color",
        "   Screen size..............1920 x 1080",
        "   Number of Monitors..2",
        "Mouse",
        "   Mouse Present.......Yes",
        "   Driver..............<Unknown>",
        "   Description.........Logitech MX Master 3",
        "   Mouse Buttons.......5",
        "   Mouse Wheel.......Yes",
        "Keyboard",
        "   Driver..............<Unknown>",
        "   Description.........<Unknown>",
        "Other Components Running In Process",
        componentLine("/usr/bin/host", "07/22/2023 04:26:40"),
        componentLine("/usr/lib/libLUMOAudioPlayer.so", "07/22/2023 04:26:40"),
    };
    const std::string report = systemReport(facts, library());
    ASSERT_TRUE(report.ends_with("\r\n"));
    EXPECT_EQ(crlfLines(report), expected);
}

TEST(SystemReport, LinesFollowTheFactsAndTheLocale) {
    FakeFacts facts;
    facts.localeFacts = {"Deutsch", false, false, ".", ",", false};
    facts.displayFacts->bitsPerPixel = 32;
    facts.memoryFacts->availablePhysical = 2863311530;  // a third of 8 GiB
    facts.otherInstance = true;
    facts.printer = "Office_LaserJet";
    facts.displayFacts->keyboardName = "AT Translated Set 2 keyboard";
    ProgramInfo program = library();
    program.fileName = "lumo-host";
    const std::string report = systemReport(facts, program);
    EXPECT_EQ(valueAfter(report, "   Colors......................."), "4.294.967.296");
    EXPECT_EQ(valueAfter(report, "   Pct Physical Free..."), "33,33%");
    EXPECT_EQ(valueAfter(report, "  EXE Time Stamp......"), "14/11/2023 22:13:20");
    EXPECT_EQ(valueAfter(report, "  EXE Size............"), "1.234.567 bytes");
    EXPECT_EQ(valueAfter(report, "   Language............"), "Deutsch");
    EXPECT_EQ(valueAfter(report, "   Previous Instance..."), "True");
    EXPECT_EQ(valueAfter(report, "   Driver.............."), "Office_LaserJet");
    EXPECT_NE(report.find("   OLE Server..........NO\r\n"), std::string::npos);
    EXPECT_NE(report.find("Keyboard\r\n   Driver..............<Unknown>\r\n"
                          "   Description.........AT Translated Set 2 keyboard\r\n"),
              std::string::npos);
}

TEST(SystemReport, MissingFactsGiveTheDefaults) {
    FakeFacts facts;
    facts.name.clear();
    facts.kernelFacts.reset();
    facts.memoryFacts.reset();
    facts.processorFacts.reset();
    facts.displayFacts.reset();  // no display
    facts.fileFacts.reset();
    facts.driveFacts.clear();
    facts.modules.clear();
    const std::string report = systemReport(facts, library());
    EXPECT_TRUE(report.starts_with("Application running on computer \r\n"));
    EXPECT_EQ(valueAfter(report, "  EXE Time Stamp......"), "<Unknown>");
    EXPECT_EQ(valueAfter(report, "  EXE Size............"), "<Unknown>");
    EXPECT_EQ(valueAfter(report, "   Windows Version......"), "");
    for (std::string_view label : {"   Total Physical......", "   Available Physical..", "   Virtual Memory......",
                                   "   Available Virtual...", "   Pct Physical Free..."})
        EXPECT_EQ(valueAfter(report, label), "<Unknown>") << label;
    EXPECT_EQ(valueAfter(report, "   CPU................."), "Unknown");
    EXPECT_EQ(valueAfter(report, "   Disks..............."), "0");
    EXPECT_EQ(report.find("   Drive "), std::string::npos);
    EXPECT_EQ(valueAfter(report, "   Colors......................."), "");
    EXPECT_EQ(valueAfter(report, "   Screen size.............."), "");
    EXPECT_EQ(valueAfter(report, "   Number of Monitors.."), "1");
    EXPECT_EQ(valueAfter(report, "   Mouse Present......."), "No");
    EXPECT_EQ(valueAfter(report, "   Mouse Buttons......."), "0");
    EXPECT_EQ(valueAfter(report, "   Mouse Wheel......."), "No");
    EXPECT_TRUE(report.ends_with("Other Components Running In Process\r\n"));

    facts.memoryFacts = MemoryFacts{8ull << 30, 1023, 1ull << 40, std::nullopt};  // under one kilobyte
    const std::string low = systemReport(facts, library());
    EXPECT_NE(low.find("   Available Physical..<none>\r\n"), std::string::npos);
    EXPECT_EQ(valueAfter(low, "   Available Virtual..."), "<Unknown>");
}

// Facts that throw are as good as missing: the report is still whole.
TEST(SystemReport, FailingFactsDoNotStopTheReport) {
    class Failing final : public SystemFacts {
        [[noreturn]] static void fail() { throw std::runtime_error("unreadable"); }

    public:
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
        bool otherInstanceRuns(const std::filesystem::path&) override { fail(); }
        std::vector<std::string> loadedModules() override { fail(); }
        std::optional<FileFacts> file(const std::filesystem::path&) override { fail(); }
        std::tm localTime(std::time_t) override { fail(); }
    } facts;
    const std::vector<std::string> lines = crlfLines(systemReport(facts, library()));
    EXPECT_EQ(lines.size(), 55u);
    EXPECT_EQ(lines.back(), "Other Components Running In Process");
    EXPECT_EQ(fsMONITORS(facts), "1");
    EXPECT_EQ(fsCPUNAME(facts), "Unknown");
}

TEST(SystemValues, ClassicProcessorNames) {
    const std::vector<std::tuple<int, int, int, std::string>> cases = {
        {586, 6, 0x0801, "Intel Pentium III or Pentium III Xeon Model, 08 Stepping 01"},
        {586, 6, 0x0703, "Intel Pentium III or Pentium III Xeon Model, 07 Stepping 03"},
        {586, 6, 0x0109, "Intel Pentium Pro, Model 01, Stepping 09"},
        {586, 6, 0x0302, "Intel Pentium II, Model 3 Stepping 02"},
        {586, 6, 0x0500, "Intel Pentium II Model 5, Pentium II Xeon Model 5, or Celeron Model 5, Stepping 00"},
        {586, 6, 0x0605, "Intel Celeron Model 6 Stepping, 05"},
        {586, 6, 0x0A01, "Unable to determine processor type"},  // a letter in the model digits
        {586, 6, 0x1001, "Unable to determine processor type"},  // read as decimal 10
        {586, 6, 0x0200, "Unable to determine processor type"},
        {586, 5, 0x0201, "Pentium"},
        {386, 3, 0, "Intel 386"},
        {486, 4, 0, "Intel 386"},
        {4000, 0, 0, "MIPS R4000"},
        {21064, 0, 0, "Alpha 21064"},
        {8664, 0, 0, "Unknown"},
    };
    for (const auto& [type, level, revision, name] : cases)
        EXPECT_EQ(classicCpuName(type, level, revision), name) << type << " " << level << " " << revision;
}

// The classic names only where they describe the processor; its own name otherwise.
TEST(SystemValues, LinuxProcessorsGetANameThatSaysWhatTheyAre) {
    FakeFacts facts;
    const std::vector<std::pair<ProcessorFacts, std::string>> cases = {
        {{"GenuineIntel", 6, 8, 1, "Pentium III", "i686"}, "Intel Pentium III or Pentium III Xeon Model, 08 Stepping 01"},
        {{"GenuineIntel", 5, 2, 12, "Pentium 75 - 200", "i586"}, "Pentium"},
        {{"GenuineIntel", 4, 8, 0, "486 DX/4", "i486"}, "Intel 386"},
        {{"GenuineIntel", 6, 140, 1, "11th Gen Intel(R) Core(TM) i7-1165G7", "x86_64"},
         "11th Gen Intel(R) Core(TM) i7-1165G7"},
        {{"GenuineIntel", 15, 2, 9, "Intel(R) Pentium(R) 4 CPU 2.80GHz", "i686"}, "Intel(R) Pentium(R) 4 CPU 2.80GHz"},
        {{"AuthenticAMD", 6, 8, 1, "AMD Athlon(tm) XP 2400+", "i686"}, "AMD Athlon(tm) XP 2400+"},
        {{"", -1, -1, -1, "", "aarch64"}, "aarch64"},
        {{"", -1, -1, -1, "", ""}, "Unknown"},
    };
    for (const auto& [cpu, name] : cases) {
        facts.processorFacts = cpu;
        EXPECT_EQ(fsCPUNAME(facts), name) << cpu.modelName;
    }
}

TEST(SystemValues, DisplayAndLocaleValues) {
    FakeFacts facts;
    for (const auto& [bits, text] : std::vector<std::pair<int, std::string>>{{24, "True Color"}, {16, "65536"}, {1, "2"}}) {
        facts.displayFacts->bitsPerPixel = bits;
        EXPECT_EQ(fsCOLORS(facts), text) << bits;
    }
    facts.displayFacts->monitors = 0;  // a display server that reports none
    EXPECT_EQ(fsMONITORS(facts), "1");

    facts.localeFacts = {std::string(150, 'x'), true, true, ",", ".", true};
    EXPECT_EQ(fsLANGUAGE(facts), std::string(98, 'x'));  // the classic buffer's length
    EXPECT_EQ(fsMIDEAST(facts) + fsDBCS(facts), "YesYes");

    EXPECT_EQ(groupedNumber(0, ","), "0");
    EXPECT_EQ(groupedNumber(999, ","), "999");
    EXPECT_EQ(groupedNumber(1000, "\u00a0"), "1\u00a0000");
    EXPECT_EQ(upToTwoDecimals(100, "."), "100");
    EXPECT_EQ(upToTwoDecimals(0.004, "."), "0");
}

TEST(SystemValues, DrivesFromTheRootsInTheirOrder) {
    FakeFacts facts;
    facts.driveFacts = {{'A', DriveKind::Removable, std::nullopt},
                        {'B', DriveKind::Removable, std::nullopt},
                        {'D', DriveKind::Cdrom, std::nullopt},
                        {'C', DriveKind::Fixed, 1024ull * 1024 * 1024},
                        {'E', DriveKind::Remote, std::nullopt},
                        {'F', DriveKind::Unknown, std::nullopt},
                        {'G', DriveKind::Fixed, std::nullopt}};
    std::string report;
    fsDRIVES(facts, report);
    EXPECT_EQ(crlfLines(report), (std::vector<std::string>{
                                     "Drives",
                                     "   Floppies............2",
                                     "   Disks...............5",
                                     "   Drive A:...........Floppy    ",
                                     "   Drive B:...........Floppy    ",
                                     "   Drive C:...........Fixed     1,048,576 KB Free",
                                     "   Drive D:...........CD        ",
                                     "   Drive E:...........Network   ",
                                     "   Drive F:...........Unknown   ",
                                     "   Drive G:...........Fixed     <Unknown>",
                                 }));
    // A floppy counts only as A: first or B: second in the list.
    const std::vector<std::pair<std::vector<char>, std::string>> counts = {
        {{'C', 'D'}, "0 2"}, {{'C', 'B'}, "1 1"}, {{'B', 'A'}, "0 2"}, {{'A', 'C'}, "1 1"}};
    for (const auto& [letters, floppiesAndDisks] : counts) {
        facts.driveFacts.clear();
        for (char letter : letters) facts.driveFacts.push_back({letter, DriveKind::Fixed, 0});
        report.clear();
        fsDRIVES(facts, report);
        const std::vector<std::string> lines = crlfLines(report);
        EXPECT_EQ(lines[1].substr(23) + " " + lines[2].substr(23), floppiesAndDisks) << letters[0] << letters[1];
    }
}

TEST(SystemValues, ComponentsListAtMostTheClassicNumberOfModules) {
    FakeFacts facts;
    facts.modules.clear();
    for (size_t i = 0; i < maxModulesListed + 200; ++i)
        facts.modules.push_back("/usr/lib/plugins/" + std::string(200, 'p') + std::to_string(i) + ".so");
    facts.fileFacts.reset();
    std::string report;
    fsCOMPONENTS(facts, 4, report);
    const std::vector<std::string> lines = crlfLines(report);
    ASSERT_EQ(lines.size(), maxModulesListed);
    EXPECT_EQ(lines.front(), componentLine("  /usr/lib/plugins/" + std::string(200, 'p') + "0.so", ""));
    EXPECT_EQ(fsFILECREATED(facts, "/nowhere"), "");
}

}  // namespace
}  // namespace lumo::failsafe::testing
