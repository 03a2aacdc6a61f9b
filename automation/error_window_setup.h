#pragma once
// The framework's error window for the library, where a user can answer it.

namespace lumo::automation {

// Installs the Qt error window, whose Save... copies every page with
// CopyFailSafeErrorToCB, and makes system reports tell the display. Where
// nobody can answer it (windowsCanBeAnswered(): no display, or offscreen or
// minimal) it installs nothing: errors then go to the log as with Silent Run,
// and the report says there is no display. True when the window is in place.
bool installErrorWindow();

}  // namespace lumo::automation
