#pragma once
// The check window's geometry in twips: the toolbar with the Done button and
// the progress bar placed on it, and the list view, columns and status
// panels that follow the window's size.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lumo::report::layout {

struct Rect {
    int32_t left = 0, top = 0, width = 0, height = 0;
};

// The design: client area, toolbar, the two toolbar controls, status bar.
inline constexpr int32_t clientWidth = 10575, clientHeight = 4530;
inline constexpr int32_t toolbarHeight = 630;
inline constexpr Rect cmdDone{240, 120, 1695, 375};
inline constexpr Rect pb{2280, 120, 6495, 375};
inline constexpr Rect sb{0, 4110, 10575, 420};

inline constexpr int32_t separatorStyle = 3, placeholderStyle = 4;

struct ToolbarButton {
    std::string_view key;
    int32_t style = 0;
    int32_t left = 0, top = 0, width = 0;
};

// What the platform's toolbar decides, in twips.
struct PlatformMetrics {
    int32_t separatorWidth = 120;
    int32_t buttonTop = 127;
    int32_t twipsPerPixel = 15;
};

struct ClientArea {
    int32_t left = 0, top = 0, width = clientWidth, height = clientHeight;
};

struct Controls {
    std::vector<ToolbarButton> buttons;
    Rect cmdDone = layout::cmdDone;
    Rect pb = layout::pb;
    Rect lvPL{0, toolbarHeight, clientWidth, layout::sb.top - toolbarHeight};
    Rect sb = layout::sb;
    std::array<double, 3> columnWidths{};
    std::array<double, 3> panelWidths{};
};

// The five toolbar buttons: a gap, the Done button's placeholder, a double
// gap, the progress bar's placeholder; each control takes its placeholder's
// place.
void LoadToolBar(Controls& controls, const PlatformMetrics& metrics);

// Half a screen pixel in twips, rounded half to even: 8 at 15 twips a pixel.
int32_t gapTwips(int32_t twipsPerPixel);

// Follows the client area; a client no taller than the toolbar changes
// nothing.
void ResizeControls(Controls& controls, const ClientArea& client, const PlatformMetrics& metrics);

}  // namespace lumo::report::layout
