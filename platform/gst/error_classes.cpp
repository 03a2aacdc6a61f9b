#include "platform/gst/error_classes.h"

#include <array>

namespace lumo::platform::gst {

namespace {

constexpr std::array<const char*, 7> kReasons = {
    "the file was not found or cannot be read",
    "the format is not supported or no decoder is installed",
    "the data is damaged or cannot be decoded",
    "the network source cannot be reached or read",
    "the URI scheme is not supported",
    "the audio output cannot be opened",
    "playback failed",
};

std::string domainText(GQuark domain) {
    if (domain == GST_CORE_ERROR) return "core";
    if (domain == GST_LIBRARY_ERROR) return "library";
    if (domain == GST_RESOURCE_ERROR) return "resource";
    if (domain == GST_STREAM_ERROR) return "stream";
    return domain ? g_quark_to_string(domain) : "unknown";
}

bool isTypefind(GstObject* object) {
    if (!GST_IS_ELEMENT(object)) return false;
    GstElementFactory* factory = gst_element_get_factory(GST_ELEMENT(object));
    return factory && std::string_view(GST_OBJECT_NAME(factory)) == "typefind";
}

}  // namespace

int32_t errorCodeOf(ErrorClass failure) {
    return static_cast<int32_t>(0xC00D4C00u + static_cast<uint32_t>(failure));
}

ErrorClass classify(const FailureFacts& f) {
    if (f.fromSink) return ErrorClass::Device;
    if (f.fromSource) return f.remote ? ErrorClass::Network : ErrorClass::NotFound;
    if (f.domain == GST_CORE_ERROR)
        return f.code == GST_CORE_ERROR_MISSING_PLUGIN ? ErrorClass::Format : ErrorClass::Other;
    if (f.domain == GST_STREAM_ERROR) {
        switch (f.code) {
            case GST_STREAM_ERROR_TYPE_NOT_FOUND:
                // Typefind gives up on data it cannot recognise at all; a
                // demuxer or parser says this about a file it knows but
                // cannot read.
                return f.fromTypefind ? ErrorClass::Format : ErrorClass::Corrupt;
            case GST_STREAM_ERROR_CODEC_NOT_FOUND:
                return ErrorClass::Format;
            default:
                return ErrorClass::Corrupt;
        }
    }
    if (f.domain == GST_RESOURCE_ERROR) {
        if (f.remote) return ErrorClass::Network;
        switch (f.code) {
            case GST_RESOURCE_ERROR_NOT_FOUND:
            case GST_RESOURCE_ERROR_OPEN_READ:
            case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
            case GST_RESOURCE_ERROR_READ:
            case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
                return ErrorClass::NotFound;
            default:
                return ErrorClass::Other;
        }
    }
    return ErrorClass::Other;
}

ErrorItem makeErrorItem(ErrorClass failure, std::string_view uri, std::string_view detail,
                        std::string_view context) {
    ErrorItem item;
    item.condition = static_cast<int32_t>(failure);
    item.errorCode = errorCodeOf(failure);
    item.customUrl = uri;
    item.errorContext = context;
    item.errorDescription = "Cannot play '" + std::string(uri) + "': " +
                            kReasons[static_cast<size_t>(failure) - 1];
    if (!detail.empty()) item.errorDescription += " (" + std::string(detail) + ")";
    return item;
}

bool raisedBySink(GstMessage* error, GstElement* audioSink) {
    GstObject* source = GST_MESSAGE_SRC(error);
    return audioSink && source &&
           (source == GST_OBJECT(audioSink) || gst_object_has_as_ancestor(source, GST_OBJECT(audioSink)));
}

ErrorItem errorItemOf(GstMessage* message, std::string_view uri, bool fromSink) {
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    GstObject* source = GST_MESSAGE_SRC(message);

    FailureFacts facts;
    facts.domain = error ? error->domain : 0;
    facts.code = error ? error->code : 0;
    facts.remote = !uri.starts_with("file:");
    // Bins holding a source carry the source flag too; only the element
    // that reads the item counts.
    facts.fromSource = GST_IS_ELEMENT(source) && !GST_IS_BIN(source) &&
                       GST_OBJECT_FLAG_IS_SET(source, GST_ELEMENT_FLAG_SOURCE);
    facts.fromTypefind = isTypefind(source);
    facts.fromSink = fromSink;

    std::string context = "GStreamer " + domainText(facts.domain) + " error";
    if (source) {
        context += std::string(" in '") + GST_OBJECT_NAME(source) + "'";
        if (GST_IS_ELEMENT(source)) {
            if (GstElementFactory* factory = gst_element_get_factory(GST_ELEMENT(source)))
                context += std::string(" (") + GST_OBJECT_NAME(factory) + ")";
        }
    }
    ErrorItem item = makeErrorItem(classify(facts), uri, error ? error->message : "", context);
    if (error) g_error_free(error);
    return item;
}

}  // namespace lumo::platform::gst
