#pragma once
// The program runs inside a host's process, which may or may not run Qt and
// may or may not have a display. Every window of the program asks here first.

#include <string>

namespace lumo::common {

// What decides which Qt platform the process runs: the platform of the
// application object that already exists, if any, else QT_QPA_PLATFORM,
// DISPLAY and WAYLAND_DISPLAY as the process sees them.
struct DisplayEnvironment {
    std::string qpaPlatform;
    std::string display;
    std::string waylandDisplay;
    std::string runningPlatform;  // QGuiApplication::platformName(); empty without one
};
DisplayEnvironment currentDisplayEnvironment();

// True when a Qt platform can start (or has): xcb needs DISPLAY, wayland
// needs WAYLAND_DISPLAY, the others (offscreen, minimal, vnc, linuxfb,
// eglfs) need no display server. Without QT_QPA_PLATFORM, Qt picks xcb or
// wayland, so one of the two variables must be set.
bool displayAvailable(const DisplayEnvironment& environment);

// True when a user can see and answer a window on the platform the process
// runs or would start (the first entry of QT_QPA_PLATFORM that can start):
// xcb, wayland and the platforms that draw on a real screen (linuxfb, eglfs,
// vnc). offscreen and minimal draw into memory only: nobody could answer a
// modal window there, so for the program's windows they count as no display.
bool userCanAnswer(const DisplayEnvironment& environment);

// True when widgets can be shown: the host's QApplication exists, or this
// call has just made one because a display is available. Without a display
// it makes none, because Qt aborts the process when its platform plugin
// cannot start, and a headless host must go on. A host that runs a
// QCoreApplication or QGuiApplication without widgets gets false: a second
// application object cannot be made beside it. Enough for what needs an
// application object but waits for nobody (the media keys, a screenshot).
bool widgetsAvailable();

// What every modal window of the program (and the error window's
// installation) asks before it opens: true when someone will answer it and
// widgets are available. Someone is a user (userCanAnswer() for this
// process) or, after setWindowsAnsweredByProgram(true), the program itself.
// False leaves the window to answer as it does without a display, so a host
// on offscreen or minimal never waits for a window nobody can see.
bool windowsCanBeAnswered();

// Says that in this process the program's windows are answered by the
// program itself: a test or a screenshot tool that drives them from a
// QTimer, usually on the offscreen platform. Modal windows then open on any
// platform that can start. Only such tests and tools call this, never the
// program's own code. false gives the decision back to the display.
void setWindowsAnsweredByProgram(bool answered);

}  // namespace lumo::common
