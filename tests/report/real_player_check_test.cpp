// The check over real files through the GStreamer player: what is not audio, what is missing, damaged or not media at all, a stop in the
// middle, an empty or unknown playlist and the discs of image drives.
#include "tests/report/check_support.h"

namespace lumo::report::testing {
namespace {

TEST_F(CheckTest, AVideoIsListedButNotCountedAndAMissingFileStopsTheCheckWithThePlayersError) {
    const fs::path audio = tone("song.wav", 10), clip = home / "music" / "clip.ogv";
    ASSERT_TRUE(lumo::testing::encodeVideo(clip, 15));
    const fs::path missing = home / "music" / "missing.wav";
    playlist("Mixed", {audio, clip, missing, tone("after.wav")});
    realHost();
    check.DoNormalPLReport("Mixed");
    EXPECT_THAT(column(0), ElementsAre("song", "clip", "missing"));
    EXPECT_THAT(column(1), ElementsAre("audio", "video", ""));
    EXPECT_EQ(check.selectedRow(), 2);
    EXPECT_EQ(check.panels()[0], "Status = Error");
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 1");
    const auto texts = boxTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_THAT(texts[0], HasSubstr("regarding media item No. 3 'missing' from playlist 'Mixed'.\r\rError Condition: "));
    EXPECT_THAT(texts[0], HasSubstr("\rCustom Url: " + uri(missing) + "\rError Code: -"));
    EXPECT_EQ(player::AudioPlayer().WMPlayer().error().errorCount(), 0) << "the queue is cleared after the box";
    EXPECT_THAT(failsafe::testing::bytesOf(path("LUMOAudioErrors.log")),
                HasSubstr(" MBLOG CRITICAL The following error message(s)"));
}

// Paths from a playlist go to the player as they are, never through a shell;
// a file that is no media, or is damaged, ends the check at that item.
TEST_F(CheckTest, HostileNamesAreOnlyNamesAndBadFilesEndTheCheck) {
    const fs::path hostile = home / "music" / "a;touch pwned;$(touch pwned) `touch pwned` & 'q'.wav";
    // Items before a failing one are long enough that the player has not
    // yet read ahead into the next when the check stops them.
    fs::rename(tone("plain.wav", 50), hostile);
    const fs::path text = home / "music" / "notes.mp3", damaged = home / "music" / "damaged.flac";
    std::ofstream(text) << "these are notes, not music\n";
    std::ifstream whole(tone("whole.flac", 10), std::ios::binary);
    std::string head(60, '\0');
    whole.read(head.data(), 60);
    std::ofstream(damaged, std::ios::binary) << head;
    playlist("Text", {text, tone("unreached.wav")});
    playlist("Damaged", {hostile, damaged});
    realHost();
    check.DoNormalPLReport("Text");
    EXPECT_THAT(column(0), ElementsAre("notes"));
    EXPECT_EQ(check.panels()[0], "Status = Error");
    check.DoNormalPLReport("Damaged");  // the item after one that is no media opens as usual
    EXPECT_THAT(column(0), ElementsAre("a;touch pwned;$(touch pwned) `touch pwned` & 'q'", "damaged"));
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 1");
    for (const fs::path& folder : {home / "music", home, fs::current_path()})
        EXPECT_FALSE(fs::exists(folder / "pwned")) << folder;
    const auto texts = boxTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_THAT(texts[0], HasSubstr("regarding media item No. 1 'notes' from playlist 'Text'.\r\r"));
    EXPECT_THAT(texts[1], HasSubstr("regarding media item No. 2 'damaged' from playlist 'Damaged'.\r\r"));
}

TEST_F(CheckTest, StopDuringTheThirdOfTenItemsFinishesThatItemAndEmptyOrUnknownPlaylistsSaySo) {
    std::vector<fs::path> files;
    for (int i = 1; i <= 10; ++i) files.push_back(tone("tone" + std::to_string(i) + ".wav", 2));
    playlist("Ten", files);
    playlist("Nothing", {});
    player::frmAudioPlayer& host = realHost();
    ui->onEvents = [&] {
        if (check.rows().size() == 3) check.cmdDone_Click();
    };
    check.DoNormalPLReport("Ten");
    EXPECT_THAT(column(0), ElementsAre("tone1", "tone2", "tone3"));
    EXPECT_EQ(check.pbMax(), 10);
    EXPECT_EQ(check.panels()[0], "Status = Done");
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 3");
    ui->onEvents = nullptr;
    check.DoNormalPLReport("Ten");  // a new run starts over
    EXPECT_EQ(check.caption(), "Check Playlist - Ten");
    EXPECT_EQ(check.rows().size(), 10u);
    EXPECT_EQ(check.pbValue(), 10);
    EXPECT_EQ(column(1), std::vector<std::string>(10, "audio"));
    EXPECT_EQ(column(2).back(), uri(files.back()));
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 10");
    EXPECT_TRUE(ui->boxes.empty());
    // The player keeps what the check left: muted, the playlist current.
    EXPECT_TRUE(host.WMPlayer().settings().mute());
    EXPECT_EQ(host.WMPlayer().currentPlaylist()->name(), "Ten");
    check.DoNormalPLReport("Nothing");
    EXPECT_EQ(check.panels()[0], "Status = Done");
    EXPECT_EQ(check.panels()[2], "Total Audio Duration = 00:00:00");
    check.DoNormalPLReport("Nowhere");
    EXPECT_EQ(check.panels()[0], "Status = Error");
    EXPECT_THAT(boxTexts(), ElementsAre("Playlist Nothing appears to be empty!", "Error getting playlist: 'Nowhere'"));
}

TEST_F(CheckTest, TheDiscOfADriveIsCheckedUntilTheDriveLosesIt) {
    audioDisc("D", "three", {75, 75, 150});
    realHost();
    check.DoReport({2, "", "", "D:"});
    EXPECT_EQ(check.caption(), "Check Playlist - CDROM D:");
    EXPECT_THAT(column(1), ElementsAre("audio", "audio", "audio"));
    EXPECT_EQ(check.rows()[0].sourceUrl.rfind("cdda://", 0), 0u);
    EXPECT_EQ(check.panels()[2], "Total Audio Duration = 00:00:04");
    fs::remove(home / "three.cue");
    check.DoCDROMPLReport("D:");
    check.DoCDROMPLReport("Z:");
    EXPECT_THAT(boxTexts(), ElementsAre("Error getting CDROM playlist.", "Cannot find selected CDROM Drive 'Z:'."));
    EXPECT_TRUE(check.rows().empty());
    EXPECT_EQ(check.panels()[0], "Status = Done");  // a drive the player lacks is no failure of an item
}

}  // namespace
}  // namespace lumo::report::testing
