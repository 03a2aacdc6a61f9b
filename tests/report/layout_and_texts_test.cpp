// The check window's twips layout and the texts of a failing item.
#include <gmock/gmock.h>

#include "report/check_layout.h"
#include "report/failure_texts.h"

namespace lumo::report {
namespace {

TEST(CheckLayout, TheToolbarHoldsAGapTheButtonADoubleGapAndTheProgressBar) {
    layout::Controls c;
    layout::LoadToolBar(c, {100, 127, 15});
    ASSERT_EQ(c.buttons.size(), 5u);
    EXPECT_EQ(c.buttons[1].key, "done");
    EXPECT_EQ(c.buttons[4].key, "pb");
    EXPECT_EQ(c.buttons[4].style, layout::placeholderStyle);
    EXPECT_EQ(c.cmdDone.left, 100);
    EXPECT_EQ(c.cmdDone.top, 127);
    EXPECT_EQ(c.cmdDone.width, 1695);
    EXPECT_EQ(c.pb.left, 100 + 1695 + 200);
    EXPECT_EQ(c.pb.width, 6495);
}

TEST(CheckLayout, ResizingFollowsTheClientAreaUnlessItIsNoTallerThanTheToolbar) {
    EXPECT_EQ(layout::gapTwips(15), 8);
    EXPECT_EQ(layout::gapTwips(9), 4);
    EXPECT_EQ(layout::gapTwips(12), 6);

    layout::Controls c;
    const layout::PlatformMetrics metrics{120, 127, 15};
    layout::LoadToolBar(c, metrics);
    layout::ResizeControls(c, {0, 0, 9000, 4000}, metrics);
    EXPECT_EQ(c.lvPL.top, 630 + 8);
    EXPECT_EQ(c.lvPL.height, 4000 - 630 - 420);
    EXPECT_EQ(c.lvPL.width, 9000);
    EXPECT_EQ(c.pb.width, 3 * 1695);
    for (double width : c.columnWidths) EXPECT_DOUBLE_EQ(width, 2970);
    for (double width : c.panelWidths) EXPECT_DOUBLE_EQ(width, 2970);

    const layout::Controls before = c;
    layout::ResizeControls(c, {0, 0, 5000, 630}, metrics);
    EXPECT_EQ(c.lvPL.width, before.lvPL.width);
    EXPECT_EQ(c.columnWidths, before.columnWidths);
    EXPECT_EQ(c.panelWidths, before.panelWidths);
}

TEST(FailureTexts, TheItemIsNamedWhenThePlayerHasOneOpen) {
    FailureContext normal{false, "Jazz", 4, "Blue"}, noItem{false, "Jazz", 4, std::nullopt};
    FailureContext cd{true, "", 2, "Track 2"}, cdNoItem{true, "", 2, std::nullopt};
    EXPECT_EQ(namePart(normal), " 'Blue' from playlist 'Jazz'.");
    EXPECT_EQ(namePart(noItem), " from playlist 'Jazz'.");
    EXPECT_EQ(namePart(cd), " 'Track 2' from CDROM playlist.");
    EXPECT_EQ(namePart(cdNoItem), " from CDROM playlist.");

    EXPECT_EQ(stepFailureText(StepGroup::Playlist, normal), "Error getting playlist: 'Jazz'");
    EXPECT_EQ(stepFailureText(StepGroup::Playlist, cd), "Error getting CDROM playlist.");
    EXPECT_EQ(stepFailureText(StepGroup::LoopCount, noItem), "Error with media item No. 4 from playlist 'Jazz'.\r");
    EXPECT_EQ(stepFailureText(StepGroup::ItemGet, normal), "Error getting media item No. 4 'Blue' from playlist 'Jazz'.");
    EXPECT_EQ(stepFailureText(StepGroup::ItemName, normal), "Error getting media name for item No. 4 from playlist 'Jazz'.");
    EXPECT_EQ(stepFailureText(StepGroup::ItemName, cd), "Error getting media name for item No. 2 from CDROM playlist");
    EXPECT_EQ(stepFailureText(StepGroup::ItemUrl, cd), "Error getting media item URL 2 'Track 2' from CDROM playlist.");
    EXPECT_EQ(stepFailureText(StepGroup::ItemType, noItem), "Error getting media type for item No. 4 from playlist 'Jazz'.");
    EXPECT_EQ(stepFailureText(StepGroup::ItemDuration, cdNoItem),
              "Error getting media duration for item No. 2 from CDROM playlist.");
    EXPECT_EQ(timeOutText(cd), "Timed out while loading media item No. 2 'Track 2' from CDROM playlist.");
}

}  // namespace
}  // namespace lumo::report
