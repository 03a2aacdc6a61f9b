// The media library on real files in a temporary folder: the playlists it
// lists, the track index, auto playlists and playlist files as editors
// write them (read through totem-pl-parser).
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "media_files.h"
#include "platform/library/auto_rules.h"
#include "platform/library/media_library.h"
#include "platform/library/playlist_file.h"
#include "platform/library/text.h"
#include "platform/library/track_index.h"

namespace lumo::platform::library::testing {
namespace {

// A media library of its own for each test: music, playlist folders and the
// index in a temporary folder, a clock the test sets, and the log and the
// files read kept for the test to look at.
using Names = std::vector<std::string>;

class MediaLibraryTest : public ::testing::Test {
protected:
    static constexpr int64_t Day = 86400;

    TempFolder root;
    fs::path music = root / "music", lists = root / "playlists", indexFile = root / "cache" / "library.sqlite";
    int64_t clock = 1'700'000'000;
    std::vector<std::string> logged;
    std::vector<fs::path> reads, playlistReads;  // music files, playlist files

    LibraryConfig config() const { return {{music}, {lists}, indexFile}; }
    std::unique_ptr<MediaLibrary> open(const LibraryConfig& with) {
        return std::make_unique<MediaLibrary>(
            with, LibraryHooks{[this](std::string message) { logged.push_back(std::move(message)); },
                               [this](const fs::path& file) { reads.push_back(file); }, [this] { return clock; },
                               [this](const fs::path& file) { playlistReads.push_back(file); }});
    }
    std::unique_ptr<MediaLibrary> open() { return open(config()); }

