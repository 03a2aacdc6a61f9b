#pragma once
// The single values of the system information report, also what the defect
// report's labelled fields carry. Each returns what it has, usually an empty
// text, when its fact cannot be read; none throws.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

#include "failsafe/system/system_facts.h"

namespace lumo::failsafe {

std::string fsCOMPUTERNAME(SystemFacts& facts);
// The kernel and the distribution in the classic version line's shape:
// "Linux 6.1 (Build 0) Debian GNU/Linux 12 (bookworm)".
std::string fsWINDOWSVERSION(SystemFacts& facts);
// The classic names where they describe the processor (Intel's 386 to
// Pentium III), otherwise the processor's own name.
std::string fsCPUNAME(SystemFacts& facts);
std::string fsCPUCOUNT(SystemFacts& facts);
// 2 to the bits per pixel, or "True Color" for 24 bits.
std::string fsCOLORS(SystemFacts& facts);
std::string fsSCREENSIZE(SystemFacts& facts);
std::string fsMONITORS(SystemFacts& facts);
std::string fsMOUSEBUTTONS(SystemFacts& facts);
std::string fsMOUSEWHEEL(SystemFacts& facts);
std::string fsLANGUAGE(SystemFacts& facts);
std::string fsMIDEAST(SystemFacts& facts);
std::string fsDBCS(SystemFacts& facts);
void fsDRIVES(SystemFacts& facts, std::string& report);
void fsCOMPONENTS(SystemFacts& facts, int indent, std::string& report);
// ELF files carry no version resource.
std::string fsVERSIONVALUE(const std::filesystem::path& file, std::string_view key);
std::string fsFILECREATED(SystemFacts& facts, const std::filesystem::path& file);

// The processor name from the classic processor type (386, 486, 586, 4000,
// 21064), level and revision.
std::string classicCpuName(int type, int level, int revision);

// "###,###,###": thousands grouped with the separator, no decimals.
std::string groupedNumber(uint64_t value, std::string_view separator);
// "##.##": at most two decimals, none shown when they are zero.
std::string upToTwoDecimals(double value, std::string_view decimalSeparator);
// The general date: 04/12/2026 05:10:33, day and month in the locale's order.
std::string generalDate(const std::tm& time, bool monthFirst);

inline constexpr size_t maxModulesListed = 1024;

}  // namespace lumo::failsafe
