// What a host assigns and reads: the playlist, the item, position and
// seeking, the library and the drives.

#include "platform/gst/gst_media_player.h"

#include <gst/gst.h>

#include <algorithm>
#include <cstdlib>

#include "failsafe/runtime_error.h"
#include "platform/gst/gst_runtime.h"
#include "platform/gst/handover.h"
#include "platform/gst/item_source.h"
#include "platform/gst/pipeline.h"

namespace lumo::platform::gst {

PlayState GstMediaPlayer::playState() {
    catchUp();
    return state_;
}

std::string GstMediaPlayer::versionInfo() {
    catchUp();
    return gstreamerVersion();
}

PlaylistPtr GstMediaPlayer::currentPlaylist() {
    catchUp();
    return playlist_;
}

void GstMediaPlayer::setCurrentPlaylist(PlaylistPtr playlist) {
    if (!playlist) throw failsafe::RuntimeError(failsafe::error::InvalidProcedureCall, "No playlist to make current");
    requirePipeline();
    catchUp();
    playlist_ = std::move(playlist);
    // Items are read when they are reached, so that a playlist of any size
    // becomes current at once.
    order_.reset(std::max(playlist_->count(), 0), shuffle_);
    currentIndex_ = -1;
    if (order_.current() < 0) {
        makeCurrent(-1);
        stopPipeline();
        target_ = Target::Stopped;
        transition(PlayState::Stopped);
        return;
    }
    open(order_.current(), autoStart_ ? Target::Playing : Target::Ready);
    openedOnAssignment_ = true;
    processEvents();
}

MediaPtr GstMediaPlayer::currentMedia() {
    catchUp();
    if (!currentItem_) return nullptr;
    return std::make_shared<PlayedMedia>(currentItem_, learned_);
}

void GstMediaPlayer::setCurrentMedia(MediaPtr media) {
    if (!media) throw failsafe::RuntimeError(failsafe::error::InvalidProcedureCall, "No media item to open");
    requirePipeline();
    catchUp();
    int item = indexInPlaylist(media);
    const Target target = autoStart_ ? Target::Playing : Target::Ready;
    const bool opening = state_ == PlayState::Transitioning && target_ == target && !seekingTo_;
    const bool failedOnAssignment = openedOnAssignment_ && errorReported_ && state_ == PlayState::Stopped;
    if (item >= 0 && item == currentIndex_ && (opening || failedOnAssignment)) {
        // Already opening for the same end (a host that assigns the playlist
        // and then its first item): a second start would only cut the
        // first one short, and a stream cut while it is being recognised
        // can report a failure of its own. Had that opening failed, the
        // host would see the failure twice, the second after it may have
        // cleared the first.
        processEvents();
        return;
    }
    if (item >= 0) {
        order_.moveTo(item);
    } else {
        playlist_ = std::make_shared<SingleItemPlaylist>(media);
        order_.reset(1, shuffle_);
        currentIndex_ = -1;
        item = 0;
    }
    open(item, target);
    processEvents();
}

double GstMediaPlayer::position() {
    catchUp();
    if (!itemOpen()) return 0;
    // Right after a seek the pipeline prerolls again and tells nothing yet.
    if (seekingTo_) return *seekingTo_;
    return pipeline_->positionSeconds().value_or(0);
}

std::optional<double> GstMediaPlayer::duration() {
    catchUp();
    if (learned_.durationSeconds) return learned_.durationSeconds;
    if (!currentItem_) return std::nullopt;
    const std::string text = currentItem_->getItemInfo("Duration");
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || seconds < 0) return std::nullopt;
    return seconds;
}

bool GstMediaPlayer::canSeek() {
    catchUp();
    return itemOpen() && pipeline_->seekable();
}

bool GstMediaPlayer::seek(double seconds) {
    if (!canSeek()) return false;
    double to = std::max(seconds, 0.0);
    if (const std::optional<double> length = duration(); length && to > *length) to = *length;
    if (pipeline_->handover().hasQueued()) {
        // playbin has taken the next item already: the current one opens
        // again where it is asked to be.
        open(currentIndex_, target_, to);
    } else {
        post([to](Pipeline& pipeline) { pipeline.seek(to); });
    }
    seekingTo_ = to;
    processEvents();
    return true;
}

int32_t GstMediaPlayer::currentIndex() {
    catchUp();
    return currentIndex_;
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
    // Playlists may hand out a new object for each read: the same source
    // and name are the same item. Hosts mostly step through a playlist, so
    // the current item and the next are asked first.
    const std::string url = media->getItemInfo("SourceURL"), name = media->name();
    const auto same = [&](int i) {
        const MediaPtr candidate = mediaAt(i);
        return candidate == media ||
               (candidate && candidate->getItemInfo("SourceURL") == url && candidate->name() == name);
    };
    for (int near : {currentIndex_, currentIndex_ + 1})
        if (near >= 0 && near < count && same(near)) return near;
    for (int i = 0; i < count; ++i)
        if (mediaAt(i) == media) return i;
    for (int i = 0; i < count; ++i)
        if (same(i)) return i;
    return -1;
}

PlaylistCollection& GstMediaPlayer::playlistCollection() {
    catchUp();
    return *playlists_;
}

CdromCollection& GstMediaPlayer::cdromCollection() {
    catchUp();
    return *cdroms_;
}

void GstMediaPlayer::setEventHandler(PlayerEventHandler handler) {
    catchUp();
    eventHandler_ = std::move(handler);
    if (!eventHandler_) outbox_.clear();
}

void GstMediaPlayer::waitForNews(std::chrono::microseconds limit) {
    if (const std::shared_ptr<EventQueue> queue = events_)
        queue->waitForPush(limit);
    else
        MediaPlayer::waitForNews(limit);
}

void GstMediaPlayer::setModeChangeHandler(ModeChangeHandler handler) {
    catchUp();
    modeChanged_ = std::move(handler);
}

void GstMediaPlayer::catchUp() {
    processEvents();
    deliverProblems();
}

}  // namespace lumo::platform::gst
