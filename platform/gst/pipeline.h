#pragma once
// The one playbin the player plays through, audio only, with its audio
// output, the balance filter and volume.
//
// Threads. The members that change the pipeline (setUri, setState, seek,
// the sink, volume, balance, mute) run on the pipeline's own thread
// (pipeline_thread.h). The host's thread only reads: settled states,
// position, duration. Streaming threads call in through GStreamer: the bus's
// sync handler turns the messages the player reads into events (the rest
// are released later, never on the posting thread), and gapless switching
// goes through the handover (handover.h).

#include <gst/gst.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/gst/cd_image_stream.h"
#include "platform/gst/engine_events.h"
#include "platform/gst/handover.h"

namespace lumo::platform::gst {

class Pipeline {
public:
    // Raises a player error when playbin cannot be created. `whyFallback`
    // receives why the described sink was replaced by the fake one, if it
    // was.
    Pipeline(const std::string& sinkDescription, std::shared_ptr<EventQueue> events,
             std::string* whyFallback = nullptr);
    ~Pipeline();
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    GstElement* playbin() const { return playbin_; }
    Handover& handover() { return handover_; }
    bool usesFallbackSink() const { return fallback_; }
    bool converts() const { return converts_; }

    // The pipeline's thread.
    // Puts the fallback sink in place (the pipeline goes to NULL first);
    // false when it is in place already.
    bool switchToFallbackSink();
    // Puts playsink's converter in front of the output for good (the
    // pipeline goes to NULL first); false when it is there already.
    bool switchToConverting();
    // A disc image's track plays through an appsrc (see cd_image_stream.h).
    void setUri(const std::string& uri);
    GstStateChangeReturn setState(GstState state);
    // Waits at most `limit` for a state change in progress to end.
    GstStateChangeReturn waitForState(GstClockTime limit);
    bool seek(double seconds);
    void setVolume(double cubic);  // 0..1
    void setBalance(double pan);   // -1..1
    void setMute(bool on);
    // Releases the messages the sync handler dropped.
    void releaseDropped();

    // Any thread; never blocks on a streaming thread.
    bool settledIn(GstState state) const;
    bool atLeastPaused() const;
    std::optional<double> durationSeconds() const;
    std::optional<double> positionSeconds() const;
    bool seekable() const;
    bool hasVideo() const;

private:
    static void onAboutToFinish(GstElement* playbin, gpointer self);
    static void onElementAdded(GstBin* playbin, GstElement* element, gpointer self);
    static void onDrainBegins(GstElement* decoder, gpointer self);
    static void onDrainEnds(GstElement* decoder, gpointer self);
    static void onSourceSetup(GstElement* playbin, GstElement* source, gpointer self);
    // Gives playbin the URI, or the appsrc one for an image track, which the
    // next source-setup picks up. Any thread.
    void handOver(GstElement* playbin, const std::string& uri);
    // The posting thread: queues the messages the player reads as events,
    // keeps the others for releaseDropped.
    static GstBusSyncReply keepOrDrop(GstBus* bus, GstMessage* message, gpointer self);
    // The pipeline a callback of a streaming thread is given, once built.
    static Pipeline& of(gpointer self);
    bool keeps(GstMessage* message) const;

    GstElement* playbin_ = nullptr;
    std::atomic<GstElement*> sink_ = nullptr;
    GstElement* panorama_ = nullptr;
    bool balanceInChain_ = false;  // the pipeline's thread
    GstBus* bus_ = nullptr;
    gulong aboutToFinish_ = 0, elementAdded_ = 0, sourceSetup_ = 0;
    std::shared_ptr<EventQueue> events_;
    Handover handover_;
    std::mutex imageMutex_;
    std::optional<ImageTrack> pendingImage_;
    std::mutex droppedMutex_;
    std::vector<GstMessage*> dropped_;
    std::atomic<bool> fallback_ = false;
    std::atomic<bool> converts_ = false;
    std::atomic<bool> published_ = false;
};

}  // namespace lumo::platform::gst
