#pragma once
// Which letter names which CD drive. The "[Drives]" section of the "LUMO
// Player" settings maps letters to devices (/dev/sr0), disc images (.cue,
// .iso) or nothing (an empty virtual drive). A real drive found without a
// letter gets the first free one from D and keeps it: the caller writes the
// new entries back. C is the root file system.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace lumo::platform::linux_drives {

struct DriveEntry {
    enum class Kind { Device, Image, Empty };
    char letter = 'D';
    Kind kind = Kind::Empty;
    std::filesystem::path path;
};

struct LetterAssignment {
    std::vector<DriveEntry> drives;                          // in letter order
    std::vector<std::pair<char, std::string>> newEntries;    // to write back
    std::vector<std::string> problems;                       // one line each, for the log
};

// `configured`: the section's keys and values as stored; `foundDevices`:
// the optical drives of the machine, in the order the system lists them.
LetterAssignment assignLetters(const std::vector<std::pair<std::string, std::string>>& configured,
                               const std::vector<std::string>& foundDevices);

}  // namespace lumo::platform::linux_drives
