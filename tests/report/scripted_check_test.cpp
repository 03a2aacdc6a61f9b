// The check over the scripted player, for what real media cannot be made to
// do on demand: an item that never gets ready, an error queued while an item
// plays, and the run's choice of playlist from the selection.
#include "tests/report/check_support.h"

namespace lumo::report::testing {
namespace {

using platform::PlayState;
using platform::simulated::ItemScript;
using platform::simulated::PlaylistScript;
using platform::simulated::Scenario;

PlaylistScript items(std::string name, int count) {
    PlaylistScript script{std::move(name), false, {}};
    for (int i = 0; i < count; ++i) {
        ItemScript item;
        item.name = "item " + std::to_string(i + 1);
        item.sourceUrl = "file:///music/" + std::to_string(i + 1) + ".flac";
        script.items.push_back(item);
    }
    return script;
}

class ScriptedCheckTest : public CheckTest {
protected:
    int64_t seconds = 0;
    void SetUp() override {
        CheckTest::SetUp();
        // Each reading of the clock is one second later: no test waits.
        check.setClock([this] { return seconds++; });
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
    EXPECT_EQ(check.panels()[0], "Status = Error");
    EXPECT_EQ(check.panels()[1], "No. Of Audio Items = 1");
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
