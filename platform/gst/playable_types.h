#pragma once
// The media types the installed GStreamer can play, as the desktop names
// them ("audio/flac"): each type whose demuxer (for a container) and decoder
// the registry holds at a rank playbin uses. Asked anew each time: a plugin
// installed while the host runs counts from then on.

#include <string>
#include <vector>

namespace lumo::platform {

std::vector<std::string> playableMimeTypes();

}  // namespace lumo::platform
