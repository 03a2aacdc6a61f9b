#pragma once
// Texts the windows and the automation object show: a playing time, the
// program's version, a media player error item, the date and time of log lines.

#include <cstdint>
#include <string>

#include "platform/media_player.h"

namespace lumo::common {

// Seconds as hh:mm:ss; hours may have more digits. Seconds round half to
// even; a negative or not-a-number time reads 00:00:00.
std::string FormatPosition(double seconds);

// The program's version: major, minor with two digits, revision with four
// (1.05.0007).
std::string ISFormatAppVersion();
std::string formatAppVersion(int major, int minor, int revision);

// One error item, a line per field, each ended by a CR alone.
std::string GetErrorItemString(const platform::ErrorItem& item);

// The current local date and time in the user's general form, with seconds:
// 04/12/2026 05:10:33 (day and month in the order of the user's locale).
std::string generalDateTime();

}  // namespace lumo::common
