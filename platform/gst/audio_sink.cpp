#include "platform/gst/audio_sink.h"

#include <cstdlib>

#include "platform/user_settings.h"

namespace lumo::platform::gst {

std::string resolveSinkDescription(std::string_view given) {
    if (!given.empty()) return std::string(given);
    if (const char* fromEnvironment = std::getenv("LUMO_AUDIO_SINK"); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    if (auto setting = readSetting("LUMO Player", "Audio", "Sink"); setting && !setting->empty()) return *setting;
    return "autoaudiosink";
}

GstElement* makeFallbackSink() {
    GstElement* sink = gst_element_factory_make("fakesink", "fallback-audio-sink");
    if (!sink) return nullptr;  // no core elements: playbin then chooses its own output
    g_object_set(sink, "sync", TRUE, nullptr);
    return GST_ELEMENT(gst_object_ref_sink(sink));
}

GstElement* makeAudioSink(const std::string& description, std::string* whyFallback) {
    GError* error = nullptr;
    // A single element stays itself, so that callers can find it by name.
    GstElement* sink = gst_parse_bin_from_description_full(description.c_str(), TRUE, nullptr,
                                                           GST_PARSE_FLAG_NO_SINGLE_ELEMENT_BINS, &error);
    if (!sink || error) {
        if (whyFallback) *whyFallback = error ? error->message : "the sink cannot be created";
        if (error) g_error_free(error);
        if (sink) gst_object_unref(gst_object_ref_sink(sink));
        return makeFallbackSink();
    }
    gst_object_ref_sink(sink);
    // Opening the device is the READY step; a sink that fails here would
    // fail every item.
    const bool opens = gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    gst_element_set_state(sink, GST_STATE_NULL);
    if (opens) return sink;
    if (whyFallback) *whyFallback = "the sink '" + description + "' cannot be opened";
    gst_object_unref(sink);
    return makeFallbackSink();
}

}  // namespace lumo::platform::gst
