// The disc prompt's decisions, without a window (what its window hands it
// is the window's test).
#include <gmock/gmock.h>

#include "dialogs/prompt_for_disc.h"
#include "tests/dialogs/selection_support.h"

namespace lumo::dialogs {
namespace {

using ::testing::ElementsAre;
constexpr int32_t cancelledFlag = automation::pl_error::PromptCancelled;

class PromptForDiscTest : public testing::SelectionTest {
protected:
    frmPromptForDisc prompt;
};

TEST_F(PromptForDiscTest, WithoutDrivesOnlyCancelEndsIt) {
    scenario.drives.clear();
    prompt.Form_Load();
    EXPECT_THAT(prompt.entries(), ElementsAre("No CDROMS found!"));
    prompt.setListIndex(0);
    prompt.cmdOK_Click();  // disabled: nothing happens
    EXPECT_TRUE(prompt.loaded());
    EXPECT_TRUE(ui->boxes.empty());
    prompt.cmdCancel_Click();
    EXPECT_FALSE(prompt.loaded());
    EXPECT_EQ(prompt.PromptResult(), frmPromptForDisc::PromptCancelled);
    EXPECT_EQ(prompt.CDError(), cancelledFlag);

    scenario.drives = {{"F:"}};  // the next showing starts from a fresh list
    player::unloadAudioPlayer();
    prompt.Form_Load();
    EXPECT_THAT(prompt.entries(), ElementsAre("F:"));
    EXPECT_EQ(prompt.listIndex(), -1);
    EXPECT_EQ(prompt.Form_Resize(300, 375).height, 0) << "sized below the status bar";
}

TEST_F(PromptForDiscTest, OnlyTheUsersCloseCountsAsCancelAndNoneIsRefused) {
    const int32_t earlier = automation::pl_error::NoCdDrive;
    for (const UnloadMode mode : {UnloadMode::ControlMenu, UnloadMode::FromCode, UnloadMode::SystemShutdown}) {
        const bool user = mode == UnloadMode::ControlMenu;
        frmPromptForDisc closing;
        closing.setPromptResult(frmPromptForDisc::DriveConfirmed);
        closing.setCDError(earlier);
        closing.Form_Load();
        closing.Form_QueryUnload(mode);
        EXPECT_FALSE(closing.loaded());
        EXPECT_EQ(closing.PromptResult(), user ? frmPromptForDisc::PromptCancelled : frmPromptForDisc::DriveConfirmed);
        EXPECT_EQ(closing.CDError(), user ? earlier | cancelledFlag : earlier) << static_cast<int>(mode);
    }
}

}  // namespace
}  // namespace lumo::dialogs
