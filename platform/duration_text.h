#pragma once
// An item's "Duration" as text: seconds with a point (never the locale's
// separator) and up to three decimals, at least one: "183.4", "2.0".

#include <optional>
#include <string>

namespace lumo::platform {

// Empty when the duration is unknown, negative or not a number.
std::string durationText(std::optional<double> seconds);

}  // namespace lumo::platform
