#include "dialogs/twips_window.h"

#include <QWidget>
#include <QWindow>

#include <cmath>

#include "dialogs/twips.h"
#include "failsafe/runtime_error.h"

namespace lumo::dialogs {
namespace {

int checkedPixels(double twips, int logicalDpi) {
    const double pixels = std::nearbyint(twips * logicalDpi / twipsPerInch);
    if (!std::isfinite(pixels) || std::fabs(pixels) > QWIDGETSIZE_MAX) failsafe::raiseError(failsafe::error::Overflow);
    return static_cast<int>(pixels);
}

QMargins frameMargins(const QWidget& window) {
    return window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
}

}  // namespace

QRect outerGeometry(const QWidget& window) { return window.geometry().marginsAdded(frameMargins(window)); }

TwipsFrame outerTwips(const QWidget& window) {
    const QRect outer = outerGeometry(window);
    const int dpiX = window.logicalDpiX(), dpiY = window.logicalDpiY();
    return {double(pixelsToTwips(outer.x(), dpiX)), double(pixelsToTwips(outer.y(), dpiY)),
            double(pixelsToTwips(outer.width(), dpiX)), double(pixelsToTwips(outer.height(), dpiY))};
}

void moveOuterTwips(QWidget& window, double left, double top, double width, double height) {
    const int dpiX = window.logicalDpiX(), dpiY = window.logicalDpiY();
    const QRect outer(checkedPixels(left, dpiX), checkedPixels(top, dpiY), checkedPixels(width, dpiX),
                      checkedPixels(height, dpiY));
    window.setGeometry(outer.marginsRemoved(frameMargins(window)));
}

QRect designPixels(const QWidget& window, int32_t left, int32_t top, int32_t width, int32_t height) {
    const int dpiX = window.logicalDpiX(), dpiY = window.logicalDpiY();
    return {twipsToPixels(left, dpiX), twipsToPixels(top, dpiY), twipsToPixels(width, dpiX),
            twipsToPixels(height, dpiY)};
}

}  // namespace lumo::dialogs
