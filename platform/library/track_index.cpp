#include "platform/library/track_index.h"

#include "platform/library/text.h"

namespace lumo::platform::library {
namespace {

constexpr int64_t ApplicationId = 0x4C554D4F;  // "LUMO"

const char* const Schema = R"sql(
CREATE TABLE tracks(
    id INTEGER PRIMARY KEY,
    file BLOB NOT NULL UNIQUE,
    path TEXT NOT NULL,
    title TEXT NOT NULL,
    artist TEXT NOT NULL,
    album TEXT NOT NULL,
    genre TEXT NOT NULL,
    year INTEGER,
    number INTEGER,
    duration REAL,
    format TEXT NOT NULL,
    has_video INTEGER NOT NULL,
    added INTEGER NOT NULL,
    size INTEGER NOT NULL,
    mtime INTEGER NOT NULL);
CREATE TABLE rejected(file BLOB PRIMARY KEY, size INTEGER NOT NULL, mtime INTEGER NOT NULL) WITHOUT ROWID;
)sql";

// What the playlist folders' files gave (see playlist_store.h); added in version 2.
const char* const PlaylistSchema = R"sql(
CREATE TABLE playlist_files(
    file BLOB PRIMARY KEY,
    size INTEGER NOT NULL,
    mtime INTEGER NOT NULL,
    ctime INTEGER NOT NULL,
    settled INTEGER NOT NULL,
    kind INTEGER NOT NULL,
    name TEXT NOT NULL,
    count INTEGER NOT NULL,
    rules TEXT NOT NULL,
    problem TEXT NOT NULL) WITHOUT ROWID;
)sql";

const char* const Columns =
    "file, title, artist, album, genre, year, number, duration, format, has_video, added, size, mtime";

const char* const MediaColumns = "file, title, artist, album, genre, duration, has_video";

Track mediaTrackOf(const Statement& row) {
    Track track;
    track.path = row.text(0);
    track.title = row.text(1);
    track.artist = row.text(2);
    track.album = row.text(3);
    track.genre = row.text(4);
    if (!row.isNull(5)) track.duration = row.real(5);
    track.hasVideo = row.integer(6) != 0;
    return track;
}

Track trackOf(const Statement& row) {
    Track track;
    track.path = row.text(0);
    track.title = row.text(1);
    track.artist = row.text(2);
    track.album = row.text(3);
    track.genre = row.text(4);
    if (!row.isNull(5)) track.year = row.integer(5);
    if (!row.isNull(6)) track.number = row.integer(6);
    if (!row.isNull(7)) track.duration = row.real(7);
    track.format = row.text(8);
    track.hasVideo = row.integer(9) != 0;
    track.added = row.integer(10);
    track.version = {row.integer(11), row.integer(12)};
    return track;
}

}  // namespace

struct TrackIndex::Statements {
    explicit Statements(sqlite3* db)
        : store(db,
                "INSERT INTO tracks(file, path, title, artist, album, genre, year, number, duration, format, "
                "has_video, added, size, mtime) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14) "
                "ON CONFLICT(file) DO UPDATE SET path = ?2, title = ?3, artist = ?4, album = ?5, genre = ?6, "
                "year = ?7, number = ?8, duration = ?9, format = ?10, has_video = ?11, size = ?13, mtime = ?14"),
          unreject(db, "DELETE FROM rejected WHERE file = ?"),
          reject(db, "INSERT OR REPLACE INTO rejected(file, size, mtime) VALUES(?, ?, ?)"),
          removeTrack(db, "DELETE FROM tracks WHERE file = ?"),
          find(db, std::string("SELECT ") + Columns + " FROM tracks WHERE file = ?") {}
    Statement store, unreject, reject, removeTrack, find;
};

TrackIndex::TrackIndex(std::filesystem::path file, LibraryLog& log) : file_(std::move(file)), log_(log) { open(); }

TrackIndex::~TrackIndex() = default;

const char* TrackIndex::mediaColumns() { return MediaColumns; }

void TrackIndex::openAt(const std::filesystem::path& file) {
    statements_.reset();
    db_ = std::make_unique<Database>(file);
    // Reads through a memory map: a playlist's lookups then cost no system calls.
    db_->exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA mmap_size = 1073741824");
    if (db_->pragma("application_id") == 0 && db_->pragma("user_version") == 0 && db_->pragma("page_count") <= 1) {
        Transaction transaction(*db_);
        db_->exec(Schema);
        db_->exec(PlaylistSchema);
        db_->exec(("PRAGMA application_id = " + std::to_string(ApplicationId) +
                   "; PRAGMA user_version = " + std::to_string(SchemaVersion))
                      .c_str());
        transaction.commit();
    } else if (db_->pragma("application_id") != ApplicationId) {
        throw SqliteError(SQLITE_NOTADB, "not a track index");
    } else if (db_->pragma("user_version") == 1) {
        // The tracks stay; only the playlist files are new.
        Transaction transaction(*db_);
        db_->exec(PlaylistSchema);
        db_->exec(("PRAGMA user_version = " + std::to_string(SchemaVersion)).c_str());
        transaction.commit();
    } else if (const int64_t version = db_->pragma("user_version"); version != SchemaVersion) {
        throw SqliteError(SQLITE_NOTADB,
                          "schema version " + std::to_string(version) + ", expected " + std::to_string(SchemaVersion));
    }
    statements_ = std::make_unique<Statements>(db_->handle());
}