    // How many log lines contain each of the parts.
    int loggedWith(std::initializer_list<std::string_view> parts) const {
        return static_cast<int>(std::count_if(logged.begin(), logged.end(), [&](const std::string& line) {
            return std::all_of(parts.begin(), parts.end(),
                               [&](std::string_view part) { return line.find(part) != std::string::npos; });
        }));
    }
    std::string allLogged() const { return ::testing::PrintToString(logged); }
};

// The names of the playlists in a list, or of the items of a playlist.
template <typename List>
Names namesOf(const List& list) {
    Names names;
    for (int32_t i = 0; i < list->count(); ++i) names.push_back(list->item(i)->name());
    return names;
}

PlaylistPtr only(const PlaylistArrayPtr& playlists) {
    EXPECT_EQ(playlists->count(), 1);
    return playlists->count() > 0 ? playlists->item(0) : nullptr;
}

const std::string Xspf = "<?xml version=\"1.0\"?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><title>";
const std::string XspfEnd = "</title><trackList><track><location>a.mp3</location></track></trackList></playlist>";

TEST_F(MediaLibraryTest, GetAllOrderAndGetByNameDuplicates) {
    const fs::path a = root / "A", b = root / "B";
    writeText(a / "Road Trip.m3u", "a.mp3\n");
    writeText(b / "Road Trip.m3u", "a.mp3\nb.mp3\n");
    writeText(a / "mix.xspf", Xspf + "Road Trip" + XspfEnd);
    writeText(a / "road trip.pls", "[playlist]\nFile1=a.mp3\nNumberOfEntries=1\n");
    writeText(a / "alpha.autopl", "[Auto Playlist]\nName=Zed\n");
    writeText(a / "beta.m3u8", "a.mp3\n");
    writeText(b / "Zulu.wpl",
              "<smil><head><title>Alpha</title></head><body><seq><media src=\"a.mp3\"/></seq></body></smil>");
    writeText(a / "notes.txt", "not a playlist");
    writeText(a / ".hidden.m3u", "a.mp3\n");
    writeText(a / "sub/deeper.m3u", "a.mp3\n");  // playlist folders are read at their top level only
    LibraryConfig where = config();
    where.playlistFolders = {a, b, a};
    auto library = open(where);

    const PlaylistArrayPtr all = library->getAll();
    EXPECT_EQ(namesOf(all), (Names{"Alpha", "beta", "Road Trip", "Road Trip", "Road Trip", "road trip", "Zed"}));
    const PlaylistArrayPtr trips = library->getByName("Road Trip");
    ASSERT_EQ(trips->count(), 3);
    EXPECT_EQ(trips->item(2)->count(), 2);  // A/Road Trip.m3u, then A/mix.xspf, then B/Road Trip.m3u
    EXPECT_EQ(trips->item(1)->item(0)->getItemInfo("SourceURL"), fileUri(a / "a.mp3"));
    EXPECT_EQ(trips->item(2)->item(1)->getItemInfo("SourceURL"), fileUri(b / "b.mp3"));
    EXPECT_EQ(library->getByName("road trip")->count(), 1);
    EXPECT_EQ(library->getByName("nothing")->count(), 0);
    EXPECT_EQ(only(library->getByName("Zed"))->getItemInfo("PlaylistType"), "Auto");
    EXPECT_EQ(only(library->getByName("beta"))->getItemInfo("PlaylistType"), "Static");
}

// A new library takes from the index what an earlier one read, and reads a
// file again when its size or times (to the nanosecond) changed, or when it
// was changed in the second before it was read.
TEST_F(MediaLibraryTest, ANewLibraryReadsOnlyChangedPlaylistFiles) {
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const auto write = [&](const char* file, const std::string& contents) {
        writeText(lists / file, contents);
        fs::last_write_time(lists / file, hourAgo);
    };
    for (const char* file : {"kept.xspf", "edited.xspf", "grown.xspf", "opened.xspf"}) write(file, Xspf + "A" + XspfEnd);
    writeText(lists / "racy.xspf", Xspf + "A" + XspfEnd);  // may change again within its time's tick
    write("bad.autopl", "[Auto Playlist]\nRule1=colour is red\n");
    write("binary.m3u", std::string("\x01\x00", 2));
    EXPECT_EQ(namesOf(open()->getAll()), (Names{"A", "A", "A", "A", "A"}));

    write("edited.xspf", Xspf + "B" + XspfEnd);  // the same size, a nanosecond later
    fs::last_write_time(lists / "edited.xspf", hourAgo + std::chrono::nanoseconds(1));
    write("grown.xspf", Xspf + "BB" + XspfEnd);  // the same time, another size
    fs::permissions(lists / "opened.xspf", fs::perms::owner_exec, fs::perm_options::add);  // its status only
    logged.clear();
    playlistReads.clear();
    auto library = open();
    const PlaylistArrayPtr all = library->getAll();
    EXPECT_EQ(std::set<fs::path>(playlistReads.begin(), playlistReads.end()),
              (std::set<fs::path>{lists / "edited.xspf", lists / "grown.xspf", lists / "opened.xspf",
                                  lists / "racy.xspf"}));
    EXPECT_EQ(namesOf(all), (Names{"A", "A", "A", "B", "BB"}));
    EXPECT_EQ(loggedWith({"bad.autopl:2: unknown field 'colour'"}), 1) << allLogged();
    EXPECT_EQ(loggedWith({"binary.m3u", "binary data"}), 1) << allLogged();

    // The open library follows files and folders that go.
    fs::remove(lists / "kept.xspf");
    EXPECT_EQ(namesOf(library->getAll()), (Names{"A", "A", "B", "BB"}));
    fs::remove_all(lists);
    EXPECT_EQ(namesOf(library->getAll()), Names{});
    EXPECT_EQ(namesOf(open()->getAll()), Names{});
}

TEST(PlaylistFileTest, MarksWideTextAndOddEntriesAreRead) {
    TempFolder folder;
    std::string utf16 = "\xFF\xFE";  // as Windows' "Unicode" text
    for (const char c : std::string("#EXTM3U\r\n#EXTINF:183,So What\r\nsub/u.ogg\r\n")) utf16 += {c, '\0'};
    const std::pair<const char*, std::string> cases[] = {
        {"marked.m3u", "\xEF\xBB\xBF#EXTM3U\n#EXTINF:183,So What\nsub/u.ogg\n"},  // Notepad writes a mark
        {"wide.m3u", utf16},
        {"list.asx", "<asx version=\"3.0\"><title>T</title><entry><title>So What</title><ref href=\"sub\\u.ogg\"/>"
                     "</entry><entry><ref href=\"http://example.com/s.mp3\"/></entry></asx>\n"},
        {"list.xspf", "<?xml version=\"1.0\"?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>"
                      "<track><location>sub/u.ogg</location><title>So What</title><duration>183400</duration></track>"
                      "<track><location>../music/Caf%C3%A9%20Noir.mp3</location></track>"
                      "<track><location>file:///abs/100%25.mp3</location></track></trackList></playlist>\n"},
    };
    for (const auto& [name, contents] : cases) {
        SCOPED_TRACE(name);
        writeText(folder / name, contents);
        const PlaylistFile read = readPlaylistFile(folder / name, true);
        ASSERT_TRUE(read.isPlaylist) << read.problem;
        ASSERT_GE(read.entries.size(), 1u);
        EXPECT_EQ(read.entries[0].uri, fileUri(folder / "sub/u.ogg"));
        EXPECT_EQ(read.entries[0].title, "So What");
        EXPECT_EQ(readPlaylistFile(folder / name, false).total, read.entries.size());  // counting only
    }
    EXPECT_EQ(readPlaylistFile(folder / "list.asx", true).entries[1].uri, "http://example.com/s.mp3");
    const PlaylistFile xspf = readPlaylistFile(folder / "list.xspf", true);
    EXPECT_EQ(xspf.entries[1].uri, fileUri(folder.path().parent_path() / "music/Caf\xC3\xA9 Noir.mp3"));
    EXPECT_EQ(xspf.entries[2].uri, "file:///abs/100%25.mp3");
    EXPECT_EQ(xspf.entries[0].duration, 183.4);
}

TEST(PlaylistFileTest, BadFilesGiveAClearResult) {
    TempFolder folder;
    std::string binary(4096, '\0');
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 31 % 256);
    writeText(folder / "huge.m3u", "a.mp3\n");
    fs::resize_file(folder / "huge.m3u", PlaylistFile::MaxBytes + 1);  // sparse: refused without being read
    const struct {
        const char* file;
        std::optional<std::string> contents;
        bool isPlaylist;
        size_t entries;
        const char* problem;  // part of the reason given, "" for none
    } cases[] = {
        {"empty.m3u", "", true, 0, ""},
        {"binary.m3u", binary, false, 0, "binary data"},
        {"text.pls", "hello world\nthis is text\n", false, 0, "totem-pl-parser"},
        {"latin1.m3u", "caf\xE9.mp3\n\xFF\xFE.mp3\n", true, 2, ""},
        {"huge.m3u", std::nullopt, false, 0, "too large"},
        {"missing.m3u", std::nullopt, false, 0, "cannot be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        if (c.contents) writeText(folder / c.file, *c.contents);
        const PlaylistFile read = readPlaylistFile(folder / c.file, true);
        EXPECT_EQ(read.isPlaylist, c.isPlaylist);
        EXPECT_EQ(read.entries.size(), c.entries);
        EXPECT_EQ(read.problem.empty(), *c.problem == '\0') << read.problem;
        EXPECT_NE(read.problem.find(c.problem), std::string::npos) << read.problem;
        for (const PlaylistEntry& entry : read.entries) EXPECT_EQ(validUtf8(entry.uri), entry.uri);
    }
}

int sqlite3_exec_on(const fs::path& file, const char* sql) {
    sqlite3* db = nullptr;
    int code = sqlite3_open(file.c_str(), &db);
    if (code == SQLITE_OK) code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return code;
}

class TrackIndexTest : public MediaLibraryTest {
protected:
    // A look into the index file the library wrote.
    std::optional<Track> indexed(const fs::path& file) {
        LibraryLog quiet([](std::string) {});
        return TrackIndex(indexFile, quiet).find(file);
    }
};

TEST_F(TrackIndexTest, DamagedIndexIsRebuiltFromTheFiles) {
    const std::pair<const char*, std::function<void()>> damages[] = {
        {"garbage", [&] { writeText(indexFile, std::string(5000, 'x')); }},
        {"truncated", [&] { fs::resize_file(indexFile, 1000); }},
        {"old schema", [&] { ASSERT_EQ(sqlite3_exec_on(indexFile, "PRAGMA user_version = 99"), SQLITE_OK); }},
        {"another program's database",
         [&] {
             fs::remove(indexFile);
             ASSERT_EQ(sqlite3_exec_on(indexFile, "CREATE TABLE notes(text TEXT)"), SQLITE_OK);
         }},
    };
    writeWav(music / "a.wav", 1);
    writeWav(music / "b.wav", 1);
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        open()->refresh();
        damage();
        logged.clear();
        reads.clear();
        auto library = open();
        library->getAll();
        EXPECT_EQ(reads.size(), 2u);
        EXPECT_EQ(loggedWith({"rebuilt the track index"}), 1) << allLogged();
        EXPECT_TRUE(indexed(music / "a.wav").has_value());
    }
}

TEST_F(TrackIndexTest, IndexThatCannotBeWrittenLivesInMemory) {
    writeText(root / "blocker", "a file where the cache folder should be");
    writeWav(music / "a.wav", 1);
    LibraryConfig where = config();
    where.indexFile = root / "blocker" / "library.sqlite";
    auto library = open(where);
    writeText(lists / "all.autopl", "[Auto Playlist]\n");
    EXPECT_EQ(namesOf(only(library->getByName("all"))), Names{"a"});
    EXPECT_EQ(loggedWith({"kept in memory"}), 1) << allLogged();
}

// Folders that are missing, no folders, or cannot be read are skipped and
// their tracks kept (an unmounted disk must not empty the library); a folder
// taken out of the settings loses its tracks.
TEST_F(TrackIndexTest, MissingAndUnreadableFoldersKeepTheirTracks) {
    writeWav(music / "a.wav", 1);
    writeWav(music / "locked/b.wav", 1);
    writeText(root / "plain-file", "");
    LibraryConfig where = config();
    where.musicFolders = {root / "missing", root / "plain-file", music};
    auto library = open(where);
    library->refresh();
    library->refresh();
    EXPECT_EQ(loggedWith({"missing", "skipped"}), 1) << allLogged();
    EXPECT_EQ(loggedWith({"plain-file", "not a folder"}), 1) << allLogged();
    if (::geteuid() != 0) {  // root reads every folder
        fs::permissions(music / "locked", fs::perms::none);
        EXPECT_EQ(library->refresh().removed, 0);
        fs::permissions(music / "locked", fs::perms::owner_all);
        EXPECT_EQ(loggedWith({"locked", "cannot be read"}), 1) << allLogged();
    }
    fs::rename(music, root / "away");
    EXPECT_EQ(library->refresh().removed, 0);
    EXPECT_TRUE(indexed(music / "a.wav").has_value());
    fs::rename(root / "away", music);
    where.musicFolders = {root / "missing"};
    EXPECT_EQ(open(where)->refresh().removed, 2);
    EXPECT_EQ(indexed(music / "a.wav"), std::nullopt);
}

const std::string Gymno = "Gymnop\u00e9die 1";

// Eight tracks: five first seen twelve days before the playlists are
// evaluated, three two days before. Default order: by path.
class AutoPlaylistTest : public MediaLibraryTest {
protected:
    static void SetUpTestSuite() { sample(Kind::Flac), sample(Kind::Mp3Cbr); }

