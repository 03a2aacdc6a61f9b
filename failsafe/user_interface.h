#pragma once
// What the framework needs of the windowing system: message boxes, letting
// pending window messages run, and disabling the program's windows while a
// trace monitor pauses it. The window toolkit implements this interface; the
// headless one below serves programs without windows.

#include <cstdint>
#include <string_view>

namespace lumo::failsafe {

// Message box styles and answers, with the classic numeric values that
// stored settings and callers use.
namespace box {
inline constexpr int32_t OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4,
                         RetryCancel = 5;
inline constexpr int32_t Critical = 16, Question = 32, Exclamation = 48, Information = 64;
inline constexpr int32_t DefaultButton2 = 256, DefaultButton3 = 512;
inline constexpr int32_t Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7;

// The answer a box of this style gives when its default button is chosen.
int32_t defaultAnswer(int32_t style);
}  // namespace box

class UserInterface {
public:
    virtual ~UserInterface() = default;
    // Shows a modal box, text lines separated by CR or CR LF; returns the answer.
    virtual int32_t messageBox(std::string_view text, int32_t style, std::string_view title) = 0;
    virtual void processPendingEvents() = 0;
    virtual void setProgramWindowsEnabled(bool enabled) = 0;
};

// Without a display: the box goes to standard error and is answered with its
// default button; there are no windows and no pending messages.
class HeadlessUserInterface final : public UserInterface {
public:
    int32_t messageBox(std::string_view text, int32_t style, std::string_view title) override;
    void processPendingEvents() override {}
    void setProgramWindowsEnabled(bool) override {}
};

}  // namespace lumo::failsafe
