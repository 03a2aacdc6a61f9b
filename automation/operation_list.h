#pragma once
// Every operation of cLUMOAudio, once: a row per slot, in slot order, for
// _cLUMOAudio and for its extension _cLUMOAudioEx. The object's override
// declarations, the operation table, the checks of the public header and the
// vtable order test are all expanded from these two lists.
//
//   OPERATION(slot, id, kind, name, member, result, parameters, argument names)
//
// slot:       1-based place among the interface's own operations
// id:         dispatch id; a property's read and assignments share one
// kind:       Method, PropertyGet, PropertyPut or PropertyPutRef (lumo::dispatch)
// name:       the name hosts call by
// member:     the slot's C++ member in include/lumo/lumo_audio.h
// result:     Result when the last parameter is the operation's result, NoResult otherwise
// parameters: the member's C++ parameter types (pointers are by reference)
// names:      the arguments' names, without the result

#define LUMO_AUDIO_OPERATIONS(OPERATION)                                                                        \
    OPERATION(1, 1, Method, GetCurrentPlaylist, GetCurrentPlaylist, Result, (std::string*), ())                 \
    OPERATION(2, 2, Method, InitializeVolBal, InitializeVolBal, NoResult, (int32_t*, int32_t*),                 \
              ("nNewVol", "nNewBal"))                                                                           \
    OPERATION(3, 3, Method, IsShuffleOn, IsShuffleOn, Result, (int16_t*), ())                                   \
    OPERATION(4, 4, Method, IsLoopOn, IsLoopOn, Result, (int16_t*), ())                                         \
    OPERATION(5, 5, Method, DoNext, DoNext, NoResult, (), ())                                                   \
    OPERATION(6, 6, Method, DoPrevious, DoPrevious, NoResult, (), ())                                           \
    OPERATION(7, 7, Method, DoTerminate, DoTerminate, NoResult, (), ())                                         \
    OPERATION(8, 8, Method, IncVolUp, IncVolUp, NoResult, (), ())                                               \
    OPERATION(9, 9, Method, DecVolDown, DecVolDown, NoResult, (), ())                                           \
    OPERATION(10, 10, Method, InitialisePL, InitialisePL, Result,                                               \
              (std::string*, int32_t*, std::string*, int32_t*, std::string*, std::string*, std::string*,        \
               int32_t*, int32_t*, std::string*, int32_t*, int16_t*),                                           \
              ("sPromptedDrive", "nPlayListType", "sPlayList", "nHowToIDCD", "sDriveLetter", "sSerNum",         \
               "sVolumeName", "nShuffleMode", "cCDROMs", "sWMPError", "nPLError"))                              \
    OPERATION(11, 11, Method, DoPause, DoPause, NoResult, (), ())                                               \
    OPERATION(12, 12, Method, DoStop, DoStop, NoResult, (), ())                                                 \
    OPERATION(13, 13, Method, DoPlay, DoPlay, NoResult, (), ())                                                 \
    OPERATION(14, 14, Method, SelectPlaylists, SelectPlaylists, NoResult,                                       \
              (int32_t*, std::string*, int32_t*, std::string*, std::string*, std::string*, int32_t*, int16_t*), \
              ("nPlayListType", "sPlayList", "nHowToIDCD", "sSerNum", "sVolumeName", "sDriveLetter",            \
               "nShuffleMode", "fCancelled"))                                                                   \
    OPERATION(15, 15, Method, SetAutoRewind, SetAutoRewind, NoResult, (int16_t*), ("f"))                        \
    OPERATION(16, 16, Method, SetLoop, SetLoop, NoResult, (int16_t*), ("f"))                                    \
    OPERATION(17, 17, Method, SetShuffleMode, SetShuffleMode, NoResult, (int16_t*), ("f"))                      \
    OPERATION(18, 18, PropertyGet, Volume, get_Volume, Result, (int32_t*), ())                                  \
    OPERATION(19, 18, PropertyPut, Volume, put_Volume, NoResult, (int32_t), ("Volume"))                         \
    OPERATION(20, 19, PropertyGet, PlayLists, get_PlayLists, Result, (Variant*), ())                            \
    OPERATION(21, 19, PropertyPutRef, PlayLists, putref_PlayLists, NoResult, (Variant*), ("PlayLists"))         \
    OPERATION(22, 20, PropertyGet, Balance, get_Balance, Result, (int32_t*), ())                                \
    OPERATION(23, 20, PropertyPut, Balance, put_Balance, NoResult, (int32_t), ("Balance"))                      \
    OPERATION(24, 21, PropertyGet, Mute, get_Mute, Result, (int16_t*), ())                                      \
    OPERATION(25, 21, PropertyPut, Mute, put_Mute, NoResult, (int16_t), ("Mute"))                               \
    OPERATION(26, 22, PropertyGet, Playstate, get_Playstate, Result, (int32_t*), ())                            \
    OPERATION(27, 23, PropertyGet, CDError, get_CDError, Result, (int16_t*), ())                                \
    OPERATION(28, 23, PropertyPut, CDError, put_CDError, NoResult, (int16_t), ("CDError"))                      \
    OPERATION(29, 24, PropertyGet, Version, get_Version, Result, (std::string*), ())                            \
    OPERATION(30, 25, PropertyGet, WMPVersion, get_WMPVersion, Result, (std::string*), ())

// The extension's slots follow _cLUMOAudio's 30; its ids start at 101, clear
// of the first interface's.
#define LUMO_AUDIO_EXTENSION_OPERATIONS(OPERATION)                                                              \
    OPERATION(1, 101, PropertyGet, Position, get_Position, Result, (double*), ())                               \
    OPERATION(2, 101, PropertyPut, Position, put_Position, NoResult, (double), ("Position"))                    \
    OPERATION(3, 102, PropertyGet, Duration, get_Duration, Result, (double*), ())                               \
    OPERATION(4, 103, PropertyGet, CanSeek, get_CanSeek, Result, (int16_t*), ())                                \
    OPERATION(5, 104, PropertyGet, CurrentIndex, get_CurrentIndex, Result, (int32_t*), ())                      \
    OPERATION(6, 105, PropertyGet, CurrentTitle, get_CurrentTitle, Result, (std::string*), ())                  \
    OPERATION(7, 106, PropertyGet, CurrentArtist, get_CurrentArtist, Result, (std::string*), ())                \
    OPERATION(8, 107, PropertyGet, CurrentAlbum, get_CurrentAlbum, Result, (std::string*), ())                  \
    OPERATION(9, 108, PropertyGet, CurrentSourceURL, get_CurrentSourceURL, Result, (std::string*), ())          \
    OPERATION(10, 109, Method, GetCurrentItemInfo, GetCurrentItemInfo, Result, (std::string*, std::string*),    \
              ("sAttribute"))                                                                                   \
    OPERATION(11, 110, Method, DoEvents, DoEvents, NoResult, (int32_t), ("nMilliseconds"))
