#include "failsafe/system/system_report.h"

#include <algorithm>

#include "failsafe/framework.h"
#include "failsafe/system/system_values.h"

namespace lumo::failsafe {
namespace {

constexpr std::string_view unknown = "<Unknown>";

void line(std::string& report, std::string_view text) { report.append(text).append("\r\n"); }
void line(std::string& report, std::string_view label, std::string_view value) {
    report.append(label).append(value).append("\r\n");
}

// Each section reads its facts under a guard: a fact that fails leaves its
// lines with their defaults, and the report goes on.
template <typename Read>
auto guardedFact(Read&& read) noexcept -> decltype(read()) {
    try {
        return read();
    } catch (...) {
        return {};
    }
}

bool isSharedObject(const std::string& fileName) {
    const size_t so = fileName.find(".so");
    return so != std::string::npos && (so + 3 == fileName.size() || fileName[so + 3] == '.');
}

void applicationSection(std::string& report, SystemFacts& facts, const ProgramInfo& program, const LocaleFacts& locale) {
    const std::filesystem::path file = program.folder / program.fileName;
    line(report, "Application");
    line(report, "   Title...............", program.projectName.empty() ? program.name : program.projectName);
    line(report, "   Path................", program.folder.string());
    line(report, "   Project Version.....",
         std::to_string(program.major) + "." + std::to_string(program.minor) + "." + std::to_string(program.revision));
    // A shared object runs because a host created one of its objects.
    line(report, isSharedObject(program.fileName) ? "   OLE Server..........YES" : "   OLE Server..........NO");
    const bool previous = guardedFact([&] { return facts.otherInstanceRuns(file); });
    line(report, "   Previous Instance...", previous ? "True" : "False");
    line(report, "  EXE Name............", program.name);
    const std::optional<FileFacts> found = guardedFact([&] { return facts.file(file); });
    line(report, "  EXE Time Stamp......",
         found ? generalDate(facts.localTime(found->modified), locale.monthFirst) : std::string(unknown));
    line(report, "  EXE Size............",
         found ? groupedNumber(found->size, locale.groupSeparator) + " bytes" : std::string(unknown));
}

void operatingSystemSection(std::string& report, SystemFacts& facts) {
    line(report, "Operating System");
    line(report, "   Windows Version......", fsWINDOWSVERSION(facts));
    line(report, "   Debug Kernel........", "No");
    line(report, "   Language............", fsLANGUAGE(facts));
    line(report, "   Mideast.............", fsMIDEAST(facts));
    line(report, "   DCBS................", fsDBCS(facts));
    line(report, "   Windows Directory...", unknown);
    line(report, "   Current Path........", guardedFact([&] { return facts.currentFolder(); }));
}

void memorySection(std::string& report, SystemFacts& facts, const LocaleFacts& locale) {
    line(report, "Memory Information");
    const std::optional<MemoryFacts> memory = guardedFact([&] { return facts.memory(); });
    auto kilobytes = [&](std::optional<uint64_t> bytes) {
        return bytes ? groupedNumber(*bytes / 1024, locale.groupSeparator) + "K" : std::string(unknown);
    };
    if (!memory) {
        for (std::string_view label : {"   Total Physical......", "   Available Physical..", "   Virtual Memory......",
                                       "   Available Virtual...", "   Pct Physical Free..."})
            line(report, label, unknown);
        return;
    }
    line(report, "   Total Physical......", kilobytes(memory->totalPhysical));
    if (memory->availablePhysical / 1024 > 0)
        line(report, "   Available Physical..", kilobytes(memory->availablePhysical));
    else
        line(report, "   Available Physical..<none>");
    line(report, "   Virtual Memory......", kilobytes(memory->totalVirtual));
    line(report, "   Available Virtual...", kilobytes(memory->availableVirtual));
    line(report, "   Pct Physical Free...",
         memory->totalPhysical == 0
             ? std::string(unknown)
             : upToTwoDecimals(static_cast<double>(memory->availablePhysical) /
                                   static_cast<double>(memory->totalPhysical) * 100,
                               locale.decimalSeparator) +
                   "%");
}

void fixedSections(std::string& report, SystemFacts& facts) {
    line(report, "Printer");
    const std::string printer = guardedFact([&] { return facts.defaultPrinter(); });
    line(report, "   Driver..............", printer.empty() ? unknown : printer);
    line(report, "Ports");
    line(report, "   Serial Driver.......", unknown);
    for (std::string_view port : {"   Com1................", "   Com2................", "   Com3................",
                                  "   Com4................"})
        line(report, port, unknown);
    line(report, "Network");
    line(report, "   Driver..............", unknown);
    line(report, "   Description.........", unknown);
}

void displaySections(std::string& report, SystemFacts& facts, const LocaleFacts& locale) {
    line(report, "General Video Information");
    const std::string colors = fsCOLORS(facts);
    const bool numeric = !colors.empty() && colors.find_first_not_of("0123456789") == std::string::npos;
    line(report, "   Colors.......................",
         numeric ? groupedNumber(std::stoull(colors), locale.groupSeparator) : colors);
    line(report, "   Screen size..............", fsSCREENSIZE(facts));
    line(report, "   Number of Monitors..", fsMONITORS(facts));
    line(report, "Mouse");
    const std::optional<DisplayFacts> display = guardedFact([&] { return facts.display(); });
    const auto named = [](const std::string& name) { return name.empty() ? unknown : std::string_view(name); };
    line(report, "   Mouse Present.......", display && display->mousePresent ? "Yes" : "No");
    line(report, "   Driver..............", unknown);
    line(report, "   Description.........", display ? named(display->mouseName) : unknown);
    line(report, "   Mouse Buttons.......", fsMOUSEBUTTONS(facts));
    line(report, "   Mouse Wheel.......", fsMOUSEWHEEL(facts));
    line(report, "Keyboard");
    line(report, "   Driver..............", unknown);
    line(report, "   Description.........", display ? named(display->keyboardName) : unknown);
}

std::string driveLine(const DriveFacts& drive, const LocaleFacts& locale) {
    std::string text = "   Drive " + std::string(1, drive.letter) + ":";
    switch (drive.kind) {
        case DriveKind::Unknown: return text + "...........Unknown   ";
        case DriveKind::Removable: return text + "...........Floppy    ";
        case DriveKind::Remote: return text + "...........Network   ";
        case DriveKind::Cdrom: return text + "...........CD        ";
        case DriveKind::Fixed: break;
    }
    text += "...........Fixed     ";
    return text + (drive.freeBytes ? groupedNumber(*drive.freeBytes / 1024, locale.groupSeparator) + " KB Free"
                                   : std::string(unknown));
}

std::shared_ptr<SystemFacts>& installedFacts() {
    static std::shared_ptr<SystemFacts> facts = makeLinuxSystemFacts();
    return facts;
}

}  // namespace

void fsDRIVES(SystemFacts& facts, std::string& report) {
    const LocaleFacts locale = guardedFact([&] { return facts.locale(); });
    std::vector<DriveFacts> drives = guardedFact([&] { return facts.drives(); });
    line(report, "Drives");
    const int floppies = (!drives.empty() && drives[0].letter == 'A') + (drives.size() > 1 && drives[1].letter == 'B');
    line(report, "   Floppies............", std::to_string(floppies));
    line(report, "   Disks...............", std::to_string(static_cast<int>(drives.size()) - floppies));
    std::stable_sort(drives.begin(), drives.end(), [](const DriveFacts& a, const DriveFacts& b) {
        return a.letter < b.letter;
    });
    for (const DriveFacts& drive : drives)
        if (drive.letter >= 'A' && drive.letter <= 'Z') line(report, driveLine(drive, locale));
}

void fsCOMPONENTS(SystemFacts& facts, int indent, std::string& report) {
    std::vector<std::string> modules = guardedFact([&] { return facts.loadedModules(); });
    if (modules.size() > maxModulesListed) modules.resize(maxModulesListed);
    const std::string lead(static_cast<size_t>(std::max(indent, 0)) + 2, ' ');
    for (const std::string& module : modules) {
        std::string text = lead + module;
        text.append("       FileVersion: ").append(fsVERSIONVALUE(module, "FileVersion"));
        text.append(" ProductVersion: ").append(fsVERSIONVALUE(module, "ProductVersion"));
        text.append(" ProductName: ").append(fsVERSIONVALUE(module, "ProductName"));
        text.append(" CompanyName: ").append(fsVERSIONVALUE(module, "CompanyName"));
        text.append(" FileDescription: ").append(fsVERSIONVALUE(module, "FileDescription"));
        text.append("  Created: ").append(fsFILECREATED(facts, module));
        line(report, text);
    }
}

std::string systemReport(SystemFacts& facts, const ProgramInfo& program) {
    std::string report;
    const LocaleFacts locale = guardedFact([&] { return facts.locale(); });
    line(report, "Application running on computer ", fsCOMPUTERNAME(facts));
    applicationSection(report, facts, program, locale);
    operatingSystemSection(report, facts);
    memorySection(report, facts, locale);
    line(report, "Processor");
    line(report, "   CPU.................", fsCPUNAME(facts));
    line(report, "   Number of CPUs......", fsCPUCOUNT(facts));
    fsDRIVES(facts, report);
    fixedSections(report, facts);
    displaySections(report, facts, locale);
    line(report, "Other Components Running In Process");
    fsCOMPONENTS(facts, 2, report);
    return report;
}

SystemFacts& processSystemFacts() { return *installedFacts(); }

void setProcessSystemFacts(std::shared_ptr<SystemFacts> facts) {
    installedFacts() = facts ? std::move(facts) : makeLinuxSystemFacts();
}

void fsSYSTEMREPORT(std::string& report) { report += systemReport(processSystemFacts(), framework().program()); }

}  // namespace lumo::failsafe
