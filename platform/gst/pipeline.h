#pragma once
// The one playbin the player plays through, audio only, with its audio
// output, the balance filter and volume. Everything here runs on the host's
// thread, except the next-URI callback, which GStreamer calls on a
// streaming thread when a stream is about to end.

#include <gst/gst.h>

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/gst/cd_image_stream.h"
#include "platform/gst/switch_guard.h"

namespace lumo::platform::gst {

class Pipeline {
public:
    // Returns the URI to play next without a gap, or nothing to end.
    using NextUri = std::function<std::optional<std::string>()>;

    // Raises a player error when playbin cannot be created.
    Pipeline(const std::string& sinkDescription, NextUri nextUri);
    ~Pipeline();
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    GstElement* playbin() const { return playbin_; }
    GstElement* audioSink() const { return sink_; }
    bool usesFallbackSink() const { return fallback_; }
    // Puts the fallback sink in place (the pipeline is stopped first);
    // false when it is in place already.
    bool switchToFallbackSink();

    // A disc image's track plays through an appsrc (see cd_image_stream.h).
    void setUri(const std::string& uri);
    // First lets a switch to the next item land, and starts none until the
    // pipeline has settled (see switch_guard.h).
    GstStateChangeReturn setState(GstState state);
    // True when the pipeline has settled in `state`.
    bool settledIn(GstState state) const;
    bool atLeastPaused() const;
    std::optional<double> durationSeconds() const;
    bool hasVideo() const;

    // The next bus message (the caller unrefs it), or null. Only the kinds
    // the player acts on are kept, so a host that reads nothing for hours
    // does not pile up messages.
    GstMessage* popMessage();
    void discardMessages();

    void setVolume(double cubic);  // 0..1
    void setBalance(double pan);   // -1..1
    void setMute(bool on);

private:
    static void onAboutToFinish(GstElement* playbin, gpointer self);
    static void onElementAdded(GstBin* playbin, GstElement* element, gpointer self);
    static void onDrained(GstElement* decoder, gpointer self);
    static void onSourceSetup(GstElement* playbin, GstElement* source, gpointer self);
    // Gives playbin the URI, or the appsrc one for an image track, which the
    // next source-setup picks up. Any thread.
    void handOver(GstElement* playbin, const std::string& uri);
    // Runs on the posting thread: notes when the pipeline has settled, and
    // queues only the messages the player reads.
    static GstBusSyncReply keepOrDrop(GstBus* bus, GstMessage* message, gpointer self);
    bool keeps(GstMessage* message);
    // Releases the dropped messages; the host's thread only.
    void releaseDropped();

    GstElement* playbin_ = nullptr;
    GstElement* sink_ = nullptr;
    GstElement* panorama_ = nullptr;
    GstBus* bus_ = nullptr;
    gulong aboutToFinish_ = 0, elementAdded_ = 0, sourceSetup_ = 0;
    std::mutex imageMutex_;
    std::optional<ImageTrack> pendingImage_;
    std::mutex droppedMutex_;
    std::vector<GstMessage*> dropped_;  // by streaming threads, for the host's thread to release
    SwitchGuard switches_;
    NextUri nextUri_;
    bool fallback_ = false;
};

}  // namespace lumo::platform::gst
