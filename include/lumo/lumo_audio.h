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

inline constexpr Guid IID__cLUMOAudioEx{0x5C1D7E22, 0x4A6B, 0x4F1E, {0x9C, 0x3B, 0x21, 0x6E, 0x8D, 0x51, 0xA7, 0x04}};
inline constexpr Guid DIID___cLUMOAudioEvents{
    0x5C1D7E23, 0x4A6B, 0x4F1E, {0x9C, 0x3B, 0x21, 0x6E, 0x8D, 0x51, 0xA7, 0x04}};

// The extension of _cLUMOAudio, on the same object: its operations follow
// _cLUMOAudio's 30 slots, and hosts that know only _cLUMOAudio see no
// difference. Seconds are Doubles. Reading never changes the player.
class _cLUMOAudioEx : public _cLUMOAudio {
public:
    // The current item's position; assigning seeks: below 0 is 0, beyond
    // the item's length is its end, an item that cannot seek stays where it
    // is. 0 while nothing is open.
    virtual HRESULT get_Position(double* result) = 0;
    virtual HRESULT put_Position(double value) = 0;
    // The current item's length; 0 while it is not known.
    virtual HRESULT get_Duration(double* result) = 0;
    virtual HRESULT get_CanSeek(int16_t* result) = 0;
    // The current item's place in the current playlist from 0; -1 without one.
    virtual HRESULT get_CurrentIndex(int32_t* result) = 0;
    virtual HRESULT get_CurrentTitle(std::string* result) = 0;
    virtual HRESULT get_CurrentArtist(std::string* result) = 0;
    virtual HRESULT get_CurrentAlbum(std::string* result) = 0;
    virtual HRESULT get_CurrentSourceURL(std::string* result) = 0;
    // Any attribute the media library knows of the current item ("Genre",
    // "WM/TrackNumber", ...); "" when it knows none.
    virtual HRESULT GetCurrentItemInfo(std::string* sAttribute, std::string* result) = 0;
    // Runs this thread's event loop for the given time (at most a minute):
    // the player's events reach the sinks and the desktop's media keys are
    // served. For hosts that run no loop of their own.
    virtual HRESULT DoEvents(int32_t nMilliseconds) = 0;

protected:
    ~_cLUMOAudioEx() = default;
};

// The outgoing interface __cLUMOAudioEvents, found through the object's
// IConnectionPointContainer: a sink's Invoke gets these dispatch ids, with
// the arguments in this order, on the host's thread while it runs its event
// loop, in the order things happened. A sink that fails, raises or takes
// longer than two seconds is dropped after that call, with a line in the
// error log.
namespace events {
inline constexpr DISPID PlayStateChange = 1;    // (NewState As Long)
inline constexpr DISPID CurrentItemChange = 2;  // (nIndex As Long, sTitle As String)
inline constexpr DISPID EndOfPlaylist = 3;      // ()
inline constexpr DISPID Error = 4;              // (nErrorCode As Long, sDescription As String)
}  // namespace events

}  // namespace lumo

// The library's entry points, found with dlsym.
extern "C" {
lumo::HRESULT DllGetClassObject(const lumo::Guid& clsid, const lumo::Guid& iid, void** object);
lumo::HRESULT DllCanUnloadNow();
lumo::HRESULT DllRegisterServer();
lumo::HRESULT DllUnregisterServer();
}
