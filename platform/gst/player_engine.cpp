// The player's state machine: events in, play state and pipeline commands
// out. Runs on the host's thread only; processEvents is the one place where
// what happened to the pipeline changes the state.

#include <gst/gst.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/gst/engine_events.h"
#include "platform/gst/error_classes.h"
#include "platform/gst/gst_media_player.h"
#include "platform/gst/host_wakeup.h"
#include "platform/gst/item_source.h"
#include "platform/gst/pipeline.h"
#include "platform/gst/pipeline_thread.h"
#include "platform/gst/play_states.h"

namespace lumo::platform::gst {

namespace {

GstState gstStateOf(int target) {
    // Stopped, Ready, Paused, Playing.
    static constexpr GstState states[] = {GST_STATE_READY, GST_STATE_PAUSED, GST_STATE_PAUSED, GST_STATE_PLAYING};
    return states[target];
}

bool typeNotFound(GstMessage* message) {
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    const bool unknown = error && error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND;
    if (error) g_error_free(error);
    return unknown;
}

// A format that the output, or an element in front of it, does not take:
// refused when an item opens, left unlinked when playsink meets it at a
// switch without a gap.
bool formatRefused(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    const bool refused = (error && error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_NEGOTIATION) ||
                         (debug && (std::strstr(debug, "not-negotiated") || std::strstr(debug, "not-linked")));
    if (error) g_error_free(error);
    g_free(debug);
    return refused;
}

std::string secondsText(std::chrono::milliseconds limit) {
    const auto seconds = (limit.count() + 999) / 1000;
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

}  // namespace

void GstMediaPlayer::processEvents() {
    if (!pipeline_ || processing_) return;
    processing_ = true;
    for (;;) {
        const std::shared_ptr<EventQueue> queue = events_;
        std::vector<EngineEvent> events = queue->takeAll();
        if (events.empty()) break;
        settleDue_ = true;
        for (EngineEvent& event : events) {
            handle(event);
            if (events_ != queue) break;  // the pipeline was given up: the rest is its
        }
    }
    checkLimits();
    if (pipeline_) {
        settle();
        updateHandover();
    }
    processing_ = false;
}

void GstMediaPlayer::handle(EngineEvent& event) {
    switch (event.kind) {
        case EngineEvent::Kind::Begun:
            streamEpoch_ = event.epoch;
            if (event.epoch == epoch_) openingStarted_ = false;
            break;
        case EngineEvent::Kind::Done:
            if (event.epoch == epoch_ && event.result == GST_STATE_CHANGE_FAILURE) startFailed();
            break;
        case EngineEvent::Kind::Refused:
            if (event.epoch != epoch_) break;
            report(*event.refusal);
            fail();
            break;
        case EngineEvent::Kind::Message:
            // What a stream said before the pipeline was last reset is about
            // what no longer plays.
            if (streamEpoch_ == epoch_) handleMessage(event);
            break;
    }
}

void GstMediaPlayer::handleMessage(EngineEvent& event) {
    GstMessage* message = event.message;
    const bool fromPipeline = GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline_->playbin());
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
            handleError(event);
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
        case GST_MESSAGE_BUFFERING: {
            gint percent = 100;
            gst_message_parse_buffering(message, &percent);
            handleBuffering(percent);
            break;
        }
        case GST_MESSAGE_CLOCK_LOST:
            if (target_ == Target::Playing && !buffering_)
                post([](Pipeline& pipeline) {
                    pipeline.setState(GST_STATE_PAUSED);
                    pipeline.setState(GST_STATE_PLAYING);
                });
            break;
        default:
            break;  // a settled state: settle() looks
    }
}

