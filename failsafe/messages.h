#pragma once
// The framework's numbered texts that do not depend on the moment or the
// program; Framework::message adds the ones that do (20, 31, 62).

#include <string_view>

namespace lumo::failsafe {

inline constexpr std::string_view frameworkVersion = "6.6 (C++20 programs on Linux, GCC 12 and Clang 14)";
inline constexpr std::string_view frameworkMaker = "FailSafe error-trapping framework, LUMO Audio Player project";

// Empty for a number without a fixed text.
std::string_view fixedMessage(int number);

}  // namespace lumo::failsafe
