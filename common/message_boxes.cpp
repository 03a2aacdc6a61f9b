#include "common/message_boxes.h"

#include "common/formatting.h"
#include "failsafe/failsafe.h"
#include "platform/user_settings.h"

namespace lumo::common {
namespace {

using failsafe::PassOver;
using failsafe::Procedure;

// Shows the box and notes it as the logging level says; the answer, when the
// caller wants one.
void showAndLog(std::string_view prompt, int32_t style, std::string_view title, int32_t& answer, bool withAnswer) {
    answer = failsafe::framework().ui().messageBox(prompt, style, title);
    const int32_t level = GetOptionMBLog();
    const std::optional<int32_t> logged = withAnswer ? std::optional<int32_t>(answer) : std::nullopt;
    if (level == 3) LogMBText(prompt, "ALL", logged);
    if (level == 2 && style == failsafe::box::Critical) LogMBText(prompt, "CRITICAL", logged);
}

}  // namespace

int32_t FunMsgBox(std::string_view prompt, int32_t style, std::string_view title) {
    Procedure proc("modErrors", "Function FunMsgBox");
    int32_t answer = 0;
    proc.step([&] { showAndLog(prompt, style, title, answer, true); });
    return answer;
}

void SubMsgBox(std::string_view prompt, int32_t style, std::string_view title) {
    Procedure proc("modErrors", "Sub SubMsgBox");
    int32_t answer = 0;
    proc.step([&] { showAndLog(prompt, style, title, answer, false); });
}

int32_t GetOptionMBLog() {
    Procedure proc("modMain", "Function GetOptionMBLog");
    int32_t level = 2;
    proc.step([&] { level = mbLogLevelOf(platform::readSetting("LUMO Player", "Settings", "MBLog").value_or("")); });
    return level;
}

int32_t mbLogLevelOf(std::string_view stored) {
    const std::optional<double> number = failsafe::Value(stored).number();
    if (number == 1.0) return 1;
    if (number == 3.0) return 3;
    return 2;
}

void LogMBText(std::string_view prompt, std::string_view levelWord, std::optional<int32_t> answer) {
    Procedure proc("modMain", "Sub LogMBText");
    proc.step([&] {
        std::string line = generalDateTime() + " MBLOG " + std::string(levelWord) + " " + std::string(prompt);
        if (answer) line += " MB Answer: " + std::to_string(*answer);
        failsafe::fsWRITELOG(line);
    });
}

void LogError(std::string_view location, int32_t lineNumber, int32_t errorNumber, std::string_view description) {
    Procedure proc("modErrors", "Sub LogError");
    proc.step([&] { failsafe::framework().writeCaughtError(location, lineNumber, errorNumber, description); });
}

void installErrorLog() {
    failsafe::framework().setCaughtErrorHandler(
        [](std::string_view location, int32_t line, int32_t number, std::string_view description) {
            LogError(location, line, number, description);
        });
}

}  // namespace lumo::common
