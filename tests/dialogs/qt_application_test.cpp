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

TEST(QtApplication, DisplayEnvironmentDecidesWhetherQtCanStart) {
    const std::vector<std::pair<DisplayEnvironment, bool>> cases = {
        {{"", "", ""}, false},  // a headless host
        {{"", ":0", ""}, true},
        {{"", "", "wayland-0"}, true},
        {{"offscreen:fontconfig", "", ""}, true},
        {{"xcb", "", ""}, false},  // Qt would abort: no X server named
        {{"wayland;xcb", ":0", ""}, true},  // Qt falls back along the list
        {{"wayland-egl;xcb", "", ""}, false},
    };
    for (const auto& [environment, available] : cases)
        EXPECT_EQ(displayAvailable(environment), available) << environment.qpaPlatform << " " << environment.display;
}

TEST(QtApplication, OffscreenPlatformMakesOneApplicationForTheProcess) {
    ASSERT_TRUE(widgetsAvailable());
    QCoreApplication* application = QCoreApplication::instance();
    EXPECT_NE(qobject_cast<QApplication*>(application), nullptr);
    EXPECT_TRUE(widgetsAvailable());
    EXPECT_EQ(QCoreApplication::instance(), application);
}

}  // namespace
}  // namespace lumo::dialogs
