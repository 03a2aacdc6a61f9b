#include "player/audio_player_host.h"

#include "common/message_boxes.h"
#include "player/host_support.h"

namespace lumo::player {

using detail::kModule;
using failsafe::Err;
using failsafe::PassOver;
using failsafe::Procedure;

frmAudioPlayer::frmAudioPlayer(std::unique_ptr<MediaPlayer> player) : player_(std::move(player)) {
    if (!player_) failsafe::raiseError(failsafe::error::ObjectNotSet, "No media player for the player host");
    applyInitialSettings();
    player_->setModeChangeHandler(
        [this](const std::string& mode, bool on) { WMPlayer_ModeChange(mode, on); });
}

frmAudioPlayer::~frmAudioPlayer() { player_->setModeChangeHandler({}); }

// The player as the window is built with it. A player that refuses a value
// keeps its own: the window exists in any case.
void frmAudioPlayer::applyInitialSettings() {
    Procedure proc(kModule, "Sub Form_Initialize", PassOver{});
    platform::PlayerSettings& settings = player_->settings();
    proc.step([&] { settings.setAutoStart(false); });
    proc.step([&] { settings.setVolume(50); });
    proc.step([&] { settings.setBalance(0); });
    proc.step([&] { settings.setMute(false); });
    proc.step([&] { settings.setEnableErrorDialogs(false); });
}

// Every statement is passed over and the last error, if any, is logged once:
// the window loads whatever the player or its library does. The list is
// taken here under the load's own handling rather than through
// BuildPlayLists' trap, so that a library that does not answer at start-up
// is noted in the error log instead of stopping at the error entry.
void frmAudioPlayer::Form_Load() {
    Procedure proc(kModule, "Sub Form_Load", PassOver{});
    proc.step([&] { player_->settings().setAutoStart(false); });
    proc.step([&] { takePlayLists(); });
    if (Err().number != 0) {
        common::LogError("frmAudioPlayer.Load", Err().line, Err().number, Err().description);
        Err().clear();
    }
}

bool frmAudioPlayer::Form_QueryUnload(int32_t /*unloadMode*/) {
    Procedure proc(kModule, "Sub Form_QueryUnload");
    return false;
}

void frmAudioPlayer::DoShow(int32_t number) {
    Procedure proc(kModule, "Sub DoShow");
    proc.step([&] { caption_ = std::to_string(number); });
    proc.step([&] { visible_ = true; });
}

void frmAudioPlayer::takePlayLists() {
    playListArray_ = player_->playlistCollection().getAll();
}

void frmAudioPlayer::BuildPlayLists() {
    Procedure proc(kModule, "Sub BuildPlayLists");
    proc.step([&] { takePlayLists(); });
}

PlaylistArrayPtr frmAudioPlayer::PlayListArray() {
    Procedure proc(kModule, "Property (Get) PlayListArray");
    return playListArray_;
}

void frmAudioPlayer::setPlayListArray(PlaylistArrayPtr playlists) {
    Procedure proc(kModule, "Property (Let) PlayListArray");
    playListArray_ = std::move(playlists);
}

PlaylistPtr frmAudioPlayer::CurrentPlaylist() {
    Procedure proc(kModule, "Property (Get) CurrentPlaylist");
    return currentPlaylist_;
}

void frmAudioPlayer::setCurrentPlaylist(PlaylistPtr playlist) {
    Procedure proc(kModule, "Property (Let) CurrentPlaylist");
    currentPlaylist_ = std::move(playlist);
}

// Modes are read from the player when asked; nothing is kept here.
void frmAudioPlayer::WMPlayer_ModeChange(const std::string& /*modeName*/, bool /*newValue*/) {
    Procedure proc(kModule, "Sub WMPlayer_ModeChange");
}

}  // namespace lumo::player
