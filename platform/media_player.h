#pragma once
// The media player the program drives: controls, settings, play state, the
// current playlist and item, the media library's playlists, the CD drives and
// the queue of errors met while opening media. The real player plays through
// GStreamer (platform/gst); a scripted one serves unit tests
// (platform/simulated). Nothing above this interface knows which one runs.
//
// A member that cannot do its work raises a failsafe::RuntimeError with a
// negative number (the player's failure class) and a description; errors met
// while media open go to the error queue instead.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace lumo::platform {

// The play states hosts know, with their classic numbers.
enum class PlayState : int32_t {
    Undefined = 0,
    Stopped = 1,
    Paused = 2,
    Playing = 3,
    Buffering = 6,
    Waiting = 7,
    MediaEnded = 8,
    Transitioning = 9,
    Ready = 10,
};

// One media item. getItemInfo answers "SourceURL" (a URI), "MediaType"
// ("audio", or "video" when the item has a video stream), "Duration"
// (seconds as text with a point, "183.4") and, for library items, "Title",
// "Author", "WM/AlbumTitle", "WM/Genre", "WM/TrackNumber"; an unknown
// attribute gives "".
class Media {
public:
    virtual ~Media() = default;
    virtual std::string name() const = 0;
    virtual std::string getItemInfo(std::string_view attribute) const = 0;
};
using MediaPtr = std::shared_ptr<const Media>;

// A playlist: a standard one (a playlist file), an auto one (a rule file over
// the track index) or a disc's tracks. getItemInfo("PlaylistType") is "Auto"
// for an auto playlist, "Static" for a standard one, "CD" for a disc.
class Playlist {
public:
    virtual ~Playlist() = default;
    virtual int32_t count() const = 0;
    virtual std::string name() const = 0;
    // Raises error 9 for an index outside 0..count-1.
    virtual MediaPtr item(int32_t index) const = 0;
    virtual std::string getItemInfo(std::string_view attribute) const = 0;
};
using PlaylistPtr = std::shared_ptr<const Playlist>;

class PlaylistArray {
public:
    virtual ~PlaylistArray() = default;
    virtual int32_t count() const = 0;
    virtual PlaylistPtr item(int32_t index) const = 0;  // raises 9 outside 0..count-1
};
using PlaylistArrayPtr = std::shared_ptr<const PlaylistArray>;

// The media library's playlists. getAll lists them in a stable order (by
// name, then by file path); getByName gives every playlist of exactly that
// name, in the same order.
class PlaylistCollection {
public:
    virtual ~PlaylistCollection() = default;
    virtual PlaylistArrayPtr getAll() = 0;
    virtual PlaylistArrayPtr getByName(std::string_view name) = 0;
};

class Cdrom {
public:
    virtual ~Cdrom() = default;
    virtual std::string driveSpecifier() const = 0;  // "D:"
    virtual PlaylistPtr playlist() const = 0;
};
using CdromPtr = std::shared_ptr<const Cdrom>;

class CdromCollection {
public:
    virtual ~CdromCollection() = default;
    virtual int32_t count() = 0;
    virtual CdromPtr item(int32_t index) = 0;  // raises 9 outside 0..count-1
};

// One error met while opening or playing an item.
struct ErrorItem {
    int32_t condition = 0;     // the failure class as a small positive number
    std::string customUrl;     // the item's URI
    int32_t errorCode = 0;     // negative, top bit set: one code per failure class
    std::string errorContext;  // where it happened (the element or stage), may be empty
    std::string errorDescription;
};

class ErrorQueue {
public:
    virtual ~ErrorQueue() = default;
    virtual int32_t errorCount() = 0;
    virtual ErrorItem item(int32_t index) = 0;  // raises 9 outside 0..errorCount-1
    virtual void clearErrorQueue() = 0;
};

class Controls {
public:
    virtual ~Controls() = default;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
};

// Volume 0..100 and balance -100..100: values outside are clamped to the
// nearest bound (a host's volume of 103 plays at 100). Modes: "shuffle",
// "loop", "autoRewind", in any letter case; an unknown mode raises error 5.
class PlayerSettings {
public:
    virtual ~PlayerSettings() = default;
    virtual bool autoStart() = 0;
    virtual void setAutoStart(bool on) = 0;
    virtual bool mute() = 0;
    virtual void setMute(bool on) = 0;
    virtual int32_t volume() = 0;
    virtual void setVolume(int32_t volume) = 0;
    virtual int32_t balance() = 0;
    virtual void setBalance(int32_t balance) = 0;
    virtual bool getMode(std::string_view mode) = 0;
    virtual void setMode(std::string_view mode, bool on) = 0;
    virtual bool enableErrorDialogs() = 0;
    virtual void setEnableErrorDialogs(bool on) = 0;
};

using ModeChangeHandler = std::function<void(const std::string& mode, bool on)>;

// What the player tells a host that listens instead of polling.
struct PlayerEvent {
    enum class Kind { PlayStateChange, CurrentItemChange, EndOfPlaylist, Error };
    Kind kind = Kind::PlayStateChange;
    int32_t number = 0;  // the new state, the item's index (-1: none) or the error's code
    std::string text;    // the item's name or the error's description
    friend bool operator==(const PlayerEvent&, const PlayerEvent&) = default;
};
using PlayerEventHandler = std::function<void(const PlayerEvent&)>;

class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;
    virtual Controls& controls() = 0;
    virtual PlayerSettings& settings() = 0;
    // Current whenever it is read, whatever event loop the host runs.
    virtual PlayState playState() = 0;
    virtual std::string versionInfo() = 0;
    virtual PlaylistPtr currentPlaylist() = 0;
    // Makes the playlist current and opens its first item; playback starts
    // only when autoStart is on. Failures go to the error queue.
    virtual void setCurrentPlaylist(PlaylistPtr playlist) = 0;
    virtual MediaPtr currentMedia() = 0;
    // Opens the item: Transitioning, then Ready once it has prerolled.
    virtual void setCurrentMedia(MediaPtr media) = 0;
    virtual PlaylistCollection& playlistCollection() = 0;
    virtual CdromCollection& cdromCollection() = 0;
    virtual ErrorQueue& error() = 0;
    virtual void setModeChangeHandler(ModeChangeHandler handler) = 0;

    // The current item's position and length in seconds: 0 and nothing
    // while no item is open (stopped, ended).
    virtual double position() = 0;
    virtual std::optional<double> duration() = 0;
    // Whether the open item can seek (a file can, most streams cannot).
    virtual bool canSeek() = 0;
    // Moves the open item to `seconds`: below 0 is 0, beyond its length is
    // its end (the item then ends as if played). False, and nothing moves,
    // when no item is open or it cannot seek.
    virtual bool seek(double seconds) = 0;
    // The current item's place in the current playlist, -1 without one.
    virtual int32_t currentIndex() = 0;
    // Every change of the play state and of the current item, the end of
    // the playlist and every error queued, in the order they happened. The
    // handler runs on the host's thread when it runs its event loop, never
    // inside a member the host called and never on a streaming thread.
    virtual void setEventHandler(PlayerEventHandler handler) = 0;
    // For a host that waits for a state without an event loop of its own:
    // returns once the player may have news (the play state is then read
    // again), or after `limit`. A player without a pipeline of its own
    // takes a short pause.
    virtual void waitForNews(std::chrono::microseconds limit) {
        std::this_thread::sleep_for(std::min(limit, std::chrono::microseconds(200)));
    }
};

}  // namespace lumo::platform
