#include "platform/gst/cd_image_stream.h"

#include <gst/app/gstappsrc.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "platform/linux/cd_collection.h"
#include "platform/linux/disc_image.h"

namespace lumo::platform::gst {
namespace {

using linux_drives::DiscImage;
using linux_drives::Toc;

// Half a second of audio per buffer: small enough for quick seeks, large
// enough that the streaming thread mostly waits.
constexpr int32_t sectorsPerBuffer = 38;

GstClockTime timeOfSector(int64_t sector) {
    return gst_util_uint64_scale(static_cast<guint64>(sector), GST_SECOND, linux_drives::framesPerSecond);
}

struct Located {
    DiscImage disc;
    size_t index = 0;  // into the table of contents
};

std::optional<Located> locate(const ImageTrack& track, std::string& why) {
    std::optional<DiscImage> disc = DiscImage::open(track.image, why);
    if (!disc) return std::nullopt;
    const Toc& toc = disc->toc();
    for (size_t t = 0; t < toc.tracks.size(); ++t) {
        if (toc.tracks[t].number != track.track) continue;
        if (!toc.tracks[t].audio) {
            why = "track " + std::to_string(track.track) + " of " + track.image.string() + " is a data track";
            return std::nullopt;
        }
        return Located{std::move(*disc), t};
    }
    why = track.image.string() + " has no track " + std::to_string(track.track);
    return std::nullopt;
}

// Streams one track. appsrc calls need-data and seek-data with its stream
// lock held, so they never overlap; the lock guards against a future change.
class TrackFeeder {
public:
    explicit TrackFeeder(Located located)
        : disc_(std::move(located.disc)),
          first_(disc_.toc().tracks[located.index].lba),
          length_(disc_.toc().trackFrames(located.index)) {}

    GstClockTime duration() const { return timeOfSector(length_); }

    static void needData(GstAppSrc* source, guint, gpointer self) { static_cast<TrackFeeder*>(self)->push(source); }

    static gboolean seekData(GstAppSrc*, guint64 nanoseconds, gpointer self) {
        auto* feeder = static_cast<TrackFeeder*>(self);
        std::lock_guard lock(feeder->mutex_);
        const guint64 sector = gst_util_uint64_scale(nanoseconds, linux_drives::framesPerSecond, GST_SECOND);
        feeder->position_ = static_cast<int32_t>(std::min<guint64>(sector, static_cast<guint64>(feeder->length_)));
        return TRUE;
    }

    static void destroy(gpointer self) { delete static_cast<TrackFeeder*>(self); }

private:
    void push(GstAppSrc* source) {
        std::lock_guard lock(mutex_);
        if (position_ >= length_) {
            gst_app_src_end_of_stream(source);
            return;
        }
        const int32_t sectors = std::min(sectorsPerBuffer, length_ - position_);
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, size_t(sectors) * linux_drives::audioSectorSize, nullptr);
        GstMapInfo map;
        gst_buffer_map(buffer, &map, GST_MAP_WRITE);
        const bool read = disc_.readAudioSectors(first_ + position_, sectors, map.data);
        gst_buffer_unmap(buffer, &map);
        if (!read) {
            gst_buffer_unref(buffer);
            GST_ELEMENT_ERROR(source, RESOURCE, READ, ("The disc image cannot be read."),
                              ("sector %d of the image", first_ + position_));
            return;
        }
        constexpr guint64 framesPerSector = linux_drives::audioSectorSize / 4;
        GST_BUFFER_PTS(buffer) = timeOfSector(position_);
        GST_BUFFER_DURATION(buffer) = timeOfSector(position_ + sectors) - GST_BUFFER_PTS(buffer);
        GST_BUFFER_OFFSET(buffer) = guint64(position_) * framesPerSector;
        GST_BUFFER_OFFSET_END(buffer) = guint64(position_ + sectors) * framesPerSector;
        position_ += sectors;
        gst_app_src_push_buffer(source, buffer);
    }

    std::mutex mutex_;
    DiscImage disc_;
    int32_t first_;
    int32_t length_;
    int32_t position_ = 0;
};

}  // namespace

std::optional<ImageTrack> imageTrackOf(const std::string& uri) {
    const std::optional<linux_drives::TrackAddress> address = linux_drives::parseTrackUri(uri);
    if (!address) return std::nullopt;
    std::error_code error;
    // A device node is not a regular file; an image is (or is gone, which
    // the player reports as a missing item).
    if (address->source.starts_with("/dev/")) return std::nullopt;
    if (std::filesystem::exists(address->source, error) && !std::filesystem::is_regular_file(address->source, error))
        return std::nullopt;
    return ImageTrack{address->source, address->track};
}

std::string imageTrackPlaybinUri() {
    static std::atomic<uint64_t> streams{0};
    return "appsrc://lumo-cd-track-" + std::to_string(++streams);
}

std::optional<std::string> problemOf(const ImageTrack& track) {
    std::string why;
    if (locate(track, why)) return std::nullopt;
    return why;
}

bool feedImageTrack(GstElement* appsrc, const ImageTrack& track) {
    std::string why;
    std::optional<Located> located = locate(track, why);
    if (!located) {
        GST_ELEMENT_ERROR(appsrc, RESOURCE, NOT_FOUND, ("%s", why.c_str()), (nullptr));
        return false;
    }
    auto* feeder = new TrackFeeder(std::move(*located));
    GstAppSrc* source = GST_APP_SRC(appsrc);
    GstCaps* caps = gst_caps_from_string(
        "audio/x-raw,format=S16LE,layout=interleaved,rate=44100,channels=2,channel-mask=(bitmask)0x3");
    gst_app_src_set_caps(source, caps);
    gst_caps_unref(caps);
    gst_app_src_set_stream_type(source, GST_APP_STREAM_TYPE_SEEKABLE);
    g_object_set(appsrc, "format", GST_FORMAT_TIME, "is-live", FALSE, nullptr);
    gst_app_src_set_duration(source, feeder->duration());
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = &TrackFeeder::needData;
    callbacks.seek_data = &TrackFeeder::seekData;
    gst_app_src_set_callbacks(source, &callbacks, feeder, &TrackFeeder::destroy);
    return true;
}

}  // namespace lumo::platform::gst
