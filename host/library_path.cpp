#include "host/library_path.h"

#include <fstream>

#include "lumo/create_object.h"

namespace lumo::host {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLibraryFile = "libLUMOAudioPlayer.so";

fs::path absolutePath(const fs::path& path) {
    std::error_code error;
    const fs::path made = fs::absolute(path, error);
    return (error ? path : made).lexically_normal();
}

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

}  // namespace

std::optional<fs::path> registeredLibrary(const std::string& progId) {
    std::ifstream in(registrationFile(progId));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.starts_with("Library=")) continue;
        const std::string path = line.substr(8);
        if (!path.empty()) return fs::path(path);
    }
    return std::nullopt;
}

std::optional<fs::path> findLibrary(const LibrarySearch& search) {
    if (!search.named.empty()) return absolutePath(search.named);
    if (!search.environment.empty()) return absolutePath(search.environment);
    if (!search.executable.empty()) {
        const fs::path folder = absolutePath(search.executable).parent_path();
        for (const fs::path& candidate : {folder.parent_path() / "lib" / kLibraryFile, folder / kLibraryFile})
            if (isFile(candidate)) return candidate;
    }
    return registeredLibrary(search.progId);
}

}  // namespace lumo::host
