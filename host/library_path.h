#pragma once
// Which library :register and :unregister hand to the entry points, first
// found wins: the one named on the command line or in the statement, then
// $LUMO_LIBRARY, then libLUMOAudioPlayer.so in ../lib beside lumo-host (the
// build tree), libLUMOAudioPlayer.so.0 in the installed libdir of
// lumo-host's prefix, libLUMOAudioPlayer.so in
// lumo-host's own folder, then the library the ProgID is registered with
// (the user's registration, else the system's).

#include <filesystem>
#include <optional>
#include <string>

namespace lumo::host {

struct LibrarySearch {
    std::string named;        // --library or the statement's path; empty: none
    std::string environment;  // $LUMO_LIBRARY; empty: unset
    std::filesystem::path executable;
    std::string progId;
};

// An absolute path (registration keeps the path as given), or nothing.
std::optional<std::filesystem::path> findLibrary(const LibrarySearch& search);

// The "Library=" path of a ProgID's registration, or nothing.
std::optional<std::filesystem::path> registeredLibrary(const std::string& progId);

}  // namespace lumo::host
