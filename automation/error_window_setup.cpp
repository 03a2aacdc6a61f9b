#include "automation/error_window_setup.h"

#include "common/failsafe_clipboard.h"
#include "common/qt_application.h"
#include "failsafe/procedure.h"
#include "failsafe/window/qt_error_window.h"
#include "player/audio_player_host.h"

namespace lumo::automation {
namespace {

// The player's version without a trace entry (the error window is open, and
// a traced procedure would wait for it) and without making a player host.
std::string playerVersion() {
    failsafe::Procedure proc(failsafe::NoTrace{}, failsafe::PassOver{});
    std::string version;
    proc.step([&] {
        if (player::audioPlayerLoaded()) version = player::audioPlayerWindow().WMPlayer().versionInfo();
    });
    return version;
}

}  // namespace

bool installErrorWindow() {
    if (!common::windowsCanBeAnswered()) return false;
    failsafe::window::installQtErrorWindow(
        [](failsafe::ErrorWindowState& window) { common::CopyFailSafeErrorToCB(window, playerVersion()); });
    return true;
}

}  // namespace lumo::automation
