#include "common/qt_application.h"

#include <QApplication>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <string_view>

namespace lumo::common {
namespace {

std::atomic<bool> answeredByProgram{false};

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool platformCanStart(std::string_view name, const DisplayEnvironment& environment) {
    if (name == "xcb") return !environment.display.empty();
    if (name.starts_with("wayland")) return !environment.waylandDisplay.empty();
    return !name.empty();
}

// The platform the process runs, or the one Qt would start for the
// environment; empty when none can start. Without QT_QPA_PLATFORM Qt picks
// xcb or wayland, whichever the session offers. Qt tries a list such as
// "wayland;xcb" in order; a name may carry options after a colon
// ("offscreen:fontconfig") and is matched without regard to case.
std::string platformOf(const DisplayEnvironment& environment) {
    if (!environment.runningPlatform.empty()) return environment.runningPlatform;
    if (environment.qpaPlatform.empty()) {
        if (!environment.display.empty()) return "xcb";
        return environment.waylandDisplay.empty() ? "" : "wayland";
    }
    std::string_view platforms = environment.qpaPlatform;
    while (!platforms.empty()) {
        const size_t end = platforms.find(';');
        const std::string_view entry = platforms.substr(0, end);
        std::string name(entry.substr(0, entry.find(':')));
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        if (platformCanStart(name, environment)) return name;
        if (end == std::string_view::npos) break;
        platforms.remove_prefix(end + 1);
    }
    return "";
}

}  // namespace

DisplayEnvironment currentDisplayEnvironment() {
    DisplayEnvironment environment{variable("QT_QPA_PLATFORM"), variable("DISPLAY"), variable("WAYLAND_DISPLAY"), ""};
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        environment.runningPlatform = QGuiApplication::platformName().toStdString();
    return environment;
}

bool displayAvailable(const DisplayEnvironment& environment) { return !platformOf(environment).empty(); }

bool userCanAnswer(const DisplayEnvironment& environment) {
    const std::string platform = platformOf(environment);
    return !platform.empty() && platform != "offscreen" && platform != "minimal";
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

bool windowsCanBeAnswered() {
    // Asked before widgetsAvailable(): a process nobody can answer gets no
    // application object from the program, exactly as without a display.
    if (!answeredByProgram && !userCanAnswer(currentDisplayEnvironment())) return false;
    return widgetsAvailable();
}

void setWindowsAnsweredByProgram(bool answered) { answeredByProgram = answered; }

}  // namespace lumo::common
