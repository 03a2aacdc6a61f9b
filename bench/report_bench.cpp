// The playlist check over 500 short local files through the real player,
// against gst-discoverer-1.0 over the same files: the check opens, plays and
// stops each item, the discoverer only opens it. Goal: at least half the
// discoverer's files per second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "failsafe/failsafe.h"
#include "platform/user_settings.h"
#include "player/audio_player_host.h"
#include "report/check_playlist.h"
#include "tests/support/generated_media.h"
#include "bench/bench_summary.h"

namespace {

namespace fs = std::filesystem;
constexpr int files = 500;

// A tenth of a second of quiet mono audio.
void writeWav(const fs::path& file) {
    const lumo::testing::WavFormat mono{44100, 1};
    lumo::testing::writeWav(file, lumo::testing::silentSamples(4410, mono), mono);
}

fs::path libraryFolder() { return fs::temp_directory_path() / ("lumo-report-bench-" + std::to_string(::getpid())); }

const fs::path& library() {
    static const fs::path root = [] {
        const fs::path r = libraryFolder();
        fs::remove_all(r);
        fs::create_directories(r / "music");
        fs::create_directories(r / "lists");
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
            ::setenv(name, (r / name).c_str(), 1);
        ::setenv("LUMO_AUDIO_SINK", "fakesink sync=true", 1);
        std::ofstream list(r / "lists" / "Bench.m3u");
        for (int i = 0; i < files; ++i) {
            const fs::path file = r / "music" / ("tone" + std::to_string(i) + ".wav");
            writeWav(file);
            list << file.string() << "\n";
        }
        lumo::platform::writeSetting("LUMO Player", "Library", "MusicFolders", (r / "music").string());
        lumo::platform::writeSetting("LUMO Player", "Library", "PlaylistFolders", (r / "lists").string());
        return r;
    }();
    return root;
}

void BM_CheckOf500Files(benchmark::State& state) {
    library();
    lumo::failsafe::fsSTART();
    lumo::player::AudioPlayer();
    lumo::report::frmCheckPL check;
    for (auto _ : state) {
        check.DoNormalPLReport("Bench");
        if (check.rows().size() != files || check.panels()[0] != "Status = Done") {
            state.SkipWithError("the check did not pass every file");
            break;
        }
    }
    state.counters["files_per_s"] = benchmark::Counter(files, benchmark::Counter::kIsIterationInvariantRate);
    lumo::player::unloadAudioPlayer();
}
BENCHMARK(BM_CheckOf500Files)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_DiscovererOf500Files(benchmark::State& state) {
    const std::string command = "gst-discoverer-1.0 '" + (library() / "music").string() + "' >/dev/null 2>&1";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("gst-discoverer-1.0 failed");
    state.counters["files_per_s"] = benchmark::Counter(files, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DiscovererOf500Files)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    const int status = lumo::bench::runBenchmarks(argc, argv, [](const lumo::bench::SummaryReporter& runs) {
        const double check = runs.counter("BM_CheckOf500Files", "files_per_s");
        const double discoverer = runs.counter("BM_DiscovererOf500Files", "files_per_s");
        if (check <= 0 || discoverer <= 0) return;
        const double ratio = check / discoverer;
        std::printf("\nSummary (medians)\n  playlist check, 500 files:  %6.1f files/s; gst-discoverer %6.1f files/s; "
                    "ratio %.2f   goal >= 0.50: %s\n",
                    check, discoverer, ratio, lumo::bench::verdict(ratio >= 0.5));
    });
    std::error_code ignored;
    fs::remove_all(libraryFolder(), ignored);  // 500 generated files
    return status;
}
