#pragma once
// A small media library of its own for a soak run, in a fresh folder that
// the process's home and settings point at: three short tones in a standard
// playlist, an auto playlist over them, and a two-track audio disc image in
// drive D.

#include <filesystem>

namespace lumo::soak {

inline constexpr const char* kStandardPlaylist = "Soak List";
inline constexpr const char* kAutoPlaylist = "Soak Tones";

// Builds the library under `root` and points HOME, the XDG folders and the
// settings at it.
void buildSoakLibrary(const std::filesystem::path& root);

}  // namespace lumo::soak
