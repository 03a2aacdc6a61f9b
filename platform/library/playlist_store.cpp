#include "platform/library/playlist_store.h"

#include "platform/library/track_index.h"

namespace lumo::platform::library {

std::vector<StoredPlaylistFile> storedPlaylistFiles(TrackIndex& index) {
    std::vector<StoredPlaylistFile> rows;
    index.use([&](Database& db) {
        rows.clear();
        Statement select(db.handle(),
                         "SELECT file, size, mtime, ctime, settled, kind, name, count, rules, problem "
                         "FROM playlist_files");
        while (select.step()) {
            StoredPlaylistFile& row = rows.emplace_back();
            row.file = select.text(0);
            row.version = {select.integer(1), select.integer(2)};
            row.statusChanged = select.integer(3);
            row.settled = select.integer(4) != 0;
            row.kind = static_cast<StoredPlaylistFile::Kind>(select.integer(5));
            row.name = select.text(6);
            row.count = static_cast<int32_t>(select.integer(7));
            row.rules = select.text(8);
            row.problem = select.text(9);
        }
    });
    return rows;
}

void storePlaylistFiles(TrackIndex& index, const std::vector<StoredPlaylistFile>& changed,
                        const std::vector<std::string>& removed) {
    index.use([&](Database& db) {
        Transaction transaction(db);
        Statement store(db.handle(),
                        "INSERT OR REPLACE INTO playlist_files(file, size, mtime, ctime, settled, kind, name, count, "
                        "rules, problem) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (const StoredPlaylistFile& row : changed) {
            store.bindBlob(1, row.file).bindInt(2, row.version.size).bindInt(3, row.version.mtime);
            store.bindInt(4, row.statusChanged).bindInt(5, row.settled ? 1 : 0);
            store.bindInt(6, static_cast<int64_t>(row.kind)).bindText(7, row.name).bindInt(8, int64_t{row.count});
            store.bindText(9, row.rules).bindText(10, row.problem).run();
        }
        Statement remove(db.handle(), "DELETE FROM playlist_files WHERE file = ?");
        for (const std::string& file : removed) remove.bindBlob(1, file).run();
        transaction.commit();
    });
}

}  // namespace lumo::platform::library
