// When the program may make Qt windows inside a host's process.
#include <QApplication>

#include <gtest/gtest.h>

#include "dialogs/qt_application.h"

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

}  // namespace
}  // namespace lumo::dialogs
