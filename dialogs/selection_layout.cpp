#include "dialogs/selection_layout.h"

#include "failsafe/procedure.h"

namespace lumo::dialogs::selection_layout {
namespace {

struct Planned {
    std::string_view key;
    int32_t style;
    std::optional<ToolbarControl> coveredBy;
};

constexpr std::array<Planned, 16> plan{{
    {"dummy", separatorStyle, {}},
    {"ok", placeholderStyle, ToolbarControl::OK},
    {"sep2b", separatorStyle, {}},
    {"sep2c", separatorStyle, {}},
    {"cancel", placeholderStyle, ToolbarControl::Cancel},
    {"sep3a", separatorStyle, {}},
    {"sep3b", separatorStyle, {}},
    {"CDROMS", placeholderStyle, ToolbarControl::RefreshCDROMS},
    {"sep4a", separatorStyle, {}},
    {"sep4b", separatorStyle, {}},
    {"more", placeholderStyle, ToolbarControl::More},
    {"sep5a", separatorStyle, {}},
    {"sep5b", separatorStyle, {}},
    {"sep5c", separatorStyle, {}},
    {"sep5d", separatorStyle, {}},
    {"shuffle_mode", placeholderStyle, ToolbarControl::ShuffleMode},
}};

constexpr int32_t designWidth(ToolbarControl c) {
    return c == ToolbarControl::ShuffleMode ? shuffleWidth : buttonWidth;
}

}  // namespace

Toolbar LoadToolBar(const PlatformMetrics& metrics) {
    failsafe::Procedure proc("frmSelPlaylist", "Sub LoadToolBar");
    Toolbar toolbar;
    int32_t left = 0;
    for (const Planned& planned : plan) {
        proc.step([&] {
            ToolbarButton button{planned.key, planned.style, left, metrics.buttonTop, metrics.separatorWidth};
            if (planned.coveredBy) {
                // The placeholder takes the control's width, and the control
                // whatever width the toolbar gave the placeholder.
                TwipsRect& control = toolbar.controls[static_cast<size_t>(*planned.coveredBy)];
                button.width = designWidth(*planned.coveredBy);
                control = {button.left, button.top, button.width, controlHeight};
            }
            toolbar.buttons.push_back(button);
            left += button.width;
        });
    }
    return toolbar;
}

std::optional<Controls> ResizeControls(const ClientArea& client, int32_t toolbar, int32_t tabStripHeight) {
    failsafe::Procedure proc("frmSelPlaylist", "Sub ResizeControls");
    std::optional<Controls> placed;
    proc.step([&] {
        if (client.height - toolbar <= 0) return;
        Controls c;
        // The tab control starts 50 below the toolbar and keeps the client
        // height less the toolbar, so its lower 50 lie outside the client
        // area; the lists inside it are clipped the same way.
        c.tab = {client.left, toolbar + client.top + 50, client.width, client.height - toolbar};
        c.list = {c.tab.left, tabStripHeight + client.top + 27, c.tab.width, c.tab.height};
        placed = c;
    });
    return placed;
}

}  // namespace lumo::dialogs::selection_layout
