// Qt inside a host's process: when the program may make windows, and message
// boxes whose classic style values shape the box, with the clicked button
// coming back as its classic answer.
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "dialogs/message_box_shape.h"
#include "dialogs/qt_application.h"
#include "dialogs/qt_user_interface.h"
#include "failsafe/framework.h"

namespace lumo::dialogs {
namespace {

// Every window of this suite opens on Qt's offscreen platform, whatever
// display the developer's session has; set before any test makes the
// application.
[[maybe_unused]] const bool offscreenPlatform = qputenv("QT_QPA_PLATFORM", "offscreen");

TEST(QtApplication, DisplayEnvironmentDecidesWhetherQtCanStartAndAUserCanAnswer) {
    struct Case {
        DisplayEnvironment environment;
        bool starts, answered;
    };
    const std::vector<Case> cases = {
        {{"", "", "", ""}, false, false},  // a headless host
        {{"", "", "wayland-0", ""}, true, true},
        {{"xcb", "", "", ""}, false, false},  // Qt would abort: no X server named
        {{"wayland;xcb", ":0", "", ""}, true, true},  // Qt falls back along the list
        {{"wayland-egl;xcb", "", "", ""}, false, false},
        {{"linuxfb", "", "", ""}, true, true},  // draws on a real screen
        {{"Offscreen", "", "", ""}, true, false},  // draws into memory: nobody sees a window
        {{"xcb;offscreen", ":0", "", ""}, true, true},
        {{"offscreen;xcb", ":0", "", ""}, true, false},
        // An application object that exists tells its own platform.
        {{"", ":0", "", "minimal"}, true, false},
        {{"offscreen", "", "", "xcb"}, true, true},
    };
    for (const auto& [environment, starts, answered] : cases) {
        const std::string name = environment.qpaPlatform + " DISPLAY=" + environment.display +
                                 " WAYLAND_DISPLAY=" + environment.waylandDisplay + " running " +
                                 environment.runningPlatform;
        EXPECT_EQ(displayAvailable(environment), starts) << name;
        EXPECT_EQ(userCanAnswer(environment), answered) << name;
    }
}

TEST(QtApplication, OnOffscreenOnlyTheProgramItselfAnswersItsWindows) {
    const bool hadApplication = QCoreApplication::instance() != nullptr;
    setWindowsAnsweredByProgram(false);
    EXPECT_FALSE(windowsCanBeAnswered());
    EXPECT_EQ(QCoreApplication::instance() != nullptr, hadApplication) << "nobody to answer: no application made";
    setWindowsAnsweredByProgram(true);
    EXPECT_TRUE(windowsCanBeAnswered());
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    // From now on the running application's platform decides: offscreen still.
    EXPECT_EQ(currentDisplayEnvironment().runningPlatform, "offscreen");
    setWindowsAnsweredByProgram(false);
    EXPECT_FALSE(windowsCanBeAnswered());
}

namespace box = failsafe::box;

TEST(MessageBoxShape, StyleGivesButtonsDefaultEscapeAndIcon) {
    struct Case {
        int32_t style;
        std::vector<int32_t> buttons;
        int32_t defaultAnswer, escapeAnswer, icon;
    };
    const std::vector<Case> cases = {
        {box::OkCancel | box::Exclamation, {box::Ok, box::Cancel}, box::Ok, box::Cancel, box::Exclamation},
        {box::AbortRetryIgnore | box::DefaultButton2, {box::Abort, box::Retry, box::Ignore}, box::Retry, box::Abort, 0},
        {box::YesNoCancel | box::DefaultButton3, {box::Yes, box::No, box::Cancel}, box::Cancel, box::Cancel, 0},
        {box::RetryCancel | box::Question, {box::Retry, box::Cancel}, box::Retry, box::Cancel, box::Question},
        {6 | box::Information, {box::Ok}, box::Ok, box::Ok, box::Information},  // no such button set
        {box::YesNo | 768 | 80, {box::Yes, box::No}, box::Yes, box::No, 0},  // no fourth button, no such icon
    };
    for (const Case& c : cases) {
        const MessageBoxShape shape = messageBoxShape(c.style);
        EXPECT_EQ(shape.buttons, c.buttons) << c.style;
        EXPECT_EQ(shape.defaultAnswer, c.defaultAnswer) << c.style;
        EXPECT_EQ(shape.escapeAnswer, c.escapeAnswer) << c.style;
        EXPECT_EQ(shape.icon, c.icon) << c.style;
    }
    EXPECT_EQ(boxText("one\rtwo\r\nthree\nfour\r"), "one\ntwo\nthree\nfour\n");
    for (int32_t answer = box::Ok; answer <= box::No; ++answer) EXPECT_EQ(answerFor(qtButtonFor(answer)), answer);
    EXPECT_EQ(qtIconFor(box::Exclamation), QMessageBox::Warning);
}

// Shows a box through the Qt interface; the user's part runs on the box once
// the box's own event loop has started.
int32_t answerBox(int32_t style, const std::function<void(QMessageBox&)>& user) {
    QTimer::singleShot(0, [&user] {
        if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) user(*shown);
        else ADD_FAILURE() << "no message box is open";
    });
    return QtUserInterface().messageBox("Use this playlist?\rIt is empty.", style, "Select Playlist");
}

void pressKey(QWidget& widget, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

TEST(QtUserInterface, ShowsTheShapedBoxAndReturnsTheClassicAnswer) {
    ASSERT_TRUE(widgetsAvailable());
    EXPECT_EQ(answerBox(box::YesNoCancel | box::Question | box::DefaultButton2,
                        [](QMessageBox& shown) {
                            EXPECT_EQ(shown.text(), "Use this playlist?\nIt is empty.");
                            EXPECT_EQ(shown.textFormat(), Qt::PlainText) << "no markup from the program's texts";
                            shown.button(QMessageBox::Yes)->click();
                        }),
              box::Yes);
    EXPECT_EQ(answerBox(box::AbortRetryIgnore | box::DefaultButton2,
                        [](QMessageBox& shown) { pressKey(shown, Qt::Key_Return); }),
              box::Retry);
    EXPECT_EQ(answerBox(box::YesNoCancel, [](QMessageBox& shown) { pressKey(shown, Qt::Key_Escape); }), box::Cancel);
    EXPECT_EQ(answerBox(box::YesNo, [](QMessageBox& shown) { shown.close(); }), box::No);
}

TEST(QtUserInterface, InstalledOnTheFrameworkWithEventsAndWindows) {
    failsafe::ScopedFramework fs;
    // Offscreen, only a test could answer the boxes; this one says it does.
    EXPECT_FALSE(installWindowedUserInterface());
    setWindowsAnsweredByProgram(true);
    const bool installed = installWindowedUserInterface();
    setWindowsAnsweredByProgram(false);
    ASSERT_TRUE(installed);
    failsafe::UserInterface& ui = fs->ui();
    EXPECT_NE(dynamic_cast<QtUserInterface*>(&ui), nullptr);

    bool ran = false;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&ran] { ran = true; }, Qt::QueuedConnection);
    ui.processPendingEvents();
    EXPECT_TRUE(ran);

    QWidget window;
    ui.setProgramWindowsEnabled(false);
    EXPECT_FALSE(window.isEnabled());
    ui.setProgramWindowsEnabled(true);
    EXPECT_TRUE(window.isEnabled());
}

}  // namespace
}  // namespace lumo::dialogs
