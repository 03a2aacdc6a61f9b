// The player's state machine: bus messages in, play state and pipeline
// states out. Runs on the host's thread only.

#include <gst/gst.h>

#include "platform/gst/error_classes.h"
#include "platform/gst/gst_media_player.h"
#include "platform/gst/item_source.h"
#include "platform/gst/pipeline.h"
#include "platform/gst/schedule.h"

namespace lumo::platform::gst {

namespace {

// The pipeline state of each Target (Stopped, Ready, Paused, Playing).
GstState gstStateOf(int target) {
    static constexpr GstState states[] = {GST_STATE_READY, GST_STATE_PAUSED, GST_STATE_PAUSED, GST_STATE_PLAYING};
    return states[target];
}

}  // namespace

void GstMediaPlayer::pump() {
    if (!pipeline_ || pumping_) return;
    pumping_ = true;
    bool restarted = false;
    for (;;) {
        while (GstMessage* message = pipeline_->popMessage()) {
            handle(message);
            gst_message_unref(message);
        }
        if (!startFailed_) break;
        if (!errorReported_ && !restarted && current_ >= 0) {
            // No element said why: playbin itself was left broken (a host
            // control meeting a switch to the next item). From NULL the same
            // item opens afresh; a second failure is reported.
            restarted = true;
            const Target target = target_;
            pipeline_->setState(GST_STATE_NULL);
            open(current_, target);
            continue;
        }
        // A state change failed; its element's ERROR (if it posted one) was
        // handled above.
        if (!errorReported_) {
            errorReported_ = true;
            errors_.push_back(makeErrorItem(ErrorClass::Other, schedule_->uriOf(current_),
                                            "the pipeline did not start", "playbin"));
        }
        fail();
    }
    refreshState();
    pumping_ = false;
}

void GstMediaPlayer::handle(GstMessage* message) {
    const bool fromPipeline = GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline_->playbin());
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
            handleError(message);
            break;
        case GST_MESSAGE_EOS:
            if (fromPipeline) handleEnd();
            break;
        case GST_MESSAGE_STREAM_START:
            if (fromPipeline) handleStreamStart();
            break;
        case GST_MESSAGE_DURATION_CHANGED:
            learned_.durationSeconds.reset();
            break;
        case GST_MESSAGE_BUFFERING:
            handleBuffering(message);
            break;
        case GST_MESSAGE_CLOCK_LOST:
            if (target_ == Target::Playing && !buffering_) {
                pipeline_->setState(GST_STATE_PAUSED);
                pipeline_->setState(GST_STATE_PLAYING);
            }
            break;
        default:
            break;
    }
}

void GstMediaPlayer::handleError(GstMessage* message) {
    if (raisedBySink(message, pipeline_->audioSink()) && !pipeline_->usesFallbackSink()) {
        // The output, not the item, failed: play on at the real pace without
        // it, from the same item.
        GST_WARNING("audio sink failed, switching to a fake sink");
        const Target target = target_;
        interrupt();
        pipeline_->switchToFallbackSink();
        if (current_ >= 0) open(current_, target);
        return;
    }
    // An error while a queued item starts is that item's.
    if (const int started = schedule_->startQueued(); started >= 0) makeCurrent(started);
    if (!errorReported_) {
        errorReported_ = true;
        errors_.push_back(errorItemOf(message, schedule_->uriOf(current_), pipeline_->audioSink()));
    }
    fail();
}

void GstMediaPlayer::handleEnd() {
    learn();  // an MP3 without a header tells its length only now
    schedule_->dropQueued();
    // Loop may have been switched on after the last item was chosen.
    if (const int next = schedule_->next(); next >= 0) {
        open(next, Target::Playing);
    } else if (autoRewind_) {
        open(schedule_->rewind(), Target::Stopped);
    } else {
        interrupt();
        target_ = Target::Stopped;
        state_ = PlayState::MediaEnded;
    }
}

void GstMediaPlayer::handleStreamStart() {
    if (skipStarts_ > 0) {
        --skipStarts_;
        return;
    }
    if (const int started = schedule_->startQueued(); started >= 0) makeCurrent(started);
}

void GstMediaPlayer::handleBuffering(GstMessage* message) {
    if (target_ != Target::Playing) return;
    gint percent = 100;
    gst_message_parse_buffering(message, &percent);
    if (percent < 100) {
        if (!buffering_) pipeline_->setState(GST_STATE_PAUSED);
        buffering_ = true;
        state_ = PlayState::Buffering;
    } else if (buffering_) {
        buffering_ = false;
        pipeline_->setState(GST_STATE_PLAYING);
    }
}

void GstMediaPlayer::refreshState() {
    if (buffering_ || target_ == Target::Stopped) return;
    if (!pipeline_->settledIn(gstStateOf(static_cast<int>(target_)))) return;
    const PlayState reached = target_ == Target::Ready    ? PlayState::Ready
                              : target_ == Target::Paused ? PlayState::Paused
                                                          : PlayState::Playing;
    if (state_ == reached) return;
    state_ = reached;
    learn();
}

void GstMediaPlayer::makeCurrent(int item) {
    // Opening the same item again keeps what its preroll taught.
    if (item != current_ || item < 0) learned_ = {};
    current_ = item;
    currentItem_ = mediaAt(item);
    errorReported_ = false;
}

void GstMediaPlayer::open(int item, Target target) {
    interrupt();
    makeCurrent(item);
    const ItemSource source = sourceOf(currentItem_.get());
    if (source.problem) {
        errorReported_ = true;
        errors_.push_back(*source.problem);
        target_ = Target::Stopped;
        state_ = PlayState::Stopped;
        return;
    }
    pipeline_->setUri(source.uri);
    target_ = target;
    if (target == Target::Stopped) {
        state_ = PlayState::Stopped;
        return;
    }
    state_ = PlayState::Transitioning;
    start();
}

void GstMediaPlayer::start() {
    // The opened stream's start is not a queued item's.
    skipStarts_ = 1;
    startFailed_ = pipeline_->setState(gstStateOf(static_cast<int>(target_))) == GST_STATE_CHANGE_FAILURE;
}

void GstMediaPlayer::interrupt() {
    if (!pipeline_) return;
    pipeline_->setState(GST_STATE_READY);
    // Whatever the stopped streams said is about what no longer plays.
    pipeline_->discardMessages();
    schedule_->dropQueued();
    skipStarts_ = 0;
    startFailed_ = false;
    buffering_ = false;
}

void GstMediaPlayer::fail() {
    // After an error some elements (typefind among them) keep their failure
    // through READY and would fail the next item too; NULL resets them.
    if (pipeline_) pipeline_->setState(GST_STATE_NULL);
    interrupt();
    target_ = Target::Stopped;
    state_ = PlayState::Stopped;
}

void GstMediaPlayer::learn() {
    if (learned_.durationSeconds && learned_.hasVideo) return;
    if (!pipeline_ || !pipeline_->atLeastPaused()) return;
    learned_.durationSeconds = pipeline_->durationSeconds();
    learned_.hasVideo = pipeline_->hasVideo();
}

}  // namespace lumo::platform::gst
