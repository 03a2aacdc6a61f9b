// The disc prompt: its decisions without a window, and its window on the
// offscreen platform, where every click and close reaches the prompt and no
// key or double click answers it.
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

#include <gmock/gmock.h>

#include "dialogs/prompt_for_disc.h"
#include "dialogs/prompt_for_disc_dialog.h"
#include "dialogs/qt_application.h"
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

class DiscPromptWindowTest : public testing::WindowTest {
protected:
    int32_t showAnswering(std::function<void(DiscPromptDialog&)> user) {
        testing::whenShown(std::move(user));
        return showDiscPrompt();
    }
};

TEST_F(DiscPromptWindowTest, HandsEveryAnswerToThePrompt) {
    const int32_t flagsBefore = PromptForDisc().CDError();
    const int32_t confirmed = showAnswering([&](DiscPromptDialog& window) {
        auto* list = window.findChild<QListWidget*>("lstCDROMS");
        auto* ok = window.findChild<QPushButton*>("cmdOK");
        ASSERT_TRUE(list && ok);
        ASSERT_EQ(list->count(), 2);
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(key == Qt::Key_Return ? static_cast<QWidget*>(ok) : &window, &press);
        }
        Q_EMIT list->itemDoubleClicked(list->item(0));
        ok->click();  // nothing selected yet
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(ui->boxes.size(), 1u);
        list->setCurrentRow(1);
        ok->click();
    });
    EXPECT_EQ(confirmed, frmPromptForDisc::DriveConfirmed);
    EXPECT_EQ(automation::activeSelection().sPromptedDrive, "E:");
    EXPECT_EQ(PromptForDisc().CDError(), flagsBefore);

    // Closed from code: nothing answered, nothing changes.
    EXPECT_EQ(showAnswering([](DiscPromptDialog& window) { window.close(); }), frmPromptForDisc::DriveConfirmed);
    EXPECT_EQ(PromptForDisc().CDError(), flagsBefore);
    EXPECT_EQ(showAnswering([](DiscPromptDialog& window) { window.findChild<QPushButton*>("cmdCancel")->click(); }),
              frmPromptForDisc::PromptCancelled);
    EXPECT_EQ(PromptForDisc().CDError(), flagsBefore | automation::pl_error::PromptCancelled);
}

}  // namespace
}  // namespace lumo::dialogs