    void SetUp() override {
        const auto wav = [&](const char* file, double seconds, const Tags& tags) {
            writeWav(music / file, seconds);
            ASSERT_TRUE(tag(music / file, tags));
        };
        wav("classical/clair.wav", 120, {"Clair de Lune", "Debussy", "Suite bergamasque", "Classical", 1905, 3});
        wav("classical/gymno.wav", 70, {Gymno, "Satie", "", "Classical", 1888, 1});
        wav("jazz/blue.wav", 50, {"Blue in Green", "Miles Davis", "Kind of Blue", "Jazz", 1959, 3});
        wav("jazz/sowhat.wav", 94.4, {"So What", "Miles Davis", "Kind of Blue", "Jazz", 1959, 1});
        wav("jazz/takefive.wav", 54.4, {"Take Five", "Dave Brubeck", "Time Out", "Cool Jazz", 1959, 3});
        library = open();
        library->refresh();
        clock += 10 * Day;
        wav("pop/pure.wav", 20, {"100% Pure", "_Under_Score", "Misc", "Pop", 0, 0});
        copySample(Kind::Flac, music / "test/tone.flac");
        ASSERT_TRUE(tag(music / "test/tone.flac", {"Tone", "Generator", "Tests", "Test", 2020, 1}));
        copySample(Kind::Mp3Cbr, music / "test/beep.mp3");  // no tags: named after its file
        library->refresh();
        clock += 2 * Day;
    }

