// The media library's index: one refresh with what it reported; refreshes
// for ever over files whose times change at every pass, so that each pass
// writes the whole index again; or the index held locked by this process.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "helper.h"
#include "platform/library/media_library.h"

namespace lumo::faults {
namespace {

namespace fs = std::filesystem;
using platform::library::LibraryConfig;
using platform::library::LibraryHooks;
using platform::library::MediaLibrary;

LibraryHooks sayingHooks() {
    LibraryHooks hooks;
    hooks.log = [](std::string line) { say("log " + line); };
    return hooks;
}

int refresh(const fs::path& index, const fs::path& music, const fs::path& playlists) {
    MediaLibrary library(LibraryConfig{{music}, {playlists}, index}, sayingHooks());
    const auto report = library.refresh();
    say("stored " + std::to_string(report.stored));
    say("rejected " + std::to_string(report.rejected));
    say("unchanged " + std::to_string(report.unchanged));
    // What a user sees: the auto playlists over the index.
    const auto all = library.getAll();
    for (int32_t p = 0; p < all->count(); ++p) {
        const auto playlist = all->item(p);
        for (int32_t i = 0; i < playlist->count(); ++i) say("item " + playlist->name() + " " + playlist->item(i)->name());
    }
    return 0;
}

// Every file of the folder gets the same modification time, another at each pass.
void retime(const fs::path& music, long pass) {
    const timespec times[2] = {{1'600'000'000 + pass, 0}, {1'600'000'000 + pass, 0}};
    for (const auto& entry : fs::directory_iterator(music)) ::utimensat(AT_FDCWD, entry.path().c_str(), times, 0);
}

int loop(const fs::path& index, const fs::path& music) {
    MediaLibrary library(LibraryConfig{{music}, {}, index}, sayingHooks());
    for (long pass = 1;; ++pass) {
        retime(music, pass);
        say("pass " + std::to_string(pass));
        library.refresh();
    }
}

// Holds the index locked, as another program writing it would, until
// standard input ends.
int lock(const fs::path& index) {
    sqlite3* db = nullptr;
    if (sqlite3_open(index.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; CREATE TABLE held(x);", nullptr, nullptr,
                     nullptr) != SQLITE_OK) {
        say(std::string("failed ") + sqlite3_errmsg(db));
        sqlite3_close(db);
        return 1;
    }
    say("locked");
    char byte;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
}

}  // namespace

int indexCommand(const Arguments& a) {
    if (a.size() == 4 && a[0] == "refresh") return refresh(a[1], a[2], a[3]);
    if (a.size() == 3 && a[0] == "loop") return loop(a[1], a[2]);
    if (a.size() == 2 && a[0] == "lock") return lock(a[1]);
    return 2;
}

}  // namespace lumo::faults
