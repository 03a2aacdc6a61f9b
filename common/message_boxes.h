#pragma once
// Every message box of the program, and the error log LUMOAudioErrors.log:
// boxes are shown through the framework's user interface and, depending on
// the "MBLog" setting, noted in the log with the user's answer; errors that
// a procedure caught and chose to note are logged with where they happened.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumo::common {

int32_t FunMsgBox(std::string_view prompt, int32_t style, std::string_view title);
void SubMsgBox(std::string_view prompt, int32_t style, std::string_view title);

// 1 logs nothing, 3 every box ("ALL"), 2 (anything else) the boxes of style
// exactly 16 ("CRITICAL"). Read from the settings at every box.
int32_t GetOptionMBLog();
// The level a stored "MBLog" text selects: 1 and 3 as numbers, else 2.
int32_t mbLogLevelOf(std::string_view stored);
void LogMBText(std::string_view prompt, std::string_view levelWord, std::optional<int32_t> answer = std::nullopt);
// Notes an error the program caught in the framework's log, in the same line
// as the errors that procedures log and clear.
void LogError(std::string_view location, int32_t lineNumber, int32_t errorNumber, std::string_view description);

// Makes LogError, a procedure of its own on the trace, the place where
// procedures that log and clear their errors note them.
void installErrorLog();

}  // namespace lumo::common
