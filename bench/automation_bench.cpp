// The automation object as a host meets it: creating the first object in a
// fresh process (against creating a libVLC instance and media player),
// InitialisePL of a 100-item and a 100,000-item playlist and of a disc
// found by its serial number among 4 drives, and the host's resident memory after the first
// object and one activation (against a process that only starts Qt Widgets
// and GStreamer). Processes are this program run again with --child=...

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "lumo/lumo_audio_client.h"
#include "tests/support/generated_media.h"
#include "bench/bench_summary.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double microsecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

void writeWav(const fs::path& file, int frames) {
    lumo::testing::writeWav(file, lumo::testing::silentSamples(static_cast<uint32_t>(frames)));
}

// A private home with a 100-item playlist, a 100,000-item one (the same
// files again and again), 4 disc images on D: to G: and the library
// registered; the children inherit it.
struct Home {
    fs::path root;
    Home() {
        root = fs::temp_directory_path() / ("lumo-automation-bench-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "music");
        fs::create_directories(root / "lists");
        fs::create_directories(root / "config/lumo");
        ::setenv("HOME", root.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
        ::setenv("LUMO_AUDIO_SINK", "fakesink sync=true", 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::ofstream list(root / "lists/Hundred.m3u");
        for (int i = 0; i < 100; ++i) {
            const std::string name = "track" + std::to_string(i) + ".wav";
            writeWav(root / "music" / name, 4410);
            list << "../music/" << name << "\n";
        }
        fs::create_directories(root / "large");
        std::ofstream large(root / "large/Large.m3u");
        for (int i = 0; i < 100000; ++i) large << (root / "music/track").string() << i % 100 << ".wav\n";
        std::ofstream settings(root / "config/lumo/LUMO Player.ini");
        settings << "[Library]\nMusicFolders=" << (root / "music").string()
                 << "\nPlaylistFolders=" << (root / "lists").string() << "\n[Drives]\n";
        for (int d = 0; d < 4; ++d) {
            const std::string name = "disc" + std::to_string(d);
            std::ofstream(root / (name + ".cue")) << "FILE \"" << name << ".bin\" BINARY\nTRACK 01 AUDIO\n"
                                                  << "INDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:0" << (2 + d)
                                                  << ":00\n";
            std::ofstream(root / (name + ".bin")).close();
            fs::resize_file(root / (name + ".bin"), uintmax_t{75 * 10} * 2352);
            settings << static_cast<char>('D' + d) << "=" << (root / (name + ".cue")).string() << "\n";
        }
        settings.close();
        // The start-up and memory figures are taken without the large
        // playlist: listing it is the library's first reading of it.
        fs::create_directories(root / "config-small/lumo");
        fs::copy_file(root / "config/lumo/LUMO Player.ini", root / "config-small/lumo/LUMO Player.ini");
        {
            std::ofstream withLarge(root / "config/lumo/LUMO Player.ini", std::ios::trunc);
            withLarge << "[Library]\nMusicFolders=" << (root / "music").string() << "\nPlaylistFolders="
                      << (root / "lists").string() << ", " << (root / "large").string() << "\n";
            std::ifstream small(root / "config-small/lumo/LUMO Player.ini");
            std::string line;
            bool drives = false;
            while (std::getline(small, line)) {
                drives = drives || line == "[Drives]";
                if (drives) withLarge << line << "\n";
            }
        }
        std::string why;
        if (lumo::failed(lumo::callEntryPoint(LUMO_LIBRARY_PATH, "DllRegisterServer", &why)))
            std::fprintf(stderr, "cannot register the library: %s\n", why.c_str());
    }
    ~Home() { fs::remove_all(root); }
};

// The serial number of the last image (tracks at 0 and 5 s, 10 s long; a
// two-track disc adds its length): 00:02:00 + 00:07:00 + 750 frames.
const std::string kLastDiscSerial = std::to_string(0x000200 + 0x000700 + 750);

lumo::Selection standardPlaylist(const char* name = "Hundred") {
    lumo::Selection s;
    s.playListType = 0;
    s.playList = name;
    return s;
}

lumo::Selection discBySerial() {
    lumo::Selection s;
    s.playListType = 2;
    s.howToIDCD = 2;
    s.serialNumber = kLastDiscSerial;
    return s;
}

int runChild(const std::string& what) {
    const auto start = Clock::now();
    if (what == "lumo-first") {
        lumo::LUMOAudio audio = lumo::LUMOAudio::create();
        std::printf("%.1f\n", microsecondsSince(start));
    } else if (what == "vlc-first") {
        void* vlc = ::dlopen("libvlc.so.5", RTLD_NOW);
        if (!vlc) return 1;
        auto create = reinterpret_cast<void* (*)(int, const char* const*)>(::dlsym(vlc, "libvlc_new"));
        auto player = reinterpret_cast<void* (*)(void*)>(::dlsym(vlc, "libvlc_media_player_new"));
        void* instance = create ? create(0, nullptr) : nullptr;
        if (!instance || !player || !player(instance)) return 1;
        std::printf("%.1f\n", microsecondsSince(start));
    } else if (what == "large-first") {
        lumo::LUMOAudio audio = lumo::LUMOAudio::create();
        const auto activation = Clock::now();
        if (!audio.InitialisePL(standardPlaylist("Large")).activated) return 1;
        std::printf("%.1f\n", microsecondsSince(activation));
    } else if (what == "rss-lumo") {
        lumo::LUMOAudio audio = lumo::LUMOAudio::create();
        if (!audio.InitialisePL(standardPlaylist()).activated) return 1;
        std::printf("%ld\n", residentKilobytes());
    } else if (what == "rss-bare") {
        static int argc = 1;
        static char name[] = "bare";
        static char* argv[] = {name, nullptr};
        QApplication application(argc, argv);
        void* gst = ::dlopen("libgstreamer-1.0.so.0", RTLD_NOW);
        auto init = gst ? reinterpret_cast<void (*)(int*, char***)>(::dlsym(gst, "gst_init")) : nullptr;
        if (!init) return 1;
        init(nullptr, nullptr);
        std::printf("%ld\n", residentKilobytes());
    } else {
        return 2;
    }
    return 0;
}

// The median of what `runs` children print; `small` children see the
// library without the large playlist.
double childMedian(const std::string& what, int runs, bool small = true) {
    std::vector<double> values;
    const std::string config = std::string(std::getenv("XDG_CONFIG_HOME")) + (small ? "-small" : "");
    for (int i = 0; i < runs; ++i) {
        const std::string command = "env XDG_CONFIG_HOME='" + config + "' /proc/" + std::to_string(::getpid()) +
                                    "/exe --child=" + what;
        FILE* child = ::popen(command.c_str(), "r");
        double value = 0;
        if (child && std::fscanf(child, "%lf", &value) == 1) values.push_back(value);
        if (child) ::pclose(child);
    }
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void InitialiseStandard(benchmark::State& state, const char* name) {
    lumo::LUMOAudio audio = lumo::LUMOAudio::create();
    if (!audio.InitialisePL(standardPlaylist(name)).activated) state.SkipWithError("the playlist did not activate");
    for (auto _ : state) benchmark::DoNotOptimize(audio.InitialisePL(standardPlaylist(name)).activated);
}
BENCHMARK_CAPTURE(InitialiseStandard, 100, "Hundred")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(InitialiseStandard, 100000, "Large")->Unit(benchmark::kMicrosecond);

void InitialiseDiscBySerialAmong4(benchmark::State& state) {
    lumo::LUMOAudio audio = lumo::LUMOAudio::create();
    const lumo::Activation first = audio.InitialisePL(discBySerial());
    if (!first.activated) state.SkipWithError(("no disc found, flags " + std::to_string(first.plError)).c_str());
    for (auto _ : state) benchmark::DoNotOptimize(audio.InitialisePL(discBySerial()).activated);
}
BENCHMARK(InitialiseDiscBySerialAmong4)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--child=", 0) == 0) return runChild(argv[i] + 8);
    Home home;
    using lumo::bench::verdict;
    const char* const activations[] = {"InitialiseStandard/100", "InitialiseStandard/100000",
                                       "InitialiseDiscBySerialAmong4"};
    std::map<std::string, double> medianUs;  // of the activations that ran
    const int status = lumo::bench::runBenchmarks(argc, argv, [&](const lumo::bench::SummaryReporter& runs) {
        for (const char* name : activations)
            if (runs.time(name) > 0) medianUs[name] = runs.time(name);
    });
    if (status != 0) return status;

    const double lumoFirst = childMedian("lumo-first", 7), vlcFirst = childMedian("vlc-first", 7);
    const double lumoRss = childMedian("rss-lumo", 5), bareRss = childMedian("rss-bare", 5);
    const double largeFirst = childMedian("large-first", 5, false);
    std::printf("\nSummary (medians)\n");
    std::printf("  first object in a fresh process: %8.1f ms; libVLC instance + player: %8.1f ms; ratio %.2f   goal <= 0.5: %s\n",
                lumoFirst / 1000, vlcFirst / 1000, lumoFirst / vlcFirst, verdict(vlcFirst > 0 && lumoFirst <= 0.5 * vlcFirst));
    for (const auto& [what, name] : {std::pair{"InitialisePL, 100-item playlist:", activations[0]},
                                     {"InitialisePL, 100,000-item playlist:", activations[1]},
                                     {"InitialisePL, disc by serial among 4 drives:", activations[2]}}) {
        const double us = medianUs.count(name) ? medianUs[name] : -1;
        std::printf("  %-45s %8.1f us   goal <= 5000 us: %s\n", what, us, verdict(us >= 0 && us <= 5000));
    }
    std::printf("  %-45s %8.1f us   goal <= 5000 us: %s\n", "InitialisePL, 100,000 items, first in a process:",
                largeFirst, verdict(largeFirst >= 0 && largeFirst <= 5000));
    std::printf("  resident memory after one activation: %ld kB; Qt Widgets + GStreamer alone: %ld kB; ratio %.2f   goal <= 1.3: %s\n",
                static_cast<long>(lumoRss), static_cast<long>(bareRss), lumoRss / bareRss,
                verdict(bareRss > 0 && lumoRss <= 1.3 * bareRss));
    return 0;
}
