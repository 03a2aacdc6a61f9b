#include "platform/gst/pipeline.h"

#include <gst/audio/audio.h>

#include <string_view>

#include "failsafe/runtime_error.h"
#include "platform/gst/audio_sink.h"
#include "platform/gst/error_classes.h"
#include "platform/gst/item_source.h"

namespace lumo::platform::gst {

namespace {

constexpr char kGateMark[] = "lumo-drain-gate";

bool isFactory(GstElement* element, std::string_view name) {
    GstElementFactory* factory = gst_element_get_factory(element);
    return factory && std::string_view(GST_OBJECT_NAME(factory)) == name;
}

// playbin's flags: the installed plugin names them, its header is not public.
guint playFlag(GstElement* playbin, const char* nick) {
    GParamSpec* spec = g_object_class_find_property(G_OBJECT_GET_CLASS(playbin), "flags");
    const GFlagsValue* value = spec ? g_flags_get_value_by_nick(G_PARAM_SPEC_FLAGS(spec)->flags_class, nick) : nullptr;
    return value ? value->value : 0;
}

guint playFlags(GstElement* playbin) {
    guint flags = 0;
    g_object_get(playbin, "flags", &flags, nullptr);
    return flags;
}

}  // namespace

Pipeline::Pipeline(const std::string& sinkDescription, std::shared_ptr<EventQueue> events, std::string* whyFallback)
    : events_(std::move(events)), handover_(&canOpen) {
    playbin_ = gst_element_factory_make("playbin", "lumo-player");
    if (!playbin_)
        throw failsafe::RuntimeError(errorCodeOf(ErrorClass::Other), "GStreamer has no playbin element");
    gst_object_ref_sink(playbin_);
    // Video is never shown: its stream runs into a clocked fake sink, so that
    // a file with only video plays its length like any other item, and no
    // window system or GL is touched for it. The audio goes to the output
    // in the decoder's own format, without playsink's converter (a fifth of
    // each item's opening), until an item's format is refused
    // (switchToConverting).
    gst_util_set_object_arg(G_OBJECT(playbin_), "flags", "audio+video+soft-volume+native-audio");
    if (GstElement* videoSink = gst_element_factory_make("fakesink", "no-video")) {
        g_object_set(videoSink, "sync", TRUE, nullptr);
        g_object_set(playbin_, "video-sink", videoSink, nullptr);
    }

    std::string why;
    sink_ = makeAudioSink(sinkDescription, &why);
    fallback_ = !why.empty();
    if (whyFallback) *whyFallback = why;
    g_object_set(playbin_, "audio-sink", sink_.load(), nullptr);

    // The default method mixes the channels and clips; "simple" only
    // attenuates the other side. It joins the chain once the balance first
    // leaves the centre (see setBalance).
    panorama_ = gst_element_factory_make("audiopanorama", "balance");
    if (panorama_) {
        gst_object_ref_sink(panorama_);
        gst_util_set_object_arg(G_OBJECT(panorama_), "method", "simple");
    }

    bus_ = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(bus_, &Pipeline::keepOrDrop, this, nullptr);
    aboutToFinish_ = g_signal_connect(playbin_, "about-to-finish", G_CALLBACK(onAboutToFinish), this);
    elementAdded_ = g_signal_connect(playbin_, "element-added", G_CALLBACK(onElementAdded), this);
    sourceSetup_ = g_signal_connect(playbin_, "source-setup", G_CALLBACK(onSourceSetup), this);
    published_.store(true, std::memory_order_release);
}

Pipeline& Pipeline::of(gpointer self) {
    // The acquire pairs with the constructor's release: what it built is
    // visible to the streaming thread (GStreamer's own locks order this too,
    // but a thread checker cannot see inside them).
    auto* pipeline = static_cast<Pipeline*>(self);
    (void)pipeline->published_.load(std::memory_order_acquire);
    return *pipeline;
}

Pipeline::~Pipeline() {
    // After NULL no streaming thread runs, so no callback can either.
    gst_element_set_state(playbin_, GST_STATE_NULL);
    g_signal_handler_disconnect(playbin_, aboutToFinish_);
    g_signal_handler_disconnect(playbin_, elementAdded_);
    g_signal_handler_disconnect(playbin_, sourceSetup_);
    gst_bus_set_sync_handler(bus_, nullptr, nullptr, nullptr);
    releaseDropped();
    gst_object_unref(bus_);
    gst_object_unref(playbin_);
    if (panorama_) gst_object_unref(panorama_);
    if (GstElement* sink = sink_.load()) gst_object_unref(sink);
}

void Pipeline::onAboutToFinish(GstElement* playbin, gpointer self) {
    Pipeline& pipeline = of(self);
    if (std::optional<std::string> uri = pipeline.handover_.takeNext()) pipeline.handOver(playbin, *uri);
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
    Pipeline& pipeline = of(self);
    if (!isFactory(source, "appsrc")) return;
    std::optional<ImageTrack> image;
    {
        std::lock_guard lock(pipeline.imageMutex_);
        image.swap(pipeline.pendingImage_);
    }
    if (image) feedImageTrack(source, *image);
}

void Pipeline::onElementAdded(GstBin*, GstElement* element, gpointer self) {
    // playbin makes a uridecodebin per item (and reuses it) and connects its
    // "drained" handler after adding it: the gate, connected here once per
    // decoder, always runs first.
    if (!isFactory(element, "uridecodebin") || g_object_get_data(G_OBJECT(element), kGateMark)) return;
    g_object_set_data(G_OBJECT(element), kGateMark, element);
    g_signal_connect(element, "drained", G_CALLBACK(onDrainBegins), self);
    g_signal_connect_after(element, "drained", G_CALLBACK(onDrainEnds), self);
}

void Pipeline::onDrainBegins(GstElement* decoder, gpointer self) {
    if (!of(self).handover_.drainBegins()) g_signal_stop_emission_by_name(decoder, "drained");
}

void Pipeline::onDrainEnds(GstElement*, gpointer self) { of(self).handover_.drainEnds(); }

GstBusSyncReply Pipeline::keepOrDrop(GstBus*, GstMessage* message, gpointer self) {
    Pipeline* pipeline = &of(self);
    if (pipeline->keeps(message)) {
        const bool fromSink =
            GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR && raisedBySink(message, pipeline->sink_.load());
        pipeline->events_->push(EngineEvent::ofMessage(message, fromSink));
        return GST_BUS_DROP;
    }
    // A dropped message is the handler's to release. It holds the element
    // that posted it, possibly the last reference to an element playbin has
    // just removed: released here, on that element's own streaming thread,
    // the element would stop its own task. The pipeline's thread releases it.
    std::lock_guard lock(pipeline->droppedMutex_);
    pipeline->dropped_.push_back(message);
    return GST_BUS_DROP;
}

bool Pipeline::keeps(GstMessage* message) const {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_STATE_CHANGED: {
            // Only that the whole pipeline has settled: the host then looks.
            if (GST_MESSAGE_SRC(message) != GST_OBJECT(playbin_)) return false;
            GstState pending = GST_STATE_VOID_PENDING;
            gst_message_parse_state_changed(message, nullptr, nullptr, &pending);
            return pending == GST_STATE_VOID_PENDING;
        }
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

void Pipeline::releaseDropped() {
    std::vector<GstMessage*> dropped;
    {
        std::lock_guard lock(droppedMutex_);
        dropped.swap(dropped_);
    }
    for (GstMessage* message : dropped) gst_message_unref(message);
}

bool Pipeline::switchToFallbackSink() {
    if (fallback_) return false;
    gst_element_set_state(playbin_, GST_STATE_NULL);
    GstElement* fallback = makeFallbackSink();
    if (GstElement* old = sink_.exchange(fallback)) gst_object_unref(old);
    fallback_ = true;
    g_object_set(playbin_, "audio-sink", fallback, nullptr);
    return true;
}

bool Pipeline::switchToConverting() {
    if (converts_) return false;
    gst_element_set_state(playbin_, GST_STATE_NULL);
    g_object_set(playbin_, "flags", playFlags(playbin_) & ~playFlag(playbin_, "native-audio"), nullptr);
    converts_ = true;
    return true;
}

void Pipeline::setUri(const std::string& uri) { handOver(playbin_, uri); }

GstStateChangeReturn Pipeline::setState(GstState state) {
    // Released after the change: the messages the last one left behind are
    // many, and a change to playing must not wait for them.
    const GstStateChangeReturn result = gst_element_set_state(playbin_, state);
    releaseDropped();
    return result;
}

GstStateChangeReturn Pipeline::waitForState(GstClockTime limit) {
    return gst_element_get_state(playbin_, nullptr, nullptr, limit);
}

bool Pipeline::seek(double seconds) {
    const auto position = static_cast<gint64>(seconds * GST_SECOND);
    return gst_element_seek_simple(playbin_, GST_FORMAT_TIME,
                                   static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), position);
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

std::optional<double> Pipeline::positionSeconds() const {
    gint64 position = 0;
    if (!gst_element_query_position(playbin_, GST_FORMAT_TIME, &position) || position < 0) return std::nullopt;
    return static_cast<double>(position) / GST_SECOND;
}

bool Pipeline::seekable() const {
    GstQuery* query = gst_query_new_seeking(GST_FORMAT_TIME);
    gboolean seekable = FALSE;
    if (gst_element_query(playbin_, query)) gst_query_parse_seeking(query, nullptr, &seekable, nullptr, nullptr);
    gst_query_unref(query);
    return seekable;
}

bool Pipeline::hasVideo() const {
    gint streams = 0;
    g_object_get(playbin_, "n-video", &streams, nullptr);
    return streams > 0;
}

void Pipeline::setVolume(double cubic) {
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(playbin_), GST_STREAM_VOLUME_FORMAT_CUBIC, cubic);
}

void Pipeline::setBalance(double pan) {
    if (!panorama_) return;
    g_object_set(panorama_, "panorama", static_cast<gfloat>(pan), nullptr);
    if (pan == 0 || balanceInChain_) return;
    // Every element in the chain costs each item's opening (a filter about a
    // fifth of it), so the centred balance has none. playsink builds its
    // audio chain again, with the filter, when its flags change: a flag for
    // video only, set and cleared, makes it do so now. The rebuilt chain
    // drops what the old one held, so an item that plays is sought to where
    // it is.
    g_object_set(playbin_, "audio-filter", panorama_, nullptr);
    balanceInChain_ = true;
    const guint flags = playFlags(playbin_);
    g_object_set(playbin_, "flags", flags ^ playFlag(playbin_, "native-video"), nullptr);
    g_object_set(playbin_, "flags", flags, nullptr);
    if (!atLeastPaused()) return;
    if (const std::optional<double> at = positionSeconds()) seek(*at);
}

void Pipeline::setMute(bool on) { g_object_set(playbin_, "mute", on ? TRUE : FALSE, nullptr); }

}  // namespace lumo::platform::gst
