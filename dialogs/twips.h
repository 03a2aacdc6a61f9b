#pragma once
// Window layouts are designed in twips, 1/1440 inch: twips = pixels * 1440 /
// logical DPI (15 per pixel at 96 DPI). Layout rules compute in twips so that
// their designed values hold exactly; only the widgets see pixels.

#include <cmath>
#include <cstdint>

namespace lumo::dialogs {

inline constexpr int32_t twipsPerInch = 1440;

struct TwipsRect {
    int32_t left = 0, top = 0, width = 0, height = 0;
};

// Rounded half to even, like every conversion of the program.
inline int32_t twipsToPixels(int32_t twips, int32_t logicalDpi) {
    return static_cast<int32_t>(std::nearbyint(static_cast<double>(twips) * logicalDpi / twipsPerInch));
}

inline int32_t pixelsToTwips(int32_t pixels, int32_t logicalDpi) {
    return static_cast<int32_t>(std::nearbyint(static_cast<double>(pixels) * twipsPerInch / logicalDpi));
}

}  // namespace lumo::dialogs