void TrackIndex::open() {
    std::error_code ignored;
    std::filesystem::create_directories(file_.parent_path(), ignored);
    try {
        openAt(file_);
    } catch (const SqliteError& error) {
        // Only damage is repaired by building anew. A file that is out of
        // reach (locked by another program, unreadable, on a full disk) is
        // left as it is: it may be usable again next time.
        if (error.damaged())
            rebuild(error.what());
        else
            keepInMemory("cannot be opened (" + std::string(error.what()) + ")");
    }
}

void TrackIndex::keepInMemory(const std::string& why) {
    statements_.reset();
    db_.reset();
    needsRefresh_ = true;
    log_.write("the track index " + pathText(file_) + " " + why + "; it is kept in memory");
    openAt(":memory:");
}

void TrackIndex::rebuild(const std::string& reason) {
    statements_.reset();
    db_.reset();
    needsRefresh_ = true;
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(file_.string() + suffix, ignored);
    try {
        openAt(file_);
        log_.write("rebuilt the track index " + pathText(file_) + " (" + reason + ")");
    } catch (const SqliteError& error) {
        keepInMemory("cannot be written (" + std::string(error.what()) + ")");
    }
}

// Runs the work under the lock; a damaged index is rebuilt and the work done
// again on the new one.
template <class Work>
auto TrackIndex::guarded(Work work) {
    std::lock_guard lock(mutex_);
    try {
        return work();
    } catch (const SqliteError& error) {
        if (!error.damaged()) throw;
        rebuild(error.what());
        return work();
    }
}

std::unordered_map<std::string, TrackIndex::KnownFile> TrackIndex::knownFiles() {
    return guarded([&] {
        std::unordered_map<std::string, KnownFile> known;
        // Sized once: growing it row by row costs a library of 100,000 tracks tens of milliseconds.
        Statement count(db_->handle(), "SELECT (SELECT count(*) FROM tracks) + (SELECT count(*) FROM rejected)");
        if (count.step()) known.reserve(static_cast<size_t>(count.integer(0)));
        Statement rows(db_->handle(),
                       "SELECT file, size, mtime, 1 FROM tracks UNION ALL SELECT file, size, mtime, 0 FROM rejected");
        while (rows.step()) known[rows.text(0)] = {{rows.integer(1), rows.integer(2)}, rows.integer(3) != 0};
        return known;
    });
}

void TrackIndex::write(const Batch& batch) {
    guarded([&] {
        Transaction transaction(*db_);
        Statements& s = *statements_;
        for (const Track& t : batch.stored_) {
            s.store.bindBlob(1, t.path).bindText(2, validUtf8(t.path)).bindText(3, t.title);
            s.store.bindText(4, t.artist).bindText(5, t.album).bindText(6, t.genre).bindInt(7, t.year);
            s.store.bindInt(8, t.number).bindReal(9, t.duration).bindText(10, t.format);
            s.store.bindInt(11, t.hasVideo ? 1 : 0).bindInt(12, t.added);
            s.store.bindInt(13, t.version.size).bindInt(14, t.version.mtime).run();
            s.unreject.bindBlob(1, t.path).run();
        }
        for (const auto& [file, version] : batch.rejected_) {
            s.reject.bindBlob(1, file.native()).bindInt(2, version.size).bindInt(3, version.mtime).run();
            s.removeTrack.bindBlob(1, file.native()).run();
        }
        for (const std::filesystem::path& file : batch.removed_) {
            s.removeTrack.bindBlob(1, file.native()).run();
            s.unreject.bindBlob(1, file.native()).run();
        }
        transaction.commit();
    });
}

std::optional<Track> TrackIndex::find(const std::filesystem::path& file) { return find(std::vector{file}).front(); }

std::vector<std::optional<Track>> TrackIndex::find(const std::vector<std::filesystem::path>& files) {
    return guarded([&] {
        std::vector<std::optional<Track>> tracks;
        tracks.reserve(files.size());
        Transaction transaction(*db_, Transaction::Kind::Read);
        Statement& find = statements_->find;
        for (const std::filesystem::path& file : files) {
            find.bindBlob(1, file.native());
            tracks.push_back(find.step() ? std::optional(trackOf(find)) : std::nullopt);
            find.reset();
        }
        transaction.commit();
        return tracks;
    });
}

void TrackIndex::use(const std::function<void(Database&)>& work) {
    guarded([&] { work(*db_); });
}

int64_t TrackIndex::trackCount() {
    return guarded([&] {
        Statement count(db_->handle(), "SELECT count(*) FROM tracks");
        return count.step() ? count.integer(0) : 0;
    });
}

void TrackIndex::select(const std::string& sql, const std::function<void(Statement&)>& bind,
                        const std::function<bool(Track&&)>& row) {
    guarded([&] {
        Statement query(db_->handle(), sql);
        bind(query);
        while (query.step())
            if (!row(mediaTrackOf(query))) break;
    });
}

}  // namespace lumo::platform::library
