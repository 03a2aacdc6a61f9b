#pragma once
// The real media player: one GStreamer playbin, audio only.
//
// Threads. The host calls from one thread and runs whatever event loop it
// likes (or none): the player needs no GLib main loop. Every member first
// takes the pipeline's bus messages (gst_bus_pop) and moves the play state
// along, so playState() is current whenever it is read. The only work done
// on a streaming thread is choosing the next item near the end of a stream,
// so that items follow each other without a gap (see schedule.h); the host's
// state changes and those hand-overs keep out of each other's way
// (switch_guard.h).
//
// States. Assigning a playlist or an item gives Transitioning (9), then
// Ready (10) once the item has prerolled; with autoStart on it plays instead.
// play gives Playing (3) (Transitioning first when it has to open the item
// again), pause Paused (2) (only while playing), stop Stopped (1) at
// position 0. next and previous keep playing, paused, ready or stopped.
//   - next at the last item without loop does nothing; with loop it goes to
//     the first item (a new order when shuffled).
//   - previous at the first item starts it again.
//   - At the end of the last item: loop starts over; otherwise autoRewind
//     returns to the first item, Stopped; otherwise MediaEnded (8), reported
//     by one playState read, then Stopped (1) on the last item.
//   - An empty playlist becomes current with no current item: Stopped.
//   - Assigning an item of the current playlist moves there; any other item
//     becomes a one-item playlist of its own.
//   - With shuffle on, a playlist starts at a random item.
//   - After an item's error (queued once, see error_classes.h): Stopped.
// Defaults: autoStart on, volume 100, balance 0, mute off, shuffle and loop
// off, autoRewind on. Volume outside 0..100 and balance outside -100..100
// are clamped. Error dialogs are never shown; the flag is only kept.
//
// When GStreamer cannot start, the player still exists: versionInfo and
// every member that needs the pipeline raise a player error, and playState
// is Undefined.

#include <memory>
#include <string>
#include <vector>

#include "platform/gst/player_objects.h"
#include "platform/media_player.h"

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace lumo::platform::gst {

class Pipeline;
class Schedule;

class GstMediaPlayer final : public MediaPlayer,
                             private Controls,
                             private PlayerSettings,
                             private ErrorQueue {
public:
    // Empty stand-ins replace a missing playlist collection or CD drives;
    // the sink is chosen as audio_sink.h says.
    explicit GstMediaPlayer(std::shared_ptr<PlaylistCollection> playlists = nullptr,
                            std::shared_ptr<CdromCollection> cdroms = nullptr, std::string sinkDescription = {});
    ~GstMediaPlayer() override;

    Controls& controls() override { return *this; }
    PlayerSettings& settings() override { return *this; }
    PlayState playState() override;
    std::string versionInfo() override;
    PlaylistPtr currentPlaylist() override;
    void setCurrentPlaylist(PlaylistPtr playlist) override;
    MediaPtr currentMedia() override;
    void setCurrentMedia(MediaPtr media) override;
    PlaylistCollection& playlistCollection() override;
    CdromCollection& cdromCollection() override;
    ErrorQueue& error() override { return *this; }
    void setModeChangeHandler(ModeChangeHandler handler) override;

    // The playbin, for benchmarks and diagnostics that watch it; null when
    // GStreamer is unavailable. The player keeps ownership.
    GstElement* pipelineElement() const;

private:
    enum class Target { Stopped, Ready, Paused, Playing };

    // Controls
    void play() override;
    void pause() override;
    void stop() override;
    void next() override;
    void previous() override;
    // PlayerSettings
    bool autoStart() override;
    void setAutoStart(bool on) override;
    bool mute() override;
    void setMute(bool on) override;
    int32_t volume() override;
    void setVolume(int32_t volume) override;
    int32_t balance() override;
    void setBalance(int32_t balance) override;
    bool getMode(std::string_view mode) override;
    void setMode(std::string_view mode, bool on) override;
    bool enableErrorDialogs() override;
    void setEnableErrorDialogs(bool on) override;
    // ErrorQueue
    int32_t errorCount() override;
    ErrorItem item(int32_t index) override;
    void clearErrorQueue() override;

    // The state machine (player_engine.cpp).
    void pump();
    void handle(GstMessage* message);
    void handleError(GstMessage* message);
    void handleEnd();
    void handleStreamStart();
    void handleBuffering(GstMessage* message);
    void refreshState();
    void open(int item, Target target);
    void start();
    void interrupt();
    void fail();
    void makeCurrent(int item);
    void learn();
    void requirePipeline() const;  // raises when GStreamer is unavailable

    MediaPtr mediaAt(int index) const;
    int indexInPlaylist(const MediaPtr& media) const;

    std::shared_ptr<PlaylistCollection> playlists_;
    std::shared_ptr<CdromCollection> cdroms_;
    std::string unavailable_;  // why GStreamer cannot be used, if so
    std::unique_ptr<Schedule> schedule_;  // outlives the pipeline's streaming threads
    std::unique_ptr<Pipeline> pipeline_;

    PlaylistPtr playlist_;
    int current_ = -1;
    MediaPtr currentItem_;
    LearnedInfo learned_;
    PlayState state_ = PlayState::Undefined;
    Target target_ = Target::Stopped;
    int skipStarts_ = 0;       // stream starts of openings, not of queued items
    bool errorReported_ = false;  // one error item per failure
    bool startFailed_ = false;
    bool buffering_ = false;
    bool pumping_ = false;

    bool autoStart_ = true, mute_ = false, shuffle_ = false, loop_ = false, autoRewind_ = true;
    bool errorDialogs_ = false;
    int32_t volume_ = 100, balance_ = 0;
    std::vector<ErrorItem> errors_;
    ModeChangeHandler modeChanged_;
};

std::unique_ptr<MediaPlayer> createGstMediaPlayer(std::shared_ptr<PlaylistCollection> playlists = nullptr,
                                                  std::shared_ptr<CdromCollection> cdroms = nullptr,
                                                  std::string sinkDescription = {});

}  // namespace lumo::platform::gst
