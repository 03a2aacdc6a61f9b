#pragma once
// The media items of the library's playlists: a track of the index, or an
// entry of a playlist file. An entry whose file the index holds answers with
// the index's data, looked up when the item is first asked about anything
// but its source (a playlist of a hundred thousand entries costs nothing
// until its items are read); a local file the index does not hold is read
// then; a missing file or a URL answers what the playlist states (SourceURL
// is then the entry's URI as written, and playing it fails).

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/library/library_context.h"
#include "platform/library/playlist_file.h"
#include "platform/library/track.h"
#include "platform/media_player.h"

namespace lumo::platform::library {

class LibraryMedia final : public Media {
public:
    explicit LibraryMedia(Track track);
    LibraryMedia(PlaylistEntry entry, std::shared_ptr<LibraryContext> context);

    // The file's title (its title tag, else its name without extension) when the
    // index holds the file or it can be read; else the playlist's title for the
    // entry; else the entry's file name or URI.
    std::string name() const override;
    // "SourceURL", "MediaType", "Duration", "Title", "Author", "WM/AlbumTitle",
    // "WM/Genre", "WM/TrackNumber" (in any letter case); "" for anything else or what is unknown.
    std::string getItemInfo(std::string_view attribute) const override;

private:
    const Track* track() const;

    PlaylistEntry entry_;
    std::shared_ptr<LibraryContext> context_;  // a playlist's entry, looked up when first asked
    mutable std::once_flag looked_;
    mutable std::optional<Track> track_;
};

}  // namespace lumo::platform::library
