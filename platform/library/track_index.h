#pragma once
// The track index: an SQLite file holding what was read from the music files
// (and from the playlist files, see playlist_store.h), so that only new and
// changed files are read again. It is only a cache: a
// file that is missing, is damaged, is not an SQLite database, belongs to
// something else or has another schema version is deleted and built anew
// (and the owner is told to read the folders again). When even that fails (a
// read-only cache folder), or the file cannot be opened (locked by another
// program, unreadable, a full disk), the index lives in memory and the file
// is left as it is. Safe to use from any thread.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/library/library_log.h"
#include "platform/library/sqlite.h"
#include "platform/library/track.h"

namespace lumo::platform::library {

class TrackIndex {
public:
    // Raise it when what is kept of a music or playlist file changes.
    static constexpr int64_t SchemaVersion = 2;

    TrackIndex(std::filesystem::path file, LibraryLog& log);
    ~TrackIndex();

    // True when the index was created or rebuilt since the folders were last read.
    bool needsRefresh() const { return needsRefresh_; }
    void markRefreshed() { needsRefresh_ = false; }

    // Every file the index knows, by the bytes of its path: tracks and the
    // files found not to be audio (so that those are not read again either).
    struct KnownFile {
        FileVersion version;
        bool isTrack = false;
    };
    std::unordered_map<std::string, KnownFile> knownFiles();

    // Changes written in one transaction. A stored track keeps the `added`
    // time of the file's earlier version.
    class Batch {
    public:
        void store(Track track) { stored_.push_back(std::move(track)); }
        void reject(const std::filesystem::path& file, FileVersion version) { rejected_.push_back({file, version}); }
        void remove(const std::filesystem::path& file) { removed_.push_back(file); }
        size_t size() const { return stored_.size() + rejected_.size() + removed_.size(); }

    private:
        friend class TrackIndex;
        std::vector<Track> stored_;
        std::vector<std::pair<std::filesystem::path, FileVersion>> rejected_;
        std::vector<std::filesystem::path> removed_;
    };
    void write(const Batch& batch);

    std::optional<Track> find(const std::filesystem::path& file);
    // Many at once, in one read transaction: what a playlist's items need.
    std::vector<std::optional<Track>> find(const std::vector<std::filesystem::path>& files);
    int64_t trackCount();

    // Runs a SELECT whose result columns are `mediaColumns()`, binding its
    // parameters through `bind`; `row` gets each track (with what a media item
    // tells: path, title, artist, album, genre, duration, video) and returns
    // false to stop.
    static const char* mediaColumns();
    void select(const std::string& sql, const std::function<void(Statement&)>& bind,
                const std::function<bool(Track&&)>& row);

    // Runs `work` on the database under the index's lock; a damaged index is
    // rebuilt and the work run again (for tables kept by others: playlist_store.h).
    void use(const std::function<void(Database&)>& work);

private:
    struct Statements;
    void open();
    void openAt(const std::filesystem::path& file);
    void rebuild(const std::string& reason);
    void keepInMemory(const std::string& why);
    template <class Work>
    auto guarded(Work work);

    std::filesystem::path file_;
    LibraryLog& log_;
    std::mutex mutex_;
    std::unique_ptr<Database> db_;
    std::unique_ptr<Statements> statements_;
    std::atomic<bool> needsRefresh_ = true;
};

}  // namespace lumo::platform::library