void GstMediaPlayer::handleError(EngineEvent& event) {
    if (event.fromSink && !pipeline_->usesFallbackSink()) {
        // The output, not the item, failed: play on at the real pace
        // without it, from the same item.
        GError* error = nullptr;
        gst_message_parse_error(event.message, &error, nullptr);
        pendingProblems_.push_back("The audio output '" + sinkDescription_ + "' failed (" +
                                   (error ? error->message : "no reason given") +
                                   "); the player plays into a silent output instead.");
        if (error) g_error_free(error);
        return reopenAfter(&Pipeline::switchToFallbackSink);
    }
    if (!pipeline_->converts() && currentIndex_ >= 0 && formatRefused(event.message)) {
        // The output takes the decoders' formats as they are until one is
        // refused; from then on playsink converts, and the item opens again.
        return reopenAfter(&Pipeline::switchToConverting);
    }
    if (!retried_ && state_ == PlayState::Transitioning && currentIndex_ >= 0 && currentUri_.starts_with("file:") &&
        typeNotFound(event.message)) {
        // Under load playbin's type finding, cut short while its source
        // starts, can call a sound file unknown. From NULL the item is
        // recognised afresh; a file that is really no media fails again.
        retried_ = true;
        open(currentIndex_, target_, std::nullopt, true);
        return;
    }
    // An error while a handed-over item starts is that item's.
    if (const std::optional<int> queued = pipeline_->handover().takeQueued()) adoptQueued(*queued);
    if (!errorReported_) report(errorItemOf(event.message, currentUri_, event.fromSink));
    fail();
}

// The output changes for good and the current item opens again; an item
// handed over without a gap whose start the failure cut short is the current one.
void GstMediaPlayer::reopenAfter(bool (Pipeline::*change)()) {
    if (const std::optional<int> queued = pipeline_->handover().takeQueued()) adoptQueued(*queued);
    const Target target = target_;
    post([change](Pipeline& pipeline) { (pipeline.*change)(); });
    if (currentIndex_ >= 0) open(currentIndex_, target, std::nullopt, true);
}

void GstMediaPlayer::handleEnd() {
    learn();  // an MP3 without a header tells its length only now
    // Nothing followed without a gap (too short an item, or the gate was
    // closed): the next item opens the ordinary way.
    pipeline_->handover().dropQueued();
    orderAfterNext_.reset();
    PlayOrder next = order_;
    if (next.advance(loop_)) {
        order_ = std::move(next);
        open(order_.current(), target_ == Target::Paused ? Target::Paused : Target::Playing);
        return;
    }
    if (autoRewind_) {
        order_.rewind();
        makeCurrent(order_.current());
    }
    stopPipeline();
    target_ = Target::Stopped;
    transition(PlayState::MediaEnded);
}

void GstMediaPlayer::handleStreamStart() {
    // The opened stream's own start; later ones are handed-over items.
    if (!openingStarted_) {
        openingStarted_ = true;
        return;
    }
    if (const std::optional<int> queued = pipeline_->handover().takeQueued()) adoptQueued(*queued);
}

void GstMediaPlayer::adoptQueued(int item) {
    if (orderAfterNext_ && orderAfterNext_->current() == item) {
        order_ = std::move(*orderAfterNext_);
        order_.setShuffle(shuffle_);
    } else {
        order_.moveTo(item);
    }
    orderAfterNext_.reset();
    nextOffered_ = false;
    openedOnAssignment_ = false;
    makeCurrent(item);
}

void GstMediaPlayer::handleBuffering(int percent) {
    if (target_ != Target::Playing) return;
    if (percent < 100) {
        if (!buffering_) post([](Pipeline& pipeline) { pipeline.setState(GST_STATE_PAUSED); });
        buffering_ = true;
        transition(PlayState::Buffering);
    } else if (buffering_) {
        buffering_ = false;
        post([](Pipeline& pipeline) { pipeline.setState(GST_STATE_PLAYING); });
    }
}

void GstMediaPlayer::startFailed() {
    if (errorReported_) return;
    if (!retried_ && currentIndex_ >= 0) {
        // No element said why: playbin itself was left broken. From NULL the
        // same item opens afresh; a second failure is reported.
        retried_ = true;
        open(currentIndex_, target_, std::nullopt, true);
        return;
    }
    report(makeErrorItem(ErrorClass::Other, currentUri_, "the pipeline did not start", "playbin"));
    fail();
}

