#pragma once
// The real media player: one GStreamer playbin, audio only.
//
// Threads. The host calls from one thread and runs whatever event loop it
// likes, or none. Three kinds of thread meet here:
// - the host's thread owns the state: the play state, the current item, the
//   playlist position, the error queue. Only handling events changes them,
//   and events are handled in one place (processEvents), on this thread:
//   when a GLib source on the default main context fires (Qt's dispatcher
//   shares that context), and at the start of every member a host calls, so
//   that a host without an event loop still reads current answers;
// - the pipeline's own thread (pipeline_thread.h) makes every call that
//   changes the pipeline and can block; a host call waits for it at most
//   `EngineLimits::hostWait`;
// - GStreamer's streaming threads only push events (engine_events.h) and
//   take the next item's URI for a gapless switch (handover.h).
//
// States (play_states.h has the table of moves). Assigning a playlist or an
// item gives Transitioning (9), then Ready (10) once the item has prerolled;
// with autoStart on it plays instead. play gives Playing (3) (Transitioning
// first when it has to open the item again), pause Paused (2) (only while
// playing), stop Stopped (1). next and previous keep playing, paused or
// ready (the item opens again) and stopped (only the position moves).
//   - next at the last item without loop does nothing; with loop it goes to
//     the first item (a new order when shuffled).
//   - previous at the first item starts it again.
//   - Items follow each other without a gap while playing; the state stays
//     Playing and the current item changes.
//   - At the end of the last item: with loop the playlist starts over;
//     otherwise the state is MediaEnded (8) until the host acts: play, stop,
//     next, previous or a new assignment. With autoRewind the current item
//     is the first one again already (play starts the playlist over), else
//     it stays the last one (play plays it again). Reading never ends it, so
//     every reader sees it, however many there are.
//   - An empty playlist becomes current with no current item: Stopped.
//   - Assigning an item of the current playlist moves there; any other item
//     becomes a one-item playlist of its own.
//   - With shuffle on, a playlist starts at a random item.
//   - After an item's error (queued once, see error_classes.h): Stopped.
//   - An item that has not opened within `EngineLimits::openLimit` fails
//     with an error naming it, and so does the item in hand when a pipeline
//     call does not return in that time: the pipeline is then given up and a
//     new one made, so the next item plays.
// Defaults: autoStart on, volume 100, balance 0, mute off, shuffle and loop
// off, autoRewind on. Volume outside 0..100 and balance outside -100..100
// are clamped. Error dialogs are never shown; the flag is only kept.
//
// When GStreamer cannot start, the player still exists: versionInfo and
// every member that needs the pipeline raise a player error, and playState
// is Undefined.

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gst/play_order.h"
#include "platform/gst/player_objects.h"
#include "platform/media_player.h"

typedef struct _GstElement GstElement;

