// The one player host of the process and what its player is made of.
#include <utility>
#include <vector>

#include "common/message_boxes.h"
#include "failsafe/failsafe.h"
#include "platform/backends/backends.h"
#include "player/audio_player_host.h"

namespace lumo::player {
namespace {

// What the player meets outside any item (the drive settings it reads with
// a service of its own, the media library's files, the sound output) goes
// to the error log under the player's name, since the shared drive object
// may not exist yet (or any more). The first object's start-up loads the
// player host before it gives the error log its file; what is met until
// then waits for the file instead of being lost.
class PlayerProblems {
public:
    void write(const std::string& problem) {
        waiting_.push_back(problem);
        flush();
    }
    void flush() {
        if (waiting_.empty() || !logHasAFile()) return;
        for (const std::string& problem : std::exchange(waiting_, {}))
            common::LogError("frmAudioPlayer.WMPlayer", 0, 0, problem);
    }

private:
    static bool logHasAFile() {
        const failsafe::Value get("Get");
        return !failsafe::fsOPTION(16, get).text().empty() && failsafe::fsOPTION(23, get).number().value_or(0) != 0;
    }
    std::vector<std::string> waiting_;
};

PlayerProblems& playerProblems() {
    static PlayerProblems problems;
    return problems;
}

std::unique_ptr<MediaPlayer> makeDefaultPlayer() {
    return platform::makeMediaPlayer([](const std::string& problem) { playerProblems().write(problem); });
}

struct Holder {
    MediaPlayerFactory factory = makeDefaultPlayer;
    std::unique_ptr<frmAudioPlayer> window;
    bool loaded = false;
    platform::PlayerEventHandler eventListener;
    HostLifetime lifetime;
};

Holder& holder() {
    static Holder instance;
    return instance;
}

}  // namespace

frmAudioPlayer& audioPlayerWindow() {
    Holder& h = holder();
    if (!h.window) {
        h.window = std::make_unique<frmAudioPlayer>(h.factory());
        if (h.eventListener) h.window->WMPlayer().setEventHandler(h.eventListener);
    }
    return *h.window;
}

frmAudioPlayer& AudioPlayer() {
    frmAudioPlayer& window = audioPlayerWindow();
    playerProblems().flush();
    Holder& h = holder();
    if (!h.loaded) {
        h.loaded = true;  // before the load steps: they may reach the window again
        window.Form_Load();
        if (h.lifetime.loaded) h.lifetime.loaded();
    }
    return window;
}

bool audioPlayerLoaded() { return holder().window && holder().loaded; }

void unloadAudioPlayer() {
    Holder& h = holder();
    if (!h.window) return;
    if (h.lifetime.unloading) h.lifetime.unloading();
    constexpr int32_t unloadedByCode = 1;
    h.window->Form_QueryUnload(unloadedByCode);  // never refuses
    h.window.reset();
    h.loaded = false;
}

void setPlayerEventListener(platform::PlayerEventHandler listener) {
    Holder& h = holder();
    h.eventListener = std::move(listener);
    if (h.window) h.window->WMPlayer().setEventHandler(h.eventListener);
}

void setHostLifetime(HostLifetime lifetime) { holder().lifetime = std::move(lifetime); }

void setMediaPlayerFactory(MediaPlayerFactory factory) {
    holder().factory = factory ? std::move(factory) : MediaPlayerFactory(makeDefaultPlayer);
}

}  // namespace lumo::player
