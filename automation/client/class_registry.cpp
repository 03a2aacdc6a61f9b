#include "automation/client/class_registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "lumo/create_object.h"

namespace lumo {

std::filesystem::path registrationFile(std::string_view progId) {
    return registry::classesFolder() / (std::string(progId) + ".class");
}

}  // namespace lumo

namespace lumo::registry {
namespace {

std::string trimmed(std::string text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    size_t first = 0;
    while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    return text.substr(first);
}

}  // namespace

bool isValidProgId(std::string_view progId) {
    if (progId.empty() || progId.size() > 39 || progId.front() == '.') return false;
    for (char c : progId)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_') return false;
    return true;
}

std::filesystem::path classesFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') return std::filesystem::path(data) / "lumo" / "classes";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".local" / "share" / "lumo" / "classes";
}

std::vector<std::filesystem::path> systemClassesFolders() {
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    std::vector<std::filesystem::path> folders;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(':', start), list.size());
        const std::string entry = list.substr(start, end - start);
        // Relative entries are invalid in the base directory rules.
        if (!entry.empty() && entry.front() == '/') folders.push_back(std::filesystem::path(entry) / "lumo" / "classes");
        start = end + 1;
    }
    return folders;
}

std::optional<std::filesystem::path> findRegistrationFile(std::string_view progId) {
    std::error_code error;
    const std::string name = std::string(progId) + ".class";
    if (std::filesystem::exists(registrationFile(progId), error)) return registrationFile(progId);
    for (const std::filesystem::path& folder : systemClassesFolders())
        if (std::filesystem::exists(folder / name, error)) return folder / name;
    return std::nullopt;
}

std::optional<Guid> parseGuid(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
    unsigned value[11];
    const std::string copy(text);
    int used = 0;
    if (std::sscanf(copy.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}%n", &value[0], &value[1], &value[2],
                    &value[3], &value[4], &value[5], &value[6], &value[7], &value[8], &value[9], &value[10],
                    &used) != 11 ||
        used != 38)
        return std::nullopt;
    Guid guid{value[0], static_cast<uint16_t>(value[1]), static_cast<uint16_t>(value[2]), {}};
    for (int i = 0; i < 8; ++i) guid.data4[i] = static_cast<uint8_t>(value[3 + i]);
    return guid;
}

std::optional<Registration> readRegistration(std::string_view progId, std::string* why) {
    const std::optional<std::filesystem::path> file = findRegistrationFile(progId);
    if (!file) return std::nullopt;
    std::ifstream in(*file);
    if (!in) {
        if (why) *why = "cannot read " + file->string();
        return std::nullopt;
    }
    Registration found;
    found.progId = progId;
    bool haveClass = false;
    std::string line;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = trimmed(line.substr(0, equals)), value = trimmed(line.substr(equals + 1));
        if (key == "CLSID") {
            const std::optional<Guid> guid = parseGuid(value);
            if (guid) found.clsid = *guid;
            haveClass = guid.has_value();
        } else if (key == "Library") {
            found.library = value;
        }
    }
    if (!haveClass || found.library.empty() || found.library.is_relative()) {
        if (why) *why = file->string() + " names no class id or no absolute library path";
        return std::nullopt;
    }
    return found;
}

std::string registrationText(const Registration& registration) {
    std::ostringstream text;
    text << "[Class]\nProgID=" << registration.progId << "\nCLSID=" << toString(registration.clsid)
         << "\nLibrary=" << registration.library.string() << "\n";
    return text.str();
}

bool writeRegistration(const Registration& registration, std::string* why) {
    std::error_code error;
    const std::filesystem::path folder = classesFolder();
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path target = registrationFile(registration.progId);
    const std::filesystem::path temporary = target.string() + ".new";
    const std::string bytes = registrationText(registration);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    written = fd >= 0 && ::fsync(fd) == 0 && written;
    if (fd >= 0) ::close(fd);
    if (written) std::filesystem::rename(temporary, target, error);
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        if (why) *why = "cannot write " + target.string();
        return false;
    }
    return true;
}

bool removeRegistration(std::string_view progId) {
    std::error_code error;
    std::filesystem::remove(registrationFile(progId), error);
    return !error;
}

}  // namespace lumo::registry
