#pragma once
// The per-user settings store: one INI file per application under
// $XDG_CONFIG_HOME/lumo/ ("LUMO Player.ini", "LUMO Audio.ini"), the section
// as the group, values as text. Hosts and tests set values the same way
// users do: by editing that file or through these functions.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumo::platform {

std::filesystem::path settingsFileOf(std::string_view application);

std::optional<std::string> readSetting(std::string_view application, std::string_view section,
                                       std::string_view key);
// A list value ("a, b" or several lines); empty when missing.
std::vector<std::string> readListSetting(std::string_view application, std::string_view section,
                                         std::string_view key);
// Every key of a section with its value, as stored.
std::vector<std::pair<std::string, std::string>> readSection(std::string_view application, std::string_view section);
// Written atomically: a new file, read back and synced, is renamed over the
// old one. False when the store cannot be written; it then stays as it was.
bool writeSetting(std::string_view application, std::string_view section, std::string_view key,
                  std::string_view value);

// The XDG base folders, with their standard fallbacks under $HOME.
std::filesystem::path xdgConfigHome();
std::filesystem::path xdgDataHome();
std::filesystem::path xdgCacheHome();
// The user's music folder from user-dirs.dirs, else $HOME/Music.
std::filesystem::path xdgMusicDir();

}  // namespace lumo::platform
