#pragma once
// Texts the library shows and the URIs it hands out. File names on Linux are
// bytes: whatever is shown is valid UTF-8 (invalid sequences become U+FFFD),
// while paths and URIs keep the exact bytes so that the file stays reachable.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lumo::platform::library {

std::string validUtf8(std::string_view bytes);

// The path, or its file name without the extension, as valid UTF-8.
std::string pathText(const std::filesystem::path& path);
std::string stemText(const std::filesystem::path& path);

// Lower-case extension without the dot ("mp3"); empty when there is none.
std::string extensionOf(const std::filesystem::path& path);
std::string lowerAscii(std::string_view text);
// The text as it compares without regard to letter case in any script
// ("SIGUR RÓS" and "Sigur Rós" fold alike), composed forms and decomposed
// ones alike too.
std::string foldedCase(std::string_view text);
// Without the blanks (spaces, tabs, line ends) around it.
std::string_view trimmed(std::string_view text);

// file:// URI of a path (a relative one taken from the current folder),
// percent-encoded; and back (nothing for a URI of another scheme).
std::string fileUri(const std::string& path);
std::optional<std::filesystem::path> localPathOf(std::string_view uri);


}  // namespace lumo::platform::library
