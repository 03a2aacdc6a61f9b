#pragma once
// The small objects the player hands out of its own: empty stand-ins for a
// media library and CD drives when none is given, the one-item playlist an
// item outside the current playlist plays in, and the current item with what
// the pipeline learned about it.

#include <optional>
#include <string>

#include "platform/duration_text.h"
#include "platform/media_player.h"

namespace lumo::platform::gst {

class EmptyPlaylistCollection final : public PlaylistCollection {
public:
    PlaylistArrayPtr getAll() override;
    PlaylistArrayPtr getByName(std::string_view name) override;
};

class NoCdroms final : public CdromCollection {
public:
    int32_t count() override { return 0; }
    CdromPtr item(int32_t index) override;  // always raises 9
};

// Named after its item; "PlaylistType" is "Static".
class SingleItemPlaylist final : public Playlist {
public:
    explicit SingleItemPlaylist(MediaPtr media) : media_(std::move(media)) {}
    int32_t count() const override { return 1; }
    std::string name() const override { return media_->name(); }
    MediaPtr item(int32_t index) const override;
    std::string getItemInfo(std::string_view attribute) const override;

private:
    MediaPtr media_;
};

// What the pipeline found out about the current item once it prerolled.
struct LearnedInfo {
    std::optional<double> durationSeconds;
    std::optional<bool> hasVideo;
};

// The item answering "Duration" and "MediaType" from what was learned, and
// everything else (and those two before preroll) from the item itself.
class PlayedMedia final : public Media {
public:
    PlayedMedia(MediaPtr item, LearnedInfo learned) : item_(std::move(item)), learned_(learned) {}
    std::string name() const override { return item_->name(); }
    std::string getItemInfo(std::string_view attribute) const override;

private:
    MediaPtr item_;
    LearnedInfo learned_;
};


}  // namespace lumo::platform::gst
