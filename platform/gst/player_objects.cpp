#include "platform/gst/player_objects.h"


#include "failsafe/runtime_error.h"

namespace lumo::platform::gst {

namespace {

class NoPlaylists final : public PlaylistArray {
public:
    int32_t count() const override { return 0; }
    PlaylistPtr item(int32_t index) const override {
        throw failsafe::RuntimeError(failsafe::error::SubscriptOutOfRange,
                                     "No playlist at index " + std::to_string(index) + ": the library is empty");
    }
};

}  // namespace

PlaylistArrayPtr EmptyPlaylistCollection::getAll() { return std::make_shared<NoPlaylists>(); }

PlaylistArrayPtr EmptyPlaylistCollection::getByName(std::string_view) { return std::make_shared<NoPlaylists>(); }

CdromPtr NoCdroms::item(int32_t index) {
    throw failsafe::RuntimeError(failsafe::error::SubscriptOutOfRange,
                                 "No CD drive at index " + std::to_string(index) + ": the player has none");
}

MediaPtr SingleItemPlaylist::item(int32_t index) const {
    if (index != 0)
        throw failsafe::RuntimeError(failsafe::error::SubscriptOutOfRange,
                                     "No item at index " + std::to_string(index) + " of a one-item playlist");
    return media_;
}

std::string SingleItemPlaylist::getItemInfo(std::string_view attribute) const {
    return attribute == "PlaylistType" ? "Static" : "";
}

std::string PlayedMedia::getItemInfo(std::string_view attribute) const {
    if (attribute == "Duration" && learned_.durationSeconds) return durationText(learned_.durationSeconds);
    if (attribute == "MediaType" && learned_.hasVideo) return *learned_.hasVideo ? "video" : "audio";
    return item_->getItemInfo(attribute);
}


}  // namespace lumo::platform::gst
