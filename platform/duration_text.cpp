#include "platform/duration_text.h"

#include <charconv>
#include <cmath>

namespace lumo::platform {

std::string durationText(std::optional<double> seconds) {
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0) return {};
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, *seconds, std::chars_format::fixed, 3);
    if (error != std::errc()) return {};
    std::string text(buffer, end);
    while (text.back() == '0' && text[text.size() - 2] != '.') text.pop_back();
    return text;
}

}  // namespace lumo::platform
