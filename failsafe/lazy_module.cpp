#include "failsafe/lazy_module.h"

#include <dlfcn.h>

#include <algorithm>

#include "failsafe/services.h"

namespace lumo::failsafe {
namespace {

bool isInside(const std::filesystem::path& file, const std::filesystem::path& folder) {
    const auto [end, ignored] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return !folder.empty() && end == folder.end();
}

}  // namespace

std::vector<std::filesystem::path> moduleCandidates(const std::filesystem::path& ownObject,
                                                    const std::string& fileName) {
    std::vector<std::filesystem::path> candidates{ownObject.parent_path() / "lumo" / fileName};
    const std::filesystem::path other = isInside(ownObject, LUMO_BUILD_TREE)
                                            ? std::filesystem::path(LUMO_BUILD_MODULES) / fileName
                                            : std::filesystem::path(LUMO_INSTALLED_MODULES) / fileName;
    if (other != candidates.front()) candidates.push_back(other);
    return candidates;
}

void* LazyModule::symbol(const char* name) {
    std::call_once(loaded_, [&] {
        const ProgramInfo own = programInfoOfModuleAt(reinterpret_cast<const void*>(&moduleCandidates));
        std::string why;
        for (const auto& candidate : moduleCandidates(own.folder / own.fileName, fileName_)) {
            std::error_code error;
            if (!std::filesystem::exists(candidate, error)) continue;
            handle_ = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle_) return;
            if (const char* text = ::dlerror()) why = text;
        }
        std::lock_guard lock(mutex_);
        error_ = why.empty() ? "the module " + fileName_ + " is not installed" : why;
    });
    if (!handle_) return nullptr;
    void* found = ::dlsym(handle_, name);
    if (!found) {
        std::lock_guard lock(mutex_);
        error_ = "the module " + fileName_ + " has no " + name;
    }
    return found;
}

std::string LazyModule::error() {
    std::lock_guard lock(mutex_);
    return error_;
}

}  // namespace lumo::failsafe
