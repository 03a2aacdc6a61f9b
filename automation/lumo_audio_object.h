#pragma once
// cLUMOAudio: the one creatable class. It owns no player: every call goes to
// the process's player host. Its own state is the host's two stored values
// and the sinks hosts advise for its events.

#include <atomic>

#include "automation/event_connection.h"
#include "lumo/lumo_audio.h"

namespace lumo::automation {

class cLUMOAudio final : public _cLUMOAudioEx, public IConnectionPointContainer {
public:
    // Object start-up: the shared drive information object and the
    // framework's options.
    cLUMOAudio();
    cLUMOAudio(const cLUMOAudio&) = delete;
    cLUMOAudio& operator=(const cLUMOAudio&) = delete;

    // IUnknown
    HRESULT QueryInterface(const Guid& iid, void** object) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    // IDispatch, over the operation table
    HRESULT GetTypeInfoCount(uint32_t* count) override;
    HRESULT GetTypeInfo(uint32_t index, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(const std::string* names, uint32_t count, DISPID* ids) override;
    HRESULT Invoke(DISPID member, uint16_t flags, std::span<Variant> arguments, Variant* result,
                   ExcepInfo* error) override;

    // _cLUMOAudio
    HRESULT GetCurrentPlaylist(std::string* result) override;
    HRESULT InitializeVolBal(int32_t* nNewVol, int32_t* nNewBal) override;
    HRESULT IsShuffleOn(int16_t* result) override;
    HRESULT IsLoopOn(int16_t* result) override;
    HRESULT DoNext() override;
    HRESULT DoPrevious() override;
    HRESULT DoTerminate() override;
    HRESULT IncVolUp() override;
    HRESULT DecVolDown() override;
    HRESULT InitialisePL(std::string* sPromptedDrive, int32_t* nPlayListType, std::string* sPlayList,
                         int32_t* nHowToIDCD, std::string* sDriveLetter, std::string* sSerNum,
                         std::string* sVolumeName, int32_t* nShuffleMode, int32_t* cCDROMs, std::string* sWMPError,
                         int32_t* nPLError, int16_t* result) override;
    HRESULT DoPause() override;
    HRESULT DoStop() override;
    HRESULT DoPlay() override;
    HRESULT SelectPlaylists(int32_t* nPlayListType, std::string* sPlayList, int32_t* nHowToIDCD,
                            std::string* sSerNum, std::string* sVolumeName, std::string* sDriveLetter,
                            int32_t* nShuffleMode, int16_t* fCancelled) override;
    HRESULT SetAutoRewind(int16_t* f) override;
    HRESULT SetLoop(int16_t* f) override;
    HRESULT SetShuffleMode(int16_t* f) override;
    HRESULT get_Volume(int32_t* result) override;
    HRESULT put_Volume(int32_t value) override;
    HRESULT get_PlayLists(Variant* result) override;
    HRESULT putref_PlayLists(Variant* value) override;
    HRESULT get_Balance(int32_t* result) override;
    HRESULT put_Balance(int32_t value) override;
    HRESULT get_Mute(int16_t* result) override;
    HRESULT put_Mute(int16_t value) override;
    HRESULT get_Playstate(int32_t* result) override;
    HRESULT get_CDError(int16_t* result) override;
    HRESULT put_CDError(int16_t value) override;
    HRESULT get_Version(std::string* result) override;
    HRESULT get_WMPVersion(std::string* result) override;

    // _cLUMOAudioEx (extension.cpp)
    HRESULT get_Position(double* result) override;
    HRESULT put_Position(double value) override;
    HRESULT get_Duration(double* result) override;
    HRESULT get_CanSeek(int16_t* result) override;
    HRESULT get_CurrentIndex(int32_t* result) override;
    HRESULT get_CurrentTitle(std::string* result) override;
    HRESULT get_CurrentArtist(std::string* result) override;
    HRESULT get_CurrentAlbum(std::string* result) override;
    HRESULT get_CurrentSourceURL(std::string* result) override;
    HRESULT GetCurrentItemInfo(std::string* sAttribute, std::string* result) override;
    HRESULT DoEvents(int32_t nMilliseconds) override;

    // IConnectionPointContainer
    HRESULT FindConnectionPoint(const Guid& iid, IConnectionPoint** point) override;

    // Objects alive in the process (the library may unload at none).
    static uint32_t liveObjects();

private:
    ~cLUMOAudio();
    void LAPFSSU();
    bool SetCDROM_PL(std::string& sWMPError, int32_t& nPLError, int32_t& cCDROMs);

    std::atomic<uint32_t> references_{1};
    EventConnection events_{static_cast<_cLUMOAudioEx&>(*this), *this};
    Variant playLists_;
    int16_t cdError_ = 0;
};

}  // namespace lumo::automation
