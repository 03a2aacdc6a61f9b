#pragma once
// Plain appends to the framework's log files: opened, written, closed, so
// that every line is on disk when the call returns.

#include <string>
#include <string_view>

namespace lumo::failsafe {

// Appends `text` to `file` (created with owner-only access when missing);
// false when the file cannot be opened or written whole.
bool appendToFile(const std::string& file, std::string_view text);

// Creates an empty file when none exists; false when that fails.
bool createEmptyIfMissing(const std::string& file);

}  // namespace lumo::failsafe
