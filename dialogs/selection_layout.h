#pragma once
// The selection dialog's geometry in twips: the toolbar with the buttons and
// the shuffle box placed on it, the tab control and the three lists that
// share one rectangle on it, and the one-time column widths.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "dialogs/twips.h"

namespace lumo::dialogs::selection_layout {

// The design: the client area until a saved rectangle is applied, and the
// controls' design sizes.
inline constexpr int32_t clientWidth = 13680, clientHeight = 6960;
inline constexpr int32_t toolbarHeight = 630;
inline constexpr int32_t buttonWidth = 1695, shuffleWidth = 1815, controlHeight = 375;

// What the platform's toolbar and tab control decide, in twips.
struct PlatformMetrics {
    int32_t separatorWidth = 120;
    int32_t buttonTop = 127;       // where the toolbar puts its buttons
    int32_t tabStripHeight = 360;  // the row of tabs
};

// The controls that sit on the toolbar.
enum class ToolbarControl { OK, Cancel, RefreshCDROMS, More, ShuffleMode };
inline constexpr size_t toolbarControlCount = 5;

struct ToolbarButton {
    std::string_view key;
    int32_t style = 0;  // separatorStyle or placeholderStyle
    int32_t left = 0, top = 0, width = 0;
};
inline constexpr int32_t separatorStyle = 3, placeholderStyle = 4;

struct Toolbar {
    std::vector<ToolbarButton> buttons;
    std::array<TwipsRect, toolbarControlCount> controls{};  // by ToolbarControl
    const TwipsRect& control(ToolbarControl c) const { return controls[static_cast<size_t>(c)]; }
};

// The sixteen toolbar buttons in order, each placeholder covered by its
// control: one separator, OK, two separators, Cancel, two separators,
// Refresh CD ROMS, two separators, Check..., four separators, the shuffle box.
Toolbar LoadToolBar(const PlatformMetrics& metrics);

// The client area's scale origin and size.
struct ClientArea {
    int32_t left = 0, top = 0, width = clientWidth, height = clientHeight;
};

struct Controls {
    TwipsRect tab;   // in the client area
    TwipsRect list;  // inside the tab control; the three lists share it
};

// The tab control and the lists for the client area; nothing when the
// client area is not higher than the toolbar (the layout stays as it was).
std::optional<Controls> ResizeControls(const ClientArea& client, int32_t toolbar, int32_t tabStripHeight);

// Column widths of the first sizing: 0.99 of the list for the one column of
// a playlist list, 0.2 for each of the five CD columns.
inline constexpr double playlistColumnShare = 0.99, cdromColumnShare = 0.2;

}  // namespace lumo::dialogs::selection_layout