namespace lumo::platform::gst {

struct EngineEvent;
class EventQueue;
class HostWakeup;
class Pipeline;
class PipelineThread;

struct EngineLimits {
    std::chrono::milliseconds hostWait{1000};      // the longest a host call waits for the pipeline
    std::chrono::milliseconds openLimit{15000};    // for an item to open, and for any pipeline call
    std::chrono::milliseconds landingLimit{2000};  // for a gapless switch in flight to land
};

// Where the player tells what went wrong outside any item (a sound output
// that could not be used): one line each, on the host's thread, during a
// host's call.
using ProblemLog = std::function<void(const std::string&)>;

class GstMediaPlayer final : public MediaPlayer,
                             private Controls,
                             private PlayerSettings,
                             private ErrorQueue {
public:
    // Empty stand-ins replace a missing playlist collection or CD drives;
    // the sink is chosen as audio_sink.h says.
    explicit GstMediaPlayer(std::shared_ptr<PlaylistCollection> playlists = nullptr,
                            std::shared_ptr<CdromCollection> cdroms = nullptr, std::string sinkDescription = {},
                            ProblemLog problems = {}, EngineLimits limits = {});
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

    double position() override;
    std::optional<double> duration() override;
    bool canSeek() override;
    bool seek(double seconds) override;
    int32_t currentIndex() override;
    void setEventHandler(PlayerEventHandler handler) override;
    // Until the pipeline tells something; it changes nothing itself.
    void waitForNews(std::chrono::microseconds limit) override;

    // Handles the events that arrived. Every member a host calls does this
    // first; hosts and tests without an event loop may call it themselves.
    void processEvents();

    // The playbin, for benchmarks and diagnostics that watch it; null when
    // GStreamer is unavailable. The player keeps ownership.
    GstElement* pipelineElement() const;

private:
    enum class Target { Stopped, Ready, Paused, Playing };
    struct OpenRequest {
        std::string uri;
        Target target = Target::Ready;
        std::optional<double> startAt;  // seconds into the item
    };
    using Clock = std::chrono::steady_clock;

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

    // The pipeline and its thread (player_pipeline.cpp).
    void makePipeline();
    void retirePipeline(const std::string& why);
    void requirePipeline() const;  // raises when GStreamer is unavailable
    // Runs `task` on the pipeline's thread; the host waits for it (at most
    // hostWait) when `wait`. A task that changes the pipeline's state closes
    // the gapless gate first (`closesGate`).
    void post(std::function<void(Pipeline&)> task, bool wait = true, bool closesGate = true);
    // A new epoch: the pipeline goes back to READY (NULL when `fromNull`),
    // then opens `request` if there is one.
    void reset(bool fromNull, std::optional<OpenRequest> request);
    void applyOutputSettings();
    // Moves the pipeline to `state` without a new epoch (play, pause); a
    // failure comes back as this epoch's event.
    void changeState(int gstState);

    // The state machine (player_engine.cpp).
    void handle(EngineEvent& event);
    void handleMessage(EngineEvent& event);
    void handleError(EngineEvent& event);
    void reopenAfter(bool (Pipeline::*change)());
    void handleEnd();
    void handleStreamStart();
    void handleBuffering(int percent);
    void startFailed();
    void settle();
    void checkLimits();
    void updateHandover();
    std::optional<Clock::time_point> nextDeadline() const;
    void transition(PlayState to);
    // Opens the item for `target` (Stopped only makes it current). A retry
    // opens from NULL and is made once per failure.
    void open(int item, Target target, std::optional<double> startAt = std::nullopt, bool retry = false);
    void adoptQueued(int item);
    void stopPipeline(bool fromNull = false);
    void fail();
    void report(ErrorItem item);
    void makeCurrent(int item);
    // Keeps an event for the handler and wakes the host's loop to hand it
    // over; without a handler nothing is kept.
    void tell(PlayerEvent event);
    void deliverEvents();
    void learn();
    void deliverProblems();
    // What every member a host calls does first: events, then problems.
    void catchUp();
    bool itemOpen() const;

    MediaPtr mediaAt(int index) const;
    int indexInPlaylist(const MediaPtr& media) const;

    std::shared_ptr<PlaylistCollection> playlists_;
    std::shared_ptr<CdromCollection> cdroms_;
    std::string sinkDescription_;
    ProblemLog problems_;
    std::vector<std::string> pendingProblems_;
    EngineLimits limits_;
    std::string unavailable_;  // why GStreamer cannot be used, if so

    std::shared_ptr<EventQueue> events_;
    std::shared_ptr<Pipeline> pipeline_;
    std::unique_ptr<PipelineThread> thread_;
    std::unique_ptr<HostWakeup> wakeup_;
    bool fallbackReported_ = false;

    // The model: only handling events and the host's calls change it.
    PlaylistPtr playlist_;
    PlayOrder order_;
    std::optional<PlayOrder> orderAfterNext_;  // the order once the handed-over item plays
    bool nextOffered_ = false;                 // the gate is open with the next item as it stands
    int currentIndex_ = -1;
    MediaPtr currentItem_;
    std::string currentUri_;
    LearnedInfo learned_;
    PlayState state_ = PlayState::Undefined;
    Target target_ = Target::Stopped;
    uint64_t epoch_ = 0;        // of the latest reset of the pipeline
    uint64_t streamEpoch_ = 0;  // whose events are arriving now
    std::optional<Clock::time_point> openDeadline_;
    std::optional<double> seekingTo_;  // until the pipeline has settled after a seek
    bool openingStarted_ = false;  // the opened stream's own start was seen
    bool errorReported_ = false;   // one error item per failure
    bool retried_ = false;         // a start that failed without a reason was tried once more
    bool openedOnAssignment_ = false;  // by assigning the playlist, and no other opening since
    bool buffering_ = false;
    bool processing_ = false;
    bool settleDue_ = true;  // an event or a pipeline task since the state was last settled

    PlayerEventHandler eventHandler_;
    std::deque<PlayerEvent> outbox_;
    bool delivering_ = false;
    const Playlist* toldPlaylist_ = nullptr;  // with toldIndex_: the item the last change named
    int toldIndex_ = -1;

    bool autoStart_ = true, mute_ = false, shuffle_ = false, loop_ = false, autoRewind_ = true;
    bool errorDialogs_ = false;
    int32_t volume_ = 100, balance_ = 0;
    std::vector<ErrorItem> errors_;
    ModeChangeHandler modeChanged_;
};

}  // namespace lumo::platform::gst
