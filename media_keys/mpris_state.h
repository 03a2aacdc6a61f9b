#pragma once
// What the desktop's media controls see of the player and what they may ask
// of it, without a bus: a snapshot of the player turned into the values of
// the org.mpris.MediaPlayer2 and org.mpris.MediaPlayer2.Player interfaces,
// the changes between two snapshots, the writes the desktop makes turned
// back into player settings, the method names mapped to the player's
// controls, and the desktop's Seek and SetPosition turned into what the
// player is asked. mpris_service.h puts this on the session bus.

#include <QDBusObjectPath>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/media_player.h"

namespace lumo::media_keys {

inline constexpr char kServiceName[] = "org.mpris.MediaPlayer2.lumo";
inline constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";
inline constexpr char kRootInterface[] = "org.mpris.MediaPlayer2";
inline constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";
inline constexpr char kIdentity[] = "LUMO Audio Player";
inline constexpr char kDesktopEntry[] = "lumo-audio-player";

// The name a second process takes when another one holds kServiceName.
QString instanceServiceName(qint64 pid);
// What the player opens: local files and CD tracks, of the types the
// installed decoders play.
QStringList supportedUriSchemes();
QStringList supportedMimeTypes();

// The "LUMO Player" / "Desktop" / "MediaKeys" setting: on unless it says
// "0", "False", "Off" or "No" (in any letter case, blanks around ignored).
bool mediaKeysEnabled(const std::optional<std::string>& setting);

// The player as the desktop is shown it at one moment.
struct PlayerSnapshot {
    platform::PlayState state = platform::PlayState::Undefined;
    bool hasMedia = false;
    std::string title;     // the item's name
    std::string url;       // its SourceURL
    std::string artist;    // its Author, known for library items
    std::string album;     // its album tag, known for library items
    std::string genre;
    std::string trackNumber;
    std::optional<double> duration;  // the player's length of the item, in seconds
    double position = 0;             // the player's position in it, in seconds
    bool canSeek = false;
    int32_t volume = 0;    // 0..100
    bool shuffle = false;
    bool loop = false;
};

// Reads the player without a trace entry. A member that fails leaves its
// field at the default, and the host's pending error (Err()) is kept: the
// desktop may ask while a host procedure waits with an error in hand. The
// player may move to the next item between two reads: then it is read again,
// so that the length and position are those of the item read.
PlayerSnapshot readSnapshot(platform::MediaPlayer& player);

// "Playing", "Paused" or "Stopped". The passing states (Transitioning,
// Buffering, Waiting) keep the previous status, so that the desktop does not
// see a stop between two items that follow each other.
QString playbackStatusOf(platform::PlayState state, const QString& previous);

// The item's length in microseconds, when the player knows a positive one.
std::optional<qint64> durationMicroseconds(std::optional<double> seconds);
// An object path that names the item by its URL and name.
QDBusObjectPath trackIdOf(std::string_view url, std::string_view title);
// mpris:trackid, xesam:title, xesam:url, and mpris:length, xesam:artist,
// xesam:album, xesam:genre and xesam:trackNumber when the item has them;
// empty without a current item.
QVariantMap metadataOf(const PlayerSnapshot& snapshot);

// The player's 0..100 as the desktop's 0.0..1.0, and back: a write is
// clamped to 0.0..1.0 and rounded to the nearest step; NaN changes nothing.
double volumeFractionOf(int32_t volume);
std::optional<int32_t> playerVolumeOf(double fraction);

// "None" or "Playlist". The player repeats a whole playlist only, so a
// desktop asking for "Track" gets the playlist repeated; anything else
// changes nothing.
QString loopStatusOf(bool loop);
std::optional<bool> loopModeOf(const QString& status);

// The methods of org.mpris.MediaPlayer2.Player that act on the player.
enum class Action { Play, Pause, PlayPause, Stop, Next, Previous };
// Does it with the player's controls; raises what the player raises.
// PlayPause pauses while playing and plays otherwise.
void perform(Action action, platform::MediaPlayer& player);

// What a Seek or SetPosition of the desktop comes to: nothing, the current
// item moved to `position` (microseconds), or the next item.
struct SeekRequest {
    enum class Kind { Nothing, MoveTo, Next };
    Kind kind = Kind::Nothing;
    qint64 position = 0;
    bool operator==(const SeekRequest&) const = default;
};
// Does it with the player; raises what the player raises. True when the
// item moved, so that Seeked is due.
bool perform(const SeekRequest& request, platform::MediaPlayer& player);

// The desktop's view of the player, brought up to date from snapshots.
class MprisState {
public:
    // Takes a new snapshot and answers the properties of the Player
    // interface that change with it (PlaybackStatus, Metadata, Volume,
    // Shuffle, LoopStatus, CanSeek), by name, with their new values: every
    // one at the first snapshot, only those that differ after that. The
    // position is never among them: MPRIS clients follow it from Seeked.
    QVariantMap update(const PlayerSnapshot& snapshot);

    const QString& playbackStatus() const { return status_; }
    const QVariantMap& metadata() const { return metadata_; }
    double volume() const { return volume_; }
    bool shuffle() const { return shuffle_; }
    QString loopStatus() const { return loopStatusOf(loop_); }
    bool canSeek() const { return canSeek_; }
    // The player's position in microseconds, within the item's length when
    // it is known.
    qint64 position() const { return position_; }

    // As the MPRIS specification has them: Seek moves by `offset` from the
    // position, to 0 at the least, and past the item's length it is Next;
    // SetPosition moves the item `track` names to `position`, and does
    // nothing for another item, a negative position or one past the length.
    // Both do nothing while CanSeek is false.
    SeekRequest seekBy(qint64 offset) const;
    SeekRequest seekTo(const QDBusObjectPath& track, qint64 position) const;

private:
    bool updated_ = false;
    QString status_ = QStringLiteral("Stopped");
    QVariantMap metadata_;
    double volume_ = 0.0;
    bool shuffle_ = false, loop_ = false, canSeek_ = false;
    std::optional<qint64> length_;
    qint64 position_ = 0;
};

}  // namespace lumo::media_keys
