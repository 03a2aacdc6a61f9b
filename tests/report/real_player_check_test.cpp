// The check over real files through the GStreamer player: what passes, what
// is not audio, what is missing, damaged or not media at all, a stop in the
// middle, an empty playlist and the discs of image drives.
#include "tests/report/check_support.h"

namespace lumo::report::testing {
namespace {

using ::testing::ElementsAre;

TEST_F(CheckTest, APlaylistThatPassesListsEveryItemAndTotalsTheAudio) {
    const fs::path first = tone("first.wav", 10), second = tone("second.flac", 10, "flacenc"), third = tone("third.wav", 5);
    playlist("Good", {first, second, third});
    player::frmAudioPlayer& host = realHost();

    check.DoNormalPLReport("Good");

    EXPECT_EQ(check.caption(), "Check Playlist - Good");
    EXPECT_THAT(column(0), ElementsAre("first", "second", "third"));
    EXPECT_THAT(column(1), ElementsAre("audio", "audio", "audio"));
    EXPECT_THAT(column(2), ElementsAre(uri(first), uri(second), uri(third)));
    EXPECT_EQ(check.pbMax(), 3);
    EXPECT_EQ(check.pbValue(), 3);
    EXPECT_EQ(check.doneCaption(), "Done");
    EXPECT_EQ(check.panels()[0], "Status = Done");
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 3");
    EXPECT_EQ(check.panels()[2], "Total Audio Duration = 00:00:02");
    EXPECT_EQ(check.selectedRow(), -1);
    EXPECT_TRUE(ui->boxes.empty());
    // The player keeps what the check left: muted, the playlist current.
    EXPECT_TRUE(host.WMPlayer().settings().mute());
    EXPECT_EQ(host.WMPlayer().currentPlaylist()->name(), "Good");
    EXPECT_GT(ui->eventRounds, 9) << "every wait lets pending events run";
}

TEST_F(CheckTest, AVideoIsListedButNotCountedAndAMissingFileStopsTheCheckWithThePlayersError) {
    const fs::path audio = tone("song.wav", 10), clip = video("clip.ogv", 150), after = tone("after.wav");
    const fs::path missing = home / "music" / "missing.wav";
    playlist("Mixed", {audio, clip, missing, after});
    realHost();

    check.DoNormalPLReport("Mixed");

    EXPECT_THAT(column(0), ElementsAre("song", "clip", "missing"));
    EXPECT_THAT(column(1), ElementsAre("audio", "video", ""));
    EXPECT_EQ(check.pbValue(), 2);
    EXPECT_EQ(check.selectedRow(), 2);
    EXPECT_EQ(check.panels()[0], "Status = Error");
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 1");
    EXPECT_EQ(check.panels()[2], "Total Audio Duration = 00:00:01");
    const auto texts = boxTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_THAT(texts[0], StartsWith("The following error message(s) were reported by the Windows Media Player \r"
                                     "regarding media item No. 3 'missing' from playlist 'Mixed'.\r\r"
                                     "Error Condition: "));
    EXPECT_THAT(texts[0], HasSubstr("\rCustom Url: " + uri(missing) + "\rError Code: -"));
    EXPECT_EQ(player::AudioPlayer().WMPlayer().error().errorCount(), 0) << "the queue is cleared after the box";
    EXPECT_THAT(failsafe::testing::readFile(path("LUMOAudioErrors.log")),
                HasSubstr(" MBLOG CRITICAL The following error message(s)"));
}

// Paths from a playlist go to the player as they are, never through a shell.
TEST_F(CheckTest, ANameFullOfShellCharactersIsOnlyAName) {
    const fs::path hostile = home / "music" / "a;touch pwned;$(touch pwned) `touch pwned` & 'q'.wav";
    fs::rename(tone("plain.wav"), hostile);
    playlist("Hostile", {hostile});
    realHost();

    check.DoNormalPLReport("Hostile");

    EXPECT_THAT(column(0), ElementsAre("a;touch pwned;$(touch pwned) `touch pwned` & 'q'"));
    EXPECT_THAT(column(1), ElementsAre("audio"));
    EXPECT_EQ(check.panels()[0], "Status = Done");
    EXPECT_TRUE(ui->boxes.empty());
    for (const fs::path& folder : {home / "music", home, fs::current_path()})
        EXPECT_FALSE(fs::exists(folder / "pwned")) << folder;
}

TEST_F(CheckTest, AFileThatIsNoMediaOrIsDamagedEndsTheCheckAtThatItem) {
    const fs::path text = textFile("notes.mp3", "these are notes, not music\n");
    const fs::path damaged = truncated(tone("whole.flac", 10, "flacenc"), "damaged.flac", 60);
    playlist("Text", {text, tone("unreached.wav")});
    // Items before a failing one are long enough that the player has not
    // yet read ahead into the next when the check stops them.
    playlist("Damaged", {tone("fine.wav", 50), damaged});
    realHost();

    check.DoNormalPLReport("Text");
    EXPECT_THAT(column(0), ElementsAre("notes"));
    EXPECT_EQ(check.panels()[0], "Status = Error");
    // The item after one that is no media at all opens as usual.
    check.DoNormalPLReport("Damaged");
    EXPECT_THAT(column(0), ElementsAre("fine", "damaged"));
    EXPECT_EQ(check.panels()[0], "Status = Error");
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 1");

    const auto texts = boxTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_THAT(texts[0], HasSubstr("regarding media item No. 1 'notes' from playlist 'Text'.\r\r"));
    EXPECT_THAT(texts[1], HasSubstr("regarding media item No. 2 'damaged' from playlist 'Damaged'.\r\r"));
    EXPECT_THAT(texts[1], HasSubstr("Custom Url: " + uri(damaged) + "\r"));
}

TEST_F(CheckTest, StopDuringTheThirdOfTenItemsFinishesThatItem) {
    std::vector<fs::path> files;
    for (int i = 1; i <= 10; ++i) files.push_back(tone("tone" + std::to_string(i) + ".wav", 2));
    playlist("Ten", files);
    realHost();
    ui->onEvents = [&] {
        if (check.rows().size() == 3) check.cmdDone_Click();
    };

    check.DoNormalPLReport("Ten");

    EXPECT_THAT(column(0), ElementsAre("tone1", "tone2", "tone3"));
    EXPECT_EQ(column(1)[2], "audio");
    EXPECT_EQ(check.pbValue(), 3);
    EXPECT_EQ(check.pbMax(), 10);
    EXPECT_EQ(check.panels()[0], "Status = Done");
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 3");
    EXPECT_TRUE(ui->boxes.empty());
    // A new run starts over.
    ui->onEvents = nullptr;
    check.DoNormalPLReport("Ten");
    EXPECT_EQ(check.rows().size(), 10u);
}

TEST_F(CheckTest, AnEmptyPlaylistSaysSoAndEndsDone) {
    playlist("Nothing", {});
    realHost();
    check.DoNormalPLReport("Nothing");
    EXPECT_THAT(boxTexts(), ElementsAre("Playlist Nothing appears to be empty!"));
    EXPECT_TRUE(check.rows().empty());
    EXPECT_EQ(check.panels()[0], "Status = Done");
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 0");
    EXPECT_EQ(check.panels()[2], "Total Audio Duration = 00:00:00");
}

TEST_F(CheckTest, AnUnknownPlaylistIsAnErrorGettingIt) {
    realHost();
    check.DoNormalPLReport("Nowhere");
    EXPECT_THAT(boxTexts(), ElementsAre("Error getting playlist: 'Nowhere'"));
    EXPECT_EQ(check.panels()[0], "Status = Error");
}

TEST_F(CheckTest, TheDiscOfADriveIsCheckedUntilTheDriveLosesIt) {
    audioDisc("D", "three", {75, 75, 150});
    realHost();

    check.DoReport({2, "", "", "D:"});
    EXPECT_EQ(check.caption(), "Check Playlist - CDROM D:");
    EXPECT_EQ(check.rows().size(), 3u);
    EXPECT_THAT(column(1), ElementsAre("audio", "audio", "audio"));
    EXPECT_THAT(check.rows()[0].sourceUrl, StartsWith("cdda://"));
    EXPECT_EQ(check.panels()[2], "Total Audio Duration = 00:00:04");
    EXPECT_EQ(check.panels()[0], "Status = Done");

    fs::remove(home / "three.cue");
    check.DoCDROMPLReport("D:");
    check.DoCDROMPLReport("Z:");
    EXPECT_THAT(boxTexts(), ElementsAre("Error getting CDROM playlist.", "Cannot find selected CDROM Drive 'Z:'."));
    EXPECT_EQ(check.caption(), "Check Playlist - CDROM Z:");
    EXPECT_TRUE(check.rows().empty());
    // A drive the player does not have is no failure of an item.
    EXPECT_EQ(check.panels()[0], "Status = Done");
}

}  // namespace
}  // namespace lumo::report::testing
