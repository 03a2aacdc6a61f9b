// Auto playlist rule files: any bytes as a NAME.autopl file. What parses is
// then evaluated over a small track index, as the library does when the
// playlist is opened, so that every accepted rule also meets SQLite.

#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/library/auto_query.h"
#include "platform/library/auto_rules.h"
#include "platform/library/sqlite.h"
#include "platform/library/track_index.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

namespace fs = std::filesystem;
using namespace lumo::platform::library;

constexpr int64_t now = 1700000000;

Track track(std::string path, std::string title, std::string genre, std::optional<int64_t> year,
            std::optional<double> duration, int64_t daysAgo) {
    Track made;
    made.path = std::move(path);
    made.title = std::move(title);
    made.artist = "Artist";
    made.album = "Album";
    made.genre = std::move(genre);
    made.year = year;
    made.number = 1;
    made.duration = duration;
    made.format = "flac";
    made.added = now - daysAgo * 86400;
    made.version = {1000, 1};
    return made;
}

// One index for the whole run, in a folder of its own that goes at exit.
class Index {
public:
    Index() : folder_(makeFolder()), log_([](std::string) {}), index_(folder_ / "tracks.sqlite", log_) {
        TrackIndex::Batch batch;
        batch.store(track("/music/a.flac", "So What", "Jazz", 1959, 545.5, 3));
        batch.store(track("/music/b.flac", "100% _pure_", "Rock", std::nullopt, 200, 40));
        batch.store(track("/music/c.flac", "Café", "jazz", 2001, std::nullopt, 0));
        batch.store(track("/music/d.flac", "", "", -5, 0.4, 10000));
        index_.write(batch);
    }
    ~Index() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    TrackIndex& get() { return index_; }

private:
    static fs::path makeFolder() {
        std::string name = (fs::temp_directory_path() / "lumo-fuzz-rules-XXXXXX").string();
        if (!::mkdtemp(name.data())) lumo::fuzz::fail("no temporary folder");
        return name;
    }
    fs::path folder_;
    LibraryLog log_;
    TrackIndex index_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Index index;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const RuleFile file = parseRuleFile(text, "Fuzz");
    if (!file.rules) {
        lumo::fuzz::require(file.error.line >= 1 && !file.error.reason.empty(), "a refusal without line or reason");
        return 0;
    }
    const AutoPlaylistRules& rules = *file.rules;
    lumo::fuzz::require(!rules.name.empty(), "a playlist without a name");
    for (const Rule& rule : rules.rules)
        if (isNumeric(rule.field)) lumo::fuzz::require(std::isfinite(rule.number), "a number field compared with no number");
    if (rules.limit != AutoPlaylistRules::Limit::None) lumo::fuzz::require(rules.limitCount > 0, "a limit of nothing");
    try {
        const std::vector<Track> tracks = evaluateRules(index.get(), rules, now);
        if (rules.limit == AutoPlaylistRules::Limit::Items)
            lumo::fuzz::require(static_cast<int64_t>(tracks.size()) <= rules.limitCount, "more tracks than the limit");
    } catch (const SqliteError& error) {
        // The library logs this and shows an empty playlist; only SQLite's
        // own limits (expression depth 1000) may bring it about.
        if (rules.rules.size() < 500) lumo::fuzz::fail(error.what());
    }
    return 0;
}
