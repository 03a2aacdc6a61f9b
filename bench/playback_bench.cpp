// Playback start-up: from assigning a one-item playlist of a local FLAC file
// to Ready (10), and from play to the first buffer at the sink, for the
// player and for GStreamer's own GstPlay on the same file in the same run.
// Both play into a clock-synchronised fakesink whose handoff marks the first
// buffer. The summary at the end states the goals next to the medians.

#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <gst/play/play.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/gst/gst_media_player.h"
#include "bench/bench_summary.h"

namespace {

using namespace lumo::platform;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr auto kLimit = std::chrono::seconds(5);
constexpr const char* kSink = "fakesink name=bench-sink sync=true signal-handoffs=true";

// A 3 s stereo FLAC tone in a temporary folder, removed at exit.
struct FlacFile {
    fs::path folder = fs::temp_directory_path() / ("lumo-bench-" + std::to_string(::getpid()));
    fs::path file = folder / "tone.flac";
    std::string uri;
    FlacFile() {
        fs::create_directories(folder);
        const std::string description = "audiotestsrc num-buffers=130 samplesperbuffer=1024 ! "
                                        "audio/x-raw,rate=44100,channels=2 ! audioconvert ! flacenc ! "
                                        "filesink location=\"" + file.string() + "\"";
        GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        GstBus* bus = gst_element_get_bus(pipeline);
        if (GstMessage* end = gst_bus_timed_pop_filtered(bus, 20 * GST_SECOND,
                                                         static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)))
            gst_message_unref(end);
        gst_object_unref(bus);
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        gchar* text = gst_filename_to_uri(file.c_str(), nullptr);
        uri = text;
        g_free(text);
    }
    ~FlacFile() { fs::remove_all(folder); }
};

FlacFile& flac() {
    static FlacFile made;
    return made;
}

class Item final : public Media {
public:
    std::string name() const override { return "tone"; }
    std::string getItemInfo(std::string_view attribute) const override {
        return attribute == "SourceURL" ? flac().uri : "";
    }
};

class OneItem final : public Playlist {
public:
    int32_t count() const override { return 1; }
    std::string name() const override { return "bench"; }
    MediaPtr item(int32_t) const override { return item_; }
    std::string getItemInfo(std::string_view) const override { return "Static"; }

private:
    MediaPtr item_ = std::make_shared<Item>();
};

// When the first buffer reached the sink: the handoff notes the time on the
// streaming thread, the measuring thread waits for it.
class FirstBuffer {
public:
    explicit FirstBuffer(GstElement* sink) {
        g_signal_connect(sink, "handoff", G_CALLBACK(+[](GstElement*, GstBuffer*, GstPad*, gpointer self) {
                             static_cast<FirstBuffer*>(self)->arrive();
                         }),
                         this);
    }
    void reset() {
        std::lock_guard lock(mutex_);
        arrived_.reset();
    }
    std::optional<Clock::time_point> wait() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kLimit, [&] { return arrived_.has_value(); });
        return arrived_;
    }

private:
    void arrive() {
        const auto now = Clock::now();
        std::lock_guard lock(mutex_);
        if (arrived_) return;
        arrived_ = now;
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Clock::time_point> arrived_;
};

GstElement* sinkOf(GstElement* playbin) {
    GstElement* sink = nullptr;
    g_object_get(playbin, "audio-sink", &sink, nullptr);
    return sink;  // a reference the caller drops
}

