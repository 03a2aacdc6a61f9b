#include "dialogs/message_box_shape.h"

#include <algorithm>

#include "failsafe/user_interface.h"

namespace lumo::dialogs {

namespace box = failsafe::box;

MessageBoxShape messageBoxShape(int32_t style) {
    MessageBoxShape shape;
    switch (style & 7) {
        case box::OkCancel: shape.buttons = {box::Ok, box::Cancel}; break;
        case box::AbortRetryIgnore: shape.buttons = {box::Abort, box::Retry, box::Ignore}; break;
        case box::YesNoCancel: shape.buttons = {box::Yes, box::No, box::Cancel}; break;
        case box::YesNo: shape.buttons = {box::Yes, box::No}; break;
        case box::RetryCancel: shape.buttons = {box::Retry, box::Cancel}; break;
        default: shape.buttons = {box::Ok}; break;
    }
    const int32_t icon = style & 0x70;
    if (icon == box::Critical || icon == box::Question || icon == box::Exclamation || icon == box::Information)
        shape.icon = icon;

    const auto has = [&](int32_t answer) {
        return std::find(shape.buttons.begin(), shape.buttons.end(), answer) != shape.buttons.end();
    };
    const int32_t preferred = box::defaultAnswer(style);
    shape.defaultAnswer = has(preferred) ? preferred : shape.buttons.front();

    // Escape means Cancel where there is one. A classic box without Cancel
    // cannot be closed at all, but a window manager may still close ours: it
    // answers with its only button, No, or Abort, the button that backs out.
    if (has(box::Cancel)) shape.escapeAnswer = box::Cancel;
    else if (has(box::No)) shape.escapeAnswer = box::No;
    else if (has(box::Abort)) shape.escapeAnswer = box::Abort;
    else shape.escapeAnswer = shape.buttons.front();
    return shape;
}

std::string boxText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\r') {
            shown += text[at];
            continue;
        }
        shown += '\n';
        if (at + 1 < text.size() && text[at + 1] == '\n') ++at;
    }
    return shown;
}

}  // namespace lumo::dialogs
