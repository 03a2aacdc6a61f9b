// A C++ host: creates the object by its ProgID, activates a standard
// playlist and plays it until the player tells it plays, then stops. It
// runs no event loop of its own, so it waits in DoEvents.
//   play_playlist "Demo Mix"

#include <cstdio>

#include "lumo/lumo_audio_client.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: play_playlist PLAYLIST\n");
        return 2;
    }
    try {
        lumo::LUMOAudio audio = lumo::LUMOAudio::create();
        std::printf("created LUMO Audio Player %s\n", audio.Version().c_str());
        lumo::Selection selection;
        selection.playListType = 0;  // a standard playlist
        selection.playList = argv[1];
        selection.shuffleMode = 2;  // off
        const lumo::Activation activation = audio.InitialisePL(selection);
        if (!activation.activated) {
            std::printf("not activated: playlist error flags %d %s\n", activation.plError, activation.wmpError.c_str());
            return 1;
        }
        std::printf("activated %s\n", audio.GetCurrentPlaylist().c_str());
        bool played = false;
        const lumo::EventSubscription events = audio.subscribe([&](const lumo::Event& event) {
            if (event.id == lumo::events::PlayStateChange && event.arguments[0].toInt32() == 3) played = true;
        });
        audio.DoPlay();
        for (int i = 0; i < 200 && !played; ++i) audio.DoEvents(50);
        if (played) {
            const lumo::CurrentItem item = audio.currentItem();
            std::printf("playing %s (%.1f s) at %.1f s\n", item.title.c_str(), item.duration, audio.Position());
        }
        audio.DoStop();
        audio.DoTerminate();
        std::printf(played ? "played\n" : "did not start playing\n");
        return played ? 0 : 1;
    } catch (const lumo::ComError& error) {
        std::fprintf(stderr, "error 0x%08X: %s\n", static_cast<unsigned>(error.result()), error.what());
        return 1;
    }
}
