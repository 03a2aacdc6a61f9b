#include "host/library_path.h"

#include "automation/client/class_registry.h"

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
    const std::optional<registry::Registration> registration = registry::readRegistration(progId);
    if (!registration) return std::nullopt;
    return registration->library;
}

std::optional<fs::path> findLibrary(const LibrarySearch& search) {
    if (!search.named.empty()) return absolutePath(search.named);
    if (!search.environment.empty()) return absolutePath(search.environment);
    if (!search.executable.empty()) {
        const fs::path folder = absolutePath(search.executable).parent_path();
        // The build tree keeps the library in ../lib; an installed lumo-host
        // finds it in the libdir of its own prefix.
        for (const fs::path& candidate : {folder.parent_path() / "lib" / kLibraryFile,
                                          (folder / LUMO_RELATIVE_LIBDIR / LUMO_INSTALLED_LIBRARY_FILE).lexically_normal(),
                                          folder / kLibraryFile})
            if (isFile(candidate)) return candidate;
    }
    return registeredLibrary(search.progId);
}

}  // namespace lumo::host
