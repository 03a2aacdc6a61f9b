#include "platform/library/track_reader.h"

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/library/mp3_frames.h"
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

std::string tagText(const TagLib::String& value) { return std::string(trimmed(validUtf8(value.to8Bit(true)))); }

void takeTags(const TagLib::Tag& tag, Track& track) {
    track.title = tagText(tag.title());
    track.artist = tagText(tag.artist());
    track.album = tagText(tag.album());
    track.genre = tagText(tag.genre());
    if (tag.year() > 0) track.year = tag.year();
    if (tag.track() > 0) track.number = tag.track();
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
    std::optional<double> tagLibLength;
    const TagLib::FileRef ref(file.c_str(), true, TagLib::AudioProperties::Average);
    if (!ref.isNull()) {
        if (const TagLib::Tag* tag = ref.tag()) takeTags(*tag, track);
        const TagLib::AudioProperties* properties = ref.audioProperties();
        if (properties && properties->lengthInMilliseconds() > 0)
            tagLibLength = properties->lengthInMilliseconds() / 1000.0;
        const auto* mpeg = dynamic_cast<const TagLib::MPEG::File*>(ref.file());
        if (mpeg && !(mpeg->audioProperties() && mpeg->audioProperties()->xingHeader())) {
            // Without a header that counts the frames, TagLib guesses from the first frame's bitrate.
            track.duration = mpegAudioDuration(file);
            confirmed = track.duration.has_value();
        } else {
            track.duration = tagLibLength;
            confirmed = properties && properties->sampleRate() > 0;
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
