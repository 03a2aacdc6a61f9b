// cLUMOAudio's playback, mode, volume and property operations: each goes to
// the player host's player under the error handling its kind of operation
// has (trapped, errors passed over, or logged and cleared).

#include "automation/lumo_audio_object.h"
#include "common/codes.h"
#include "common/formatting.h"
#include "common/shared_fso.h"
#include "failsafe/procedure.h"
#include "player/audio_player_host.h"

namespace lumo::automation {
namespace {

using failsafe::LogAndClear;
using failsafe::PassOver;
using failsafe::Procedure;

platform::MediaPlayer& WMPlayer() { return player::AudioPlayer().WMPlayer(); }
platform::PlayerSettings& settings() { return WMPlayer().settings(); }

}  // namespace

HRESULT cLUMOAudio::GetCurrentPlaylist(std::string* result) {
    Procedure proc("cLUMOAudio", "Function GetCurrentPlaylist");
    std::string name;
    proc.step([&] {
        const platform::PlaylistPtr current = WMPlayer().currentPlaylist();
        if (!current) failsafe::raiseError(failsafe::error::ObjectNotSet);
        name = current->name();
    });
    if (result) *result = name;
    return hr::S_OK;
}

HRESULT cLUMOAudio::InitializeVolBal(int32_t* nNewVol, int32_t* nNewBal) {
    Procedure proc("cLUMOAudio", "Sub InitializeVolBal");
    proc.step([&] { put_Volume(nNewVol ? *nNewVol : 0); });
    proc.step([&] { put_Balance(nNewBal ? *nNewBal : 0); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::IsShuffleOn(int16_t* result) {
    Procedure proc("cLUMOAudio", "Function IsShuffleOn");
    int16_t on = VFalse;
    proc.step([&] { on = toVBool(settings().getMode("shuffle")); });
    if (result) *result = on;
    return hr::S_OK;
}

HRESULT cLUMOAudio::IsLoopOn(int16_t* result) {
    Procedure proc("cLUMOAudio", "Function IsLoopOn");
    int16_t on = VFalse;
    proc.step([&] { on = toVBool(settings().getMode("loop")); });
    if (result) *result = on;
    return hr::S_OK;
}

HRESULT cLUMOAudio::DoNext() {
    Procedure proc("cLUMOAudio", "Sub DoNext");
    proc.step([] { WMPlayer().controls().next(); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::DoPrevious() {
    Procedure proc("cLUMOAudio", "Sub DoPrevious");
    proc.step([] { WMPlayer().controls().previous(); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::DoPause() {
    Procedure proc("cLUMOAudio", "Sub DoPause");
    proc.step([] { WMPlayer().controls().pause(); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::DoStop() {
    Procedure proc("cLUMOAudio", "Sub DoStop");
    proc.step([] { WMPlayer().controls().stop(); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::DoPlay() {
    Procedure proc("cLUMOAudio", "Sub DoPlay");
    proc.step([] { WMPlayer().controls().play(); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::DoTerminate() {
    Procedure proc("cLUMOAudio", "Sub DoTerminate");
    proc.step([] { player::unloadAudioPlayer(); });
    proc.step([] { common::ReleaseFSO(); });
    return hr::S_OK;
}

// No bound here: the player clamps what it is given.
HRESULT cLUMOAudio::IncVolUp() {
    Procedure proc("cLUMOAudio", "Sub IncVolUp", PassOver{});
    proc.step([] { settings().setVolume(settings().volume() + 5); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::DecVolDown() {
    Procedure proc("cLUMOAudio", "Sub DecVolDown", PassOver{});
    proc.step([] { settings().setVolume(settings().volume() - 5); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::SetAutoRewind(int16_t* f) {
    Procedure proc("cLUMOAudio", "Sub SetAutoRewind");
    proc.step([&] { settings().setMode("autoRewind", f && *f != 0); });
    return hr::S_OK;
}

// These log and clear their errors and leave no trace entry.
HRESULT cLUMOAudio::SetLoop(int16_t* f) {
    Procedure proc(failsafe::NoTrace{}, LogAndClear{"cLUMOAudio.SetLoop"});
    proc.step([&] { settings().setMode("loop", f && *f != 0); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::SetShuffleMode(int16_t* f) {
    Procedure proc(failsafe::NoTrace{}, LogAndClear{"cLUMOAudio.SetShuffleMode"});
    proc.step([&] { settings().setMode("shuffle", f && *f != 0); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::get_Volume(int32_t* result) {
    Procedure proc(failsafe::NoTrace{}, LogAndClear{"cLUMOAudio.Volume (Get)"});
    int32_t volume = 0;
    proc.step([&] { volume = settings().volume(); });
    if (result) *result = volume;
    return hr::S_OK;
}

HRESULT cLUMOAudio::put_Volume(int32_t value) {
    Procedure proc(failsafe::NoTrace{}, LogAndClear{"cLUMOAudio.Volume (Let)"});
    if (value > 100 || value < 0) value = 50;
    proc.step([&] { settings().setVolume(value); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::get_Balance(int32_t* result) {
    Procedure proc(failsafe::NoTrace{}, LogAndClear{"cLUMOAudio.Balance (Get)"});
    int32_t balance = 0;
    proc.step([&] { balance = settings().balance(); });
    if (result) *result = balance;
    return hr::S_OK;
}

HRESULT cLUMOAudio::put_Balance(int32_t value) {
    Procedure proc(failsafe::NoTrace{}, LogAndClear{"cLUMOAudio.Balance (Let)"});
    if (value > 100 || value < -100) value = 0;
    proc.step([&] { settings().setBalance(value); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::get_Mute(int16_t* result) {
    Procedure proc("cLUMOAudio", "Property (Get) Mute", PassOver{});
    int16_t mute = VFalse;
    proc.step([&] { mute = toVBool(settings().mute()); });
    if (result) *result = mute;
    return hr::S_OK;
}

HRESULT cLUMOAudio::put_Mute(int16_t value) {
    Procedure proc("cLUMOAudio", "Property (Let) Mute", PassOver{});
    proc.step([&] { settings().setMute(value != 0); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::get_Playstate(int32_t* result) {
    Procedure proc("cLUMOAudio", "Property (Get) Playstate");
    int32_t state = 0;
    proc.step([&] { state = static_cast<int32_t>(WMPlayer().playState()); });
    if (result) *result = state;
    return hr::S_OK;
}

HRESULT cLUMOAudio::get_PlayLists(Variant* result) {
    Procedure proc("cLUMOAudio", "Property (Get) PlayLists");
    Variant value;
    proc.step([&] { value = playLists_; });
    if (result) *result = value;
    return hr::S_OK;
}

HRESULT cLUMOAudio::putref_PlayLists(Variant* value) {
    Procedure proc("cLUMOAudio", "Property (Let) PlayLists");
    proc.step([&] { playLists_ = value ? *value : Variant(); });
    return hr::S_OK;
}

HRESULT cLUMOAudio::get_CDError(int16_t* result) {
    Procedure proc("cLUMOAudio", "Property (Get) CDError");
    if (result) *result = cdError_;
    return hr::S_OK;
}

HRESULT cLUMOAudio::put_CDError(int16_t value) {
    Procedure proc("cLUMOAudio", "Property (Let) CDError");
    cdError_ = value != 0 ? VTrue : VFalse;
    return hr::S_OK;
}

HRESULT cLUMOAudio::get_Version(std::string* result) {
    Procedure proc("cLUMOAudio", "Property (Get) Version");
    std::string version;
    proc.step([&] { version = common::ISFormatAppVersion(); });
    if (result) *result = version;
    return hr::S_OK;
}

HRESULT cLUMOAudio::get_WMPVersion(std::string* result) {
    Procedure proc("cLUMOAudio", "Property (Get) WMPVersion", PassOver{});
    std::string version;
    if (!proc.step([&] { version = WMPlayer().versionInfo(); }))
        version = "Error getting MS WMP version info. MS Windows Media Player installed?";
    if (result) *result = version;
    return hr::S_OK;
}

}  // namespace lumo::automation
