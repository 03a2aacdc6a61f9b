#pragma once
// Where an item's audio comes from: its "SourceURL" as a URI GStreamer can
// open (an absolute file path is accepted too), or the error the item gives
// without touching the pipeline (no source, not a URI, an unknown scheme).

#include <optional>
#include <string>

#include "platform/media_player.h"

namespace lumo::platform::gst {

struct ItemSource {
    std::string uri;                    // empty when the item cannot be opened
    std::optional<ErrorItem> problem;   // why not
};

ItemSource sourceOf(const Media* item);

// False for a local file that cannot be read now; true for anything else
// (only opening a remote item tells). Safe on any thread.
bool canOpen(const std::string& uri);

}  // namespace lumo::platform::gst
