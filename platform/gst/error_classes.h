#pragma once
// What went wrong with an item, as one of a few failure classes. Each class
// has its own error code (negative, top bit set, in our own 0xC00D4Cxx
// range) and condition number:
//
//   condition  code        class
//   1          0xC00D4C01  NotFound           missing or unreadable local file
//   2          0xC00D4C02  Format             unknown format, no decoder or plug-in
//   3          0xC00D4C03  Corrupt            recognised format, damaged data
//   4          0xC00D4C04  Network            a remote source cannot be reached or read
//   5          0xC00D4C05  UnsupportedScheme  no source for the URI scheme, or not a URI
//   6          0xC00D4C06  Device             the audio output failed (after the fallback)
//   7          0xC00D4C07  Other              anything else, and "player unavailable"

#include <gst/gst.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/media_player.h"

namespace lumo::platform::gst {

enum class ErrorClass : int32_t { NotFound = 1, Format, Corrupt, Network, UnsupportedScheme, Device, Other };

int32_t errorCodeOf(ErrorClass failure);

// The facts about a GStreamer error that decide its class.
struct FailureFacts {
    GQuark domain = 0;
    int code = 0;
    bool remote = false;        // the item is not a local file
    bool fromSource = false;    // raised by the element reading the item
    bool fromTypefind = false;  // the data's type could not be recognised
    bool fromSink = false;      // raised inside the audio output
};
ErrorClass classify(const FailureFacts& facts);

// An error item for `uri`; the description names the item and says why.
ErrorItem makeErrorItem(ErrorClass failure, std::string_view uri, std::string_view detail,
                        std::string_view context);

// The error item of a bus ERROR message met while playing `uri`; `fromSink`
// when it was raised inside the audio output.
ErrorItem errorItemOf(GstMessage* message, std::string_view uri, bool fromSink);

// True when `error` (an ERROR message) was raised inside `audioSink`.
bool raisedBySink(GstMessage* error, GstElement* audioSink);

}  // namespace lumo::platform::gst
