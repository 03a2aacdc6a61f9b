#include "platform/user_settings.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <fstream>
#include <regex>

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
    QSettings store(QString::fromStdString(file.string()), QSettings::IniFormat);
    store.setValue(keyPath(section, key), qtext(value));
    store.sync();
    return store.status() == QSettings::NoError;
}

}  // namespace lumo::platform
