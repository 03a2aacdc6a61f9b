// The one player host of the process and what its player is made of.
#include "common/message_boxes.h"
#include "platform/gst/default_player.h"
#include "player/audio_player_host.h"
#include "player/desktop/mpris_service.h"

namespace lumo::player {
namespace {

std::unique_ptr<MediaPlayer> makeDefaultPlayer() {
    // The player reads the drive settings with a service of its own; the
    // problems it meets there go to the error log under its own name, since
    // the shared drive object may not exist yet (or any more).
    auto drives = std::make_shared<platform::linux_drives::LinuxDriveService>(
        [](const std::string& problem) { common::LogError("frmAudioPlayer.WMPlayer", 0, 0, problem); });
    return platform::createMediaPlayer(std::move(drives));
}

struct Holder {
    MediaPlayerFactory factory = makeDefaultPlayer;
    std::unique_ptr<frmAudioPlayer> window;
    bool loaded = false;
};

Holder& holder() {
    static Holder instance;
    return instance;
}

}  // namespace

frmAudioPlayer& audioPlayerWindow() {
    Holder& h = holder();
    if (!h.window) h.window = std::make_unique<frmAudioPlayer>(h.factory());
    return *h.window;
}

frmAudioPlayer& AudioPlayer() {
    frmAudioPlayer& window = audioPlayerWindow();
    Holder& h = holder();
    if (!h.loaded) {
        h.loaded = true;  // before the load steps: they may reach the window again
        window.Form_Load();
        desktop::startDesktopService();  // the desktop's media controls, while the host is loaded
    }
    return window;
}

bool audioPlayerLoaded() { return holder().window && holder().loaded; }

void unloadAudioPlayer() {
    Holder& h = holder();
    if (!h.window) return;
    desktop::stopDesktopService();
    constexpr int32_t unloadedByCode = 1;
    h.window->Form_QueryUnload(unloadedByCode);  // never refuses
    h.window.reset();
    h.loaded = false;
}

void setMediaPlayerFactory(MediaPlayerFactory factory) {
    holder().factory = factory ? std::move(factory) : MediaPlayerFactory(makeDefaultPlayer);
}

}  // namespace lumo::player
