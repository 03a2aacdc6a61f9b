#pragma once
// The disc identifier the Linux music world uses (MusicBrainz, and through
// it most taggers and rippers): a hash of the audio session's table of
// contents, 28 characters. Computed from a table of contents already read,
// so a disc image has one too.

#include <string>

#include "platform/linux/disc_identity.h"

namespace lumo::platform::linux_drives {

// Empty for a disc without audio tracks or with a table of contents that
// cannot be a real disc's. Data tracks after the audio (enhanced CDs) are
// left out, and the audio session then ends 11,400 sectors before the data
// track (its lead-out, lead-in and pregap), as the identifier's definition
// requires.
std::string musicBrainzDiscId(const Toc& toc);

}  // namespace lumo::platform::linux_drives