void GstMediaPlayer::settle() {
    // Only an event or a task moves the pipeline: a host polling a settled
    // player asks the pipeline nothing.
    if (!settleDue_) return;
    if (target_ == Target::Stopped || buffering_ || streamEpoch_ != epoch_ || !thread_->idle()) return;
    if (!pipeline_->settledIn(gstStateOf(static_cast<int>(target_)))) return;
    openDeadline_.reset();
    seekingTo_.reset();
    const PlayState reached = target_ == Target::Ready    ? PlayState::Ready
                              : target_ == Target::Paused ? PlayState::Paused
                                                          : PlayState::Playing;
    if (state_ != reached) transition(reached);
    learn();
    // A length not known yet is asked for again at the next look.
    settleDue_ = !learned_.durationSeconds || !learned_.hasVideo;
}

void GstMediaPlayer::checkLimits() {
    if (thread_->busyFor() > limits_.openLimit) {
        // A pipeline call has not returned: the pipeline no longer answers.
        // A new one takes its place, and the item in hand fails.
        const bool inHand = state_ != PlayState::Stopped && state_ != PlayState::MediaEnded && currentIndex_ >= 0;
        retirePipeline("a call did not return within " + secondsText(limits_.openLimit));
        if (inHand && !errorReported_)
            report(makeErrorItem(currentUri_.starts_with("file:") ? ErrorClass::NotFound : ErrorClass::Network,
                                 currentUri_, "the media player did not answer within " + secondsText(limits_.openLimit),
                                 "player"));
        fail();
        return;
    }
    if (openDeadline_ && Clock::now() >= *openDeadline_) {
        openDeadline_.reset();
        if (state_ != PlayState::Transitioning || errorReported_) return;
        report(makeErrorItem(currentUri_.starts_with("file:") ? ErrorClass::NotFound : ErrorClass::Network,
                             currentUri_, "it did not open within " + secondsText(limits_.openLimit), "player"));
        fail();
    }
}

std::optional<GstMediaPlayer::Clock::time_point> GstMediaPlayer::nextDeadline() const {
    std::optional<Clock::time_point> deadline = openDeadline_;
    if (thread_ && !thread_->idle()) {
        const Clock::time_point stuck = Clock::now() - thread_->busyFor() + limits_.openLimit;
        if (!deadline || stuck < *deadline) deadline = stuck;
    }
    return deadline;
}

void GstMediaPlayer::updateHandover() {
    if (nextOffered_ || target_ != Target::Playing || state_ != PlayState::Playing || streamEpoch_ != epoch_ ||
        !thread_->idle() || pipeline_->handover().hasQueued())
        return;
    // Settled and playing: playbin may take the next item without a gap.
    std::optional<Handover::Next> next;
    PlayOrder after = order_;
    if (after.advance(loop_)) {
        const ItemSource source = sourceOf(mediaAt(after.current()).get());
        if (!source.problem) next = Handover::Next{after.current(), source.uri};
        orderAfterNext_ = std::move(after);
    }
    pipeline_->handover().open(std::move(next));
    nextOffered_ = true;
}

void GstMediaPlayer::transition(PlayState to) {
    if (!transitionAllowed(state_, to)) {
        GST_ERROR("play state %s -> %s is not a move of the table", nameOf(state_), nameOf(to));
#ifndef NDEBUG
        std::fprintf(stderr, "play state %s -> %s is not a move of the table\n", nameOf(state_), nameOf(to));
        std::abort();
#endif
    }
    if (to == state_) return;
    state_ = to;
    tell({PlayerEvent::Kind::PlayStateChange, static_cast<int32_t>(to), {}});
    if (to == PlayState::MediaEnded) tell({PlayerEvent::Kind::EndOfPlaylist, 0, {}});
}

