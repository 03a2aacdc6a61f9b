#include "platform/library/media_library.h"

#include "platform/library/library_context.h"
#include "platform/library/library_playlists.h"
#include "platform/library/playlist_catalog.h"

namespace lumo::platform::library {
namespace {

PlaylistPtr playlistOf(const CatalogEntry& entry, const std::shared_ptr<LibraryContext>& context) {
    if (entry.rules) return std::make_shared<AutoPlaylist>(entry.rules, context);
    return std::make_shared<StaticPlaylist>(entry.name, entry.file, entry.count, context);
}

PlaylistArrayPtr arrayOf(std::span<const CatalogEntry> entries, const std::shared_ptr<LibraryContext>& context) {
    std::vector<PlaylistPtr> playlists;
    playlists.reserve(entries.size());
    for (const CatalogEntry& entry : entries) playlists.push_back(playlistOf(entry, context));
    return std::make_shared<LibraryPlaylistArray>(std::move(playlists));
}

}  // namespace

MediaLibrary::MediaLibrary(LibraryConfig config, LibraryHooks hooks)
    : config_(std::move(config)),
      context_(std::make_shared<LibraryContext>(config_.indexFile, std::move(hooks))),
      catalog_(std::make_unique<PlaylistCatalog>(config_.playlistFolders, context_->log, context_->index,
                                                context_->hooks)) {}

MediaLibrary::~MediaLibrary() = default;

IndexReport MediaLibrary::refresh() {
    IndexReport report;
    // A rebuild of a damaged index during the update asks for one more pass.
    for (int pass = 0; pass < 2; ++pass) {
        context_->index.markRefreshed();
        try {
            report = updateIndex(context_->index, config_.musicFolders, context_->hooks, context_->log);
        } catch (const SqliteError& error) {
            context_->log.write(std::string("the track index could not be updated: ") + error.what());
        }
        if (!context_->index.needsRefresh()) break;
    }
    return report;
}

void MediaLibrary::catchUp() {
    if (context_->index.needsRefresh()) refresh();
    catalog_->update();
}

PlaylistArrayPtr MediaLibrary::getAll() {
    catchUp();
    return arrayOf(catalog_->all(), context_);
}

PlaylistArrayPtr MediaLibrary::getByName(std::string_view name) {
    catchUp();
    return arrayOf(catalog_->named(name), context_);
}

}  // namespace lumo::platform::library
