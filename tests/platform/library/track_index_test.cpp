// The track index on real files: what it holds, what a refresh reads again,
// and how it survives damage, missing folders and odd names.
#include "platform/library/track_index.h"

#include <sqlite3.h>
#include <unistd.h>

#include <set>

#include "library_fixture.h"

namespace lumo::platform::library::testing {
namespace {

int sqlite3_exec_on(const fs::path& file, const char* sql) {
    sqlite3* db = nullptr;
    int code = sqlite3_open(file.c_str(), &db);
    if (code == SQLITE_OK) code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return code;
}

std::string journalMode(const fs::path& file) {
    sqlite3* db = nullptr;
    sqlite3_stmt* query = nullptr;
    std::string mode;
    if (sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &query, nullptr) == SQLITE_OK &&
        sqlite3_step(query) == SQLITE_ROW)
        mode = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
    sqlite3_finalize(query);
    sqlite3_close(db);
    return mode;
}

class TrackIndexTest : public LibraryTest {
protected:
    // A look into the index file the library wrote.
    std::optional<Track> indexed(const fs::path& file) {
        LibraryLog quiet([](std::string) {});
        return TrackIndex(indexFile, quiet).find(file);
    }
    std::set<fs::path> readSet() const { return {reads.begin(), reads.end()}; }

