#include "platform/library/library_config.h"

#include <cstdlib>
#include <string>

#include "platform/user_settings.h"

namespace lumo::platform::library {
namespace {

std::filesystem::path expandHome(const std::string& folder) {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return folder;
    if (folder == "~") return home;
    if (folder.rfind("~/", 0) == 0) return std::filesystem::path(home) / folder.substr(2);
    return folder;
}

std::vector<std::filesystem::path> folders(const char* key, const std::filesystem::path& fallback) {
    std::vector<std::filesystem::path> result;
    for (const std::string& folder : readListSetting("LUMO Player", "Library", key))
        result.push_back(expandHome(folder));
    if (result.empty()) result.push_back(fallback);
    return result;
}

}  // namespace

LibraryConfig LibraryConfig::fromSettings() {
    LibraryConfig config;
    config.musicFolders = folders("MusicFolders", xdgMusicDir());
    config.playlistFolders = folders("PlaylistFolders", xdgDataHome() / "lumo" / "playlists");
    config.indexFile = xdgCacheHome() / "lumo" / "library.sqlite";
    return config;
}

}  // namespace lumo::platform::library
