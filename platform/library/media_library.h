#pragma once
// The media library: the standard playlists (playlist files) and auto
// playlists (rule files over the track index) of the playlist folders, and
// the track index of the music folders.
//
// When it looks again:
// - The playlist folders on every getAll and getByName: the folders are
//   watched, so this costs one system call when nothing changed, and only
//   changed files are read again. The first look of a new library reads only
//   the files changed since the index was written (10,000 unchanged files:
//   a stat each, about a tenth of a second with the music folders' look).
// - The music folders at the first getAll or getByName, again whenever the
//   index had to be rebuilt, and on refresh(). A refresh reads only new and
//   changed files; an unchanged library of 10,000 files costs a walk of the
//   folders (tens of milliseconds).
//
// getAll lists every playlist by name (ASCII letters in either case alike,
// then the exact bytes), then by file path; getByName gives every playlist
// of exactly that name (case-sensitive), in the same order. Every call hands
// out new playlist objects, which read their items when first asked.
// Use the library from one thread at a time; the playlists and items it hands
// out may be read from any thread and outlive it.

#include <memory>
#include <string_view>

#include "platform/library/indexer.h"
#include "platform/library/library_config.h"
#include "platform/library/library_log.h"
#include "platform/media_player.h"

namespace lumo::platform::library {

struct LibraryContext;
class PlaylistCatalog;

class MediaLibrary final : public PlaylistCollection {
public:
    explicit MediaLibrary(LibraryConfig config, LibraryHooks hooks = {});
    ~MediaLibrary() override;

    PlaylistArrayPtr getAll() override;
    PlaylistArrayPtr getByName(std::string_view name) override;

    // Brings the track index up to date with the music folders.
    IndexReport refresh();

private:
    void catchUp();

    LibraryConfig config_;
    std::shared_ptr<LibraryContext> context_;
    std::unique_ptr<PlaylistCatalog> catalog_;
};

}  // namespace lumo::platform::library
