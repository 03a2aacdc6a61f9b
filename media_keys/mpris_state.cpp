#include "media_keys/mpris_state.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "failsafe/procedure.h"
#include "failsafe/runtime_error.h"
#include "platform/gst/playable_types.h"

namespace lumo::media_keys {
namespace {

using platform::PlayState;

QString text(const std::string& value) { return QString::fromStdString(value); }

std::string lowerTrimmed(std::string_view value) {
    const size_t first = value.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    value = value.substr(first, value.find_last_not_of(" \t") - first + 1);
    std::string lower(value);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// FNV-1a: a stable name for an item, whatever process or run computes it.
uint64_t fingerprint(std::string_view url, std::string_view title) {
    uint64_t hash = 14695981039346656037ull;
    const auto add = [&hash](std::string_view part) {
        for (const char c : part) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    };
    add(url);
    add(std::string_view("\0", 1));
    add(title);
    return hash;
}

}  // namespace

QString instanceServiceName(qint64 pid) {
    return QStringLiteral("%1.instance%2").arg(QLatin1String(kServiceName)).arg(pid);
}

QStringList supportedUriSchemes() { return {QStringLiteral("file"), QStringLiteral("cdda")}; }

QStringList supportedMimeTypes() {
    QStringList types;
    for (const std::string& type : platform::playableMimeTypes()) types.append(text(type));
    return types;
}

bool mediaKeysEnabled(const std::optional<std::string>& setting) {
    if (!setting) return true;
    const std::string value = lowerTrimmed(*setting);
    return value != "0" && value != "false" && value != "off" && value != "no";
}

namespace {

PlayerSnapshot readOnce(platform::MediaPlayer& player, failsafe::Procedure& proc) {
    PlayerSnapshot snapshot;
    proc.step([&] { snapshot.state = player.playState(); });
    platform::MediaPtr media;
    proc.step([&] { media = player.currentMedia(); });
    if (media) {
        snapshot.hasMedia = true;
        proc.step([&] { snapshot.title = media->name(); });
        proc.step([&] { snapshot.url = media->getItemInfo("SourceURL"); });
        proc.step([&] { snapshot.artist = media->getItemInfo("Author"); });
        proc.step([&] { snapshot.album = media->getItemInfo("WM/AlbumTitle"); });
        proc.step([&] { snapshot.genre = media->getItemInfo("WM/Genre"); });
        proc.step([&] { snapshot.trackNumber = media->getItemInfo("WM/TrackNumber"); });
        proc.step([&] { snapshot.duration = player.duration(); });
        proc.step([&] { snapshot.position = player.position(); });
        proc.step([&] { snapshot.canSeek = player.canSeek(); });
    }
    platform::PlayerSettings* settings = nullptr;
    proc.step([&] { settings = &player.settings(); });
    if (settings) {
        proc.step([&] { snapshot.volume = settings->volume(); });
        proc.step([&] { snapshot.shuffle = settings->getMode("shuffle"); });
        proc.step([&] { snapshot.loop = settings->getMode("loop"); });
    }
    return snapshot;
}

}  // namespace

PlayerSnapshot readSnapshot(platform::MediaPlayer& player) {
    const failsafe::ErrorState hostError = failsafe::Err();
    PlayerSnapshot snapshot;
    {
        failsafe::Procedure proc(failsafe::NoTrace{}, failsafe::PassOver{});
        // Items shorter than a sample may follow each other: a few tries,
        // then the last read stands.
        for (int attempt = 0; attempt < 3; ++attempt) {
            int32_t before = -1, after = -1;
            proc.step([&] { before = player.currentIndex(); });
            snapshot = readOnce(player, proc);
            proc.step([&] { after = player.currentIndex(); });
            if (before == after) break;
        }
    }
    failsafe::Err() = hostError;
    return snapshot;
}

QString playbackStatusOf(PlayState state, const QString& previous) {
    switch (state) {
        case PlayState::Playing: return QStringLiteral("Playing");
        case PlayState::Paused: return QStringLiteral("Paused");
        case PlayState::Transitioning:
        case PlayState::Buffering:
        case PlayState::Waiting: return previous.isEmpty() ? QStringLiteral("Stopped") : previous;
        default: return QStringLiteral("Stopped");
    }
}

std::optional<qint64> durationMicroseconds(std::optional<double> seconds) {
    // Beyond a year is no track length the player can have learned.
    if (!seconds || !std::isfinite(*seconds) || *seconds <= 0 || *seconds > 365.0 * 24 * 3600) return std::nullopt;
    return static_cast<qint64>(std::llround(*seconds * 1e6));
}

QDBusObjectPath trackIdOf(std::string_view url, std::string_view title) {
    return QDBusObjectPath(QStringLiteral("/org/lumo/AudioPlayer/Track/t%1")
                               .arg(fingerprint(url, title), 16, 16, QLatin1Char('0')));
}

QVariantMap metadataOf(const PlayerSnapshot& snapshot) {
    QVariantMap metadata;
    if (!snapshot.hasMedia) return metadata;
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackIdOf(snapshot.url, snapshot.title)));
    metadata.insert(QStringLiteral("xesam:title"), text(snapshot.title));
    metadata.insert(QStringLiteral("xesam:url"), text(snapshot.url));
    if (const std::optional<qint64> length = durationMicroseconds(snapshot.duration))
        metadata.insert(QStringLiteral("mpris:length"), QVariant::fromValue<qlonglong>(*length));
    if (!snapshot.artist.empty()) metadata.insert(QStringLiteral("xesam:artist"), QStringList{text(snapshot.artist)});
    if (!snapshot.album.empty()) metadata.insert(QStringLiteral("xesam:album"), text(snapshot.album));
    if (!snapshot.genre.empty()) metadata.insert(QStringLiteral("xesam:genre"), QStringList{text(snapshot.genre)});
    bool numbered = false;
    const int number = text(snapshot.trackNumber).toInt(&numbered);
    if (numbered && number > 0) metadata.insert(QStringLiteral("xesam:trackNumber"), number);
    return metadata;
}

