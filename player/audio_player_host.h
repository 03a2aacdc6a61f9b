#pragma once
// frmAudioPlayer: the hidden player host, one per process. It owns the media
// player, caches the media library's playlists when it loads, makes a
// standard, auto or CD playlist current from the active selection, and joins
// the player's CD drives with the drive information service's.

#include <functional>
#include <memory>
#include <string>

#include "platform/media_player.h"

namespace lumo::failsafe {
class Procedure;
}

namespace lumo::player {

using platform::CdromPtr;
using platform::MediaPlayer;
using platform::PlaylistArrayPtr;
using platform::PlaylistPtr;

class frmAudioPlayer {
public:
    explicit frmAudioPlayer(std::unique_ptr<MediaPlayer> player);
    ~frmAudioPlayer();
    frmAudioPlayer(const frmAudioPlayer&) = delete;
    frmAudioPlayer& operator=(const frmAudioPlayer&) = delete;

    // The load steps: auto-start off, the playlists cached; errors logged
    // once as "frmAudioPlayer.Load".
    void Form_Load();
    // Whether the window refuses to close: never, whatever the reason.
    bool Form_QueryUnload(int32_t unloadMode);

    MediaPlayer& WMPlayer() { return *player_; }
    const std::string& caption() const { return caption_; }
    bool visible() const { return visible_; }

    // The window itself.
    void DoShow(int32_t number);
    void BuildPlayLists();
    PlaylistArrayPtr PlayListArray();
    void setPlayListArray(PlaylistArrayPtr playlists);
    PlaylistPtr CurrentPlaylist();
    void setCurrentPlaylist(PlaylistPtr playlist);
    void WMPlayer_ModeChange(const std::string& modeName, bool newValue);

    // Playlist activation from the active selection.
    bool SetStandard_PL(std::string& sWMPError, int32_t& nPLError);
    bool SetAuto_PL(std::string& sWMPError, int32_t& nPLError);
    bool SetCDROM_PL(std::string& sWMPError, int32_t& nPLError);

    // CD identification: the player's drives against the drive service's.
    int32_t GetCountCDROMS_WMP(std::string& sWMPError);
    bool WMPDriveExists(const std::string& drive);
    bool WMPDriveExistsX(const std::string& drive, CdromPtr& cdrom, int32_t& nPLError);
    bool CDDriveHasVolume(const CdromPtr& cdrom);
    bool CDDriveHasSerialNumber(const CdromPtr& cdrom);
    bool GetWMPCDROMByVolumeName(CdromPtr& cdrom, int32_t& nPLError);
    bool GetWMPCDROMByCDSerialNumber(CdromPtr& cdrom, int32_t& nPLError);
    bool VolumeNameExistsAnyDrive(std::string& drive);
    bool CDSerNumExistsAnyDrive(std::string& drive);

private:
    void applyInitialSettings();
    // The library's playlists into PlayListArray; raises what the library raises.
    void takePlayLists();
    bool setNamedPlaylist(failsafe::Procedure& proc, std::string& sWMPError, int32_t& nPLError);

    std::unique_ptr<MediaPlayer> player_;
    PlaylistArrayPtr playListArray_;
    PlaylistPtr currentPlaylist_;
    std::string caption_ = "WMP Audio Player";
    bool visible_ = false;
};

// The process's player host: made and loaded at first use (and again after
// an unload), unloaded and released by DoTerminate.
frmAudioPlayer& AudioPlayer();
// The window, made if there is none, but not loaded: start-up switches the
// player's error dialogs off before the window loads.
frmAudioPlayer& audioPlayerWindow();
bool audioPlayerLoaded();
void unloadAudioPlayer();

// Where the player's events go, for this player host and every later one;
// empty: nowhere, and the player keeps none.
void setPlayerEventListener(platform::PlayerEventHandler listener);

// What runs only while a host is loaded (the desktop's media controls)
// hooks in here: `loaded` after each load, `unloading` before each unload.
// Given once at start-up; empty parts do nothing.
struct HostLifetime {
    std::function<void()> loaded;
    std::function<void()> unloading;
};
void setHostLifetime(HostLifetime lifetime);

// What a new player host plays through: the GStreamer player with the user's
// media library and CD drives by default (also after an empty factory);
// tests give a simulated one. A window already made keeps its player.
using MediaPlayerFactory = std::function<std::unique_ptr<MediaPlayer>()>;
void setMediaPlayerFactory(MediaPlayerFactory factory);

}  // namespace lumo::player
