#pragma once
// Audio CD tracks of disc images, fed to playbin through an appsrc. The
// image is read here, not by libcdio: Debian's libcdio opens "<sheet>.bin"
// whatever the sheet's FILE line says and knows one file per sheet only.
// Tracks of real drives keep their cdda:// URI and play through
// cdparanoiasrc, which outranks cdiocddasrc.

#include <gst/gst.h>

#include <filesystem>
#include <optional>
#include <string>

namespace lumo::platform::gst {

struct ImageTrack {
    std::filesystem::path image;
    int track = 0;
};

// The image track a cdda:// URI names; nothing when its source is not a
// file (a device) or the URI is not a track URI.
std::optional<ImageTrack> imageTrackOf(const std::string& uri);

// Why the track cannot be played (no such image, no such audio track), or
// nothing when it can.
std::optional<std::string> problemOf(const ImageTrack& track);

// The URI playbin is given in place of an image track's: its source is an
// appsrc that `feedImageTrack` sets up. Each call gives a new URI: the
// stream's identity comes from it, and playbin announces the start of the
// next item only when that identity changes.
std::string imageTrackPlaybinUri();

// Makes `appsrc` stream the track as raw CD audio, seekable in time; the
// appsrc owns what it needs from now on. False (and an error posted by the
// element) when the image cannot be read.
bool feedImageTrack(GstElement* appsrc, const ImageTrack& track);

}  // namespace lumo::platform::gst