double volumeFractionOf(int32_t volume) { return std::clamp(volume, 0, 100) / 100.0; }

std::optional<int32_t> playerVolumeOf(double fraction) {
    if (std::isnan(fraction)) return std::nullopt;
    return static_cast<int32_t>(std::lround(std::clamp(fraction, 0.0, 1.0) * 100.0));
}

QString loopStatusOf(bool loop) { return loop ? QStringLiteral("Playlist") : QStringLiteral("None"); }

std::optional<bool> loopModeOf(const QString& status) {
    if (status == QLatin1String("None")) return false;
    if (status == QLatin1String("Playlist") || status == QLatin1String("Track")) return true;
    return std::nullopt;
}

void perform(Action action, platform::MediaPlayer& player) {
    platform::Controls& controls = player.controls();
    switch (action) {
        case Action::Play: controls.play(); break;
        case Action::Pause: controls.pause(); break;
        case Action::PlayPause:
            if (player.playState() == PlayState::Playing)
                controls.pause();
            else
                controls.play();
            break;
        case Action::Stop: controls.stop(); break;
        case Action::Next: controls.next(); break;
        case Action::Previous: controls.previous(); break;
    }
}

bool perform(const SeekRequest& request, platform::MediaPlayer& player) {
    switch (request.kind) {
        case SeekRequest::Kind::MoveTo: return player.seek(static_cast<double>(request.position) / 1e6);
        case SeekRequest::Kind::Next: player.controls().next(); return false;
        case SeekRequest::Kind::Nothing: return false;
    }
    return false;
}

QVariantMap MprisState::update(const PlayerSnapshot& snapshot) {
    const QString status = playbackStatusOf(snapshot.state, status_);
    const QVariantMap metadata = metadataOf(snapshot);
    const double volume = volumeFractionOf(snapshot.volume);
    const bool canSeek = snapshot.hasMedia && snapshot.canSeek;

    QVariantMap changed;
    if (!updated_ || status != status_) changed.insert(QStringLiteral("PlaybackStatus"), status);
    if (!updated_ || metadata != metadata_) changed.insert(QStringLiteral("Metadata"), metadata);
    if (!updated_ || volume != volume_) changed.insert(QStringLiteral("Volume"), volume);
    if (!updated_ || snapshot.shuffle != shuffle_) changed.insert(QStringLiteral("Shuffle"), snapshot.shuffle);
    if (!updated_ || snapshot.loop != loop_) changed.insert(QStringLiteral("LoopStatus"), loopStatusOf(snapshot.loop));
    if (!updated_ || canSeek != canSeek_) changed.insert(QStringLiteral("CanSeek"), canSeek);
    updated_ = true;
    status_ = status;
    metadata_ = metadata;
    volume_ = volume;
    shuffle_ = snapshot.shuffle;
    loop_ = snapshot.loop;
    canSeek_ = canSeek;
    length_ = snapshot.hasMedia ? durationMicroseconds(snapshot.duration) : std::nullopt;
    const double position = std::isfinite(snapshot.position) ? std::max(snapshot.position, 0.0) : 0.0;
    position_ = snapshot.hasMedia ? static_cast<qint64>(std::llround(std::min(position * 1e6, 9e18))) : 0;
    if (length_) position_ = std::min(position_, *length_);
    return changed;
}

SeekRequest MprisState::seekBy(qint64 offset) const {
    if (!canSeek_) return {};
    // Any offset may come; the position is never negative, so only a sum
    // past the largest can overflow.
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    const qint64 target = offset > largest - position_ ? largest : position_ + offset;
    if (length_ && target > *length_) return {SeekRequest::Kind::Next, 0};
    return {SeekRequest::Kind::MoveTo, std::max<qint64>(target, 0)};
}

SeekRequest MprisState::seekTo(const QDBusObjectPath& track, qint64 position) const {
    if (!canSeek_ || position < 0 || (length_ && position > *length_)) return {};
    if (metadata_.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>() != track) return {};
    return {SeekRequest::Kind::MoveTo, position};
}

}  // namespace lumo::media_keys
