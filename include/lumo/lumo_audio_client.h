#pragma once
// A C++ host's view of cLUMOAudio: plain return values instead of result
// codes and out-arguments. Link lumo_host_client; the library itself is
// found through its ProgID registration.
//
//   lumo::LUMOAudio audio = lumo::LUMOAudio::create();
//   lumo::Selection chosen = audio.SelectPlaylists();
//   if (!chosen.cancelled && audio.InitialisePL(chosen).activated) audio.DoPlay();

#include <stdexcept>
#include <string>

#include "lumo/create_object.h"
#include "lumo/event_sink.h"
#include "lumo/lumo_audio.h"

namespace lumo {

class ComError : public std::runtime_error {
public:
    ComError(HRESULT result, const std::string& what) : std::runtime_error(what), result_(result) {}
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};

// What the selection dialog returns and what InitialisePL takes.
struct Selection {
    int32_t playListType = -1;
    std::string playList;
    int32_t howToIDCD = 0;
    std::string serialNumber;
    std::string volumeName;
    std::string driveLetter;
    int32_t shuffleMode = 0;
    bool cancelled = false;
};

struct Activation {
    bool activated = false;
    int32_t plError = 0;           // the playlist error flags
    std::string wmpError;          // the player's first error, if one was read
    std::string promptedDrive;     // the drive chosen in the disc prompt, or ""
    int32_t cdroms = 0;            // CD drives the player knows (CD playlists)
};

// The current item as the extension tells it ("" and 0 for what is unknown).
struct CurrentItem {
    std::string title, artist, album, sourceUrl;
    double duration = 0;
};

class LUMOAudio {
public:
    static LUMOAudio create() {
        CreatedObject created = CreateObject(kProgId);
        if (!created.object) throw ComError(created.result, created.error);
        ComPtr<_cLUMOAudio> audio;
        const HRESULT result =
            created.object->QueryInterface(IID__cLUMOAudio, reinterpret_cast<void**>(audio.put()));
        if (failed(result)) throw ComError(result, "the object has no _cLUMOAudio interface");
        return LUMOAudio(std::move(audio));
    }
    explicit LUMOAudio(ComPtr<_cLUMOAudio> object) : object_(std::move(object)) {}
    _cLUMOAudio* get() const { return object_.get(); }

    Selection SelectPlaylists() {
        Selection s;
        int16_t cancelled = 0;
        check(object_->SelectPlaylists(&s.playListType, &s.playList, &s.howToIDCD, &s.serialNumber, &s.volumeName,
                                       &s.driveLetter, &s.shuffleMode, &cancelled));
        s.cancelled = cancelled != 0;
        return s;
    }
    Activation InitialisePL(Selection s, int32_t cdroms = 0) {
        Activation a;
        a.cdroms = cdroms;
        int16_t result = 0;
        check(object_->InitialisePL(&a.promptedDrive, &s.playListType, &s.playList, &s.howToIDCD, &s.driveLetter,
                                    &s.serialNumber, &s.volumeName, &s.shuffleMode, &a.cdroms, &a.wmpError,
                                    &a.plError, &result));
        a.activated = result != 0;
        return a;
    }

