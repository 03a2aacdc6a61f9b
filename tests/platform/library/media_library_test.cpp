// The media library as the player sees it: which playlists it lists, in
// which order, how it follows the folders, and what the items answer.
#include <chrono>
#include <cstdlib>
#include <set>

#include "library_fixture.h"
#include "platform/library/text.h"
#include "platform/user_settings.h"
#include "tests/support/raised.h"

namespace lumo::platform::library::testing {
namespace {

using MediaLibraryTest = LibraryTest;

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
    const auto write = [&](const char* file, const std::string& title) {
        writeText(lists / file, Xspf + title + XspfEnd);
        fs::last_write_time(lists / file, hourAgo);
    };
    for (const char* file : {"kept.xspf", "edited.xspf", "grown.xspf", "opened.xspf"}) write(file, "A");
    writeText(lists / "racy.xspf", Xspf + "A" + XspfEnd);  // may change again within its time's tick
    writeText(lists / "bad.autopl", "[Auto Playlist]\nRule1=colour is red\n");
    writeText(lists / "binary.m3u", std::string("\x01\x00", 2));
    fs::last_write_time(lists / "bad.autopl", hourAgo);
    fs::last_write_time(lists / "binary.m3u", hourAgo);
    EXPECT_EQ(namesOf(open()->getAll()), (Names{"A", "A", "A", "A", "A"}));

    write("edited.xspf", "B");  // the same size, a nanosecond later
    fs::last_write_time(lists / "edited.xspf", hourAgo + std::chrono::nanoseconds(1));
    write("grown.xspf", "BB");  // the same time, another size
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

TEST_F(MediaLibraryTest, ItemsAnswerWhatThePlayerNeeds) {
    copySample(Kind::Flac, music / "so what.flac");
    ASSERT_TRUE(tag(music / "so what.flac", {"So What", "Miles Davis", "Kind of Blue", "Jazz", 1959, 1}));
    copySample(Kind::OggTheora, music / "clip.ogv");
    writeWav(root / "elsewhere/outside.wav", 2.5);  // a file the index does not hold
    writeText(lists / "mix.m3u",
              "#EXTM3U\n../music/so what.flac\n../music/clip.ogv\n../elsewhere/outside.wav\n"
              "#EXTINF:100,Lost Song\n../music/lost.mp3\nhttp://radio.example/live\nfoo://unknown/scheme.mp3\n");
    const PlaylistPtr mix = only(open()->getByName("mix"));
    ASSERT_EQ(mix->count(), 6);
    const auto info = [&](int32_t i, const char* attribute) { return mix->item(i)->getItemInfo(attribute); };

    EXPECT_EQ(mix->item(0)->name(), "So What");
    EXPECT_EQ(info(0, "SourceURL"), fileUri(music / "so what.flac"));
    EXPECT_EQ(info(0, "Duration"), "3.019");
    EXPECT_EQ(info(0, "WM/AlbumTitle"), "Kind of Blue");

    EXPECT_EQ(mix->item(1)->name(), "clip");
    EXPECT_EQ(info(1, "MediaType"), "video");

    EXPECT_EQ(mix->item(2)->name(), "outside");
    EXPECT_EQ(info(2, "Duration"), "2.5");

    EXPECT_EQ(mix->item(3)->name(), "Lost Song");  // missing: what the playlist says
    EXPECT_EQ(info(3, "SourceURL"), fileUri(music / "lost.mp3"));
    EXPECT_EQ(info(3, "Duration"), "");

    EXPECT_EQ(info(4, "SourceURL"), "http://radio.example/live");
    EXPECT_EQ(info(5, "SourceURL"), "foo://unknown/scheme.mp3");  // the player reports what it cannot open
    EXPECT_EQ(info(5, "MediaType"), "audio");

    for (const int32_t bad : {-1, 6})
        EXPECT_EQ(lumo::testing::numberRaisedBy([&] { mix->item(bad); }), failsafe::error::SubscriptOutOfRange) << bad;
}

TEST_F(MediaLibraryTest, MusicIsReadAtFirstUseAndOnRefreshAndPlaylistsOutliveTheLibrary) {
    writeWav(music / "a.wav", 1);
    writeText(lists / "all.autopl", "[Auto Playlist]\n");
    auto library = open();
    EXPECT_EQ(namesOf(only(library->getByName("all"))), Names{"a"});
    writeWav(music / "b.wav", 1);
    EXPECT_EQ(namesOf(only(library->getByName("all"))), Names{"a"});  // not until asked
    EXPECT_EQ(library->refresh().stored, 1);
    const PlaylistPtr all = only(library->getByName("all"));
    library.reset();
    EXPECT_EQ(namesOf(all), (Names{"a", "b"}));
}

// Each test runs in a process of its own: the environment need not be restored.
TEST_F(MediaLibraryTest, ConfigurationFromTheSettings) {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_MUSIC_DIR"}) ::unsetenv(name);
    ::setenv("HOME", root.path().c_str(), 1);
    const LibraryConfig defaults = LibraryConfig::fromSettings();
    EXPECT_EQ(defaults.musicFolders, std::vector<fs::path>{root / "Music"});
    EXPECT_EQ(defaults.playlistFolders, std::vector<fs::path>{root / ".local/share/lumo/playlists"});
    EXPECT_EQ(defaults.indexFile, root / ".cache/lumo/library.sqlite");
    writeText(settingsFileOf("LUMO Player"), "[Library]\nMusicFolders=/m/one, ~/two\nPlaylistFolders=~\n");
    const LibraryConfig set = LibraryConfig::fromSettings();
    EXPECT_EQ(set.musicFolders, (std::vector<fs::path>{"/m/one", root / "two"}));
    EXPECT_EQ(set.playlistFolders, std::vector<fs::path>{root.path()});
}

}  // namespace
}  // namespace lumo::platform::library::testing
