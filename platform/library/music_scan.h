#pragma once
// Finds the media files of the music folders, subfolders included. Hidden
// files and folders are left out; folder links are followed once each.
// Folders that are missing or cannot be read are skipped and reported once:
// the index keeps what it knows under them, so an unmounted disk does not
// empty the library.

#include <sys/stat.h>

#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/library/library_log.h"
#include "platform/library/track.h"

namespace lumo::platform::library {

struct ScannedFile {
    std::filesystem::path path;
    FileVersion version;
};

struct MusicScan {
    std::vector<ScannedFile> files;                 // each path once
    std::vector<std::filesystem::path> unreadable;  // folders whose files are unknown this time
};

MusicScan scanMusicFolders(const std::vector<std::filesystem::path>& folders, LibraryLog& log);

FileVersion versionOf(const struct stat& info);

// The absolute, normalised form of a folder, without a trailing separator.
std::filesystem::path normalFolder(const std::filesystem::path& folder);
bool isUnder(std::string_view file, const std::filesystem::path& folder);

}  // namespace lumo::platform::library
