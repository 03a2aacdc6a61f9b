#pragma once
// GStreamer for the whole process: initialised once, on first use, by
// whichever part needs it first. The host may have initialised it already;
// gst_init_check then does nothing.

#include <string>

namespace lumo::platform::gst {

// True when GStreamer is usable; otherwise `why` tells the reason.
bool ensureGstreamer(std::string* why = nullptr);

// "GStreamer 1.22.0"; raises a player error when GStreamer cannot start.
std::string gstreamerVersion();

}  // namespace lumo::platform::gst
