// One item through the real player, with what it reported: each play state
// once, each error item, or the error raised when no player can be made.
#include <chrono>
#include <string>
#include <thread>

#include "failsafe/runtime_error.h"
#include "helper.h"
#include "platform/gst/gst_media_player.h"

namespace lumo::faults {
namespace {

using platform::MediaPlayer;
using platform::PlayState;

class Item final : public platform::Media {
public:
    explicit Item(std::string uri) : uri_(std::move(uri)) {}
    std::string name() const override { return "item"; }
    std::string getItemInfo(std::string_view attribute) const override { return attribute == "SourceURL" ? uri_ : ""; }

private:
    std::string uri_;
};

// Plays until the item ends or fails, at most ten seconds.
void playThrough(MediaPlayer& player, const std::string& uri) {
    player.settings().setAutoStart(true);
    player.setCurrentMedia(std::make_shared<Item>(uri));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    PlayState last = PlayState::Undefined;
    bool played = false;
    while (std::chrono::steady_clock::now() < deadline) {
        const PlayState state = player.playState();
        if (state != last) say("state " + std::to_string(static_cast<int>(state)));
        last = state;
        played = played || state == PlayState::Playing;
        if (state == PlayState::MediaEnded || player.error().errorCount() > 0) break;
        if (played && state == PlayState::Stopped) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (int32_t i = 0; i < player.error().errorCount(); ++i) {
        const platform::ErrorItem error = player.error().item(i);
        say("error " + std::to_string(error.condition) + " " + std::to_string(error.errorCode) + " " +
            error.errorDescription);
    }
}

}  // namespace

int playCommand(const Arguments& a) {
    if (a.size() != 1) return 2;
    try {
        platform::gst::GstMediaPlayer player(nullptr, nullptr, "");
        playThrough(player, a[0]);
    } catch (const failsafe::RuntimeError& error) {
        say("raised " + std::to_string(error.number()) + " " + error.description());
    }
    say("done");
    return 0;
}

}  // namespace lumo::faults