    Names evaluate(const std::string& lines) {
        // As editors may write it: a byte-order mark, CRLF, spaces, any letter case.
        writeText(lists / "rules.autopl", "\xEF\xBB\xBF[auto playlist]\r\nName = rules \r\n" + lines);
        const PlaylistPtr playlist = only(library->getByName("rules"));
        return playlist ? namesOf(playlist) : Names{"<not a playlist: " + allLogged() + ">"};
    }

    std::unique_ptr<MediaLibrary> library;
};

const Names Everything = {"Clair de Lune", Gymno, "Blue in Green", "So What", "Take Five", "100% Pure", "beep", "Tone"};

struct Case {
    std::string rules;
    Names expected;
};

TEST_F(AutoPlaylistTest, EveryFieldAndOperator) {
    const Case cases[] = {
        {"", Everything},
        {"Rule1=title is so what\n", {"So What"}},
        {"Rule1=title does not contain e\n", {"So What"}},
        {"Rule1=title ends with \"e 1\"\n", {Gymno}},
        {"Rule1=title > Take\n", {"Take Five", "Tone"}},
        {"Rule1=title < B\n", {"100% Pure"}},
        {"Rule1=title contains %\n", {"100% Pure"}},
        // Letter case of any script, composed or not, does not count.
        {"Rule1=title is GYMNOP\u00c9DIE 1\n", {Gymno}},
        {"Rule1=title starts with gymnope\u0301\n", {Gymno}},
        {"Rule1=title does not contain \u00c9\n",
         {"Clair de Lune", "Blue in Green", "So What", "Take Five", "100% Pure", "beep", "Tone"}},
        {"Rule1=artist contains _\n", {"100% Pure"}},
        {"Rule1=artist is \"\"\n", {"beep"}},
        {"Rule1=path contains /classical/\n", {"Clair de Lune", Gymno}},
        {"Rule1=format is flac\n", {"Tone"}},
        {"Rule1=year >= 1959\n", {"Blue in Green", "So What", "Take Five", "Tone"}},
        {"Rule1=track < 2\n", {Gymno, "So What", "Tone"}},
        {"Rule1=duration is 94\n", {"So What"}},  // whole seconds
        {"Rule1=duration >= 54.4\n", {"Clair de Lune", Gymno, "So What"}},
        {"Rule1=added is 2\n", {"100% Pure", "beep", "Tone"}},
        {"Rule1=genre contains jazz\nRule2=duration < 60\n", {"Blue in Green", "Take Five"}},
        {"Match=any\nRule1=genre is Pop\nRule2=year < 1900\n", {Gymno, "100% Pure"}},
        {"Match=all\nRule1=genre is Pop\nRule2=year < 1900\n", {}},
        // Comments, keys in any case and numbered at will, values in quotes.
        {"; a comment\r\n# another\r\nMATCH = ALL\r\nrule10 = Duration  >60\nRule3=artist is not \"\"\n"
         "Rule1=title CONTAINS \" d\"\n",
         {"Clair de Lune"}},  // not Gymnopedie's "d"
    };
    for (const Case& c : cases) EXPECT_EQ(evaluate(c.rules), c.expected) << c.rules;
}

TEST_F(AutoPlaylistTest, EveryOrderAndLimit) {
    const Case cases[] = {
        {"Order=title\n",
         {"100% Pure", "beep", "Blue in Green", "Clair de Lune", Gymno, "So What", "Take Five", "Tone"}},
        {"Order=year\n",
         {Gymno, "Clair de Lune", "Blue in Green", "So What", "Take Five", "Tone", "100% Pure", "beep"}},
        {"Order=added\n",
         {"100% Pure", "beep", "Tone", "Clair de Lune", Gymno, "Blue in Green", "So What", "Take Five"}},
        {"Order=-path\nRule1=path contains /jazz/\n", {"Take Five", "So What", "Blue in Green"}},
        // Limits: counted in the order asked for.
        {"Order=-duration\nLimit=3 items\n", {"Clair de Lune", "So What", Gymno}},
        {"Order=-duration\nLimit=2 minutes\n", {"Clair de Lune"}},  // exactly two minutes
        {"Order=-duration\nLimit=1 minute\n", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(evaluate(c.rules), c.expected) << c.rules;
}

struct Mistake {
    std::string text;
    int line;
    std::string reason;
};

TEST(AutoRulesTest, MistakesNameTheirLineAndReason) {
    const std::string head = "[Auto Playlist]\nName=x\n";  // the mistake is on line 3
    const Mistake mistakes[] = {
        {head + "Rule1=colour is red\n", 3, "unknown field 'colour'"},
        {head + "Rule1=genre resembles Jazz\n", 3, "unknown operator 'resembles' after 'genre'"},
        {head + "Rule1=year contains 19\n", 3, "operator 'contains' does not apply to the number field 'year'"},
        {head + "Rule1=duration > long\n", 3, "'long' is not a number"},
        {head + "Rule1=year > nan\n", 3, "'nan' is not a number"},
        {head + "Rule1=title is\n", 3, "a rule needs a value"},
        {head + "Rule1=genre\n", 3, "unknown operator '' after 'genre'"},
        {head + "Order=-random\n", 3, "unknown order '-random'"},
        {head + "Limit=50\n", 3, "unknown limit '50'"},
        {head + "Limit=0 items\n", 3, "unknown limit '0 items'"},
        {head + "Match=some\n", 3, "Match is all or any, not 'some'"},
        {head + "Colour=red\n", 3, "unknown key 'Colour'"},
        {head + "name=y\n", 3, "'name' is set twice"},
        {head + "just words\n", 3, "not a setting (key=value): 'just words'"},
        {head + "[Other]\n", 3, "unknown section '[Other]'"},
        {head + "Rule1=artist is Caf\xE9\n", 3, "not UTF-8 text"},
        {"Name=x\n[Auto Playlist]\n", 1, "a setting before the [Auto Playlist] section"},
        {"", 1, "no [Auto Playlist] section"},
    };
    for (const Mistake& m : mistakes) {
        const RuleFile file = parseRuleFile(m.text, "x");
        EXPECT_FALSE(file.rules.has_value()) << m.text;
        EXPECT_EQ(file.error.line, m.line) << m.text;
        EXPECT_EQ(file.error.reason.substr(0, m.reason.size()), m.reason) << m.text;
    }
}

}  // namespace
}  // namespace lumo::platform::library::testing
