#include "platform/library/music_scan.h"

#include <cstring>
#include <set>
#include <system_error>
#include <utility>

#include "platform/library/text.h"
#include "platform/library/track_reader.h"

namespace lumo::platform::library {
namespace {

class Walk {
public:
    Walk(MusicScan& scan, LibraryLog& log) : scan_(scan), log_(log) {}

    void root(const std::filesystem::path& folder) {
        struct stat info {};
        const bool found = ::stat(folder.c_str(), &info) == 0;
        if (!found || !S_ISDIR(info.st_mode)) {
            const std::string reason = found ? "not a folder" : std::strerror(errno);
            unreadable(folder, "music folder " + pathText(folder) + " skipped: " + reason);
            return;
        }
        if (visited_.insert({info.st_dev, info.st_ino}).second) folders_.push_back(folder);
        while (!folders_.empty()) {
            const std::filesystem::path next = std::move(folders_.back());
            folders_.pop_back();
            list(next);
        }
    }

private:
    void unreadable(const std::filesystem::path& folder, const std::string& message) {
        scan_.unreadable.push_back(folder);
        log_.once("folder:" + folder.native(), message);
    }

    void list(const std::filesystem::path& folder) {
        std::error_code error;
        std::filesystem::directory_iterator entries(folder, error);
        if (error) {
            unreadable(folder, "music folder " + pathText(folder) + " cannot be read: " + error.message());
            return;
        }
        for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
            const std::filesystem::path& path = entries->path();
            if (path.filename().native().front() == '.') continue;
            // The entry's type comes from the folder listing; only links, folders and media files cost a stat.
            std::error_code typeError;
            const auto type = entries->symlink_status(typeError).type();
            const bool media = isMediaFileName(path);
            if (type != std::filesystem::file_type::directory && type != std::filesystem::file_type::symlink && !media)
                continue;
            struct stat info {};
            if (::stat(path.c_str(), &info) != 0) continue;  // a dangling link or a file gone meanwhile
            if (S_ISDIR(info.st_mode)) {
                if (visited_.insert({info.st_dev, info.st_ino}).second) folders_.push_back(path);
            } else if (S_ISREG(info.st_mode) && media && seen_.insert(path.native()).second) {
                scan_.files.push_back({path, versionOf(info)});
            }
        }
        if (error) unreadable(folder, "music folder " + pathText(folder) + " cannot be read: " + error.message());
    }

    MusicScan& scan_;
    LibraryLog& log_;
    std::vector<std::filesystem::path> folders_;
    std::set<std::pair<dev_t, ino_t>> visited_;
    std::set<std::string> seen_;
};

}  // namespace

FileVersion versionOf(const struct stat& info) {
    return {static_cast<int64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

std::filesystem::path normalFolder(const std::filesystem::path& folder) {
    std::error_code ignored;
    std::filesystem::path normal = std::filesystem::absolute(folder, ignored).lexically_normal();
    if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
    return normal;
}

bool isUnder(std::string_view f, const std::filesystem::path& folder) {
    const std::string_view d = folder.native();
    if (d == "/") return f.size() > 1 && f.front() == '/';
    return f.size() > d.size() && f.compare(0, d.size(), d) == 0 && f[d.size()] == '/';
}

MusicScan scanMusicFolders(const std::vector<std::filesystem::path>& folders, LibraryLog& log) {
    MusicScan scan;
    Walk walk(scan, log);
    for (const std::filesystem::path& folder : folders) walk.root(normalFolder(folder));
    return scan;
}

}  // namespace lumo::platform::library
