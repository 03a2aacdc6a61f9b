#include "platform/linux/musicbrainz_disc_id.h"

#include <discid/discid.h>

#include <memory>

namespace lumo::platform::linux_drives {
namespace {

// What separates the audio session from a data session after it.
constexpr int32_t sessionGapSectors = 11400;

}  // namespace

std::string musicBrainzDiscId(const Toc& toc) {
    if (!toc.isAudioDisc()) return {};
    // The audio tracks at the start of the disc; trailing data tracks go.
    size_t audioTracks = 0;
    while (audioTracks < toc.tracks.size() && toc.tracks[audioTracks].audio) ++audioTracks;
    int32_t leadOut = toc.leadOutLba;
    if (audioTracks < toc.tracks.size()) leadOut = toc.tracks[audioTracks].lba - sessionGapSectors;

    const int first = toc.tracks.front().number, last = toc.tracks[audioTracks - 1].number;
    if (first < 1 || last > 99 || last - first + 1 != static_cast<int>(audioTracks)) return {};
    int offsets[100] = {};
    offsets[0] = leadOut + leadInFrames;
    for (size_t t = 0; t < audioTracks; ++t) offsets[toc.tracks[t].number] = toc.tracks[t].lba + leadInFrames;

    const std::unique_ptr<DiscId, void (*)(DiscId*)> disc(discid_new(), discid_free);
    // libdiscid checks the offsets: rising, inside the lead-out, within a CD.
    if (!disc || !discid_put(disc.get(), first, last, offsets)) return {};
    return discid_get_id(disc.get());
}

}  // namespace lumo::platform::linux_drives
