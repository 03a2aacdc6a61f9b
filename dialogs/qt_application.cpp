#include "dialogs/qt_application.h"

#include <QApplication>

#include <cstdlib>
#include <string_view>

namespace lumo::dialogs {
namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool platformCanStart(std::string_view name, const DisplayEnvironment& environment) {
    if (name == "xcb") return !environment.display.empty();
    if (name.starts_with("wayland")) return !environment.waylandDisplay.empty();
    return !name.empty();
}

}  // namespace

DisplayEnvironment currentDisplayEnvironment() {
    return {variable("QT_QPA_PLATFORM"), variable("DISPLAY"), variable("WAYLAND_DISPLAY")};
}

bool displayAvailable(const DisplayEnvironment& environment) {
    if (environment.qpaPlatform.empty()) return !environment.display.empty() || !environment.waylandDisplay.empty();
    // Qt tries a list such as "wayland;xcb" in order; a name may carry
    // options after a colon ("offscreen:fontconfig").
    std::string_view platforms = environment.qpaPlatform;
    while (!platforms.empty()) {
        const size_t end = platforms.find(';');
        const std::string_view entry = platforms.substr(0, end);
        if (platformCanStart(entry.substr(0, entry.find(':')), environment)) return true;
        if (end == std::string_view::npos) break;
        platforms.remove_prefix(end + 1);
    }
    return false;
}

bool widgetsAvailable() {
    if (QCoreApplication::instance()) return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    if (!displayAvailable(currentDisplayEnvironment())) return false;
    // QApplication keeps argc and argv by reference for its whole life. The
    // application made here lives until the process ends: the host may hold
    // windows of its own on it by then, and destroying Qt's application
    // object during static destruction is not safe.
    static int argc = 1;
    static char name[] = "LUMOAudioPlayer";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    return true;
}

}  // namespace lumo::dialogs
