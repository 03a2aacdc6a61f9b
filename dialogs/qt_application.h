#pragma once
// The program runs inside a host's process, which may or may not run Qt and
// may or may not have a display. Every window of the program asks here first.

#include <string>

namespace lumo::dialogs {

// What decides whether a Qt platform plugin can start: QT_QPA_PLATFORM,
// DISPLAY and WAYLAND_DISPLAY as the process sees them.
struct DisplayEnvironment {
    std::string qpaPlatform;
    std::string display;
    std::string waylandDisplay;
};
DisplayEnvironment currentDisplayEnvironment();

// True when a platform named in the environment can start: xcb needs DISPLAY,
// wayland needs WAYLAND_DISPLAY, the others (offscreen, minimal, vnc, linuxfb,
// eglfs) need no display server. Without QT_QPA_PLATFORM, Qt picks xcb or
// wayland, so one of the two variables must be set.
bool displayAvailable(const DisplayEnvironment& environment);

// True when widgets can be shown: the host's QApplication exists, or this
// call has just made one because a display is available. Without a display
// it makes none, because Qt aborts the process when its platform plugin
// cannot start, and a headless host must go on. A host that runs a
// QCoreApplication or QGuiApplication without widgets gets false: a second
// application object cannot be made beside it.
bool widgetsAvailable();

}  // namespace lumo::dialogs
