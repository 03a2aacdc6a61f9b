#pragma once
// Plain appends to the framework's log files: opened, written, closed, so
// that every line is on disk when the call returns. Every log file belongs
// to this user alone: created owner-only, never reached through a symbolic
// link, and only ever a regular file.

#include <string>
#include <string_view>

namespace lumo::failsafe {

// Opens (creating when missing) a private regular file with `access`
// (O_WRONLY, O_RDWR, plus O_APPEND as needed): a symbolic link, a FIFO or a
// device at that name is refused, and a file of this user that others could
// read is narrowed to owner-only. The descriptor, or -1 with errno set.
int openPrivateFile(const std::string& file, int access);

// Appends `text` to `file`; false when the file cannot be opened or written
// whole.
bool appendToFile(const std::string& file, std::string_view text);

// Creates an empty file when none exists; false when that fails.
bool createEmptyIfMissing(const std::string& file);

}  // namespace lumo::failsafe
