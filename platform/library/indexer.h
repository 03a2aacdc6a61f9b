#pragma once
// Brings the track index up to date with the music folders: new and changed
// files are read (on reader threads; the index is written from the calling
// thread only, in one transaction per batch), files that vanished or lie
// outside the folders are removed, unchanged ones are not touched.

#include <filesystem>
#include <vector>

#include "platform/library/library_log.h"

namespace lumo::platform::library {

class TrackIndex;

struct IndexReport {
    int read = 0;       // files read: stored and rejected
    int stored = 0;     // tracks new or changed
    int rejected = 0;   // files that are not audio
    int removed = 0;    // tracks and rejected files gone
    int unchanged = 0;  // files not read again
};

IndexReport updateIndex(TrackIndex& index, const std::vector<std::filesystem::path>& musicFolders,
                        const LibraryHooks& hooks, LibraryLog& log);

}  // namespace lumo::platform::library
