// One item through the real player, with what it reported: each play state
// once, each error item, or the error raised when no player can be made.
#include <memory>
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

class Items final : public platform::Playlist {
public:
    explicit Items(const Arguments& uris) {
        for (const std::string& uri : uris) items_.push_back(std::make_shared<Item>(uri));
    }
    int32_t count() const override { return static_cast<int32_t>(items_.size()); }
    std::string name() const override { return "items"; }
    platform::MediaPtr item(int32_t index) const override { return items_.at(static_cast<size_t>(index)); }
    std::string getItemInfo(std::string_view) const override { return "Static"; }

private:
    std::vector<platform::MediaPtr> items_;
};

template <class Done>
bool waitUntil(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace

// The first item's opening never returns: after a second it is an error,
// and the user moves on to the second item, which plays.
int stalledCommand(const Arguments& a) {
    if (a.size() != 2) return 2;
    platform::gst::EngineLimits limits;
    limits.openLimit = std::chrono::seconds(1);
    auto owned = std::make_unique<platform::gst::GstMediaPlayer>(nullptr, nullptr, "", platform::gst::ProblemLog{}, limits);
    platform::gst::GstMediaPlayer& player = *owned;
    player.settings().setAutoStart(true);
    player.setCurrentPlaylist(std::make_shared<Items>(a));
    say("assigned");
    if (!waitUntil([&] { return player.error().errorCount() > 0; })) say("no error");
    for (int32_t i = 0; i < player.error().errorCount(); ++i) {
        const platform::ErrorItem error = player.error().item(i);
        say("error " + std::to_string(error.condition) + " " + error.errorDescription);
    }
    say("state " + std::to_string(static_cast<int>(player.playState())));
    player.controls().next();
    player.controls().play();
    const auto played = [&] {
        const PlayState state = player.playState();
        return state == PlayState::Playing || state == PlayState::MediaEnded;
    };
    if (waitUntil(played) && player.error().errorCount() == 1) say("next plays");
    owned.reset();  // never waits for the thread that is stuck in the file system
    say("released");
    return 0;
}

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
