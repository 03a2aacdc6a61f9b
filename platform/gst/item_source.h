#pragma once
// Where an item's audio comes from, and whether it can be opened.
//
// sourceOf reads the item's "SourceURL" as a URI GStreamer can open (an
// absolute file path is accepted too) or gives the error the item has
// without touching the disk (no source, not a URI, an unknown scheme). What
// needs the disk is asked where a slow disk cannot hold the host: refusalOf
// on the pipeline's thread before an item opens, canOpen on a streaming
// thread before one is handed over without a gap.

#include <optional>
#include <string>

#include "platform/media_player.h"

namespace lumo::platform::gst {

struct ItemSource {
    std::string uri;                    // empty when the item cannot be opened
    std::optional<ErrorItem> problem;   // why not
};

ItemSource sourceOf(const Media* item);

// Why the item at `uri` must not be opened at all: a local path that is a
// named pipe, a device, a socket or a folder (opening one could block for
// good, or read forever), a disc image track that does not exist. Nothing
// for everything else, a missing file included: the pipeline reports it.
std::optional<ErrorItem> refusalOf(const std::string& uri);

// False for a local item that cannot be opened now (missing, unreadable,
// not a regular file, an image track refusalOf refuses); true for anything
// else (only opening a remote item tells).
bool canOpen(const std::string& uri);

}  // namespace lumo::platform::gst
