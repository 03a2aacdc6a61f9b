#include "platform/gst/item_source.h"

#include <gst/gst.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <set>

#include "platform/gst/cd_image_stream.h"
#include "platform/gst/error_classes.h"
#include "platform/linux/cd_collection.h"

namespace lumo::platform::gst {

namespace {

ItemSource failing(ErrorClass failure, const std::string& url, const std::string& detail) {
    return {"", makeErrorItem(failure, url, detail, "player")};
}

std::optional<std::string> localPathOf(const std::string& uri) {
    if (!uri.starts_with("file:")) return std::nullopt;
    gchar* path = g_filename_from_uri(uri.c_str(), nullptr, nullptr);
    if (!path) return std::nullopt;
    std::string text = path;
    g_free(path);
    return text;
}

// What kind of thing a path that is not a regular file is; nothing for a
// regular file or a path that does not exist.
std::optional<std::string> notAFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return std::nullopt;
    if (S_ISFIFO(info.st_mode)) return "a named pipe";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "a device";
    if (S_ISDIR(info.st_mode)) return "a folder";
    if (S_ISSOCK(info.st_mode)) return "a socket";
    return "not a regular file";
}

// Whether GStreamer has a source element for a URI scheme. Asking walks the
// plugin registry, which the check would do for every item; a scheme found
// once stays found (plugins are not unloaded), one not found is asked again,
// since a plugin may be installed while the host runs.
bool hasSourceFor(const std::string& scheme) {
    // Never destroyed: a player host that static destruction ends still asks.
    static std::mutex& guard = *new std::mutex;
    static std::set<std::string, std::less<>>& found = *new std::set<std::string, std::less<>>;
    {
        const std::lock_guard lock(guard);
        if (found.contains(scheme)) return true;
    }
    if (!gst_uri_protocol_is_supported(GST_URI_SRC, scheme.c_str())) return false;
    const std::lock_guard lock(guard);
    found.insert(scheme);
    return true;
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
    // A disc image's track is checked before it opens (refusalOf); a real
    // drive's goes to GStreamer's CD source like any other URI.
    if (const auto track = linux_drives::parseTrackUri(url); track && !track->source.starts_with("/dev/"))
        return {url, std::nullopt};
    if (!gst_uri_is_valid(url.c_str())) return failing(ErrorClass::UnsupportedScheme, url, "not a URI");
    gchar* scheme = gst_uri_get_protocol(url.c_str());
    const std::string schemeText = scheme ? scheme : "";
    g_free(scheme);
    if (schemeText.empty() || !hasSourceFor(schemeText)) return failing(ErrorClass::UnsupportedScheme, url, "no source for '" + schemeText + ":'");
    return {url, std::nullopt};
}

std::optional<ErrorItem> refusalOf(const std::string& uri) {
    if (const std::optional<ImageTrack> image = imageTrackOf(uri)) {
        if (std::optional<std::string> problem = problemOf(*image))
            return makeErrorItem(ErrorClass::NotFound, uri, *problem, "player");
        return std::nullopt;
    }
    const std::optional<std::string> path = localPathOf(uri);
    if (!path) return std::nullopt;
    if (const std::optional<std::string> kind = notAFile(*path))
        return makeErrorItem(ErrorClass::NotFound, uri, "'" + *path + "' is " + *kind + ", not a file", "player");
    return std::nullopt;
}

bool canOpen(const std::string& uri) {
    if (const std::optional<ImageTrack> image = imageTrackOf(uri)) return !problemOf(*image);
    const std::optional<std::string> path = localPathOf(uri);
    if (!path) return !uri.starts_with("file:");
    return !notAFile(*path) && ::access(path->c_str(), R_OK) == 0;
}

}  // namespace lumo::platform::gst
