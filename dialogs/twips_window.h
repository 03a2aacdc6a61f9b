#pragma once
// A top-level window's outer frame in twips, as the saved window rectangle
// reads and restores it, and design rectangles in the window's pixels.

#include <QRect>

#include <cstdint>

class QWidget;

namespace lumo::dialogs {

struct TwipsFrame {
    double left = 0, top = 0, width = 0, height = 0;
};

// The frame as the window system reports it now; QWidget's own copy may be
// from before the window was shown.
QRect outerGeometry(const QWidget& window);
TwipsFrame outerTwips(const QWidget& window);
// Raises an overflow error for a value no window can have (any number may
// come from the settings).
void moveOuterTwips(QWidget& window, double left, double top, double width, double height);
QRect designPixels(const QWidget& window, int32_t left, int32_t top, int32_t width, int32_t height);

}  // namespace lumo::dialogs
