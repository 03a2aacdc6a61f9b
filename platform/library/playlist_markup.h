#pragma once
// What totem-pl-parser does not read right from XML playlists: the title of a
// Windows Media playlist (<smil><head><title>), which it skips, and the
// locations of an XSPF playlist, which are URI references (percent-escaped)
// that it escapes once more when they are relative.

#include <filesystem>
#include <string>
#include <unordered_set>

namespace lumo::platform::library {

// Empty when the file has no title or is not well-formed.
std::string wplTitle(const std::filesystem::path& file);

// Every <track><location> of the XSPF file, resolved against `baseUri` (the
// playlist's own URI); nothing for a file that is not well-formed.
std::unordered_set<std::string> xspfLocations(const std::filesystem::path& file, const std::string& baseUri);

}  // namespace lumo::platform::library
