#pragma once
// What the index keeps of each file of the playlist folders, so that a new
// library reads again only the files that changed since an earlier one read
// them: the file's size, modification and status change times, what the
// catalogue made of it (a playlist's name and count, a rule file's text, or
// not a playlist) and the line logged about that version of the file.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/library/track.h"

namespace lumo::platform::library {

class TrackIndex;

struct StoredPlaylistFile {
    enum class Kind { NotAPlaylist = 0, Playlist = 1, RuleFile = 2 };

    std::string file;  // the bytes of the path
    FileVersion version;
    int64_t statusChanged = 0;  // ctime, nanoseconds: a file made readable again is read again
    // False when the file was changed less than a second before it was read:
    // it may have changed again since without its size or times showing it.
    bool settled = false;
    Kind kind = Kind::NotAPlaylist;
    std::string name;  // a playlist's
    int32_t count = 0;
    std::string rules;    // a rule file's text, parsed by the catalogue
    std::string problem;  // the line logged about the file, empty when none
};

std::vector<StoredPlaylistFile> storedPlaylistFiles(TrackIndex& index);
// Writes the rows in one transaction, taking out those of `removed` (paths' bytes).
void storePlaylistFiles(TrackIndex& index, const std::vector<StoredPlaylistFile>& changed,
                        const std::vector<std::string>& removed);

}  // namespace lumo::platform::library
