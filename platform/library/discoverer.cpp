#include "platform/library/discoverer.h"

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <mutex>

#include "platform/library/text.h"

namespace lumo::platform::library {
namespace {

constexpr GstClockTime Timeout = 10 * GST_SECOND;

std::string tagText(const GstTagList* tags, const char* name) {
    gchar* value = nullptr;
    if (!tags || !gst_tag_list_get_string(tags, name, &value)) return {};
    std::string text = validUtf8(value);
    g_free(value);
    return text;
}

void readTags(const GstTagList* tags, Discovery& found) {
    found.title = tagText(tags, GST_TAG_TITLE);
    found.artist = tagText(tags, GST_TAG_ARTIST);
    found.album = tagText(tags, GST_TAG_ALBUM);
    found.genre = tagText(tags, GST_TAG_GENRE);
    guint number = 0;
    if (tags && gst_tag_list_get_uint(tags, GST_TAG_TRACK_NUMBER, &number) && number > 0) found.number = number;
    GstDateTime* date = nullptr;
    if (tags && gst_tag_list_get_date_time(tags, GST_TAG_DATE_TIME, &date)) {
        if (gst_date_time_has_year(date)) found.year = gst_date_time_get_year(date);
        gst_date_time_unref(date);
    }
}

}  // namespace

bool ensureGstreamer() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = gst_init_check(nullptr, nullptr, nullptr); });
    return ready;
}

struct Discoverer::State {
    GstDiscoverer* discoverer = nullptr;
    ~State() {
        if (discoverer) g_object_unref(discoverer);
    }
};

Discoverer::Discoverer() : state_(std::make_unique<State>()) {}
Discoverer::~Discoverer() = default;

std::optional<Discovery> Discoverer::discover(const std::filesystem::path& file) {
    if (!state_->discoverer) {
        if (!ensureGstreamer()) return std::nullopt;
        state_->discoverer = gst_discoverer_new(Timeout, nullptr);
        if (!state_->discoverer) return std::nullopt;
    }
    const std::string uri = fileUri(file);
    GError* error = nullptr;
    GstDiscovererInfo* info = gst_discoverer_discover_uri(state_->discoverer, uri.c_str(), &error);
    if (error) g_error_free(error);
    if (!info) return std::nullopt;
    std::optional<Discovery> found;
    if (gst_discoverer_info_get_result(info) == GST_DISCOVERER_OK) {
        found.emplace();
        GList* audio = gst_discoverer_info_get_audio_streams(info);
        GList* video = gst_discoverer_info_get_video_streams(info);
        found->hasAudio = audio != nullptr;
        // Cover art shows up as a video stream of one still image.
        for (GList* stream = video; stream; stream = stream->next)
            if (!gst_discoverer_video_info_is_image(GST_DISCOVERER_VIDEO_INFO(stream->data))) found->hasVideo = true;
        gst_discoverer_stream_info_list_free(audio);
        gst_discoverer_stream_info_list_free(video);
        const GstClockTime duration = gst_discoverer_info_get_duration(info);
        if (GST_CLOCK_TIME_IS_VALID(duration) && duration > 0)
            found->duration = static_cast<double>(duration) / GST_SECOND;
        readTags(gst_discoverer_info_get_tags(info), *found);
    }
    g_object_unref(info);
    return found;
}

}  // namespace lumo::platform::library
