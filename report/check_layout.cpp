#include "report/check_layout.h"

#include <cmath>

namespace lumo::report::layout {

void LoadToolBar(Controls& c, const PlatformMetrics& m) {
    c.buttons.clear();
    int32_t left = 0;
    auto add = [&](std::string_view key, int32_t style, int32_t width) -> ToolbarButton& {
        c.buttons.push_back({key, style, left, m.buttonTop, width});
        left += width;
        return c.buttons.back();
    };
    add("dummy", separatorStyle, m.separatorWidth);
    const ToolbarButton& done = add("done", placeholderStyle, c.cmdDone.width);
    c.cmdDone = {done.left, done.top, done.width, c.cmdDone.height};
    add("sep1a", separatorStyle, m.separatorWidth);
    add("sep1b", separatorStyle, m.separatorWidth);
    const ToolbarButton& bar = add("pb", placeholderStyle, c.pb.width);
    c.pb = {bar.left, bar.top, bar.width, c.pb.height};
}

int32_t gapTwips(int32_t twipsPerPixel) { return static_cast<int32_t>(std::nearbyint(twipsPerPixel / 2.0)); }

void ResizeControls(Controls& c, const ClientArea& client, const PlatformMetrics& m) {
    const int32_t gap = gapTwips(m.twipsPerPixel);
    if (client.height <= toolbarHeight) return;
    c.sb = {client.left, client.top + client.height - c.sb.height, client.width, c.sb.height};
    c.lvPL.height = client.height - toolbarHeight - c.sb.height;
    c.pb.width = 3 * c.cmdDone.width;
    c.lvPL.left = client.left;
    c.lvPL.top = 0 + toolbarHeight + gap;
    c.lvPL.width = client.width;
    for (double& width : c.columnWidths) width = 0.33 * c.lvPL.width;
    for (double& width : c.panelWidths) width = 0.33 * c.sb.width;
}

}  // namespace lumo::report::layout
