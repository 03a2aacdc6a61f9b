#pragma once
// The codes that cross the automation interface and that the player host,
// the dialogs and the playlist check share; the eight values the selection
// dialog hands back; and the process-wide active selection that
// InitialisePL fills and the activation reads. In namespace lumo itself, so
// that every layer names them the same way.

#include <cstdint>
#include <string>

namespace lumo {

// Booleans at the interface and in the dialogs: 16 bits, true = -1.
using VBool = int16_t;
inline constexpr VBool VTrue = -1;
inline constexpr VBool VFalse = 0;
inline constexpr VBool toVBool(bool on) { return on ? VTrue : VFalse; }

namespace playlist_type {
inline constexpr int32_t Standard = 0, Auto = 1, Cdrom = 2, None = -1;
}

// How a chosen CD is recognised later; a set of bits, each tested alone.
namespace how_to_id {
inline constexpr int32_t None = 0, SerialNumber = 2, VolumeName = 4, DriveLetter = 8;
}

namespace shuffle_mode {
inline constexpr int32_t NotAccepted = 0, On = 1, Off = 2;
}

// Playlist error flags (nPLError).
namespace pl_error {
inline constexpr int32_t NoSuchPlaylist = 0x0002;
inline constexpr int32_t EmptyPlaylist = 0x0004;
inline constexpr int32_t PlayerError = 0x0008;
inline constexpr int32_t NoDiscWithSerial = 0x0010;
inline constexpr int32_t NoDiscWithVolume = 0x0040;
inline constexpr int32_t NoCdDrive = 0x0100;
inline constexpr int32_t NoSuchDrive = 0x0200;
inline constexpr int32_t EmptyDisc = 0x0400;
inline constexpr int32_t EmptyDiscInPromptedDrive = 0x0800;
inline constexpr int32_t PromptCancelled = 0x1000;
}  // namespace pl_error

struct ActiveSelection {
    int32_t nPlayListType = playlist_type::None;
    std::string sPlayList;
    int32_t nHowToIDCD = how_to_id::None;
    std::string sDriveLetter;    // as the player names drives: "D:"
    std::string sSerNum;         // decimal text of the signed 32-bit serial
    std::string sVolumeName;
    int32_t nShuffleMode = shuffle_mode::NotAccepted;  // stored, not applied
    std::string sPromptedDrive;  // the disc prompt's choice, "" if none
};

// What the selection dialog hands back for the host to keep.
struct SelectionResult {
    int32_t playListType = playlist_type::None;
    std::string selectedPlaylist;
    int32_t howToIDDisk = how_to_id::None;
    std::string serialNumber;
    std::string volumeName;
    std::string driveLetter;
    int32_t shuffleMode = shuffle_mode::NotAccepted;
    VBool cancelled = VFalse;
};

// The one record of the process; single-threaded like every caller.
inline ActiveSelection& activeSelection() {
    static ActiveSelection selection;
    return selection;
}

}  // namespace lumo
