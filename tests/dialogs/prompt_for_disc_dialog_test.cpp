// The disc prompt's window on the offscreen platform: its widgets sit at the
// designed places and every click and close reaches the prompt.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <functional>

#include "dialogs/prompt_for_disc_dialog.h"
#include "dialogs/qt_application.h"
#include "tests/dialogs/disc_prompt_support.h"

namespace lumo::dialogs {
namespace {

class DiscPromptWindowTest : public testing::DiscPromptTest {
protected:
    void SetUp() override {
        DiscPromptTest::SetUp();
        setWindowsAnsweredByProgram(true);  // each test answers the prompt itself
    }
    void TearDown() override {
        setWindowsAnsweredByProgram(false);
        DiscPromptTest::TearDown();
    }
    // Shows the process's prompt; the user's part runs once the window's
    // event loop has started, and must end the prompt.
    int32_t showAnswering(const std::function<void(DiscPromptDialog&)>& user) {
        QTimer::singleShot(0, [&user] {
            auto* window = qobject_cast<DiscPromptDialog*>(QApplication::activeModalWidget());
            if (!window) {
                ADD_FAILURE() << "the disc prompt is not open";
                return;
            }
            user(*window);
            if (window->isVisible()) {
                ADD_FAILURE() << "the disc prompt is still open";
                window->done(0);
            }
        });
        return showDiscPrompt();
    }
};

void pressKey(QWidget& widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

TEST_F(DiscPromptWindowTest, ShowsTheDrivesAndHandsEveryAnswerToThePrompt) {
    ASSERT_TRUE(widgetsAvailable());
    frmPromptForDisc& prompt = PromptForDisc();
    const int32_t flagsBefore = prompt.CDError();

    const int32_t confirmed = showAnswering([&](DiscPromptDialog& window) {
        auto* list = window.findChild<QListWidget*>("lstCDROMS");
        auto* ok = window.findChild<QPushButton*>("cmdOK");
        auto* statusBar = window.findChild<QStatusBar*>("sb1");
        ASSERT_TRUE(list && ok && statusBar);
        const auto pixels = [&](int32_t twips) { return twipsToPixels(twips, window.logicalDpiY()); };

        EXPECT_EQ(window.windowTitle(), "Select CDROM Playlist");
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->item(1)->text(), "E:");
        EXPECT_TRUE(list->selectedItems().isEmpty());
        EXPECT_EQ(window.height(), pixels(frmPromptForDisc::clientHeight));
        EXPECT_EQ(ok->geometry().top(), pixels(frmPromptForDisc::cmdOK.top));
        EXPECT_EQ(statusBar->geometry().bottom() + 1, window.height());
        EXPECT_EQ(statusBar->findChildren<QLabel*>().size(), 1);
        const int32_t outer = pixelsToTwips(window.frameGeometry().height(), window.logicalDpiY());
        EXPECT_EQ(list->height(), pixels(outer - frmPromptForDisc::sb1.height));

        // Neither Enter nor Escape is bound to a button; a double click does nothing.
        pressKey(window, Qt::Key_Escape);
        pressKey(*ok, Qt::Key_Return);
        Q_EMIT list->itemDoubleClicked(list->item(0));
        ok->click();  // nothing selected yet
        EXPECT_TRUE(window.isVisible());
        ASSERT_EQ(ui->boxes.size(), 1u);
        EXPECT_EQ(ui->boxes[0].text, "No CDROM selected!");

        list->setCurrentRow(1);
        ok->click();
    });
    EXPECT_EQ(confirmed, frmPromptForDisc::DriveConfirmed);
    EXPECT_EQ(automation::activeSelection().sPromptedDrive, "E:");
    EXPECT_EQ(prompt.CDError(), flagsBefore);

    // Closed from code: nothing answered, nothing changes.
    EXPECT_EQ(showAnswering([](DiscPromptDialog& window) { window.close(); }), frmPromptForDisc::DriveConfirmed);
    EXPECT_EQ(prompt.CDError(), flagsBefore);

    EXPECT_EQ(showAnswering([](DiscPromptDialog& window) { window.findChild<QPushButton*>("cmdCancel")->click(); }),
              frmPromptForDisc::PromptCancelled);
    EXPECT_EQ(prompt.CDError(), flagsBefore | automation::pl_error::PromptCancelled);
}

}  // namespace
}  // namespace lumo::dialogs