    void makeMusic() {
        copySample(Kind::Flac, music / "Miles/Kind of Blue/01 So What.flac");
        ASSERT_TRUE(tag(music / "Miles/Kind of Blue/01 So What.flac",
                        {"So What", "Miles Davis", "Kind of Blue", "Jazz", 1959, 1}));
        copySample(Kind::OggVorbis, music / "tone.ogg");
        copySample(Kind::Mp3VbrNoXing, music / "Other/noise.mp3");
        copySample(Kind::OggTheora, music / "clip.ogv");
        writeWav(music / "short.wav", 1.5);
        writeText(music / "cover.jpg", "not read");
        writeText(music / "notes.txt", "not read");
        writeText(music / "fake.mp3", "a text file with an audio name\n");
        copySample(Kind::Flac, music / ".hidden/secret.flac");
    }
};

TEST_F(TrackIndexTest, HoldsEveryMediaFileWithItsTagsAndLength) {
    makeMusic();
    const IndexReport report = open()->refresh();
    EXPECT_EQ(report.stored, 5);
    EXPECT_EQ(report.rejected, 1);
    EXPECT_EQ(readSet(), (std::set<fs::path>{music / "Miles/Kind of Blue/01 So What.flac", music / "tone.ogg",
                                             music / "Other/noise.mp3", music / "clip.ogv", music / "short.wav",
                                             music / "fake.mp3"}));
    const auto flac = indexed(music / "Miles/Kind of Blue/01 So What.flac");
    ASSERT_TRUE(flac.has_value());
    EXPECT_EQ(flac->title, "So What");
    EXPECT_EQ(flac->artist, "Miles Davis");
    EXPECT_EQ(flac->album, "Kind of Blue");
    EXPECT_EQ(flac->genre, "Jazz");
    EXPECT_EQ(flac->year, 1959);
    EXPECT_EQ(flac->number, 1);
    EXPECT_EQ(flac->format, "flac");
    EXPECT_FALSE(flac->hasVideo);
    EXPECT_EQ(flac->added, clock);
    EXPECT_EQ(flac->version.size, static_cast<int64_t>(fs::file_size(music / "Miles/Kind of Blue/01 So What.flac")));
    EXPECT_NEAR(flac->duration.value_or(0), 3.019, 0.01);

    const std::tuple<const char*, const char*, bool, double> others[] = {{"tone.ogg", "ogg", false, 3.019},
                                                                         {"Other/noise.mp3", "mp3", false, 3.05},
                                                                         {"clip.ogv", "ogv", true, 4.333},
                                                                         {"short.wav", "wav", false, 1.5}};
    for (const auto& [name, format, video, seconds] : others) {
        const auto track = indexed(music / name);
        ASSERT_TRUE(track.has_value()) << name;
        EXPECT_EQ(track->title, fs::path(name).stem().string());
        EXPECT_EQ(track->format, format);
        EXPECT_EQ(track->hasVideo, video) << name;
        EXPECT_NEAR(track->duration.value_or(0), seconds, 0.05) << name;
    }
    EXPECT_EQ(indexed(music / "fake.mp3"), std::nullopt);
    EXPECT_EQ(indexed(music / ".hidden/secret.flac"), std::nullopt);
    EXPECT_EQ(journalMode(indexFile), "wal");
    EXPECT_EQ(loggedWith({"not an audio file", "fake.mp3"}), 1) << allLogged();
}

TEST_F(TrackIndexTest, RefreshReadsOnlyNewAndChangedFiles) {
    makeMusic();
    auto library = open();
    library->refresh();
    reads.clear();
    EXPECT_EQ(library->refresh().unchanged, 6);  // the text file posing as MP3 included
    EXPECT_TRUE(reads.empty());

    const int64_t firstSeen = clock;
    clock += 10 * Day;
    const fs::path changed = music / "tone.ogg", added = music / "new.wav", gone = music / "short.wav";
    ASSERT_TRUE(tag(changed, {"Retagged", "", "", "", 0, 0}));
    writeWav(added, 2);
    fs::remove(gone);
    const IndexReport report = library->refresh();
    EXPECT_EQ(readSet(), (std::set<fs::path>{changed, added}));
    EXPECT_EQ(report.stored, 2);
    EXPECT_EQ(report.removed, 1);
    EXPECT_EQ(indexed(gone), std::nullopt);
    EXPECT_EQ(indexed(changed)->title, "Retagged");
    EXPECT_EQ(indexed(changed)->added, firstSeen);  // first seen, not last read
    EXPECT_EQ(indexed(added)->added, clock);
    EXPECT_EQ(loggedWith({"fake.mp3"}), 1);  // not read, so not reported, again

    // A new library on the same index: its first use reads nothing.
    reads.clear();
    open()->getAll();
    EXPECT_TRUE(reads.empty());
}

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

TEST_F(TrackIndexTest, AnIndexOfTheFirstVersionKeepsItsTracks) {
    writeWav(music / "a.wav", 1);
    writeText(lists / "list.m3u", "../music/a.wav\n");
    open()->refresh();
    ASSERT_EQ(sqlite3_exec_on(indexFile, "DROP TABLE playlist_files; PRAGMA user_version = 1"), SQLITE_OK);
    reads.clear();
    EXPECT_EQ(itemNames(only(open()->getAll())), Names{"a"});
    EXPECT_TRUE(reads.empty()) << allLogged();
}

TEST_F(TrackIndexTest, IndexThatCannotBeWrittenLivesInMemory) {
    writeText(root / "blocker", "a file where the cache folder should be");
    writeWav(music / "a.wav", 1);
    LibraryConfig where = config();
    where.indexFile = root / "blocker" / "library.sqlite";
    auto library = open(where);
    writeText(lists / "all.autopl", "[Auto Playlist]\n");
    EXPECT_EQ(itemNames(only(library->getByName("all"))), Names{"a"});
    EXPECT_EQ(loggedWith({"kept in memory"}), 1) << allLogged();
}

TEST_F(TrackIndexTest, MissingFoldersAreSkippedAndTheirTracksKept) {
    writeWav(music / "a.wav", 1);
    writeText(root / "plain-file", "");
    LibraryConfig where = config();
    where.musicFolders = {root / "missing", root / "plain-file", music};
    auto library = open(where);
    library->refresh();
    library->refresh();
    EXPECT_EQ(loggedWith({"missing", "skipped"}), 1) << allLogged();
    EXPECT_EQ(loggedWith({"plain-file", "not a folder"}), 1) << allLogged();

    // An unmounted disk does not empty the library...
    fs::rename(music, root / "away");
    EXPECT_EQ(library->refresh().removed, 0);
    EXPECT_TRUE(indexed(music / "a.wav").has_value());
    // ...but a folder taken out of the settings does.
    fs::rename(root / "away", music);
    where.musicFolders = {root / "missing"};
    EXPECT_EQ(open(where)->refresh().removed, 1);
    EXPECT_EQ(indexed(music / "a.wav"), std::nullopt);
}

TEST_F(TrackIndexTest, UnreadableSubfolderKeepsItsTracks) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    writeWav(music / "locked/a.wav", 1);
    auto library = open();
    library->refresh();
    fs::permissions(music / "locked", fs::perms::none);
    EXPECT_EQ(library->refresh().removed, 0);
    fs::permissions(music / "locked", fs::perms::owner_all);
    EXPECT_EQ(loggedWith({"locked", "cannot be read"}), 1) << allLogged();
    EXPECT_TRUE(indexed(music / "locked/a.wav").has_value());
}

TEST_F(TrackIndexTest, NamesWithInvalidUtf8AreKeptAndShownReplaced) {
    const fs::path file = music / (Latin1Cafe + ".wav");
    writeWav(file, 1);
    writeText(lists / "all.autopl", "[Auto Playlist]\n");
    const PlaylistPtr all = only(open()->getByName("all"));
    ASSERT_EQ(all->count(), 1);
    EXPECT_EQ(all->item(0)->name(), "caf\xEF\xBF\xBD");
    EXPECT_EQ(all->item(0)->getItemInfo("SourceURL"), "file://" + music.string() + "/caf%E9.wav");
    EXPECT_EQ(indexed(file)->path, file);
}

}  // namespace
}  // namespace lumo::platform::library::testing
