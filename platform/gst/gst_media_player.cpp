#include "platform/gst/gst_media_player.h"

#include <gst/gst.h>

#include "failsafe/runtime_error.h"
#include "platform/gst/audio_sink.h"
#include "platform/gst/error_classes.h"
#include "platform/gst/gst_runtime.h"
#include "platform/gst/item_source.h"
#include "platform/gst/pipeline.h"
#include "platform/gst/schedule.h"

namespace lumo::platform::gst {

GstMediaPlayer::GstMediaPlayer(std::shared_ptr<PlaylistCollection> playlists,
                               std::shared_ptr<CdromCollection> cdroms, std::string sinkDescription)
    : playlists_(playlists ? std::move(playlists) : std::make_shared<EmptyPlaylistCollection>()),
      cdroms_(cdroms ? std::move(cdroms) : std::make_shared<NoCdroms>()),
      schedule_(std::make_unique<Schedule>(&canOpen)) {
    if (!ensureGstreamer(&unavailable_)) return;
    try {
        pipeline_ = std::make_unique<Pipeline>(resolveSinkDescription(sinkDescription),
                                               [schedule = schedule_.get()] { return schedule->queueNext(); });
    } catch (const failsafe::RuntimeError& failure) {
        unavailable_ = failure.description();
        return;
    }
    pipeline_->setVolume(volume_ / 100.0);
}

GstMediaPlayer::~GstMediaPlayer() = default;

void GstMediaPlayer::requirePipeline() const {
    if (!pipeline_)
        throw failsafe::RuntimeError(errorCodeOf(ErrorClass::Other), "The media player is not available: " + unavailable_);
}

GstElement* GstMediaPlayer::pipelineElement() const { return pipeline_ ? pipeline_->playbin() : nullptr; }

PlayState GstMediaPlayer::playState() {
    pump();
    const PlayState reported = state_;
    // The end of the playlist is told once; after that the player is stopped.
    if (state_ == PlayState::MediaEnded) state_ = PlayState::Stopped;
    return reported;
}

std::string GstMediaPlayer::versionInfo() {
    pump();
    return gstreamerVersion();
}

PlaylistPtr GstMediaPlayer::currentPlaylist() {
    pump();
    return playlist_;
}

void GstMediaPlayer::setCurrentPlaylist(PlaylistPtr playlist) {
    if (!playlist) throw failsafe::RuntimeError(failsafe::error::InvalidProcedureCall, "No playlist to make current");
    requirePipeline();
    pump();
    interrupt();
    std::vector<std::string> uris;
    const int32_t count = std::max(playlist->count(), 0);
    uris.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        MediaPtr media;
        try {
            media = playlist->item(i);
        } catch (const std::exception&) {
            // An unreadable item fails when it is opened.
        }
        uris.push_back(sourceOf(media.get()).uri);
    }
    playlist_ = std::move(playlist);
    schedule_->assign(std::move(uris), shuffle_);
    makeCurrent(-1);
    const int first = schedule_->current();
    if (first < 0) {
        target_ = Target::Stopped;
        state_ = PlayState::Stopped;
        return;
    }
    open(first, autoStart_ ? Target::Playing : Target::Ready);
    pump();
}

MediaPtr GstMediaPlayer::currentMedia() {
    pump();
    if (!currentItem_) return nullptr;
    if (!learned_.durationSeconds) learn();
    return std::make_shared<PlayedMedia>(currentItem_, learned_);
}

void GstMediaPlayer::setCurrentMedia(MediaPtr media) {
    if (!media) throw failsafe::RuntimeError(failsafe::error::InvalidProcedureCall, "No media item to open");
    requirePipeline();
    pump();
    int item = indexInPlaylist(media);
    if (item >= 0) {
        item = schedule_->moveTo(item);
    } else {
        interrupt();
        makeCurrent(-1);
        playlist_ = std::make_shared<SingleItemPlaylist>(media);
        schedule_->assign({sourceOf(media.get()).uri}, shuffle_);
        item = 0;
    }
    open(item, autoStart_ ? Target::Playing : Target::Ready);
    pump();
}

MediaPtr GstMediaPlayer::mediaAt(int index) const {
    if (!playlist_ || index < 0) return nullptr;
    try {
        return playlist_->item(index);
    } catch (const std::exception&) {
        return nullptr;
    }
}

int GstMediaPlayer::indexInPlaylist(const MediaPtr& media) const {
    if (!playlist_) return -1;
    const int count = playlist_->count();
    for (int i = 0; i < count; ++i)
        if (mediaAt(i) == media) return i;
    // Playlists may hand out a new object for each read: the same source
    // and name are the same item.
    const std::string url = media->getItemInfo("SourceURL"), name = media->name();
    for (int i = 0; i < count; ++i) {
        const MediaPtr candidate = mediaAt(i);
        if (candidate && candidate->getItemInfo("SourceURL") == url && candidate->name() == name) return i;
    }
    return -1;
}

PlaylistCollection& GstMediaPlayer::playlistCollection() {
    pump();
    return *playlists_;
}

CdromCollection& GstMediaPlayer::cdromCollection() {
    pump();
    return *cdroms_;
}

void GstMediaPlayer::setModeChangeHandler(ModeChangeHandler handler) {
    pump();
    modeChanged_ = std::move(handler);
}

std::unique_ptr<MediaPlayer> createGstMediaPlayer(std::shared_ptr<PlaylistCollection> playlists,
                                                  std::shared_ptr<CdromCollection> cdroms,
                                                  std::string sinkDescription) {
    return std::make_unique<GstMediaPlayer>(std::move(playlists), std::move(cdroms), std::move(sinkDescription));
}

}  // namespace lumo::platform::gst
