#pragma once
// Why a window is being closed, with the classic numbers the windows'
// close handlers decide by.

#include <cstdint>

namespace lumo::dialogs {

enum class UnloadMode : int32_t {
    ControlMenu = 0,     // the close box or the system menu: the user
    FromCode = 1,        // the program unloads the window
    SystemShutdown = 2,  // the session ends: shutdown or log-off
    TaskManager = 3,
    MdiParentClosing = 4,
    OwnerClosing = 5,
};

}  // namespace lumo::dialogs
