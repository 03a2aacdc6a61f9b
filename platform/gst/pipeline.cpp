#include "platform/gst/pipeline.h"

#include <gst/audio/audio.h>

#include <string_view>

#include "failsafe/runtime_error.h"
#include "platform/gst/audio_sink.h"
#include "platform/gst/error_classes.h"

namespace lumo::platform::gst {

Pipeline::Pipeline(const std::string& sinkDescription, NextUri nextUri) : nextUri_(std::move(nextUri)) {
    playbin_ = gst_element_factory_make("playbin", "lumo-player");
    if (!playbin_)
        throw failsafe::RuntimeError(errorCodeOf(ErrorClass::Other), "GStreamer has no playbin element");
    gst_object_ref_sink(playbin_);
    // Video is never shown: its stream runs into a clocked fake sink, so that
    // a file with only video plays its length like any other item, and no
    // window system or GL is touched for it.
    gst_util_set_object_arg(G_OBJECT(playbin_), "flags", "audio+video+soft-volume");
    if (GstElement* videoSink = gst_element_factory_make("fakesink", "no-video")) {
        g_object_set(videoSink, "sync", TRUE, nullptr);
        g_object_set(playbin_, "video-sink", videoSink, nullptr);
    }

    std::string whyFallback;
    sink_ = makeAudioSink(sinkDescription, &whyFallback);
    fallback_ = !whyFallback.empty();
    if (fallback_) GST_WARNING("audio sink replaced by a fake sink: %s", whyFallback.c_str());
    g_object_set(playbin_, "audio-sink", sink_, nullptr);

    // The default method mixes the channels and clips; "simple" only
    // attenuates the other side.
    panorama_ = gst_element_factory_make("audiopanorama", "balance");
    if (panorama_) {
        gst_object_ref_sink(panorama_);
        gst_util_set_object_arg(G_OBJECT(panorama_), "method", "simple");
        g_object_set(playbin_, "audio-filter", panorama_, nullptr);
    }

    bus_ = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(bus_, &Pipeline::keepOrDrop, this, nullptr);
    aboutToFinish_ = g_signal_connect(playbin_, "about-to-finish", G_CALLBACK(onAboutToFinish), this);
    elementAdded_ = g_signal_connect(playbin_, "element-added", G_CALLBACK(onElementAdded), this);
    sourceSetup_ = g_signal_connect(playbin_, "source-setup", G_CALLBACK(onSourceSetup), this);
}

Pipeline::~Pipeline() {
    // After NULL no streaming thread runs, so no callback can either.
    setState(GST_STATE_NULL);
    g_signal_handler_disconnect(playbin_, aboutToFinish_);
    g_signal_handler_disconnect(playbin_, elementAdded_);
    g_signal_handler_disconnect(playbin_, sourceSetup_);
    gst_bus_set_sync_handler(bus_, nullptr, nullptr, nullptr);
    discardMessages();
    gst_object_unref(bus_);
    gst_object_unref(playbin_);
    if (panorama_) gst_object_unref(panorama_);
    if (sink_) gst_object_unref(sink_);
}

void Pipeline::onAboutToFinish(GstElement* playbin, gpointer self) {
    auto* pipeline = static_cast<Pipeline*>(self);
    if (!pipeline->switches_.begin()) return;
    if (auto uri = pipeline->nextUri_()) pipeline->handOver(playbin, *uri);
}

void Pipeline::handOver(GstElement* playbin, const std::string& uri) {
    std::optional<ImageTrack> image = imageTrackOf(uri);
    {
        std::lock_guard lock(imageMutex_);
        pendingImage_ = image;
    }
    g_object_set(playbin, "uri", image ? imageTrackPlaybinUri().c_str() : uri.c_str(), nullptr);
}

void Pipeline::onSourceSetup(GstElement*, GstElement* source, gpointer self) {
    auto* pipeline = static_cast<Pipeline*>(self);
    GstElementFactory* factory = gst_element_get_factory(source);
    if (!factory || std::string_view(GST_OBJECT_NAME(factory)) != "appsrc") return;
    std::optional<ImageTrack> image;
    {
        std::lock_guard lock(pipeline->imageMutex_);
        image.swap(pipeline->pendingImage_);
    }
    if (image) feedImageTrack(source, *image);
}

void Pipeline::onElementAdded(GstBin*, GstElement* element, gpointer self) {
    // playbin makes a uridecodebin per item and handles its "drained" (where
    // it emits about-to-finish and activates the next item); ours runs
    // after that handler.
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory || std::string_view(GST_OBJECT_NAME(factory)) != "uridecodebin") return;
    if (g_object_get_data(G_OBJECT(element), "lumo-drained")) return;
    g_object_set_data(G_OBJECT(element), "lumo-drained", element);
    g_signal_connect_after(element, "drained", G_CALLBACK(onDrained), self);
}

