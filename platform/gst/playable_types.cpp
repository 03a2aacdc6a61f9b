#include "platform/gst/playable_types.h"

#include <gst/gst.h>

#include <initializer_list>

#include "platform/gst/gst_runtime.h"

namespace lumo::platform {
namespace {

// What a type needs: a demuxer taking the container's caps (when it has
// one) and a decoder taking the codec's (when it is not plain PCM).
struct TypeNeeds {
    std::initializer_list<const char*> names;
    const char* container;
    const char* codec;
};

const TypeNeeds Types[] = {
    {{"audio/mpeg"}, nullptr, "audio/mpeg, mpegversion=(int)1, layer=(int)3"},
    {{"audio/flac", "audio/x-flac"}, nullptr, "audio/x-flac"},
    {{"audio/ogg", "audio/x-vorbis+ogg"}, "application/ogg", "audio/x-vorbis"},
    {{"audio/x-opus+ogg"}, "application/ogg", "audio/x-opus"},
    {{"audio/x-wav", "audio/wav"}, "audio/x-wav", nullptr},
    {{"audio/x-aiff"}, "audio/x-aiff", nullptr},
    {{"audio/mp4", "audio/x-m4a"}, "audio/x-m4a", "audio/mpeg, mpegversion=(int)4"},
    {{"audio/aac"}, nullptr, "audio/mpeg, mpegversion=(int)4"},
    {{"audio/x-ms-wma"}, "video/x-ms-asf", "audio/x-wma"},
};

bool someFactoryTakes(GList* factories, const char* capsText) {
    if (!capsText) return true;
    GstCaps* caps = gst_caps_from_string(capsText);
    bool taken = false;
    for (GList* item = factories; item && !taken; item = item->next)
        taken = gst_element_factory_can_sink_any_caps(GST_ELEMENT_FACTORY(item->data), caps);
    gst_caps_unref(caps);
    return taken;
}

}  // namespace

std::vector<std::string> playableMimeTypes() {
    std::vector<std::string> types;
    if (!gst::ensureGstreamer()) return types;
    GList* demuxers = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DEMUXER, GST_RANK_MARGINAL);
    GList* decoders = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_MARGINAL);
    for (const TypeNeeds& type : Types)
        if (someFactoryTakes(demuxers, type.container) && someFactoryTakes(decoders, type.codec))
            types.insert(types.end(), type.names.begin(), type.names.end());
    gst_plugin_feature_list_free(demuxers);
    gst_plugin_feature_list_free(decoders);
    return types;
}

}  // namespace lumo::platform
