// The disc prompt's window on the offscreen platform: every click and close
// reaches the prompt, and no key or double click answers it.
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

#include "dialogs/prompt_for_disc_dialog.h"
#include "dialogs/qt_application.h"
#include "tests/dialogs/selection_support.h"

namespace lumo::dialogs {
namespace {

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
