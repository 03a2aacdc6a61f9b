#pragma once
// What the media library reports about its input, and the seams its owner
// (or a test) sets: where messages go, which music files are read, the clock.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>

namespace lumo::platform::library {

using LogHook = std::function<void(std::string)>;

struct LibraryHooks {
    LogHook log;                                                 // default: one line on stderr
    std::function<void(const std::filesystem::path&)> fileRead;  // each music file read for the index
    std::function<int64_t()> now;                                // seconds since the epoch; default: system clock
    // Each playlist or rule file read (those the index knows unchanged are not).
    std::function<void(const std::filesystem::path&)> playlistFileRead;
};

// The hooks' clock, else the system clock.
int64_t nowSeconds(const LibraryHooks& hooks);

// Messages about bad input: each problem is reported once, however often the
// library meets it again. Safe to use from any thread.
class LibraryLog {
public:
    explicit LibraryLog(LogHook hook);
    void write(const std::string& message);
    // Writes the message unless one with the same key was written before.
    void once(const std::string& key, const std::string& message);

private:
    LogHook hook_;
    std::mutex mutex_;
    std::set<std::string> keys_;
};

}  // namespace lumo::platform::library
