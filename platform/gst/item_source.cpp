#include "platform/gst/item_source.h"

#include <gst/gst.h>
#include <unistd.h>

#include "platform/gst/cd_image_stream.h"
#include "platform/gst/error_classes.h"

namespace lumo::platform::gst {

namespace {

ItemSource failing(ErrorClass failure, const std::string& url, const std::string& detail) {
    return {"", makeErrorItem(failure, url, detail, "player")};
}

}  // namespace

ItemSource sourceOf(const Media* item) {
    if (!item) return failing(ErrorClass::NotFound, "", "the playlist item cannot be read");
    std::string url;
    try {
        url = item->getItemInfo("SourceURL");
    } catch (const std::exception& failure) {
        return failing(ErrorClass::NotFound, "", failure.what());
    }
    if (url.empty()) return failing(ErrorClass::NotFound, "", "the item '" + item->name() + "' has no source");

    if (url.front() == '/') {
        GError* error = nullptr;
        gchar* uri = gst_filename_to_uri(url.c_str(), &error);
        if (error) g_error_free(error);
        if (!uri) return failing(ErrorClass::NotFound, url, "not a usable file name");
        url = uri;
        g_free(uri);
    }
    if (const std::optional<ImageTrack> image = imageTrackOf(url)) {
        if (std::optional<std::string> problem = problemOf(*image)) return failing(ErrorClass::NotFound, url, *problem);
        return {url, std::nullopt};
    }
    if (!gst_uri_is_valid(url.c_str())) return failing(ErrorClass::UnsupportedScheme, url, "not a URI");
    gchar* scheme = gst_uri_get_protocol(url.c_str());
    const bool supported = scheme && gst_uri_protocol_is_supported(GST_URI_SRC, scheme);
    const std::string schemeText = scheme ? scheme : "";
    g_free(scheme);
    if (!supported) return failing(ErrorClass::UnsupportedScheme, url, "no source for '" + schemeText + ":'");
    return {url, std::nullopt};
}

bool canOpen(const std::string& uri) {
    if (const std::optional<ImageTrack> image = imageTrackOf(uri)) return ::access(image->image.c_str(), R_OK) == 0;
    if (!uri.starts_with("file:")) return true;
    gchar* path = g_filename_from_uri(uri.c_str(), nullptr, nullptr);
    const bool readable = path && ::access(path, R_OK) == 0;
    g_free(path);
    return readable;
}

}  // namespace lumo::platform::gst
