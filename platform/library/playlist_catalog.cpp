#include "platform/library/playlist_catalog.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <unordered_set>

#include "platform/library/music_scan.h"
#include "platform/library/playlist_file.h"
#include "platform/library/text.h"
#include "platform/library/track_index.h"

namespace lumo::platform::library {
namespace {

constexpr uint32_t WatchedEvents = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                   IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::streamsize MaxRuleFileBytes = 1 << 20;
constexpr int64_t Second = 1'000'000'000;  // in nanoseconds

bool isCatalogFile(const std::filesystem::path& file) {
    const std::string_view text = file.native();
    const std::string_view name = text.substr(text.rfind('/') + 1);  // npos + 1 is 0: the whole text
    return !name.empty() && name.front() != '.' && (isPlaylistFileName(file) || extensionOf(file) == "autopl");
}

bool orderedBefore(const CatalogEntry& a, const CatalogEntry& b) {
    return std::tie(a.sortName, a.name, a.file.native()) < std::tie(b.sortName, b.name, b.file.native());
}

int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string onceKey(const StoredPlaylistFile& row) {
    return row.file + "@" + std::to_string(row.version.size) + "/" + std::to_string(row.version.mtime);
}

}  // namespace

PlaylistCatalog::PlaylistCatalog(const std::vector<std::filesystem::path>& folders, LibraryLog& log, TrackIndex& index,
                                 const LibraryHooks& hooks)
    : log_(log), index_(index), hooks_(hooks) {
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ < 0)
        log_.write(std::string("playlist folders are listed again on each look-up: inotify failed: ") +
                   std::strerror(errno));
    std::set<std::string> seen;
    for (const std::filesystem::path& folder : folders)
        if (const auto normal = normalFolder(folder); seen.insert(normal.native()).second) folders_.push_back({normal});
}

PlaylistCatalog::~PlaylistCatalog() {
    if (inotify_ >= 0) ::close(inotify_);
}

void PlaylistCatalog::update() {
    readSince_ = nowNanoseconds();
    if (!loaded_) loadStored();
    std::vector<std::filesystem::path> changed;
    std::vector<Folder*> relist;
    readEvents(changed, relist);
    for (Folder& folder : folders_) {
        if (folder.watch >= 0) continue;
        // Never watched, gone, or the watch failed: look again, and list the folder.
        if (inotify_ >= 0) {
            folder.watch = ::inotify_add_watch(inotify_, folder.path.c_str(), WatchedEvents);
            if (folder.watch < 0 && errno != ENOENT && errno != ENOTDIR)
                log_.once("watch:" + folder.path.native(),
                          "playlist folder " + pathText(folder.path) +
                              " is listed again on each look-up: " + std::strerror(errno));
        }
        relist.push_back(&folder);
    }
    std::sort(relist.begin(), relist.end());
    relist.erase(std::unique(relist.begin(), relist.end()), relist.end());
    for (const Folder* folder : relist) list(*folder);
    // A file being written sends one event per write: look at it once.
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    for (const std::filesystem::path& file : changed) check(file);
    // Every folder has been listed once: what was kept of files not found is out of date.
    for (const auto& [file, row] : stored_) unsaved_[file] = std::nullopt;
    stored_.clear();
    if (!unsaved_.empty()) saveChanges();
    if (changed_) sort();
}

void PlaylistCatalog::readEvents(std::vector<std::filesystem::path>& changed, std::vector<Folder*>& relist) {
    if (inotify_ < 0) return;
    alignas(inotify_event) char buffer[16 * 1024];
    for (ssize_t got; (got = ::read(inotify_, buffer, sizeof buffer)) > 0;) {
        for (const char* at = buffer; at < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            at += sizeof(inotify_event) + event->len;
            if (event->mask & IN_Q_OVERFLOW) {
                for (Folder& folder : folders_) relist.push_back(&folder);
                continue;
            }
            const auto folder =
                std::find_if(folders_.begin(), folders_.end(), [&](const Folder& f) { return f.watch == event->wd; });
            if (folder == folders_.end()) continue;
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
                // The folder itself went away: the next update looks for it again.
                if (!(event->mask & IN_IGNORED)) ::inotify_rm_watch(inotify_, folder->watch);
                folder->watch = -1;
                continue;
            }
            if (event->len > 0) changed.push_back(folder->path / event->name);
        }
    }
}

void PlaylistCatalog::list(const Folder& folder) {
    std::error_code error;
    std::unordered_set<std::string> present;
    for (std::filesystem::directory_iterator entries(folder.path, error), end; !error && entries != end;
         entries.increment(error)) {
        if (!isCatalogFile(entries->path())) continue;
        present.insert(entries->path().native());
        check(entries->path());
    }
    if (error)
        log_.once("folder:" + folder.path.native(),
                  "playlist folder " + pathText(folder.path) + " skipped: " + error.message());
    // Forget the files of this folder that are no longer there.
    const std::string prefix = folder.path.native() == "/" ? "/" : folder.path.native() + "/";
    for (auto it = files_.lower_bound(prefix);
         it != files_.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
        const bool directlyInFolder = it->first.find('/', prefix.size()) == std::string::npos;
        if (directlyInFolder && !present.contains(it->first)) {
            unsaved_[it->first] = std::nullopt;
            it = files_.erase(it);
            changed_ = true;
        } else {
            ++it;
        }
    }
}

