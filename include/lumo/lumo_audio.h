#pragma once
// The interface of LUMO Audio Player's one creatable class, cLUMOAudio
// (ProgID "LUMOAudioPlayer.cLUMOAudio"): a dual interface whose own
// operations follow IUnknown's and IDispatch's slots in this order. Every
// operation returns S_OK; what went wrong travels back as results and
// by-reference values (the playlist error flags and the player's error
// text). Booleans are 16-bit with true = -1.

#include "lumo/com.h"
#include "lumo/variant.h"

namespace lumo {

inline constexpr const char* kProgId = "LUMOAudioPlayer.cLUMOAudio";
inline constexpr Guid CLSID_cLUMOAudio{0x5C1D7E20, 0x4A6B, 0x4F1E, {0x9C, 0x3B, 0x21, 0x6E, 0x8D, 0x51, 0xA7, 0x04}};
inline constexpr Guid IID__cLUMOAudio{0x5C1D7E21, 0x4A6B, 0x4F1E, {0x9C, 0x3B, 0x21, 0x6E, 0x8D, 0x51, 0xA7, 0x04}};

class _cLUMOAudio : public IDispatch {
public:
    virtual HRESULT GetCurrentPlaylist(std::string* result) = 0;
    virtual HRESULT InitializeVolBal(int32_t* nNewVol, int32_t* nNewBal) = 0;
    virtual HRESULT IsShuffleOn(int16_t* result) = 0;
    virtual HRESULT IsLoopOn(int16_t* result) = 0;
    virtual HRESULT DoNext() = 0;
    virtual HRESULT DoPrevious() = 0;
    virtual HRESULT DoTerminate() = 0;
    virtual HRESULT IncVolUp() = 0;
    virtual HRESULT DecVolDown() = 0;
    virtual HRESULT InitialisePL(std::string* sPromptedDrive, int32_t* nPlayListType, std::string* sPlayList,
                                 int32_t* nHowToIDCD, std::string* sDriveLetter, std::string* sSerNum,
                                 std::string* sVolumeName, int32_t* nShuffleMode, int32_t* cCDROMs,
                                 std::string* sWMPError, int32_t* nPLError, int16_t* result) = 0;
    virtual HRESULT DoPause() = 0;
    virtual HRESULT DoStop() = 0;
    virtual HRESULT DoPlay() = 0;
    virtual HRESULT SelectPlaylists(int32_t* nPlayListType, std::string* sPlayList, int32_t* nHowToIDCD,
                                    std::string* sSerNum, std::string* sVolumeName, std::string* sDriveLetter,
                                    int32_t* nShuffleMode, int16_t* fCancelled) = 0;
    virtual HRESULT SetAutoRewind(int16_t* f) = 0;
    virtual HRESULT SetLoop(int16_t* f) = 0;
    virtual HRESULT SetShuffleMode(int16_t* f) = 0;
    virtual HRESULT get_Volume(int32_t* result) = 0;
    virtual HRESULT put_Volume(int32_t value) = 0;
    virtual HRESULT get_PlayLists(Variant* result) = 0;
    virtual HRESULT putref_PlayLists(Variant* value) = 0;
    virtual HRESULT get_Balance(int32_t* result) = 0;
    virtual HRESULT put_Balance(int32_t value) = 0;
    virtual HRESULT get_Mute(int16_t* result) = 0;
    virtual HRESULT put_Mute(int16_t value) = 0;
    virtual HRESULT get_Playstate(int32_t* result) = 0;
    virtual HRESULT get_CDError(int16_t* result) = 0;
    virtual HRESULT put_CDError(int16_t value) = 0;
    virtual HRESULT get_Version(std::string* result) = 0;
    virtual HRESULT get_WMPVersion(std::string* result) = 0;

protected:
    ~_cLUMOAudio() = default;
};

}  // namespace lumo

// The library's entry points, found with dlsym.
extern "C" {
lumo::HRESULT DllGetClassObject(const lumo::Guid& clsid, const lumo::Guid& iid, void** object);
lumo::HRESULT DllCanUnloadNow();
lumo::HRESULT DllRegisterServer();
lumo::HRESULT DllUnregisterServer();
}
