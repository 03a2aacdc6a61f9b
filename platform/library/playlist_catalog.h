#pragma once
// The playlists of the playlist folders: playlist files and auto playlist
// rule files at the top of each folder (hidden files left out). The folders
// are watched with inotify, so an update costs one read of the event queue
// when nothing changed and reads again only the files that did; a folder that
// cannot be watched (the watch limit is reached) is listed again on each
// update, and a missing folder is looked for again on each update. A file
// that is not a playlist, or a rule file with a bad rule, is reported once
// per version of the file and left out.
//
// What each file gave is kept in the index, so that the first update of a
// new catalogue reads only the files whose size, modification time
// (nanoseconds) or status change time changed since: the others cost a stat
// each.
//
// Order: by name (ASCII letters in either case alike, then the exact bytes),
// then by file path. Names are the playlist's title where its format has one,
// else the file name without extension; rule files name themselves.

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/library/auto_rules.h"
#include "platform/library/library_log.h"
#include "platform/library/playlist_store.h"
#include "platform/library/track.h"

namespace lumo::platform::library {

struct CatalogEntry {
    std::filesystem::path file;
    std::string name;
    std::string sortName;                            // the name with ASCII letters in lower case
    int32_t count = 0;                               // entries of a playlist file
    std::shared_ptr<const AutoPlaylistRules> rules;  // set for a rule file
};

class PlaylistCatalog {
public:
    PlaylistCatalog(const std::vector<std::filesystem::path>& folders, LibraryLog& log, TrackIndex& index,
                    const LibraryHooks& hooks);
    ~PlaylistCatalog();
    PlaylistCatalog(const PlaylistCatalog&) = delete;
    PlaylistCatalog& operator=(const PlaylistCatalog&) = delete;

    // Catches up with the folders.
    void update();
    std::span<const CatalogEntry> all() const { return sorted_; }
    std::span<const CatalogEntry> named(std::string_view name) const;

private:
    struct Folder {
        std::filesystem::path path;
        int watch = -1;
    };
    struct Known {
        FileVersion version;
        std::optional<CatalogEntry> entry;  // nothing: not a playlist
    };

    void readEvents(std::vector<std::filesystem::path>& changed, std::vector<Folder*>& relist);
    void list(const Folder& folder);
    void forget(const Folder& folder);
    void check(const std::filesystem::path& file);
    StoredPlaylistFile read(const std::filesystem::path& file, FileVersion version) const;
    std::optional<CatalogEntry> entryOf(const StoredPlaylistFile& row, const std::filesystem::path& file);
    void loadStored();
    void saveChanges();
    void sort();

    LibraryLog& log_;
    TrackIndex& index_;
    const LibraryHooks& hooks_;
    bool loaded_ = false;
    int64_t readSince_ = 0;  // when the current update began, in nanoseconds
    // What an earlier catalogue kept, until the first update has looked at the files.
    std::unordered_map<std::string, StoredPlaylistFile> stored_;
    // The rows the index is to get (nothing: the file is gone), by the bytes of the path.
    std::map<std::string, std::optional<StoredPlaylistFile>> unsaved_;
    int inotify_ = -1;
    std::vector<Folder> folders_;
    std::map<std::string, Known> files_;  // by the bytes of the path
    std::vector<CatalogEntry> sorted_;
    bool changed_ = false;
};

}  // namespace lumo::platform::library