void PlaylistCatalog::check(const std::filesystem::path& file) {
    const auto known = files_.find(file.native());
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !isCatalogFile(file)) {
        if (known != files_.end()) {
            unsaved_[known->first] = std::nullopt;
            files_.erase(known);
            changed_ = true;
        }
        return;
    }
    const FileVersion version = versionOf(info);
    if (known != files_.end() && known->second.version == version) return;
    const int64_t statusChanged = int64_t{info.st_ctim.tv_sec} * Second + info.st_ctim.tv_nsec;
    const auto stored = stored_.find(file.native());
    if (stored != stored_.end() && stored->second.settled && stored->second.version == version &&
        stored->second.statusChanged == statusChanged) {
        files_[file.native()] = {version, entryOf(stored->second, file)};
    } else {
        if (hooks_.playlistFileRead) hooks_.playlistFileRead(file);
        StoredPlaylistFile row = read(file, version);
        row.statusChanged = statusChanged;
        // A file changed in the last second before it was read may change
        // again within the same tick of the file system's clock, its size
        // and time left as they were (the "racy git" problem): such a row is
        // not trusted by the next catalogue, which reads the file again.
        row.settled = version.mtime < readSince_ - Second;
        files_[file.native()] = {version, entryOf(row, file)};
        unsaved_[file.native()] = std::move(row);
    }
    if (stored != stored_.end()) stored_.erase(stored);
    changed_ = true;
}

StoredPlaylistFile PlaylistCatalog::read(const std::filesystem::path& file, FileVersion version) const {
    StoredPlaylistFile row;
    row.file = file.native();
    row.version = version;
    if (extensionOf(file) == "autopl") {
        std::ifstream in(file, std::ios::binary);
        std::string text(static_cast<size_t>(std::min<int64_t>(version.size, MaxRuleFileBytes)), '\0');
        if (!in || version.size > MaxRuleFileBytes ||
            !in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
            row.problem = "auto playlist " + pathText(file) + " cannot be read or is too large; not a playlist";
            return row;
        }
        row.kind = StoredPlaylistFile::Kind::RuleFile;
        row.rules = std::move(text);
        return row;
    }
    const PlaylistFile contents = readPlaylistFile(file, false);
    if (!contents.problem.empty())
        row.problem =
            "playlist " + pathText(file) + ": " + contents.problem + (contents.isPlaylist ? "" : "; not a playlist");
    if (contents.isPlaylist) {
        row.kind = StoredPlaylistFile::Kind::Playlist;
        row.name = contents.title.empty() ? stemText(file) : contents.title;
        row.count = static_cast<int32_t>(std::min(contents.total, PlaylistFile::MaxEntries));
    }
    return row;
}

std::optional<CatalogEntry> PlaylistCatalog::entryOf(const StoredPlaylistFile& row, const std::filesystem::path& file) {
    CatalogEntry entry;
    entry.file = file;
    if (row.kind == StoredPlaylistFile::Kind::RuleFile) {
        // Rules are parsed from the kept text: cheap, and the rule objects are not kept in the index.
        RuleFile parsed = parseRuleFile(row.rules, stemText(file));
        if (!parsed.rules) {
            log_.once(onceKey(row), "auto playlist " + pathText(file) + ":" + std::to_string(parsed.error.line) + ": " +
                                        parsed.error.reason + "; not a playlist");
            return std::nullopt;
        }
        entry.name = parsed.rules->name;
        entry.rules = std::make_shared<const AutoPlaylistRules>(std::move(*parsed.rules));
    } else {
        if (!row.problem.empty()) log_.once(onceKey(row), row.problem);
        if (row.kind != StoredPlaylistFile::Kind::Playlist) return std::nullopt;
        entry.name = row.name;
        entry.count = row.count;
    }
    entry.sortName = lowerAscii(entry.name);
    return entry;
}

void PlaylistCatalog::loadStored() {
    loaded_ = true;
    try {
        for (StoredPlaylistFile& row : storedPlaylistFiles(index_)) {
            std::string file = row.file;
            stored_.emplace(std::move(file), std::move(row));
        }
    } catch (const SqliteError& error) {
        log_.once("playlist index:read", std::string("the playlist files are all read: the track index cannot "
                                                     "give what it kept of them (") + error.what() + ")");
    }
}

void PlaylistCatalog::saveChanges() {
    std::vector<StoredPlaylistFile> changed;
    std::vector<std::string> removed;
    for (auto& [file, row] : unsaved_) {
        if (row)
            changed.push_back(std::move(*row));
        else
            removed.push_back(file);
    }
    unsaved_.clear();
    try {
        storePlaylistFiles(index_, changed, removed);
    } catch (const SqliteError& error) {
        log_.once("playlist index:write",
                  std::string("what the playlist files gave cannot be kept in the track index: ") + error.what());
    }
}

void PlaylistCatalog::sort() {
    sorted_.clear();
    for (const auto& [path, known] : files_)
        if (known.entry) sorted_.push_back(*known.entry);
    std::sort(sorted_.begin(), sorted_.end(), orderedBefore);
    changed_ = false;
}

std::span<const CatalogEntry> PlaylistCatalog::named(std::string_view name) const {
    CatalogEntry key;
    key.name = name;
    key.sortName = lowerAscii(name);
    const auto byName = [](const CatalogEntry& a, const CatalogEntry& b) {
        return std::tie(a.sortName, a.name) < std::tie(b.sortName, b.name);
    };
    const auto [first, last] = std::equal_range(sorted_.begin(), sorted_.end(), key, byName);
    return {first, last};
}

}  // namespace lumo::platform::library
