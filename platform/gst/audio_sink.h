#pragma once
// The audio output of the player. Which sink: the description given to the
// player; else the environment variable LUMO_AUDIO_SINK; else the setting
// "LUMO Player" / Audio / Sink; else autoaudiosink.
//
// A machine without a sound card must still play, at the real pace: a sink
// that cannot be created or opened is replaced by a clock-synchronised
// fakesink, and so is one that fails later while an item opens (the player
// then opens the item again). Neither is an error of the item.

#include <gst/gst.h>

#include <string>
#include <string_view>

namespace lumo::platform::gst {

std::string resolveSinkDescription(std::string_view given);

// A new sink (owned by the caller) for the description; the fallback sink
// (which may be null) when it cannot be made or opened, with the reason in
// *whyFallback.
GstElement* makeAudioSink(const std::string& description, std::string* whyFallback);

// fakesink sync=true: consumes audio as fast as a sound card would. Null
// when GStreamer has no fakesink (its core elements are missing).
GstElement* makeFallbackSink();

}  // namespace lumo::platform::gst
