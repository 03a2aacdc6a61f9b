#include "automation/library_start.h"

#include "automation/error_window_setup.h"
#include "automation/selection_dialog.h"
#include "common/message_boxes.h"
#include "dialogs/qt_user_interface.h"
#include "dialogs/sel_playlist_dialog.h"
#include "failsafe/failsafe.h"
#include "failsafe/monitor/monitor_link.h"
#include "media_keys/mpris_service.h"
#include "player/audio_player_host.h"
#include "platform/user_settings.h"

namespace lumo::automation {

void Main() {
    static bool started = false;
    if (started) return;
    started = true;
    // A developer's trace monitor, if one listens, is found as the framework starts.
    failsafe::framework().setMonitorFinder(failsafe::socketMonitorFinder());
    failsafe::fsSTART();
    common::installErrorLog();
    dialogs::installWindowedUserInterface();
    installErrorWindow();
    // The dialog decides at each showing whether there is a display for it.
    setSelectionDialog(dialogs::showSelectionWindow);
    // The desktop's media controls run while the player host is loaded.
    player::setHostLifetime({media_keys::startDesktopService, media_keys::stopDesktopService});
    // Reaching the player makes the host; its player never shows error
    // dialogs of its own (errors come through its error queue). Then the
    // host loads.
    player::audioPlayerWindow().WMPlayer().settings().setEnableErrorDialogs(false);
    player::AudioPlayer();
}

std::string installFolder() { return platform::readSetting("LUMO Player", "Settings", "INSTALLDIR").value_or(""); }

void configureFramework(const std::string& logFile) {
    using failsafe::fsOPTION;
    using failsafe::Value;
    fsOPTION(16, Value(logFile));
    fsOPTION(22, Value::flag(true));
    fsOPTION(11, Value::flag(false));
    fsOPTION(23, Value::flag(true));
    fsOPTION(24, Value::flag(true));
    fsOPTION(27, Value::flag(false));
}

}  // namespace lumo::automation
