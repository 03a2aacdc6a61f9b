// The disc prompt's rules, without a window.
#include <gmock/gmock.h>

#include "dialogs/prompt_for_disc.h"
#include "tests/dialogs/disc_prompt_support.h"

namespace lumo::dialogs {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
constexpr int32_t cancelledFlag = automation::pl_error::PromptCancelled;

class PromptForDiscTest : public testing::DiscPromptTest {
protected:
    frmPromptForDisc prompt;
};

TEST_F(PromptForDiscTest, WithoutDrivesOnlyCancelEndsIt) {
    useDrives({});
    prompt.Form_Load();
    EXPECT_THAT(prompt.entries(), ElementsAre("No CDROMS found!"));
    EXPECT_FALSE(prompt.okEnabled());
    prompt.setListIndex(0);
    prompt.cmdOK_Click();  // disabled: nothing happens
    EXPECT_TRUE(prompt.loaded());
    EXPECT_TRUE(ui->boxes.empty());

    prompt.cmdCancel_Click();
    EXPECT_FALSE(prompt.loaded());
    EXPECT_EQ(prompt.PromptResult(), frmPromptForDisc::PromptCancelled);
    EXPECT_EQ(prompt.CDError(), cancelledFlag);

    useDrives({"F:"});  // the next showing starts from a fresh list
    prompt.Form_Load();
    EXPECT_THAT(prompt.entries(), ElementsAre("F:"));
    EXPECT_TRUE(prompt.okEnabled());
    EXPECT_EQ(prompt.listIndex(), -1);
}

TEST_F(PromptForDiscTest, OkNeedsASelectionAndNeverClearsTheCancelFlag) {
    for (int showing = 0; showing < 2; ++showing) {
        prompt.Form_Load();
        prompt.cmdCancel_Click();
    }
    prompt.Form_Load();
    prompt.setListIndex(5);  // outside the list: nothing selected
    prompt.cmdOK_Click();
    ASSERT_EQ(ui->boxes.size(), 1u);
    EXPECT_EQ(ui->boxes[0].text, "No CDROM selected!");
    EXPECT_EQ(ui->boxes[0].style, failsafe::box::Information);
    EXPECT_EQ(ui->boxes[0].title, "Select CDROM Playlist");
    EXPECT_TRUE(prompt.loaded());
    EXPECT_THAT(prompt.entries(), ElementsAre("D:", "E:"));
    EXPECT_EQ(automation::activeSelection().sPromptedDrive, "");

    prompt.setListIndex(1);
    prompt.cmdOK_Click();
    EXPECT_FALSE(prompt.loaded());
    EXPECT_EQ(automation::activeSelection().sPromptedDrive, "E:");
    EXPECT_EQ(prompt.PromptResult(), frmPromptForDisc::DriveConfirmed);
    EXPECT_EQ(prompt.CDError(), cancelledFlag);
}

TEST_F(PromptForDiscTest, OnlyTheUsersCloseCountsAsCancelAndNoneIsRefused) {
    const int32_t earlier = automation::pl_error::NoCdDrive;
    const std::vector<std::tuple<UnloadMode, int32_t, int32_t>> cases = {
        {UnloadMode::ControlMenu, frmPromptForDisc::PromptCancelled, earlier | cancelledFlag},
        {UnloadMode::FromCode, frmPromptForDisc::DriveConfirmed, earlier},
        {UnloadMode::SystemShutdown, frmPromptForDisc::DriveConfirmed, earlier},
        {UnloadMode::TaskManager, frmPromptForDisc::DriveConfirmed, earlier},
    };
    for (const auto& [mode, result, flags] : cases) {
        frmPromptForDisc closing;
        closing.setPromptResult(frmPromptForDisc::DriveConfirmed);
        closing.setCDError(earlier);
        closing.Form_Load();
        closing.Form_QueryUnload(mode);
        EXPECT_FALSE(closing.loaded());
        EXPECT_EQ(closing.PromptResult(), result) << static_cast<int>(mode);
        EXPECT_EQ(closing.CDError(), flags) << static_cast<int>(mode);
    }
}

TEST_F(PromptForDiscTest, WithoutADisplayItAnswersAsClosedAndLogsWhy) {
    prompt.answerWithoutDisplay();
    EXPECT_EQ(prompt.PromptResult(), frmPromptForDisc::PromptCancelled);
    EXPECT_EQ(prompt.CDError(), cancelledFlag);
    const auto lines = failsafe::testing::crlfLines(failsafe::testing::readFile(path("LUMOAudioErrors.log")));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr(" LAP LOG ERROR: frmPromptForDisc.Show Erl=0 Error Number=0 'No display"));
}

TEST_F(PromptForDiscTest, ListReachesUnderTheStatusBarInTwips) {
    // Outer height, status bar height, list height.
    const std::vector<std::tuple<int32_t, int32_t, int32_t>> sizes = {
        {2955, 375, 2580},  // the designed client area under a 27 pixel title bar at 96 DPI
        {2550, 375, 2175},
        {300, 375, 0},  // sized below the status bar
    };
    for (const auto& [outer, statusBar, height] : sizes) {
        const ListPlacement placement = prompt.Form_Resize(outer, statusBar);
        EXPECT_EQ(placement.top, 0);
        EXPECT_EQ(placement.height, height) << outer;
    }
    EXPECT_EQ(pixelsToTwips(197, 96), 2955);
    EXPECT_EQ(twipsToPixels(frmPromptForDisc::cmdOK.width, 144), 122);  // 121.5: half to even
}

}  // namespace
}  // namespace lumo::dialogs
