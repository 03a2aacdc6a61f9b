#include "platform/library/library_media.h"

#include <sys/stat.h>

#include "platform/duration_text.h"
#include "platform/library/text.h"
#include "platform/library/track_reader.h"

namespace lumo::platform::library {

LibraryMedia::LibraryMedia(Track track) : track_(std::move(track)) {}

LibraryMedia::LibraryMedia(PlaylistEntry entry, std::shared_ptr<LibraryContext> context)
    : entry_(std::move(entry)), context_(std::move(context)) {}

const Track* LibraryMedia::track() const {
    if (context_)
        std::call_once(looked_, [&] {
            const auto path = localPathOf(entry_.uri);
            if (!path) return;
            try {
                track_ = context_->index.find(*path);
            } catch (const SqliteError& error) {
                context_->log.once("index lookup", std::string("the track index cannot be read: ") + error.what());
            }
            if (track_) return;
            struct stat info {};
            if (::stat(path->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
            Discoverer discoverer;
            track_ = readTrack(*path, discoverer);
        });
    return track_ ? &*track_ : nullptr;
}

std::string LibraryMedia::name() const {
    if (const Track* known = track()) return known->title;
    if (!entry_.title.empty()) return entry_.title;
    if (const auto path = localPathOf(entry_.uri)) return stemText(*path);
    return entry_.uri;
}

std::string LibraryMedia::getItemInfo(std::string_view attribute) const {
    const std::string key = lowerAscii(attribute);
    // An indexed track's URI is made when asked: auto playlists hand out thousands of items.
    if (key == "sourceurl") return entry_.uri.empty() && track_ ? fileUri(track_->path) : entry_.uri;
    if (key == "title") return name();
    const Track* known = track();
    if (key == "mediatype") return known && known->hasVideo ? "video" : "audio";
    if (key == "duration") return platform::durationText(known && known->duration ? known->duration : entry_.duration);
    if (!known) return {};
    if (key == "author") return known->artist;
    if (key == "wm/albumtitle") return known->album;
    if (key == "wm/genre") return known->genre;
    if (key == "wm/tracknumber") return known->number && *known->number > 0 ? std::to_string(*known->number) : "";
    return {};
}

}  // namespace lumo::platform::library
