#pragma once
// CopyFailSafeErrorToCB: every page of the error window on the clipboard as
// one text, the form a bug report wants. It runs while the error window is
// open, where a traced procedure would wait for the window to close, so it
// and everything it calls run without a trace entry.

#include <string>
#include <string_view>

#include "failsafe/errors/error_window_state.h"

namespace lumo::common {

// Visits the four pages in turn, puts the text on the clipboard, returns to
// the page that was shown and says what happened in the status line.
void CopyFailSafeErrorToCB(failsafe::ErrorWindowState& window, std::string_view playerVersion);

// The clipboard text, stamped with `dateTime`; leaves the window on its last page.
std::string failSafeClipboardText(failsafe::ErrorWindowState& window, std::string_view dateTime,
                                  std::string_view playerVersion);

}  // namespace lumo::common
