#pragma once
// What a classic message box style value asks for: which buttons in which
// order, which icon, which button Enter chooses and what Escape or the close
// box answers. Buttons are named by the answers they give (failsafe::box).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::dialogs {

struct MessageBoxShape {
    std::vector<int32_t> buttons;  // answers, in the order the style lists them
    int32_t icon = 0;              // 0 none, else box::Critical, Question, Exclamation or Information
    int32_t defaultAnswer = 0;     // the button Enter chooses
    int32_t escapeAnswer = 0;      // what Escape and the close box answer
};

// Button sets beyond RetryCancel are read as OkOnly; unknown icon values show
// none. The default button is the one the headless interface answers with
// (box::defaultAnswer), so a box has one default wherever it is shown.
MessageBoxShape messageBoxShape(int32_t style);

// The text with its line breaks: CR LF and CR alone become LF.
std::string boxText(std::string_view text);

}  // namespace lumo::dialogs
