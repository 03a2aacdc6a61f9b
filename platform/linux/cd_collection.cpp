#include "platform/linux/cd_collection.h"

#include "failsafe/runtime_error.h"
#include "platform/duration_text.h"
#include "platform/linux/musicbrainz_disc_id.h"

namespace lumo::platform::linux_drives {
namespace {

class Track final : public Media {
public:
    Track(const TocTrack& track, std::string uri, double seconds)
        : name_(track.title.empty() ? "Track " + std::to_string(track.number) : track.title),
          title_(track.title),
          uri_(std::move(uri)),
          seconds_(seconds) {}
    std::string name() const override { return name_; }
    std::string getItemInfo(std::string_view attribute) const override {
        if (attribute == "SourceURL") return uri_;
        if (attribute == "MediaType") return "audio";
        if (attribute == "Duration") return durationText(seconds_);
        if (attribute == "Title") return title_;
        return {};
    }

private:
    std::string name_, title_, uri_;
    double seconds_;
};

class DiscPlaylist final : public Playlist {
public:
    DiscPlaylist(std::string name, const Toc& toc, std::vector<MediaPtr> tracks)
        : name_(std::move(name)), title_(toc.title), discId_(musicBrainzDiscId(toc)), tracks_(std::move(tracks)) {}
    int32_t count() const override { return static_cast<int32_t>(tracks_.size()); }
    std::string name() const override { return name_; }
    MediaPtr item(int32_t index) const override {
        if (index < 0 || index >= count()) failsafe::raiseError(failsafe::error::SubscriptOutOfRange);
        return tracks_[static_cast<size_t>(index)];
    }
    // Besides the drive's serial number, the disc's MusicBrainz identifier
    // and its CD-TEXT or CUE title.
    std::string getItemInfo(std::string_view attribute) const override {
        if (attribute == "PlaylistType") return "CD";
        if (attribute == "MusicBrainzDiscID") return discId_;
        if (attribute == "Title") return title_;
        return {};
    }

private:
    std::string name_, title_, discId_;
    std::vector<MediaPtr> tracks_;
};

class LinuxCdrom final : public Cdrom {
public:
    explicit LinuxCdrom(std::shared_ptr<const CdDrive> drive) : drive_(std::move(drive)) {}
    std::string driveSpecifier() const override { return drive_->driveLetter() + ":"; }

    // Read from the disc at every call; a drive without a disc raises the
    // error a missing disc raises.
    PlaylistPtr playlist() const override {
        const std::optional<DiscState> disc = drive_->disc();
        if (!disc) raiseNotReady(drive_->driveLetter()[0]);
        std::vector<MediaPtr> tracks;
        if (disc->toc.isAudioDisc()) {
            for (size_t t = 0; t < disc->toc.tracks.size(); ++t) {
                const TocTrack& track = disc->toc.tracks[t];
                if (!track.audio) continue;
                tracks.push_back(std::make_shared<Track>(track, trackUri(disc->source, track.number),
                                                         disc->toc.trackFrames(t) / double(framesPerSecond)));
            }
        }
        return std::make_shared<DiscPlaylist>(disc->volume.volumeName, disc->toc, std::move(tracks));
    }

private:
    std::shared_ptr<const CdDrive> drive_;
};

}  // namespace

std::string trackUri(const std::string& source, int track) { return "cdda://" + source + "#" + std::to_string(track); }

std::optional<TrackAddress> parseTrackUri(const std::string& uri) {
    constexpr std::string_view scheme = "cdda://";
    const size_t hash = uri.rfind('#');
    if (!uri.starts_with(scheme) || hash == std::string::npos || hash == scheme.size()) return std::nullopt;
    const std::string digits = uri.substr(hash + 1);
    if (digits.empty() || digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int track = std::stoi(digits);
    if (track < 1 || track > 99) return std::nullopt;
    return TrackAddress{uri.substr(scheme.size(), hash - scheme.size()), track};
}


LinuxCdromCollection::LinuxCdromCollection(std::shared_ptr<LinuxDriveService> drives) : drives_(std::move(drives)) {}

int32_t LinuxCdromCollection::count() { return static_cast<int32_t>(drives_->cdDrives().size()); }

CdromPtr LinuxCdromCollection::item(int32_t index) {
    const auto drives = drives_->cdDrives();
    if (index < 0 || index >= static_cast<int32_t>(drives.size())) failsafe::raiseError(failsafe::error::SubscriptOutOfRange);
    return std::make_shared<LinuxCdrom>(drives[static_cast<size_t>(index)]);
}

}  // namespace lumo::platform::linux_drives