void GstMediaPlayer::makeCurrent(int item) {
    seekingTo_.reset();
    // Opening the same item again keeps what its preroll taught.
    if (item != currentIndex_ || item < 0) learned_ = {};
    currentIndex_ = item;
    currentItem_ = mediaAt(item);
    currentUri_ = currentItem_ ? sourceOf(currentItem_.get()).uri : std::string();
    errorReported_ = false;
    if (item != toldIndex_ || playlist_.get() != toldPlaylist_) {
        toldIndex_ = item;
        toldPlaylist_ = playlist_.get();
        tell({PlayerEvent::Kind::CurrentItemChange, item, currentItem_ ? currentItem_->name() : std::string()});
    }
}

void GstMediaPlayer::open(int item, Target target, std::optional<double> startAt, bool retry) {
    if (!retry) {
        retried_ = false;
        openedOnAssignment_ = false;
    }
    buffering_ = false;
    makeCurrent(item);
    if (target == Target::Stopped) {
        // Only the position moves; the pipeline stays as it is, stopped.
        if (state_ == PlayState::MediaEnded) transition(PlayState::Stopped);
        return;
    }
    const ItemSource source = sourceOf(currentItem_.get());
    if (source.problem) {
        stopPipeline();
        report(*source.problem);
        target_ = Target::Stopped;
        transition(PlayState::Stopped);
        return;
    }
    target_ = target;
    transition(PlayState::Transitioning);
    reset(retry, OpenRequest{source.uri, target, startAt});
}

void GstMediaPlayer::stopPipeline(bool fromNull) {
    seekingTo_.reset();
    reset(fromNull, std::nullopt);
}

void GstMediaPlayer::fail() {
    // After an error some elements (typefind among them) keep their failure
    // through READY and would fail the next item too; NULL resets them.
    stopPipeline(true);
    target_ = Target::Stopped;
    buffering_ = false;
    transition(PlayState::Stopped);
}

void GstMediaPlayer::report(ErrorItem item) {
    errorReported_ = true;
    tell({PlayerEvent::Kind::Error, item.errorCode, item.errorDescription});
    errors_.push_back(std::move(item));
}

void GstMediaPlayer::learn() {
    if (learned_.durationSeconds && learned_.hasVideo) return;
    if (streamEpoch_ != epoch_ || !pipeline_->atLeastPaused()) return;
    // Once playbin took the next item it may already play it (a short item
    // ends before its start reaches the host): what the pipeline says then
    // need not be about the current item. Asked again after the switch.
    if (pipeline_->handover().hasQueued()) return;
    const std::optional<double> duration = pipeline_->durationSeconds();
    const std::optional<bool> video = pipeline_->hasVideo();
    if (pipeline_->handover().hasQueued()) return;
    learned_.durationSeconds = duration;
    learned_.hasVideo = video;
}

void GstMediaPlayer::deliverProblems() {
    if (pendingProblems_.empty()) return;
    std::vector<std::string> problems = std::exchange(pendingProblems_, {});
    for (const std::string& problem : problems) {
        if (problems_)
            problems_(problem);
        else
            GST_WARNING("%s", problem.c_str());
    }
}

bool GstMediaPlayer::itemOpen() const {
    return currentIndex_ >= 0 && (state_ == PlayState::Ready || state_ == PlayState::Paused ||
                                  state_ == PlayState::Playing || state_ == PlayState::Buffering);
}

void GstMediaPlayer::tell(PlayerEvent event) {
    if (!eventHandler_) return;
    outbox_.push_back(std::move(event));
    if (wakeup_) wakeup_->wake();
}

void GstMediaPlayer::deliverEvents() {
    // A handler that runs the loop again (a modal window, a wait) gets the
    // events that follow after it returns, still in order.
    if (delivering_) return;
    delivering_ = true;
    while (!outbox_.empty() && eventHandler_) {
        const PlayerEvent event = std::move(outbox_.front());
        outbox_.pop_front();
        // A copy: the handler may replace itself while it runs.
        const PlayerEventHandler handler = eventHandler_;
        try {
            handler(event);
        } catch (...) {
            GST_WARNING("a player event handler raised; the player goes on");
        }
    }
    delivering_ = false;
}

}  // namespace lumo::platform::gst
