// The track index on real files: what it holds, what a refresh reads again,
// and how it survives damage, an unwritable cache, missing folders and odd
// names.
#include "platform/library/track_index.h"

#include <sqlite3.h>
#include <unistd.h>

#include <set>

#include "library_fixture.h"
#include "platform/library/text.h"

namespace lumo::platform::library::testing {
namespace {

int sqlite3_exec_on(const fs::path& file, const char* sql) {
    sqlite3* db = nullptr;
    int code = sqlite3_open(file.c_str(), &db);
    if (code == SQLITE_OK) code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return code;
}

class TrackIndexTest : public LibraryTest {
protected:
    // A look into the index file the library wrote.
    std::optional<Track> indexed(const fs::path& file) {
        LibraryLog quiet([](std::string) {});
        return TrackIndex(indexFile, quiet).find(file);
    }
    std::set<fs::path> readSet() const { return {reads.begin(), reads.end()}; }
};

TEST_F(TrackIndexTest, HoldsEveryMediaFileAndARefreshReadsOnlyNewAndChangedOnes) {
    const fs::path flac = music / "Miles/01 So What.flac", mp3 = music / "noxing.mp3", clip = music / "clip.ogv",
                   wav = music / "short.wav", odd = music / (Latin1Cafe + ".wav"), fake = music / "fake.mp3";
    copySample(Kind::Flac, flac);
    ASSERT_TRUE(tag(flac, {"So What", "Miles Davis", "Kind of Blue", "Jazz", 1959, 1}));
    copySample(Kind::Mp3VbrNoXing, mp3);  // its length only from walking its frames
    copySample(Kind::OggTheora, clip);
    writeWav(wav, 1.5);
    writeWav(odd, 1);  // a name that is no UTF-8
    writeText(fake, "a text file with an audio name\n");
    writeText(music / "cover.jpg", "not read");
    copySample(Kind::Flac, music / ".hidden/secret.flac");
    auto library = open();
    const IndexReport first = library->refresh();
    EXPECT_EQ(first.stored, 5);
    EXPECT_EQ(first.rejected, 1);
    EXPECT_EQ(readSet(), (std::set<fs::path>{flac, mp3, clip, wav, odd, fake}));
    const std::optional<Track> so = indexed(flac);
    ASSERT_TRUE(so.has_value());
    EXPECT_EQ(so->artist, "Miles Davis");
    EXPECT_EQ(so->year, 1959);
    EXPECT_EQ(so->added, clock);
    EXPECT_NEAR(so->duration.value_or(0), 3.019, 0.01);
    EXPECT_NEAR(indexed(mp3)->duration.value_or(0), 3.019, 0.08);
    EXPECT_NEAR(indexed(wav)->duration.value_or(0), 1.5, 0.001);
    EXPECT_TRUE(indexed(clip)->hasVideo);
    EXPECT_EQ(indexed(odd)->title, "caf\xEF\xBF\xBD");
    EXPECT_EQ(fileUri(odd), "file://" + music.string() + "/caf%E9.wav");
    EXPECT_EQ(indexed(fake), std::nullopt);
    EXPECT_EQ(loggedWith({"not an audio file", "fake.mp3"}), 1) << allLogged();

    reads.clear();
    EXPECT_EQ(library->refresh().unchanged, 6);  // the text file posing as MP3 included
    EXPECT_TRUE(reads.empty());
    const int64_t firstSeen = clock;
    clock += 10 * Day;
    const fs::path added = music / "new.wav";
    ASSERT_TRUE(tag(flac, {"Retagged", "", "", "", 0, 0}));
    writeWav(added, 2);
    fs::remove(wav);
    const IndexReport report = library->refresh();
    EXPECT_EQ(readSet(), (std::set<fs::path>{flac, added}));
    EXPECT_EQ(report.stored, 2);
    EXPECT_EQ(report.removed, 1);
    EXPECT_EQ(indexed(flac)->title, "Retagged");
    EXPECT_EQ(indexed(flac)->added, firstSeen);  // first seen, not last read
    EXPECT_EQ(indexed(added)->added, clock);
    EXPECT_EQ(loggedWith({"fake.mp3"}), 1);  // not read, so not reported, again
    reads.clear();
    open()->getAll();  // a new library on the same index reads nothing
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
    EXPECT_EQ(namesOf(only(open()->getAll())), Names{"a"});
    EXPECT_TRUE(reads.empty()) << allLogged();
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

}  // namespace
}  // namespace lumo::platform::library::testing
