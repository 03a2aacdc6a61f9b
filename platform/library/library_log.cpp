#include "platform/library/library_log.h"

#include <chrono>
#include <cstdio>

namespace lumo::platform::library {

int64_t nowSeconds(const LibraryHooks& hooks) {
    if (hooks.now) return hooks.now();
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

LibraryLog::LibraryLog(LogHook hook) : hook_(std::move(hook)) {
    if (!hook_) hook_ = [](std::string message) { std::fprintf(stderr, "LUMO media library: %s\n", message.c_str()); };
}

void LibraryLog::write(const std::string& message) {
    std::lock_guard lock(mutex_);
    hook_(message);
}

void LibraryLog::once(const std::string& key, const std::string& message) {
    std::lock_guard lock(mutex_);
    if (keys_.insert(key).second) hook_(message);
}

}  // namespace lumo::platform::library