    std::string GetCurrentPlaylist() { return get<std::string>(&_cLUMOAudio::GetCurrentPlaylist); }
    void InitializeVolBal(int32_t volume, int32_t balance) { check(object_->InitializeVolBal(&volume, &balance)); }
    bool IsShuffleOn() { return get<int16_t>(&_cLUMOAudio::IsShuffleOn) != 0; }
    bool IsLoopOn() { return get<int16_t>(&_cLUMOAudio::IsLoopOn) != 0; }
    void DoNext() { check(object_->DoNext()); }
    void DoPrevious() { check(object_->DoPrevious()); }
    void DoTerminate() { check(object_->DoTerminate()); }
    void IncVolUp() { check(object_->IncVolUp()); }
    void DecVolDown() { check(object_->DecVolDown()); }
    void DoPause() { check(object_->DoPause()); }
    void DoStop() { check(object_->DoStop()); }
    void DoPlay() { check(object_->DoPlay()); }
    void SetAutoRewind(bool on) { flag(&_cLUMOAudio::SetAutoRewind, on); }
    void SetLoop(bool on) { flag(&_cLUMOAudio::SetLoop, on); }
    void SetShuffleMode(bool on) { flag(&_cLUMOAudio::SetShuffleMode, on); }
    int32_t Volume() { return get<int32_t>(&_cLUMOAudio::get_Volume); }
    void setVolume(int32_t volume) { check(object_->put_Volume(volume)); }
    int32_t Balance() { return get<int32_t>(&_cLUMOAudio::get_Balance); }
    void setBalance(int32_t balance) { check(object_->put_Balance(balance)); }
    bool Mute() { return get<int16_t>(&_cLUMOAudio::get_Mute) != 0; }
    void setMute(bool on) { check(object_->put_Mute(on ? -1 : 0)); }
    int32_t Playstate() { return get<int32_t>(&_cLUMOAudio::get_Playstate); }
    bool CDError() { return get<int16_t>(&_cLUMOAudio::get_CDError) != 0; }
    void setCDError(bool on) { check(object_->put_CDError(on ? -1 : 0)); }
    Variant PlayLists() { return get<Variant>(&_cLUMOAudio::get_PlayLists); }
    void setPlayLists(Variant value) { check(object_->putref_PlayLists(&value)); }
    std::string Version() { return get<std::string>(&_cLUMOAudio::get_Version); }
    std::string WMPVersion() { return get<std::string>(&_cLUMOAudio::get_WMPVersion); }

    // The extension _cLUMOAudioEx; ComError when the object has none.
    double Position() { return extended(&_cLUMOAudioEx::get_Position); }
    void setPosition(double seconds) { check(extension().put_Position(seconds)); }
    double Duration() { return extended(&_cLUMOAudioEx::get_Duration); }
    bool CanSeek() { return extended(&_cLUMOAudioEx::get_CanSeek) != 0; }
    int32_t CurrentIndex() { return extended(&_cLUMOAudioEx::get_CurrentIndex); }
    CurrentItem currentItem() {
        return {extended(&_cLUMOAudioEx::get_CurrentTitle), extended(&_cLUMOAudioEx::get_CurrentArtist),
                extended(&_cLUMOAudioEx::get_CurrentAlbum), extended(&_cLUMOAudioEx::get_CurrentSourceURL),
                Duration()};
    }
    std::string GetCurrentItemInfo(std::string attribute) {
        std::string value;
        check(extension().GetCurrentItemInfo(&attribute, &value));
        return value;
    }
    void DoEvents(int32_t milliseconds) { check(extension().DoEvents(milliseconds)); }
    // The handler gets every event while the subscription lives.
    EventSubscription subscribe(EventHandler handler) {
        HRESULT result = hr::S_OK;
        EventSubscription subscription = subscribeEvents(object_.get(), std::move(handler), &result);
        if (!subscription) throw ComError(result, "the object has no events to offer");
        return subscription;
    }

private:
    _cLUMOAudioEx& extension() {
        if (!extension_) {
            const HRESULT result =
                object_->QueryInterface(IID__cLUMOAudioEx, reinterpret_cast<void**>(extension_.put()));
            if (failed(result)) throw ComError(result, "the object has no _cLUMOAudioEx interface");
        }
        return *extension_.get();
    }
    template <typename T>
    T extended(HRESULT (_cLUMOAudioEx::*slot)(T*)) {
        T value{};
        check((extension().*slot)(&value));
        return value;
    }
    static void check(HRESULT result) {
        if (failed(result)) throw ComError(result, "cLUMOAudio call failed");
    }
    template <typename T>
    T get(HRESULT (_cLUMOAudio::*slot)(T*)) {
        T value{};
        check((object_.get()->*slot)(&value));
        return value;
    }
    void flag(HRESULT (_cLUMOAudio::*slot)(int16_t*), bool on) {
        int16_t value = on ? -1 : 0;
        check((object_.get()->*slot)(&value));
    }

    ComPtr<_cLUMOAudio> object_;
    ComPtr<_cLUMOAudioEx> extension_;
};

}  // namespace lumo
