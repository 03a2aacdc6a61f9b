#include "platform/library/track_reader.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "failsafe/lazy_module.h"
#include "platform/library/mp3_frames.h"
#include "platform/library/tag_reading.h"
#include "platform/library/text.h"

namespace lumo::platform::library {
namespace {

constexpr std::array<std::string_view, 21> AudioExtensions{"mp3", "mp2", "mpga", "flac", "ogg",  "oga", "opus",
                                                           "spx", "wav", "aif",  "aiff", "aifc", "m4a", "m4b",
                                                           "aac", "wma", "ape",  "wv",   "mpc",  "tta", "mka"};
constexpr std::array<std::string_view, 10> VideoExtensions{"mp4", "m4v", "mov", "mkv", "webm",
                                                           "ogv", "avi", "wmv", "asf", "3gp"};

bool oneOf(const auto& list, std::string_view extension) {
    return std::find(list.begin(), list.end(), extension) != list.end();
}

std::string tagText(const std::string& value) { return std::string(trimmed(validUtf8(value))); }

// Without the module (a broken installation) every file goes to the discoverer,
// which reads the same tags, only slower.
TagReading readTags(const std::filesystem::path& file) {
    static failsafe::LazyModule module("lumo-taglib.so");
    static ReadTagsFunction* const read = module.function<ReadTagsFunction>(ReadTagsEntry);
    TagReading reading;
    if (read) read(file.c_str(), reading);
    return reading;
}

void takeTags(const TagReading& tags, Track& track) {
    track.title = tagText(tags.title);
    track.artist = tagText(tags.artist);
    track.album = tagText(tags.album);
    track.genre = tagText(tags.genre);
    if (tags.year > 0) track.year = tags.year;
    if (tags.number > 0) track.number = tags.number;
}

void takeDiscovery(const Discovery& found, Track& track) {
    track.hasVideo = found.hasVideo;
    if (!track.duration) track.duration = found.duration;
    if (track.title.empty()) track.title = found.title;
    if (track.artist.empty()) track.artist = found.artist;
    if (track.album.empty()) track.album = found.album;
    if (track.genre.empty()) track.genre = found.genre;
    if (!track.year) track.year = found.year;
    if (!track.number) track.number = found.number;
}

}  // namespace

bool isMediaFileName(const std::filesystem::path& file) {
    const std::string extension = extensionOf(file);
    return oneOf(AudioExtensions, extension) || oneOf(VideoExtensions, extension);
}

std::optional<Track> readTrack(const std::filesystem::path& file, Discoverer& discoverer) {
    Track track;
    track.format = extensionOf(file);
    bool confirmed = false;  // the file holds audio (or video) that could be read
    const TagReading tags = readTags(file);
    const std::optional<double> tagLibLength = tags.length;
    if (tags.opened) {
        takeTags(tags, track);
        if (tags.mpegWithoutFrameCount) {
            // Without a header that counts the frames, TagLib guesses from the first frame's bitrate.
            track.duration = mpegAudioDuration(file);
            confirmed = track.duration.has_value();
        } else {
            track.duration = tagLibLength;
            confirmed = tags.sampleRate > 0;
        }
    }
    if (!confirmed || !track.duration || oneOf(VideoExtensions, track.format)) {
        if (const auto found = discoverer.discover(file); found && (found->hasAudio || found->hasVideo)) {
            takeDiscovery(*found, track);
            confirmed = true;
        }
    }
    if (!confirmed) return std::nullopt;
    if (!track.duration) track.duration = tagLibLength;
    if (track.title.empty()) track.title = stemText(file);
    return track;
}

}  // namespace lumo::platform::library