// A host polling the play state, as hosts do.
bool pollUntilReady(MediaPlayer& player) {
    const auto deadline = Clock::now() + kLimit;
    while (player.playState() != PlayState::Ready) {
        if (Clock::now() > deadline || player.error().errorCount() > 0) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return true;
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// GstPlay with the same sink; it reports its states on its message bus.
class Reference {
public:
    Reference() : play_(gst_play_new(nullptr)), bus_(gst_play_get_message_bus(play_)) {
        GstElement* pipeline = gst_play_get_pipeline(play_);
        g_object_set(pipeline, "audio-sink", gst_parse_launch(kSink, nullptr), nullptr);
        GstElement* sink = sinkOf(pipeline);
        first_ = std::make_unique<FirstBuffer>(sink);
        gst_object_unref(sink);
        gst_object_unref(pipeline);
    }
    ~Reference() {
        gst_play_stop(play_);
        gst_object_unref(bus_);
        gst_object_unref(play_);
    }
    GstPlay* play() { return play_; }
    FirstBuffer& first() { return *first_; }
    bool waitFor(GstPlayState wanted) {
        const auto deadline = Clock::now() + kLimit;
        while (Clock::now() < deadline) {
            GstMessage* message = gst_bus_timed_pop(bus_, 100 * GST_MSECOND);
            if (!message) continue;
            GstPlayMessage type;
            gst_play_message_parse_type(message, &type);
            GstPlayState reached = GST_PLAY_STATE_STOPPED;
            if (type == GST_PLAY_MESSAGE_STATE_CHANGED) gst_play_message_parse_state_changed(message, &reached);
            gst_message_unref(message);
            if (type == GST_PLAY_MESSAGE_ERROR) return false;
            if (type == GST_PLAY_MESSAGE_STATE_CHANGED && reached == wanted) return true;
        }
        return false;
    }

private:
    GstPlay* play_;
    GstBus* bus_;
    std::unique_ptr<FirstBuffer> first_;
};

// The player and GstPlay take turns in every iteration, each going first
// every other time, so that a change of load on the machine weighs on both
// alike. The benchmark's time is the player's; the counters hold the median
// of each and their ratio.
class Contenders {
public:
    Contenders() { player_.settings().setAutoStart(false); }
    ~Contenders() { gst_object_unref(playerSink_); }

    // Each gives the milliseconds measured, or nothing when it failed.
    std::optional<double> openPlayer() {
        const auto start = Clock::now();
        player_.setCurrentPlaylist(playlist_);
        if (!pollUntilReady(player_)) return std::nullopt;
        return millisecondsBetween(start, Clock::now());
    }
    std::optional<double> openReference() {
        const auto start = Clock::now();
        gst_play_set_uri(reference_.play(), flac().uri.c_str());
        gst_play_pause(reference_.play());
        if (!reference_.waitFor(GST_PLAY_STATE_PAUSED)) return std::nullopt;
        return millisecondsBetween(start, Clock::now());
    }
    std::optional<double> firstBufferOfPlayer() {
        if (!openPlayer()) return std::nullopt;
        settle();
        playerFirst_.reset();
        const auto start = Clock::now();
        player_.controls().play();
        const auto arrived = playerFirst_.wait();
        return arrived ? std::optional(millisecondsBetween(start, *arrived)) : std::nullopt;
    }
    std::optional<double> firstBufferOfReference() {
        if (!openReference()) return std::nullopt;
        settle();
        reference_.first().reset();
        const auto start = Clock::now();
        gst_play_play(reference_.play());
        const auto arrived = reference_.first().wait();
        return arrived ? std::optional(millisecondsBetween(start, *arrived)) : std::nullopt;
    }

    // Play is pressed on a settled item: right after preroll the decoder
    // still fills the queues, and that work would be measured instead.
    static void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

    template <typename PlayerTurn, typename ReferenceTurn>
    void run(benchmark::State& state, PlayerTurn playerTurn, ReferenceTurn referenceTurn) {
        std::vector<double> players, references;
        bool playerFirst = true;
        for (auto _ : state) {
            std::optional<double> player, reference;
            if (playerFirst) player = (this->*playerTurn)();
            reference = (this->*referenceTurn)();
            if (!playerFirst) player = (this->*playerTurn)();
            playerFirst = !playerFirst;
            if (!player || !reference) return state.SkipWithError("a start-up failed or timed out");
            state.SetIterationTime(*player / 1000);
            players.push_back(*player);
            references.push_back(*reference);
        }
        // Medians: a scheduling stall of the machine must not decide.
        const double player = median(players), reference = median(references);
        state.counters["player_ms"] = player;
        state.counters["gstplay_ms"] = reference;
        state.counters["ratio"] = player / reference;
    }

private:
    gst::GstMediaPlayer player_{nullptr, nullptr, kSink};
    GstElement* playerSink_ = sinkOf(player_.pipelineElement());
    FirstBuffer playerFirst_{playerSink_};
    PlaylistPtr playlist_ = std::make_shared<OneItem>();
    Reference reference_;
};

void OpenToReady(benchmark::State& state) {
    Contenders().run(state, &Contenders::openPlayer, &Contenders::openReference);
}
BENCHMARK(OpenToReady)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

void PlayToFirstBuffer(benchmark::State& state) {
    Contenders().run(state, &Contenders::firstBufferOfPlayer, &Contenders::firstBufferOfReference);
}
BENCHMARK(PlayToFirstBuffer)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

// One line of the summary: the two sides' medians and their ratio.
void summaryLine(const lumo::bench::SummaryReporter& runs, const char* what, const char* name) {
    const double player = runs.counter(name, "player_ms"), reference = runs.counter(name, "gstplay_ms");
    const double ratio = runs.counter(name, "ratio");
    if (ratio <= 0) {
        std::printf("  %-22s not measured\n", what);
        return;
    }
    std::printf("  %-22s player %7.3f   GstPlay %7.3f   ratio %.2f, goal <= 1.00: %s\n", what, player, reference, ratio,
                lumo::bench::verdict(ratio <= 1.0));
}

}  // namespace

int main(int argc, char** argv) {
    gst_init(nullptr, nullptr);
    flac();
    return lumo::bench::runBenchmarks(argc, argv, [](const lumo::bench::SummaryReporter& runs) {
        std::printf("\nSummary (medians, ms; the two take turns in each iteration)\n");
        summaryLine(runs, "open to ready (10)", "OpenToReady");
        summaryLine(runs, "play to first buffer", "PlayToFirstBuffer");
    });
}
