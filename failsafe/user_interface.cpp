#include "failsafe/user_interface.h"

#include <array>
#include <iostream>
#include <string>

namespace lumo::failsafe {

int32_t box::defaultAnswer(int32_t style) {
    static constexpr std::array<std::array<int32_t, 3>, 6> answers{{
        {Ok, Ok, Ok},
        {Ok, Cancel, Cancel},
        {Abort, Retry, Ignore},
        {Yes, No, Cancel},
        {Yes, No, No},
        {Retry, Cancel, Cancel},
    }};
    const int32_t buttons = style & 7;
    const int32_t index = (style >> 8) & 3;
    if (buttons >= static_cast<int32_t>(answers.size()) || index > 2) return Ok;
    return answers[buttons][index];
}

int32_t HeadlessUserInterface::messageBox(std::string_view text, int32_t style, std::string_view title) {
    std::string shown(text);
    for (size_t at = shown.find('\r'); at != std::string::npos; at = shown.find('\r', at)) {
        if (at + 1 < shown.size() && shown[at + 1] == '\n') shown.erase(at, 1);
        else shown[at] = '\n';
    }
    const int32_t answer = box::defaultAnswer(style);
    std::cerr << "[" << title << "] " << shown << " (answered " << answer << ")\n";
    return answer;
}

}  // namespace lumo::failsafe
