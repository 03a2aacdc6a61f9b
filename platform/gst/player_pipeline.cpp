// The player's pipeline and the pipeline's thread: making them, posting
// work to them, resetting the pipeline for a new epoch, and giving both up
// when the pipeline no longer answers.

#include <gst/gst.h>

#include "failsafe/runtime_error.h"
#include "platform/gst/audio_sink.h"
#include "platform/gst/engine_events.h"
#include "platform/gst/error_classes.h"
#include "platform/gst/gst_media_player.h"
#include "platform/gst/gst_runtime.h"
#include "platform/gst/host_wakeup.h"
#include "platform/gst/item_source.h"
#include "platform/gst/pipeline.h"
#include "platform/gst/pipeline_thread.h"

namespace lumo::platform::gst {

namespace {

GstState gstStateOf(int target) {
    // Stopped, Ready, Paused, Playing.
    static constexpr GstState states[] = {GST_STATE_READY, GST_STATE_PAUSED, GST_STATE_PAUSED, GST_STATE_PLAYING};
    return states[target];
}

}  // namespace

GstMediaPlayer::GstMediaPlayer(std::shared_ptr<PlaylistCollection> playlists,
                               std::shared_ptr<CdromCollection> cdroms, std::string sinkDescription,
                               ProblemLog problems, EngineLimits limits)
    : playlists_(playlists ? std::move(playlists) : std::make_shared<EmptyPlaylistCollection>()),
      cdroms_(cdroms ? std::move(cdroms) : std::make_shared<NoCdroms>()),
      problems_(std::move(problems)),
      limits_(limits) {
    if (!ensureGstreamer(&unavailable_)) return;
    sinkDescription_ = resolveSinkDescription(sinkDescription);
    wakeup_ = std::make_unique<HostWakeup>(
        [this] {
            processEvents();
            deliverEvents();
        },
        [this] { return nextDeadline(); });
    makePipeline();
}

GstMediaPlayer::~GstMediaPlayer() {
    // Closed first: a closed queue wakes nobody.
    if (events_) events_->close();
    wakeup_.reset();
    // The pipeline's thread runs what is queued, and the pipeline goes to
    // NULL there with the last task that holds it.
    pipeline_.reset();
    thread_.reset();
}

void GstMediaPlayer::makePipeline() {
    events_ = std::make_shared<EventQueue>([wakeup = wakeup_.get()] { wakeup->wake(); });
    std::string whyFallback;
    try {
        pipeline_ = std::make_shared<Pipeline>(sinkDescription_, events_, &whyFallback);
    } catch (const failsafe::RuntimeError& failure) {
        unavailable_ = failure.description();
        events_.reset();
        return;
    }
    if (!whyFallback.empty() && !fallbackReported_) {
        fallbackReported_ = true;
        pendingProblems_.push_back("The audio output '" + sinkDescription_ + "' cannot be used (" + whyFallback +
                                   "); the player plays into a silent output instead.");
    }
    thread_ = std::make_unique<PipelineThread>();
    applyOutputSettings();
}

void GstMediaPlayer::applyOutputSettings() {
    const double volume = volume_ / 100.0, balance = balance_ / 100.0;
    const bool mute = mute_;
    post(
        [=](Pipeline& pipeline) {
            // Cubic, as players do: half the setting is an eighth of the amplitude.
            pipeline.setVolume(volume);
            pipeline.setBalance(balance);
            pipeline.setMute(mute);
        },
        false, false);
}

void GstMediaPlayer::retirePipeline(const std::string& why) {
    // The stuck thread keeps the pipeline, its queue and what its streaming
    // threads use; if the call ever returns, they are released there.
    GST_WARNING("giving the pipeline up: %s", why.c_str());
    events_->close();
    thread_->giveUp();
    thread_.reset();
    pipeline_.reset();
    makePipeline();
}

void GstMediaPlayer::requirePipeline() const {
    if (!pipeline_)
        throw failsafe::RuntimeError(errorCodeOf(ErrorClass::Other), "The media player is not available: " + unavailable_);
}

GstElement* GstMediaPlayer::pipelineElement() const { return pipeline_ ? pipeline_->playbin() : nullptr; }

void GstMediaPlayer::post(std::function<void(Pipeline&)> task, bool wait, bool closesGate) {
    if (!thread_) return;
    settleDue_ = true;
    if (closesGate) {
        pipeline_->handover().close();
        nextOffered_ = false;
    }
    const auto landing = limits_.landingLimit;
    const uint64_t ticket = thread_->post([pipeline = pipeline_, task = std::move(task), landing] {
        // A switch that started before the host closed the gate lands
        // first; one that never lands is not waited for again.
        if (!pipeline->handover().waitForLanding(landing)) GST_WARNING("a gapless switch did not land");
        task(*pipeline);
        pipeline->releaseDropped();
    });
    if (wait) thread_->waitFor(ticket, limits_.hostWait);
}

void GstMediaPlayer::reset(bool fromNull, std::optional<OpenRequest> request) {
    if (!pipeline_) return;
    pipeline_->handover().dropQueued();
    orderAfterNext_.reset();
    const uint64_t epoch = ++epoch_;
    openDeadline_.reset();
    if (request && request->target != Target::Stopped) openDeadline_ = Clock::now() + limits_.openLimit;
    post([events = events_, epoch, fromNull, request = std::move(request)](Pipeline& pipeline) {
        pipeline.setState(fromNull ? GST_STATE_NULL : GST_STATE_READY);
        // Whatever the stopped streams said is about what no longer plays.
        events->push(EngineEvent::begun(epoch));
        if (!request || request->target == Target::Stopped) return;
        if (std::optional<ErrorItem> refusal = refusalOf(request->uri)) {
            events->push(EngineEvent::refused(epoch, std::move(*refusal)));
            return;
        }
        pipeline.setUri(request->uri);
        const GstState target = gstStateOf(static_cast<int>(request->target));
        GstStateChangeReturn result = GST_STATE_CHANGE_SUCCESS;
        if (request->startAt) {
            // Prerolled first, so that the seek has a stream to move.
            result = pipeline.setState(GST_STATE_PAUSED);
            if (result != GST_STATE_CHANGE_FAILURE) result = pipeline.waitForState(5 * GST_SECOND);
            if (result != GST_STATE_CHANGE_FAILURE) pipeline.seek(*request->startAt);
        }
        if (result != GST_STATE_CHANGE_FAILURE) result = pipeline.setState(target);
        events->push(EngineEvent::done(epoch, result));
    });
}

}  // namespace lumo::platform::gst
