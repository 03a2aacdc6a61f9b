#include "failsafe/system/system_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lumo::failsafe {
namespace {

// A value function never stops the report: a failure gives what it has.
template <typename Read>
std::string valueOr(Read&& read, std::string fallback = {}) noexcept {
    try {
        return read();
    } catch (...) {
        return fallback;
    }
}

std::string yesNo(bool yes) { return yes ? "Yes" : "No"; }

// Digits of a kernel release such as "6.1.0-18-amd64", 0 where one is missing.
int releasePart(const std::string& release, int index) {
    size_t at = 0;
    for (int part = 0; part < index; ++part) {
        at = release.find('.', at);
        if (at == std::string::npos) return 0;
        ++at;
    }
    return std::atoi(release.c_str() + at);
}

bool describedByClassicName(const ProcessorFacts& cpu) {
    if (cpu.vendor != "GenuineIntel") return false;
    if (cpu.family >= 3 && cpu.family <= 5) return true;
    const int known[] = {1, 3, 5, 6, 7, 8};
    return cpu.family == 6 && std::find(std::begin(known), std::end(known), cpu.model) != std::end(known);
}

}  // namespace

std::string classicCpuName(int type, int level, int revision) {
    if (type == 386 || type == 486) return "Intel 386";
    if (type == 586 && level == 6) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(revision) & 0xFFFFu);
        const std::string modelText(hex, 2), stepping(hex + 2, 2);
        if (modelText.find_first_not_of("0123456789") != std::string::npos) return "Unable to determine processor type";
        switch (std::stoi(modelText)) {
            case 1: return "Intel Pentium Pro, Model " + modelText + ", Stepping " + stepping;
            case 3: return "Intel Pentium II, Model 3 Stepping " + stepping;
            case 5:
                return "Intel Pentium II Model 5, Pentium II Xeon Model 5, or Celeron Model 5, Stepping " + stepping;
            case 6: return "Intel Celeron Model 6 Stepping, " + stepping;
            case 7:
            case 8: return "Intel Pentium III or Pentium III Xeon Model, " + modelText + " Stepping " + stepping;
            default: return "Unable to determine processor type";
        }
    }
    if (type == 586) return "Pentium";
    if (type == 4000) return "MIPS R4000";
    if (type == 21064) return "Alpha 21064";
    return "Unknown";
}

std::string fsCOMPUTERNAME(SystemFacts& facts) {
    return valueOr([&] { return facts.computerName(); });
}

std::string fsWINDOWSVERSION(SystemFacts& facts) {
    return valueOr([&] {
        const std::optional<KernelFacts> kernel = facts.kernel();
        if (!kernel) return std::string();
        return kernel->name + " " + std::to_string(releasePart(kernel->release, 0)) + "." +
               std::to_string(releasePart(kernel->release, 1)) + " (Build " +
               std::to_string(releasePart(kernel->release, 2)) + ") " + kernel->distribution;
    });
}

std::string fsCPUNAME(SystemFacts& facts) {
    return valueOr(
        [&] {
            const std::optional<ProcessorFacts> cpu = facts.processor();
            if (!cpu) return std::string("Unknown");
            if (describedByClassicName(*cpu)) {
                const int type = cpu->family == 3 ? 386 : cpu->family == 4 ? 486 : 586;
                return classicCpuName(type, cpu->family, (cpu->model & 0xFF) << 8 | (cpu->stepping & 0xFF));
            }
            if (!cpu->modelName.empty()) return cpu->modelName;
            return cpu->machine.empty() ? std::string("Unknown") : cpu->machine;
        },
        "Unknown");
}

std::string fsCPUCOUNT(SystemFacts& facts) {
    return valueOr([&] { return std::to_string(facts.processorCount()); });
}

std::string fsCOLORS(SystemFacts& facts) {
    return valueOr([&] {
        const std::optional<DisplayFacts> display = facts.display();
        if (!display || display->bitsPerPixel < 0 || display->bitsPerPixel > 63) return std::string();
        if (display->bitsPerPixel == 24) return std::string("True Color");
        return std::to_string(uint64_t{1} << display->bitsPerPixel);
    });
}

std::string fsSCREENSIZE(SystemFacts& facts) {
    return valueOr([&] {
        const std::optional<DisplayFacts> display = facts.display();
        if (!display) return std::string();
        return std::to_string(display->width) + " x " + std::to_string(display->height);
    });
}

std::string fsMONITORS(SystemFacts& facts) {
    return valueOr(
        [&] {
            const std::optional<DisplayFacts> display = facts.display();
            return std::to_string(display && display->monitors > 1 ? display->monitors : 1);
        },
        "1");
}

std::string fsMOUSEBUTTONS(SystemFacts& facts) {
    return valueOr([&] {
        const std::optional<DisplayFacts> display = facts.display();
        return std::to_string(display ? display->mouseButtons : 0);
    });
}

std::string fsMOUSEWHEEL(SystemFacts& facts) {
    return valueOr([&] {
        const std::optional<DisplayFacts> display = facts.display();
        return yesNo(display && display->mouseWheel);
    });
}

std::string fsLANGUAGE(SystemFacts& facts) {
    // The classic buffer held 99 characters with the final NUL.
    return valueOr([&] { return facts.locale().nativeLanguage.substr(0, 98); });
}

std::string fsMIDEAST(SystemFacts& facts) {
    return valueOr([&] { return yesNo(facts.locale().rightToLeft); });
}

std::string fsDBCS(SystemFacts& facts) {
    return valueOr([&] { return yesNo(facts.locale().doubleByte); });
}

std::string fsVERSIONVALUE(const std::filesystem::path&, std::string_view) { return "<Not Found>"; }

std::string fsFILECREATED(SystemFacts& facts, const std::filesystem::path& file) {
    return valueOr([&] {
        const std::optional<FileFacts> found = facts.file(file);
        if (!found) return std::string();
        return generalDate(facts.localTime(found->created), facts.locale().monthFirst);
    });
}

std::string groupedNumber(uint64_t value, std::string_view separator) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text.append(separator);
        text.push_back(digits[i]);
    }
    return text;
}

std::string upToTwoDecimals(double value, std::string_view decimalSeparator) {
    if (!std::isfinite(value)) return {};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string text = buffer;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    if (const size_t point = text.find('.'); point != std::string::npos) text.replace(point, 1, decimalSeparator);
    return text;
}

std::string generalDate(const std::tm& time, bool monthFirst) {
    char buffer[64];
    const int first = monthFirst ? time.tm_mon + 1 : time.tm_mday;
    const int second = monthFirst ? time.tm_mday : time.tm_mon + 1;
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d %02d:%02d:%02d", first, second, time.tm_year + 1900,
                  time.tm_hour, time.tm_min, time.tm_sec);
    return buffer;
}

}  // namespace lumo::failsafe
