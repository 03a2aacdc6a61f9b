#include "platform/user_settings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSettings>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <thread>

namespace lumo::platform {
namespace {

std::filesystem::path home() {
    const char* value = std::getenv("HOME");
    return value && *value ? std::filesystem::path(value) : std::filesystem::path("/");
}

std::filesystem::path fromEnvironment(const char* variable, const std::filesystem::path& fallback) {
    const char* value = std::getenv(variable);
    // Relative values are invalid and ignored, as the base directory rules say.
    if (value && *value == '/') return value;
    return fallback;
}

QString qtext(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString keyPath(std::string_view section, std::string_view key) { return qtext(section) + "/" + qtext(key); }

QString qpath(const std::filesystem::path& file) { return QString::fromStdString(file.string()); }

// Every key of the file with its value, as QSettings reads the file now.
std::map<QString, QVariant> contentsOf(const std::filesystem::path& file) {
    QSettings store(qpath(file), QSettings::IniFormat);
    std::map<QString, QVariant> values;
    for (const QString& key : store.allKeys()) values[key] = store.value(key);
    return values;
}

bool syncToDisk(const std::filesystem::path& file, int flags = O_RDONLY) {
    const int fd = ::open(file.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

// The store with the change, written to a new file beside it: the store's
// bytes, then QSettings' change to them, then read back whole. QSettings
// replaces a file only after writing a new one, but it misses a write that
// fails when its buffer is flushed (a full disk), and would put an empty
// file in place of the store; so its result is only trusted once read back.
bool writeChangedCopy(const std::filesystem::path& file, const std::filesystem::path& copy, const QString& key,
                      const QString& value) {
    std::map<QString, QVariant> expected = contentsOf(file);
    expected[key] = value;
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        // The copy takes the file's permissions too.
        if (!std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing, error))
            return false;
    }
    {
        QSettings store(qpath(copy), QSettings::IniFormat);
        store.setValue(key, value);
        store.sync();
        if (store.status() != QSettings::NoError) return false;
    }
    return contentsOf(copy) == expected && syncToDisk(copy);
}

// One writer at a time, across processes: the settings folder's flock. The
// kernel lets go of it when its holder dies, so a writer killed halfway
// never stops the next one (a lock file, like QSettings' own, can be left
// behind empty and then blocks every later write).
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // False when another writer keeps the lock for five seconds. Where the
    // file system has no locks, writers go unlocked: the rename still keeps
    // the file whole.
    bool take() {
        if (fd_ < 0) return false;
        for (int attempt = 0; attempt < 500; ++attempt) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
            if (errno != EWOULDBLOCK && errno != EINTR) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    int fd_;
};

// Readers (QSettings in this process and in others) read a file again only
// when its size or its modification time to the millisecond changed. A
// rewrite of the same size within the millisecond of the last one would
// look unchanged to them, so the copy's time moves past the file's.
void lookNewerThan(const std::filesystem::path& file, const std::filesystem::path& copy) {
    struct stat old{}, made{};
    if (::stat(file.c_str(), &old) != 0 || ::stat(copy.c_str(), &made) != 0) return;
    const auto milliseconds = [](const timespec& t) { return t.tv_sec * 1000LL + t.tv_nsec / 1000000; };
    if (milliseconds(made.st_mtim) > milliseconds(old.st_mtim)) return;
    const long long later = milliseconds(old.st_mtim) + 1;
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(later / 1000), (later % 1000) * 1000000}};
    ::utimensat(AT_FDCWD, copy.c_str(), times, 0);
}

const char* const CopySuffix = ".new-";

// Copies that a writer killed halfway left behind; only the lock holder makes them.
void removeLeftCopies(const std::filesystem::path& file) {
    const std::string prefix = file.filename().string() + CopySuffix;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(file.parent_path(), error), end; !error && entry != end;
         entry.increment(error))
        if (entry->path().filename().string().starts_with(prefix)) std::filesystem::remove(entry->path(), error);
}

}  // namespace

std::filesystem::path xdgConfigHome() { return fromEnvironment("XDG_CONFIG_HOME", home() / ".config"); }
std::filesystem::path xdgDataHome() { return fromEnvironment("XDG_DATA_HOME", home() / ".local/share"); }
std::filesystem::path xdgCacheHome() { return fromEnvironment("XDG_CACHE_HOME", home() / ".cache"); }

std::filesystem::path xdgMusicDir() {
    if (const char* music = std::getenv("XDG_MUSIC_DIR"); music && *music == '/') return music;
    std::ifstream dirs(xdgConfigHome() / "user-dirs.dirs");
    const std::regex line(R"re(^\s*XDG_MUSIC_DIR\s*=\s*"([^"]*)")re");
    for (std::string text; std::getline(dirs, text);) {
        std::smatch match;
        if (!std::regex_search(text, match, line)) continue;
        std::string value = match[1];
        if (value.rfind("$HOME", 0) == 0) return home() / value.substr(value.size() > 5 ? 6 : 5);
        if (!value.empty() && value.front() == '/') return value;
    }
    return home() / "Music";
}

std::filesystem::path settingsFileOf(std::string_view application) {
    return xdgConfigHome() / "lumo" / (std::string(application) + ".ini");
}

std::optional<std::string> readSetting(std::string_view application, std::string_view section,
                                       std::string_view key) {
    QSettings store(QString::fromStdString(settingsFileOf(application).string()), QSettings::IniFormat);
    const QVariant value = store.value(keyPath(section, key));
    if (!value.isValid()) return std::nullopt;
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(", ").toStdString();
    return value.toString().toStdString();
}

std::vector<std::string> readListSetting(std::string_view application, std::string_view section,
                                         std::string_view key) {
    QSettings store(QString::fromStdString(settingsFileOf(application).string()), QSettings::IniFormat);
    const QVariant value = store.value(keyPath(section, key));
    QStringList items = value.typeId() == QMetaType::QStringList ? value.toStringList()
                                                                  : value.toString().split('\n');
    std::vector<std::string> result;
    for (const QString& item : items) {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty()) result.push_back(trimmed.toStdString());
    }
    return result;
}

std::vector<std::pair<std::string, std::string>> readSection(std::string_view application,
                                                             std::string_view section) {
    QSettings store(QString::fromStdString(settingsFileOf(application).string()), QSettings::IniFormat);
    store.beginGroup(qtext(section));
    std::vector<std::pair<std::string, std::string>> entries;
    for (const QString& key : store.childKeys()) {
        const QVariant value = store.value(key);
        const QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(", ") : value.toString();
        entries.emplace_back(key.toStdString(), text.toStdString());
    }
    return entries;
}

bool writeSetting(std::string_view application, std::string_view section, std::string_view key,
                  std::string_view value) {
    const std::filesystem::path file = settingsFileOf(application);
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    FolderLock lock(file.parent_path());
    if (!lock.take()) return false;
    removeLeftCopies(file);
    std::string copyName = file.string() + CopySuffix + "XXXXXX";
    const int fd = ::mkostemp(copyName.data(), O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    const std::filesystem::path copy = copyName;
    bool written = writeChangedCopy(file, copy, keyPath(section, key), qtext(value));
    if (written) lookNewerThan(file, copy);
    written = written && ::rename(copy.c_str(), file.c_str()) == 0;
    if (!written) std::filesystem::remove(copy, error);
    // The rename itself reaches the disk with its folder.
    if (written) syncToDisk(file.parent_path(), O_RDONLY | O_DIRECTORY);
    return written;
}

}  // namespace lumo::platform
