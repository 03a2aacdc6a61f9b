#include "common/form_settings.h"

#include <array>
#include <charconv>
#include <optional>
#include <string>

#include "failsafe/procedure.h"
#include "failsafe/value.h"
#include "platform/user_settings.h"

namespace lumo::common {
namespace {

using failsafe::PassOver;
using failsafe::Procedure;

constexpr std::string_view application = "LUMO Audio", section = "Settings";

// The decimal text of a single-precision number, as short as it reads back
// exactly: 1785, 1785.5.
std::string singleText(double value) {
    std::array<char, 32> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), static_cast<float>(value));
    return ec == std::errc() ? std::string(buffer.data(), end) : std::string("0");
}

std::optional<double> savedCoordinate(std::string_view key) {
    return savedCoordinateOf(platform::readSetting(application, section, key).value_or(""));
}

}  // namespace

std::optional<double> savedCoordinateOf(std::string_view stored) {
    const std::optional<double> number = failsafe::Value(stored).number();
    if (!number || *number < 0) return std::nullopt;
    return number;
}

void SaveFormSettings(const FormWindow& window) {
    Procedure proc("modMain", "Sub SaveFormSettings", PassOver{});
    proc.step([&] { platform::writeSetting(application, section, "Left", singleText(window.Left())); });
    proc.step([&] { platform::writeSetting(application, section, "Top", singleText(window.Top())); });
    proc.step([&] { platform::writeSetting(application, section, "Height", singleText(window.Height())); });
    proc.step([&] { platform::writeSetting(application, section, "Width", singleText(window.Width())); });
}

void RestoreFormSettings(FormWindow& window) {
    Procedure proc("modMain", "Sub RestoreFormSettings", PassOver{});
    double left = 0, top = 0, height = 0, width = 0;
    proc.step([&] {
        left = window.Left();
        top = window.Top();
        height = window.Height();
        width = window.Width();
    });
    // The first value that fails ends the reading: later keys are not read.
    std::optional<double> savedLeft, savedTop, savedHeight, savedWidth;
    if (!proc.step([&] { savedLeft = savedCoordinate("Left"); }) || !savedLeft) return;
    if (!proc.step([&] { savedTop = savedCoordinate("Top"); }) || !savedTop) return;
    if (!proc.step([&] { savedHeight = savedCoordinate("Height"); }) || !savedHeight) return;
    if (!proc.step([&] { savedWidth = savedCoordinate("Width"); }) || !savedWidth) return;
    if (proc.step([&] { window.Move(*savedLeft, *savedTop, *savedWidth, *savedHeight); })) return;
    proc.step([&] { window.Move(left, top, width, height); });
}

}  // namespace lumo::common
