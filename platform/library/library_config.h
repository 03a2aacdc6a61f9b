#pragma once
// Where the media library finds its music, its playlists and its track index.

#include <filesystem>
#include <vector>

namespace lumo::platform::library {

struct LibraryConfig {
    std::vector<std::filesystem::path> musicFolders;     // indexed with their subfolders
    std::vector<std::filesystem::path> playlistFolders;  // playlist and rule files, top level only
    std::filesystem::path indexFile;                     // the SQLite track index, only a cache

    // "LUMO Player", section "Library": MusicFolders and PlaylistFolders (lists,
    // "~/" is the home folder), falling back to $XDG_MUSIC_DIR and
    // $XDG_DATA_HOME/lumo/playlists; the index is $XDG_CACHE_HOME/lumo/library.sqlite.
    static LibraryConfig fromSettings();
};

}  // namespace lumo::platform::library
