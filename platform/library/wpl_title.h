#pragma once
// The title of a Windows Media playlist (<smil><head><title>). totem-pl-parser
// reads the entries of a WPL file but not its title.

#include <filesystem>
#include <string>

namespace lumo::platform::library {

// Empty when the file has no title or is not well-formed.
std::string wplTitle(const std::filesystem::path& file);

}  // namespace lumo::platform::library
