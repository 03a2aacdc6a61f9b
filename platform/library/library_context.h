#pragma once
// What the media library and the playlists it hands out share; playlists
// keep it alive, so they stay usable after the library is gone.

#include <filesystem>

#include "platform/library/library_log.h"
#include "platform/library/track_index.h"

namespace lumo::platform::library {

struct LibraryContext {
    LibraryContext(const std::filesystem::path& indexFile, LibraryHooks hooks)
        : hooks(std::move(hooks)), log(this->hooks.log), index(indexFile, log) {}
    int64_t now() const { return nowSeconds(hooks); }

    const LibraryHooks hooks;
    LibraryLog log;
    TrackIndex index;
};

}  // namespace lumo::platform::library
