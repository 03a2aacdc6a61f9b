#pragma once
// A media player that follows a script instead of playing anything: which
// playlists the library has, which drives hold which discs, the state each
// item reaches when it is opened and played, and the errors it queues. It
// lets the unit tests of the logic above the player make cases happen on
// demand (an item that never gets ready, a disc whose playlist queues an
// error). It is never the player of a real program.

#include <optional>
#include <string>
#include <vector>

#include "platform/media_player.h"

namespace lumo::platform::simulated {

struct ItemScript {
    std::string name;
    std::string sourceUrl;
    std::string mediaType = "audio";
    std::string duration = "1.0";
    PlayState stateWhenOpened = PlayState::Ready;  // Transitioning: never gets ready
    PlayState stateWhenPlayed = PlayState::Playing;
    std::optional<ErrorItem> errorWhenOpened{};
    std::optional<ErrorItem> errorWhenPlayed{};
};

struct PlaylistScript {
    std::string name;
    bool isAuto = false;
    std::vector<ItemScript> items{};
};

struct DriveScript {
    std::string driveSpecifier;            // "D:"
    std::optional<PlaylistScript> disc{};  // no disc: the drive's playlist is empty
};

struct Scenario {
    std::vector<PlaylistScript> playlists;
    std::vector<DriveScript> drives;
    std::string versionInfo = "Simulated player 1.0";
    bool versionFails = false;   // versionInfo raises: no player available
    bool libraryFails = false;   // getAll and getByName raise
};

class SimulatedPlayer final : public MediaPlayer {
public:
    explicit SimulatedPlayer(Scenario scenario);
    ~SimulatedPlayer() override;

    Controls& controls() override;
    PlayerSettings& settings() override;
    PlayState playState() override { return state_; }
    std::string versionInfo() override;
    PlaylistPtr currentPlaylist() override { return currentPlaylist_; }
    void setCurrentPlaylist(PlaylistPtr playlist) override;
    MediaPtr currentMedia() override { return currentMedia_; }
    void setCurrentMedia(MediaPtr media) override;
    PlaylistCollection& playlistCollection() override;
    CdromCollection& cdromCollection() override;
    ErrorQueue& error() override;
    void setModeChangeHandler(ModeChangeHandler handler) override { modeChanged_ = std::move(handler); }
    // The position is where the last seek put it; any current item seeks.
    double position() override { return currentMedia_ ? seconds_ : 0; }
    std::optional<double> duration() override;
    bool canSeek() override { return currentMedia_ != nullptr; }
    bool seek(double seconds) override;
    int32_t currentIndex() override { return currentMedia_ ? position_ : -1; }
    // Kept and never called: tests of what a listening host receives run
    // on the real player.
    void setEventHandler(PlayerEventHandler handler) override { eventHandler_ = std::move(handler); }

    // What the program asked of the player, one line per call ("play",
    // "volume=40", "currentPlaylist=Jazz"), for tests to read.
    const std::vector<std::string>& calls() const { return calls_; }
    // Lets a test change the script while the program runs (a disc ejected).
    Scenario& scenario() { return scenario_; }

private:
    class Parts;
    friend class Parts;
    void open(int32_t index);
    void queue(const std::optional<ErrorItem>& error);
    const ItemScript* currentScript() const;

    Scenario scenario_;
    std::unique_ptr<Parts> parts_;
    PlayState state_ = PlayState::Undefined;
    PlaylistPtr currentPlaylist_;
    MediaPtr currentMedia_;
    int32_t position_ = -1;
    double seconds_ = 0;
    std::vector<ErrorItem> errors_;
    std::vector<std::string> calls_;
    ModeChangeHandler modeChanged_;
    PlayerEventHandler eventHandler_;
    bool autoStart_ = true, mute_ = false, errorDialogs_ = true;
    bool shuffle_ = false, loop_ = false, autoRewind_ = false;
    int32_t volume_ = 50, balance_ = 0;
};

// The playlist a script describes, as the player hands it out.
PlaylistPtr makePlaylist(const PlaylistScript& script, std::string type);

}  // namespace lumo::platform::simulated
