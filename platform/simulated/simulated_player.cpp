#include "platform/simulated/simulated_player.h"

#include <algorithm>
#include <cstdlib>

#include "failsafe/runtime_error.h"
#include "failsafe/value.h"

namespace lumo::platform::simulated {
namespace {

using failsafe::raiseError;

class ScriptedMedia final : public Media {
public:
    explicit ScriptedMedia(ItemScript script) : script_(std::move(script)) {}
    std::string name() const override { return script_.name; }
    std::string getItemInfo(std::string_view attribute) const override {
        if (attribute == "SourceURL") return script_.sourceUrl;
        if (attribute == "MediaType") return script_.mediaType;
        if (attribute == "Duration") return script_.duration;
        return {};
    }
    const ItemScript& script() const { return script_; }

private:
    ItemScript script_;
};

class ScriptedPlaylist final : public Playlist {
public:
    ScriptedPlaylist(const PlaylistScript& script, std::string type) : name_(script.name), type_(std::move(type)) {
        for (const ItemScript& item : script.items) items_.push_back(std::make_shared<ScriptedMedia>(item));
    }
    int32_t count() const override { return static_cast<int32_t>(items_.size()); }
    std::string name() const override { return name_; }
    MediaPtr item(int32_t index) const override {
        if (index < 0 || index >= count()) raiseError(failsafe::error::SubscriptOutOfRange);
        return items_[static_cast<size_t>(index)];
    }
    std::string getItemInfo(std::string_view attribute) const override {
        return attribute == "PlaylistType" ? type_ : std::string();
    }

private:
    std::string name_, type_;
    std::vector<MediaPtr> items_;
};

class PlaylistList final : public PlaylistArray {
public:
    explicit PlaylistList(std::vector<PlaylistPtr> playlists) : playlists_(std::move(playlists)) {}
    int32_t count() const override { return static_cast<int32_t>(playlists_.size()); }
    PlaylistPtr item(int32_t index) const override {
        if (index < 0 || index >= count()) raiseError(failsafe::error::SubscriptOutOfRange);
        return playlists_[static_cast<size_t>(index)];
    }

private:
    std::vector<PlaylistPtr> playlists_;
};

class ScriptedDrive final : public Cdrom {
public:
    explicit ScriptedDrive(const DriveScript& script)
        : specifier_(script.driveSpecifier),
          playlist_(makePlaylist(script.disc.value_or(PlaylistScript{}), "CD")) {}
    std::string driveSpecifier() const override { return specifier_; }
    PlaylistPtr playlist() const override { return playlist_; }

private:
    std::string specifier_;
    PlaylistPtr playlist_;
};

}  // namespace

PlaylistPtr makePlaylist(const PlaylistScript& script, std::string type) {
    return std::make_shared<ScriptedPlaylist>(script, std::move(type));
}

// The player's collaborators, all reading and writing the player's state.
class SimulatedPlayer::Parts final : public Controls, public PlayerSettings, public PlaylistCollection {
public:
    explicit Parts(SimulatedPlayer& player) : p_(player), drives(player), errors(player) {}

    class Drives final : public CdromCollection {
    public:
        explicit Drives(SimulatedPlayer& player) : p_(player) {}
        int32_t count() override { return static_cast<int32_t>(p_.scenario_.drives.size()); }
        CdromPtr item(int32_t index) override {
            if (index < 0 || index >= count()) raiseError(failsafe::error::SubscriptOutOfRange);
            return std::make_shared<ScriptedDrive>(p_.scenario_.drives[static_cast<size_t>(index)]);
        }

    private:
        SimulatedPlayer& p_;
    };

    class Errors final : public ErrorQueue {
    public:
        explicit Errors(SimulatedPlayer& player) : p_(player) {}
        int32_t errorCount() override { return static_cast<int32_t>(p_.errors_.size()); }
        ErrorItem item(int32_t index) override {
            if (index < 0 || index >= errorCount()) raiseError(failsafe::error::SubscriptOutOfRange);
            return p_.errors_[static_cast<size_t>(index)];
        }
        void clearErrorQueue() override {
            p_.calls_.push_back("clearErrorQueue");
            p_.errors_.clear();
        }

    private:
        SimulatedPlayer& p_;
    };

    void play() override {
        p_.calls_.push_back("play");
        if (const ItemScript* item = p_.currentScript()) {
            p_.queue(item->errorWhenPlayed);
            p_.state_ = item->stateWhenPlayed;
        }
    }
    void pause() override {
        p_.calls_.push_back("pause");
        if (p_.state_ == PlayState::Playing) p_.state_ = PlayState::Paused;
    }
    void stop() override {
        p_.calls_.push_back("stop");
        if (p_.currentMedia_) p_.state_ = PlayState::Stopped;
    }
    void next() override { step(+1, "next"); }
    void previous() override { step(-1, "previous"); }

    bool autoStart() override { return p_.autoStart_; }
    void setAutoStart(bool on) override {
        record("autoStart", on);
        p_.autoStart_ = on;
    }
    bool mute() override { return p_.mute_; }
    void setMute(bool on) override {
        record("mute", on);
        p_.mute_ = on;
    }
    int32_t volume() override { return p_.volume_; }
    void setVolume(int32_t volume) override {
        p_.calls_.push_back("volume=" + std::to_string(volume));
        p_.volume_ = std::clamp(volume, 0, 100);
    }
    int32_t balance() override { return p_.balance_; }
    void setBalance(int32_t balance) override {
        p_.calls_.push_back("balance=" + std::to_string(balance));
        p_.balance_ = std::clamp(balance, -100, 100);
    }
    bool getMode(std::string_view mode) override { return modeFlag(mode); }
    void setMode(std::string_view mode, bool on) override {
        record(std::string(mode), on);
        modeFlag(mode) = on;
        if (p_.modeChanged_) p_.modeChanged_(std::string(mode), on);
    }
    bool enableErrorDialogs() override { return p_.errorDialogs_; }
    void setEnableErrorDialogs(bool on) override {
        record("enableErrorDialogs", on);
        p_.errorDialogs_ = on;
    }

