#include "platform/library/library_playlists.h"

#include "failsafe/runtime_error.h"
#include "platform/library/auto_query.h"
#include "platform/library/library_media.h"
#include "platform/library/playlist_file.h"
#include "platform/library/text.h"

namespace lumo::platform::library {

const std::vector<MediaPtr>& LibraryPlaylist::items() const {
    std::call_once(built_, [&] {
        items_ = build();
        ready_ = true;
    });
    return items_;
}

int32_t LibraryPlaylist::count() const {
    if (!ready_) {
        if (const int32_t known = countBeforeBuilt(); known >= 0) return known;
    }
    return static_cast<int32_t>(items().size());
}

MediaPtr LibraryPlaylist::item(int32_t index) const {
    const auto& all = items();
    if (index < 0 || static_cast<size_t>(index) >= all.size())
        failsafe::raiseError(failsafe::error::SubscriptOutOfRange,
                             "playlist \"" + name_ + "\" has no item " + std::to_string(index));
    return all[static_cast<size_t>(index)];
}

std::string LibraryPlaylist::getItemInfo(std::string_view attribute) const {
    const std::string key = lowerAscii(attribute);
    if (key == "playlisttype") return type();
    if (key == "name") return name_;
    return {};
}

StaticPlaylist::StaticPlaylist(std::string name, std::filesystem::path file, int32_t count,
                               std::shared_ptr<LibraryContext> context)
    : LibraryPlaylist(std::move(name), std::move(context)), file_(std::move(file)), count_(count) {}

std::vector<MediaPtr> StaticPlaylist::build() const {
    PlaylistFile contents = readPlaylistFile(file_, true);
    std::vector<std::filesystem::path> local;
    for (const PlaylistEntry& entry : contents.entries) local.push_back(localPathOf(entry.uri).value_or(""));
    std::vector<std::optional<Track>> indexed(local.size());
    try {
        indexed = context().index.find(local);
    } catch (const SqliteError& error) {
        context().log.once("index lookup", std::string("the track index cannot be read: ") + error.what());
    }
    std::vector<MediaPtr> items;
    items.reserve(contents.entries.size());
    for (size_t i = 0; i < contents.entries.size(); ++i)
        items.push_back(std::make_shared<LibraryMedia>(std::move(contents.entries[i]), std::move(indexed[i])));
    return items;
}

AutoPlaylist::AutoPlaylist(std::shared_ptr<const AutoPlaylistRules> rules, std::shared_ptr<LibraryContext> context)
    : LibraryPlaylist(rules->name, std::move(context)), rules_(std::move(rules)) {}

std::vector<MediaPtr> AutoPlaylist::build() const {
    std::vector<MediaPtr> items;
    try {
        std::vector<Track> tracks = evaluateRules(context().index, *rules_, context().now());
        items.reserve(tracks.size());
        for (Track& track : tracks) items.push_back(std::make_shared<LibraryMedia>(std::move(track)));
    } catch (const SqliteError& error) {
        context().log.once("auto playlist " + name(),
                           "auto playlist \"" + name() + "\" cannot be evaluated: " + error.what());
    }
    return items;
}

PlaylistPtr LibraryPlaylistArray::item(int32_t index) const {
    if (index < 0 || index >= count())
        failsafe::raiseError(failsafe::error::SubscriptOutOfRange, "no playlist " + std::to_string(index));
    return playlists_[static_cast<size_t>(index)];
}

}  // namespace lumo::platform::library
