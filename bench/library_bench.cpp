// The media library against its goals: finding a playlist by name and
// building its 100 items in a library of 10,000 playlists (100,000 and
// 1,000,000 tracks in the index, built with SQL inserts), auto playlists over
// 100,000 tracks, and indexing 2,000 generated files against a bare loop of
// TagLib reads over the same files. The three ways to learn the length of a
// four-minute MP3 without a Xing header show why the index walks its frames.
// The summary at the end states the goals next to the medians.

#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <stdlib.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/library/discoverer.h"
#include "platform/library/media_library.h"
#include "platform/library/mp3_frames.h"
#include "platform/library/track_index.h"
#include "bench/bench_summary.h"

namespace {

namespace fs = std::filesystem;
using namespace lumo::platform;
using namespace lumo::platform::library;

constexpr int Playlists = 10'000, PlaylistItems = 100, FilesPerKind = 400;
constexpr int64_t Now = 1'700'000'000, Day = 86400;

// One temporary folder for the whole run.
const fs::path& scratch() {
    static struct Scratch {
        fs::path path;
        Scratch() {
            std::string pattern = (fs::temp_directory_path() / "lumo-library-bench-XXXXXX").string();
            path = ::mkdtemp(pattern.data());
        }
        ~Scratch() { fs::remove_all(path); }
    } folder;
    return folder.path;
}

LibraryHooks quiet() {
    LibraryHooks hooks;
    hooks.log = [](std::string) {};
    hooks.now = [] { return Now; };
    return hooks;
}

// Synthetic tracks live under a music folder that does not exist: the
// library skips it and keeps what the index holds there.
fs::path trackPath(int n) {
    return scratch() / "offline" / ("artist" + std::to_string(n % 1000)) / ("album" + std::to_string(n % 5000)) /
           ("track" + std::to_string(n) + ".flac");
}

Track syntheticTrack(int n) {
    static const char* const genres[] = {"Jazz",  "Cool Jazz", "Rock", "Pop",        "Classical",
                                         "Blues", "Folk",      "Soul", "Electronic", "Hip-Hop"};
    Track track;
    track.path = trackPath(n);
    track.title = "Track " + std::to_string(n);
    track.artist = "Artist " + std::to_string(n % 1000);
    track.album = "Album " + std::to_string(n % 5000);
    track.genre = genres[n % 10];
    track.year = 1950 + n % 70;
    track.number = n % 15 + 1;
    track.duration = 120 + (n * 37) % 480;
    track.format = "flac";
    track.added = Now - (n % 3650) * Day;
    track.version = {4'000'000 + n, 1};
    return track;
}

void fillIndex(const fs::path& file, int tracks) {
    LibraryLog log([](std::string) {});
    TrackIndex index(file, log);
    for (int start = 0; start < tracks; start += 10'000) {
        TrackIndex::Batch batch;
        for (int n = start; n < std::min(tracks, start + 10'000); ++n) batch.store(syntheticTrack(n));
        index.write(batch);
    }
}

std::string playlistName(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "Playlist %05d", n);
    return name;
}

// 10,000 M3U files of 100 tracks each, all among the first 100,000, and two rule files.
const fs::path& playlistFolder() {
    static const fs::path folder = [] {
        const fs::path lists = scratch() / "playlists";
        fs::create_directories(lists);
        uint32_t seed = 12345;
        for (int p = 0; p < Playlists; ++p) {
            std::ofstream out(lists / (playlistName(p) + ".m3u"));
            out << "#EXTM3U\n";
            for (int i = 0; i < PlaylistItems; ++i) {
                seed = seed * 1664525 + 1013904223;
                out << trackPath(static_cast<int>(seed % 100'000)).native() << '\n';
            }
        }
        std::ofstream(lists / "jazz.autopl") << "[Auto Playlist]\nName=Long jazz tracks\nMatch=all\n"
                                                "Rule1=genre contains Jazz\nRule2=duration > 300\nOrder=-added\n"
                                                "Limit=50 items\n";
        std::ofstream(lists / "nineties.autopl") << "[Auto Playlist]\nName=Nineties\nRule1=year >= 1990\n"
                                                    "Rule2=year < 2000\nOrder=artist\n";
        // Written a day ago, as a library's playlists are: a file changed in
        // the second before the library reads it is read again by the next one.
        const auto dayAgo = fs::file_time_type::clock::now() - std::chrono::hours(24);
        for (const auto& entry : fs::directory_iterator(lists)) fs::last_write_time(entry.path(), dayAgo);
        return lists;
    }();
    return folder;
}

MediaLibrary& libraryWith(int tracks) {
    static std::map<int, std::unique_ptr<MediaLibrary>> libraries;
    std::unique_ptr<MediaLibrary>& library = libraries[tracks];
    if (!library) {
        const fs::path index = scratch() / ("index-" + std::to_string(tracks) + ".sqlite");
        fillIndex(index, tracks);
        library =
            std::make_unique<MediaLibrary>(LibraryConfig{{scratch() / "offline"}, {playlistFolder()}, index}, quiet());
        library->getAll();  // the first use reads the playlist folder
    }
    return *library;
}

void ActivateByName(benchmark::State& state) {
    MediaLibrary& library = libraryWith(static_cast<int>(state.range(0)));
    const PlaylistPtr probe = library.getByName(playlistName(0))->item(0);
    if (probe->count() != PlaylistItems || probe->item(0)->getItemInfo("Duration").empty())
        state.SkipWithError("the playlist's items are not in the index");
    int next = 0;
    for (auto _ : state) {
        const PlaylistPtr playlist = library.getByName(playlistName(next++ % Playlists))->item(0);
        for (int32_t i = 0; i < playlist->count(); ++i) {
            const MediaPtr item = playlist->item(i);
            benchmark::DoNotOptimize(item->name());
            benchmark::DoNotOptimize(item->getItemInfo("SourceURL"));
            benchmark::DoNotOptimize(item->getItemInfo("Duration"));
        }
    }
}
BENCHMARK(ActivateByName)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void AutoPlaylist(benchmark::State& state) {
    MediaLibrary& library = libraryWith(100'000);
    const char* name = state.range(0) == 0 ? "Long jazz tracks" : "Nineties";
    int32_t count = 0;
    for (auto _ : state) {
        const PlaylistPtr playlist = library.getByName(name)->item(0);
        count = playlist->count();
        for (int32_t i = 0; i < count; ++i) benchmark::DoNotOptimize(playlist->item(i)->name());
    }
    state.SetLabel(name);
    state.counters["items"] = count;
}
BENCHMARK(AutoPlaylist)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The first look of a new library at the playlist folder, after an earlier
// library kept in the index what the 10,000 files gave: each file is looked
// at, none read. The host's list of names and counts is taken too.
void FirstGetAll(benchmark::State& state) {
    libraryWith(100'000);  // the earlier library
    const LibraryConfig config{{scratch() / "offline"}, {playlistFolder()}, scratch() / "index-100000.sqlite"};
    for (auto _ : state) {
        MediaLibrary library(config, quiet());
        const PlaylistArrayPtr all = library.getAll();
        int64_t items = 0;
        for (int32_t i = 0; i < all->count(); ++i) {
            benchmark::DoNotOptimize(all->item(i)->name());
            items += all->item(i)->getItemInfo("PlaylistType") == "Static" ? all->item(i)->count() : 0;
        }
        if (all->count() != Playlists + 2 || items != int64_t{Playlists} * PlaylistItems)
            state.SkipWithError("playlists are missing");
    }
}
BENCHMARK(FirstGetAll)->Unit(benchmark::kMillisecond)->Iterations(1);

// The very first look, without an index: every one of the 10,000 files read.
void FirstGetAllWithoutIndex(benchmark::State& state) {
    int run = 0;
    for (auto _ : state) {
        const fs::path index = scratch() / ("new-index-" + std::to_string(run++) + ".sqlite");
        MediaLibrary library(LibraryConfig{{scratch() / "offline"}, {playlistFolder()}, index}, quiet());
        if (library.getAll()->count() != Playlists + 2) state.SkipWithError("playlists are missing");
    }
}
BENCHMARK(FirstGetAllWithoutIndex)->Unit(benchmark::kMillisecond)->Iterations(1);

// --- indexing -------------------------------------------------------------------

// Runs "<description> ! filesink" into the file (paths under the scratch folder have no blanks).
bool encode(const std::string& description, const fs::path& file) {
    GstElement* pipeline =
        ensureGstreamer() ? gst_parse_launch((description + " ! filesink location=" + file.string()).c_str(), nullptr)
                          : nullptr;
    if (!pipeline) return false;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message =
        gst_bus_timed_pop_filtered(bus, GST_CLOCK_TIME_NONE, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message) gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ok;
}

// 2,000 files of five seconds: FLAC, Ogg Vorbis, WAV, MP3 with and without a
// Xing header, 400 of each, each with its own tags.
const fs::path& generatedMusic() {
    static const fs::path folder = [] {
        const fs::path music = scratch() / "generated";
        const std::string tone = "audiotestsrc num-buffers=215 wave=pink-noise ! audioconvert ! ";
        const std::tuple<const char*, const char*, std::string> kinds[] = {
            {"flac", "flac", tone + "flacenc"},
            {"ogg", "ogg", tone + "vorbisenc ! oggmux"},
            {"wav", "wav", tone + "audio/x-raw,format=S16LE,channels=2 ! wavenc"},
            {"xing", "mp3", tone + "lamemp3enc target=quality quality=4 ! xingmux"},
            {"noxing", "mp3", tone + "lamemp3enc target=quality quality=4"},
        };
        for (const auto& [kind, extension, pipeline] : kinds) {
            const fs::path base = scratch() / (std::string("base-") + kind + "." + extension);
            if (!encode(pipeline, base)) std::fprintf(stderr, "cannot make %s\n", kind);
            const fs::path kindFolder = music / kind;
            fs::create_directories(kindFolder);
            for (int i = 0; i < FilesPerKind; ++i) {
                const fs::path file = kindFolder / (std::to_string(i) + "." + extension);
                fs::copy_file(base, file);
                TagLib::FileRef ref(file.c_str());
                if (ref.isNull()) continue;
                TagLib::Tag& tag = *ref.tag();
                tag.setTitle("Song " + std::to_string(i));
                tag.setArtist("Artist " + std::to_string(i % 50));
                tag.setAlbum("Album " + std::to_string(i % 100));
                tag.setGenre("Jazz");
                tag.setYear(1950 + i % 70);
                tag.setTrack(i % 15 + 1);
                ref.save();
            }
        }
        return music;
    }();
    return folder;
}

std::vector<fs::path> filesOf(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    return files;
}

// What the index keeps of each file, read by TagLib alone on one thread.
void TagLibLoop(benchmark::State& state) {
    const std::vector<fs::path> files = filesOf(generatedMusic());
    for (auto _ : state) {
        for (const fs::path& file : files) {
            const TagLib::FileRef ref(file.c_str());
            if (ref.isNull()) continue;
            const TagLib::Tag& tag = *ref.tag();
            for (const TagLib::String& text : {tag.title(), tag.artist(), tag.album(), tag.genre()})
                benchmark::DoNotOptimize(text.to8Bit(true));
            benchmark::DoNotOptimize(tag.year() + tag.track() + ref.audioProperties()->lengthInMilliseconds());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.size()));
}
BENCHMARK(TagLibLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void IndexFiles(benchmark::State& state) {
    const fs::path index = scratch() / "generated.sqlite";
    const LibraryConfig config{{generatedMusic()}, {}, index};
    for (auto _ : state) {
        state.PauseTiming();
        for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(index.string() + suffix);
        state.ResumeTiming();
        MediaLibrary library(config, quiet());
        if (library.refresh().stored != 5 * FilesPerKind) state.SkipWithError("not every file was indexed");
    }
    state.SetItemsProcessed(state.iterations() * 5 * FilesPerKind);
}
BENCHMARK(IndexFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A four-minute VBR MP3 without a Xing header: TagLib's guess, the frame walk, the discoverer.
void Mp3Length(benchmark::State& state) {
    static const fs::path file = [] {
        const fs::path mp3 = scratch() / "four-minutes.mp3";
        encode("audiotestsrc num-buffers=10336 wave=pink-noise ! audioconvert ! lamemp3enc target=quality quality=4",
               mp3);
        return mp3;
    }();
    Discoverer discoverer;
    double seconds = 0;
    for (auto _ : state) {
        if (state.range(0) == 0) {
            seconds = TagLib::FileRef(file.c_str()).audioProperties()->lengthInMilliseconds() / 1000.0;
        } else if (state.range(0) == 1) {
            seconds = mpegAudioDuration(file).value_or(0);
        } else {
            seconds = discoverer.discover(file).value_or(Discovery{}).duration.value_or(0);
        }
    }
    state.SetLabel(state.range(0) == 0 ? "TagLib" : state.range(0) == 1 ? "frame walk" : "discoverer");
    state.counters["seconds"] = seconds;
}
BENCHMARK(Mp3Length)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    using lumo::bench::verdict;
    return lumo::bench::runBenchmarks(argc, argv, [](const lumo::bench::SummaryReporter& runs) {
        const double small = runs.time("ActivateByName/100000"), large = runs.time("ActivateByName/1000000");
        const double jazz = runs.time("AutoPlaylist/0"), nineties = runs.time("AutoPlaylist/1");
        const double taglib = runs.time("TagLibLoop"), indexing = runs.time("IndexFiles");
        const double first = runs.time("FirstGetAll"), firstEver = runs.time("FirstGetAllWithoutIndex");
        std::printf("\nSummary (medians; a line is left out when its benchmarks did not run)\n");
        if (small > 0)
            std::printf("  getByName + 100 items, 100,000 tracks:   %8.3f ms   goal <= 2 ms: %s\n", small,
                        verdict(small <= 2));
        if (large > 0)
            std::printf(
                "  getByName + 100 items, 1,000,000 tracks: %8.3f ms   goal <= 4 ms: %s (%.2fx the 100,000 case)\n",
                large, verdict(large <= 4), small > 0 ? large / small : 0.0);
        if (jazz > 0 && nineties > 0)
            std::printf(
                "  auto playlist over 100,000 tracks:       %8.3f ms (long jazz, 50 items), %.3f ms (nineties, "
                "every item)   goal <= 50 ms: %s\n",
                jazz, nineties, verdict(std::max(jazz, nineties) <= 50));
        if (first > 0)
            std::printf("  first getAll, 10,000 playlist files:     %8.1f ms   goal <= 300 ms: %s\n", first,
                        verdict(first <= 300));
        if (firstEver > 0) std::printf("  the same without an index (first run):  %8.1f ms\n", firstEver);
        if (indexing > 0 && taglib > 0)
            std::printf(
                "  indexing 2,000 files:                    %8.1f ms   TagLib loop %.1f ms, speed %.2fx, goal >= "
                "0.70x: %s\n",
                indexing, taglib, taglib / indexing, verdict(taglib / indexing >= 0.7));
        if (runs.time("Mp3Length/2") > 0)
            std::printf(
                "  MP3 without Xing, 4 minutes:             TagLib %.3f ms (a guess), frame walk %.3f ms, "
                "discoverer %.3f ms\n",
                runs.time("Mp3Length/0"), runs.time("Mp3Length/1"), runs.time("Mp3Length/2"));
    });
}
