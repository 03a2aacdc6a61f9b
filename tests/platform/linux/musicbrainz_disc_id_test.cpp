// The MusicBrainz disc identifier against discs whose identifiers are
// published, and the tables of contents that have none.

#include "platform/linux/musicbrainz_disc_id.h"

#include <gtest/gtest.h>

namespace lumo::platform::linux_drives {
namespace {

// A table of contents from sector offsets as MusicBrainz lists them (with
// the two-second lead-in): the lead-out first, then the tracks.
Toc tocOf(std::initializer_list<int32_t> offsets) {
    Toc toc;
    auto it = offsets.begin();
    toc.leadOutLba = *it++ - leadInFrames;
    for (int number = 1; it != offsets.end(); ++it, ++number) toc.tracks.push_back({number, *it - leadInFrames, true, ""});
    return toc;
}

TEST(MusicBrainzDiscId, PublishedDiscsAndNoneWithoutAPlausibleAudioSession) {
    EXPECT_EQ(musicBrainzDiscId(tocOf({303602, 150, 9700, 25887, 39297, 53795, 63735, 77517, 94877, 107270, 123552,
                                       135522, 148422, 161197, 174790, 192022, 205545, 218010, 228700, 239590,
                                       255470, 266932, 288750})),
              "xUp1F2NkfP8s8jaeFn_Av3jNEI4-");
    const Toc audioOnly = tocOf({258725, 150, 17510, 33275, 45910, 57805, 78310, 94650, 109580, 132010, 149160, 165115,
                                 177710, 203325, 215555, 235590});
    EXPECT_EQ(musicBrainzDiscId(audioOnly), "TqvKjMu7dMliSfmVEBtrL7sBSno-");

    // The same disc as pressed, with its data track after the audio: the
    // audio session ends 11,400 sectors before the data track starts.
    Toc enhanced = audioOnly;
    enhanced.tracks.push_back({16, audioOnly.leadOutLba + 11400, false, ""});
    enhanced.leadOutLba = enhanced.tracks.back().lba + 40000;
    EXPECT_EQ(musicBrainzDiscId(enhanced), "TqvKjMu7dMliSfmVEBtrL7sBSno-");

    // No audio session that could have been pressed: no identifier.
    EXPECT_EQ(musicBrainzDiscId(Toc{}), "");
    EXPECT_EQ(musicBrainzDiscId(tocOf({1000, 150, 5000})), "") << "a track after the lead-out";
}

}  // namespace
}  // namespace lumo::platform::linux_drives
