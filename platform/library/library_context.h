#pragma once
// What the media library and the playlists it hands out share; playlists
// keep it alive, so they stay usable after the library is gone.

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/library/library_log.h"
#include "platform/library/track_index.h"

namespace lumo::platform::library {

// What a playlist file's items were built into, shared by every playlist
// object of the same unchanged file (see library_playlists.h).
struct BuiltItems;

struct LibraryContext {
    LibraryContext(const std::filesystem::path& indexFile, LibraryHooks hooks)
        : hooks(std::move(hooks)), log(this->hooks.log), index(indexFile, log) {}
    int64_t now() const { return nowSeconds(hooks); }

    const LibraryHooks hooks;
    LibraryLog log;
    TrackIndex index;

    // The items built from each playlist file while anyone holds them, with
    // the file's size and modification time they were built from.
    struct Built {
        std::string version;
        std::weak_ptr<BuiltItems> items;
    };
    std::mutex builtMutex;
    std::map<std::filesystem::path, Built> built;
};

}  // namespace lumo::platform::library
