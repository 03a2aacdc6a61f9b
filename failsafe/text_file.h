#pragma once
// Small readers for the key-value text files of /proc and /etc.

#include <filesystem>
#include <string>
#include <string_view>

namespace lumo::failsafe {

// The whole file; empty when it is missing or unreadable.
std::string readTextFile(const std::filesystem::path& file);

// The value of the first line "key<blanks><separator>value", trimmed; empty
// when no line has that key.
std::string fieldOf(std::string_view text, std::string_view key, char separator);

// The text without one pair of enclosing double or single quotes.
std::string unquoted(std::string text);

}  // namespace lumo::failsafe
