#pragma once
// Prints lines of text on a printer, wrapping long lines and starting new
// pages as they fill.

#include <QPagedPaintDevice>

#include <string>
#include <vector>

namespace lumo::failsafe::window {

// False when the printer cannot start, take a new page or finish.
bool printLines(QPagedPaintDevice& printer, const std::vector<std::string>& lines);

}  // namespace lumo::failsafe::window