    PlaylistArrayPtr getAll() override { return select([](const PlaylistScript&) { return true; }); }
    PlaylistArrayPtr getByName(std::string_view name) override {
        return select([name](const PlaylistScript& script) { return script.name == name; });
    }

private:
    void record(const std::string& what, bool on) { p_.calls_.push_back(what + "=" + (on ? "true" : "false")); }

    bool& modeFlag(std::string_view mode) {
        if (failsafe::equalsIgnoringCase(mode, "shuffle")) return p_.shuffle_;
        if (failsafe::equalsIgnoringCase(mode, "loop")) return p_.loop_;
        if (failsafe::equalsIgnoringCase(mode, "autoRewind")) return p_.autoRewind_;
        raiseError(failsafe::error::InvalidProcedureCall, "Unknown mode '" + std::string(mode) + "'");
    }

    void step(int delta, const char* name) {
        p_.calls_.push_back(name);
        if (!p_.currentPlaylist_ || p_.currentPlaylist_->count() == 0) return;
        const int32_t last = p_.currentPlaylist_->count() - 1;
        int32_t target = p_.position_ + delta;
        if (target > last) target = p_.loop_ ? 0 : last;
        if (target < 0) target = 0;
        const bool wasPlaying = p_.state_ == PlayState::Playing;
        p_.open(target);
        if (wasPlaying) play();
    }

    template <typename Match>
    PlaylistArrayPtr select(Match match) {
        if (p_.scenario_.libraryFails) raiseError(-1072885353, "The media library is not available");
        std::vector<PlaylistPtr> found;
        for (const PlaylistScript& script : p_.scenario_.playlists)
            if (match(script)) found.push_back(makePlaylist(script, script.isAuto ? "Auto" : "Static"));
        return std::make_shared<PlaylistList>(std::move(found));
    }

    SimulatedPlayer& p_;

public:
    Drives drives;
    Errors errors;
};

SimulatedPlayer::SimulatedPlayer(Scenario scenario)
    : scenario_(std::move(scenario)), parts_(std::make_unique<Parts>(*this)) {}
SimulatedPlayer::~SimulatedPlayer() = default;

Controls& SimulatedPlayer::controls() { return *parts_; }
PlayerSettings& SimulatedPlayer::settings() { return *parts_; }
PlaylistCollection& SimulatedPlayer::playlistCollection() { return *parts_; }
CdromCollection& SimulatedPlayer::cdromCollection() { return parts_->drives; }
ErrorQueue& SimulatedPlayer::error() { return parts_->errors; }

std::string SimulatedPlayer::versionInfo() {
    if (scenario_.versionFails) raiseError(-1072885353, "No media player is available");
    return scenario_.versionInfo;
}

void SimulatedPlayer::setCurrentPlaylist(PlaylistPtr playlist) {
    calls_.push_back("currentPlaylist=" + (playlist ? playlist->name() : std::string()));
    currentPlaylist_ = std::move(playlist);
    currentMedia_.reset();
    position_ = -1;
    state_ = PlayState::Stopped;
    if (currentPlaylist_ && currentPlaylist_->count() > 0) {
        open(0);
        if (autoStart_) parts_->play();
    }
}

void SimulatedPlayer::setCurrentMedia(MediaPtr media) {
    calls_.push_back("currentMedia=" + (media ? media->name() : std::string()));
    currentMedia_ = std::move(media);
    const ItemScript* item = currentScript();
    state_ = item ? item->stateWhenOpened : PlayState::Ready;
    if (item) queue(item->errorWhenOpened);
    if (currentMedia_ && autoStart_) parts_->play();
}

void SimulatedPlayer::open(int32_t index) {
    position_ = index;
    seconds_ = 0;
    currentMedia_ = currentPlaylist_->item(index);
    const ItemScript* item = currentScript();
    state_ = item ? item->stateWhenOpened : PlayState::Ready;
    if (item) queue(item->errorWhenOpened);
}

void SimulatedPlayer::queue(const std::optional<ErrorItem>& error) {
    if (error) errors_.push_back(*error);
}

const ItemScript* SimulatedPlayer::currentScript() const {
    const auto* media = dynamic_cast<const ScriptedMedia*>(currentMedia_.get());
    return media ? &media->script() : nullptr;
}

std::optional<double> SimulatedPlayer::duration() {
    const ItemScript* script = currentScript();
    if (!script) return std::nullopt;
    char* end = nullptr;
    const double seconds = std::strtod(script->duration.c_str(), &end);
    return end && *end == '\0' && !script->duration.empty() ? std::optional<double>(seconds) : std::nullopt;
}

bool SimulatedPlayer::seek(double seconds) {
    calls_.push_back("seek=" + std::to_string(seconds));
    if (!currentMedia_) return false;
    seconds_ = std::max(0.0, seconds);
    return true;
}

}  // namespace lumo::platform::simulated