void Pipeline::onDrained(GstElement*, gpointer self) { static_cast<Pipeline*>(self)->switches_.end(); }

GstBusSyncReply Pipeline::keepOrDrop(GstBus*, GstMessage* message, gpointer self) {
    auto* pipeline = static_cast<Pipeline*>(self);
    if (pipeline->keeps(message)) return GST_BUS_PASS;
    // A dropped message is the handler's to release. It holds the element
    // that posted it, possibly the last reference to an element playbin has
    // just removed: released here, on that element's own streaming thread,
    // the element would stop its own task. The host's thread releases it.
    std::lock_guard lock(pipeline->droppedMutex_);
    pipeline->dropped_.push_back(message);
    return GST_BUS_DROP;
}

void Pipeline::releaseDropped() {
    std::vector<GstMessage*> dropped;
    {
        std::lock_guard lock(droppedMutex_);
        dropped.swap(dropped_);
    }
    for (GstMessage* message : dropped) gst_message_unref(message);
}

bool Pipeline::keeps(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_STATE_CHANGED:
            if (GST_MESSAGE_SRC(message) == GST_OBJECT(playbin_)) {
                GstState pending = GST_STATE_VOID_PENDING;
                gst_message_parse_state_changed(message, nullptr, nullptr, &pending);
                if (pending == GST_STATE_VOID_PENDING) switches_.release();
            }
            return false;
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_STREAM_START:
        case GST_MESSAGE_DURATION_CHANGED:
        case GST_MESSAGE_BUFFERING:
        case GST_MESSAGE_CLOCK_LOST:
            return true;
        default:
            return false;
    }
}

bool Pipeline::switchToFallbackSink() {
    if (fallback_) return false;
    setState(GST_STATE_NULL);
    if (sink_) gst_object_unref(sink_);
    sink_ = makeFallbackSink();
    fallback_ = true;
    g_object_set(playbin_, "audio-sink", sink_, nullptr);
    return true;
}

void Pipeline::setUri(const std::string& uri) { handOver(playbin_, uri); }

GstStateChangeReturn Pipeline::setState(GstState state) {
    releaseDropped();
    switches_.holdOff();
    const GstStateChangeReturn result = gst_element_set_state(playbin_, state);
    // An asynchronous change is released by its final state-changed message.
    if (result != GST_STATE_CHANGE_ASYNC) switches_.release();
    return result;
}

bool Pipeline::settledIn(GstState state) const {
    GstState current = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
    const GstStateChangeReturn result = gst_element_get_state(playbin_, &current, &pending, 0);
    return (result == GST_STATE_CHANGE_SUCCESS || result == GST_STATE_CHANGE_NO_PREROLL) && current == state;
}

bool Pipeline::atLeastPaused() const { return settledIn(GST_STATE_PAUSED) || settledIn(GST_STATE_PLAYING); }

std::optional<double> Pipeline::durationSeconds() const {
    gint64 duration = 0;
    if (!gst_element_query_duration(playbin_, GST_FORMAT_TIME, &duration) || duration < 0) return std::nullopt;
    return static_cast<double>(duration) / GST_SECOND;
}

bool Pipeline::hasVideo() const {
    gint streams = 0;
    g_object_get(playbin_, "n-video", &streams, nullptr);
    return streams > 0;
}

GstMessage* Pipeline::popMessage() {
    releaseDropped();
    return gst_bus_pop(bus_);
}

void Pipeline::discardMessages() {
    releaseDropped();
    while (GstMessage* message = gst_bus_pop(bus_)) gst_message_unref(message);
}

void Pipeline::setVolume(double cubic) {
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(playbin_), GST_STREAM_VOLUME_FORMAT_CUBIC, cubic);
}

void Pipeline::setBalance(double pan) {
    if (panorama_) g_object_set(panorama_, "panorama", static_cast<gfloat>(pan), nullptr);
}

void Pipeline::setMute(bool on) { g_object_set(playbin_, "mute", on ? TRUE : FALSE, nullptr); }

}  // namespace lumo::platform::gst
