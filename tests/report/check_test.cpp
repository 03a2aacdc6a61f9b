// The playlist check over real files through the GStreamer player, and over
// the scripted player for what real media cannot do on demand.
#include <gmock/gmock.h>

#include "report/check_playlist.h"
#include "tests/player/player_fixture.h"

namespace lumo::report::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::_;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using platform::PlayState;
using platform::simulated::PlaylistScript;
using platform::simulated::Scenario;

class CheckTest : public player::testing::PlayerHostTest {
protected:
    frmCheckPL check;

    void SetUp() override {
        PlayerHostTest::SetUp();
        // Played at the real pace, as to a sound card: an unsynchronised
        // sink would end an item before its playing state could be seen.
        ::setenv("LUMO_AUDIO_SINK", "fakesink sync=true", 1);
    }
    std::vector<std::string> column(int which) const {
        std::vector<std::string> texts;
        for (const ReportRow& row : check.rows())
            texts.push_back(which == 0 ? row.mediaItem : which == 1 ? row.type : row.sourceUrl);
        return texts;
    }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> texts;
        for (const auto& shown : ui->boxes) {
            EXPECT_EQ(shown.title, "Check Playlist");
            texts.push_back(shown.text);
        }
        return texts;
    }
};

TEST_F(CheckTest, AVideoIsNotCountedAndAMissingDamagedOrNoMediaFileEndsTheCheckWhateverItsName) {
    const fs::path clip = home / "music" / "clip.ogv", missing = home / "music" / "missing.wav";
    ASSERT_TRUE(lumo::testing::encodeVideo(clip, 15));
    const fs::path hostile = home / "music" / "a;touch pwned;$(touch pwned) `touch pwned` & 'q'.wav";
    // Items before a failing one are long enough that the player has not
    // yet read ahead into the next when the check stops them.
    fs::rename(tone("plain.wav", 50), hostile);
    const fs::path text = home / "music" / "notes.mp3", damaged = home / "music" / "damaged.flac";
    std::ofstream(text) << "these are notes, not music\n";
    std::ofstream(damaged, std::ios::binary) << lumo::testing::bytesOf(tone("whole.flac", 10)).substr(0, 60);
    playlist("Mixed", {tone("song.wav", 10), clip, missing, tone("after.wav")});
    playlist("Text", {text, tone("unreached.wav")});
    playlist("Damaged", {hostile, damaged});
    realHost();
    check.DoNormalPLReport("Mixed");
    EXPECT_THAT(column(0), ElementsAre("song", "clip", "missing"));
    EXPECT_THAT(column(1), ElementsAre("audio", "video", ""));
    EXPECT_EQ(check.selectedRow(), 2);
    EXPECT_THAT(check.panels(), ElementsAre("Status = Error", "No. Of Audio Items = 1", _));
    EXPECT_EQ(player::AudioPlayer().WMPlayer().error().errorCount(), 0) << "the queue is cleared after the box";
    EXPECT_THAT(failsafe::testing::bytesOf(path("LUMOAudioErrors.log")),
                HasSubstr(" MBLOG CRITICAL The following error message(s)"));
    check.DoNormalPLReport("Text");
    EXPECT_THAT(column(0), ElementsAre("notes"));
    EXPECT_EQ(check.panels()[0], "Status = Error");
    check.DoNormalPLReport("Damaged");  // the item after one that is no media opens as usual
    EXPECT_THAT(column(0), ElementsAre("a;touch pwned;$(touch pwned) `touch pwned` & 'q'", "damaged"));
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 1");
    for (const fs::path& folder : {home / "music", home, fs::current_path()})
        EXPECT_FALSE(fs::exists(folder / "pwned")) << folder;
    EXPECT_THAT(boxTexts(), ElementsAre(AllOf(HasSubstr("regarding media item No. 3 'missing' from playlist 'Mixed'.\r\r"
                                                        "Error Condition: 1\r"),
                                              HasSubstr("\rCustom Url: file://" + missing.string() + "\rError Code: -")),
                                        HasSubstr("item No. 1 'notes' from playlist 'Text'.\r\rError Condition: 2\r"),
                                        HasSubstr("item No. 2 'damaged' from playlist 'Damaged'.\r\rError Condition: 3\r")));
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
    EXPECT_THAT(check.panels(), ElementsAre("Status = Done", "No. Of Audio Items = 3", _));
    ui->onEvents = nullptr;
    check.DoNormalPLReport("Ten");  // a new run starts over
    EXPECT_EQ(check.rows().size(), 10u);
    EXPECT_EQ(check.pbValue(), 10);
    EXPECT_EQ(column(1), std::vector<std::string>(10, "audio"));
    EXPECT_EQ(column(2).back(), "file://" + files.back().string());
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 10");
    EXPECT_TRUE(ui->boxes.empty());
    // The player keeps what the check left: muted, the playlist current.
    EXPECT_TRUE(host.WMPlayer().settings().mute());
    EXPECT_EQ(host.WMPlayer().currentPlaylist()->name(), "Ten");
    check.DoNormalPLReport("Nothing");
    EXPECT_THAT(check.panels(), ElementsAre("Status = Done", _, "Total Audio Duration = 00:00:00"));
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

PlaylistScript items(std::string name, int count) {
    PlaylistScript script{std::move(name), false, {}};
    for (int i = 1; i <= count; ++i)
        script.items.push_back({"item " + std::to_string(i), "file:///music/" + std::to_string(i) + ".flac"});
    return script;
}

class ScriptedCheckTest : public CheckTest {
protected:
    void SetUp() override {
        CheckTest::SetUp();
        check.setClock([seconds = int64_t{0}]() mutable { return seconds++; });  // a second later at each reading: no waits
    }
};

TEST_F(ScriptedCheckTest, AnItemThatNeverGetsReadyTimesOutAndLaterItemsAreNotListed) {
    Scenario scenario;
    scenario.playlists = {items("Slow", 4)};
    scenario.playlists[0].items[1].stateWhenOpened = PlayState::Transitioning;
    scenario.drives = {{"E:", items("Disc", 2)}};
    scenario.drives[0].disc->items[0].stateWhenPlayed = PlayState::Buffering;
    scriptedHost(scenario);

    check.DoNormalPLReport("Slow");
    EXPECT_THAT(column(0), ElementsAre("item 1", "item 2"));
    EXPECT_EQ(check.selectedRow(), 1);
    EXPECT_THAT(check.panels(), ElementsAre("Status = Error", "No. Of Audio Items = 1", _));
    check.DoCDROMPLReport("e:");
    EXPECT_THAT(column(0), ElementsAre("item 1"));

    EXPECT_THAT(boxTexts(), ElementsAre("Timed out while loading media item No. 2 'item 2' from playlist 'Slow'.",
                                        "Timed out while loading media item No. 1 'item 1' from CDROM playlist."));
}

TEST_F(ScriptedCheckTest, TheSelectionsTabDecidesWhatIsChecked) {
    Scenario scenario;
    scenario.playlists = {items("Standard", 1), items("Auto", 2)};
    scenario.playlists[1].items[1].errorWhenPlayed = platform::ErrorItem{3, "file:///music/2.flac", -1072870397, "", "damaged"};
    scenario.drives = {{"D:", std::nullopt}};
    scriptedHost(scenario);

    check.DoReport({1, "Standard", "Auto", "D:"});
    EXPECT_EQ(check.caption(), "Check Playlist - Auto");
    EXPECT_EQ(check.rows().size(), 2u);
    EXPECT_EQ(simulated->error().errorCount(), 0) << "an error queued while playing is shown, then cleared";
    EXPECT_EQ(simulated->calls().back(), "clearErrorQueue");
    check.DoReport({3, "Standard", "Auto", "D:"});
    EXPECT_EQ(check.caption(), "Check Playlist - Auto") << "no other tab runs anything";
    check.DoReport({0, "Standard", "Auto", "D:"});
    EXPECT_EQ(check.rows().size(), 1u);
    check.DoReport({2, "Standard", "Auto", "D:"});
    EXPECT_THAT(boxTexts(), ElementsAre("The following error message(s) were reported by the Windows Media Player \r"
                                        "regarding media item No. 2 'item 2' from playlist 'Auto'.\r\r"
                                        "Error Condition: 3\rCustom Url: file:///music/2.flac\r"
                                        "Error Code: -1072870397\rError Description: damaged\r",
                                        "CDROM Playlist appears to be empty!"));
    EXPECT_EQ(check.panels()[0], "Status = Done");
}

}  // namespace
}  // namespace lumo::report::testing
