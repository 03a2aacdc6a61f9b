// Playlist files of every format through totem-pl-parser, and files that are
// no playlist at all.
#include "platform/library/playlist_file.h"

#include <unistd.h>

#include "media_files.h"
#include "platform/library/text.h"

namespace lumo::platform::library::testing {
namespace {

struct FormatCase {
    const char* file;
    std::string contents;
    std::string title;
    std::vector<std::pair<std::string, std::string>> entries;  // path under the folder (or URI), title
};

std::string uriIn(const fs::path& folder, const std::string& entry) {
    return entry.find("://") != std::string::npos ? entry : fileUri((folder / entry).lexically_normal());
}

TEST(PlaylistFileTest, EveryFormatWithItsTitleAndRelativeEntries) {
    TempFolder folder;
    const fs::path lists = folder / "lists";
    const FormatCase cases[] = {
        {"road.m3u",
         "#EXTM3U\n#EXTINF:183,Miles Davis - So What\n../music/so what.flac\n/abs/b.mp3\nsub/c.ogg\n"
         "http://radio.example/stream.mp3\n",
         "",
         {{"../music/so what.flac", "Miles Davis - So What"},
          {"/abs/b.mp3", ""},
          {"sub/c.ogg", ""},
          {"http://radio.example/stream.mp3", ""}}},
        {"utf8.m3u8", "Caf\xC3\xA9/\xE2\x99\xAB.flac\n", "", {{"Caf\xC3\xA9/\xE2\x99\xAB.flac", ""}}},
        {"list.pls",
         "[playlist]\nX-GNOME-Title=Pls Title\nNumberOfEntries=2\nFile1=sub/x.ogg\nTitle1=X\nLength1=12\n"
         "File2=/abs/y.flac\nVersion=2\n",
         "Pls Title",
         {{"sub/x.ogg", "X"}, {"/abs/y.flac", ""}}},
        {"list.xspf",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">"
         "<title>Xspf Title</title><trackList><track><location>sub/t1.flac</location><title>T1</title>"
         "<duration>183400</duration></track><track><location>../t2.mp3</location></track>"
         "<track><location>../music/Caf%C3%A9%20Noir.mp3</location></track>"
         "<track><location>file:///abs/100%25.mp3</location></track></trackList></playlist>\n",
         "Xspf Title",
         {{"sub/t1.flac", "T1"}, {"../t2.mp3", ""}, {"../music/Caf\xC3\xA9 Noir.mp3", ""}, {"file:///abs/100%25.mp3", ""}}},
        {"list.asx",
         "<asx version=\"3.0\"><title>Asx Title</title><entry><title>E1</title><ref href=\"sub\\e1.mp3\"/></entry>"
         "<entry><ref href=\"http://example.com/s.mp3\"/></entry></asx>\n",
         "Asx Title",
         {{"sub/e1.mp3", "E1"}, {"http://example.com/s.mp3", ""}}},
        {"list.wpl",
         "<?wpl version=\"1.0\"?><smil><head><title>Wpl &amp; Title</title></head><body><seq>"
         "<media src=\"..\\music\\w1.wma\"/><media src=\"sub\\w2.mp3\"/></seq></body></smil>\n",
         "Wpl & Title",
         {{"../music/w1.wma", ""}, {"sub/w2.mp3", ""}}},
    };
    // Read the same with a byte-order mark as without (Notepad writes one).
    for (const char* mark : {"", "\xEF\xBB\xBF"})
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(std::string(c.file) + (*mark ? " with a mark" : ""));
        writeText(lists / c.file, mark + c.contents);
        const PlaylistFile read = readPlaylistFile(lists / c.file, true);
        ASSERT_TRUE(read.isPlaylist) << read.problem;
        EXPECT_EQ(read.problem, "");
        EXPECT_EQ(read.title, c.title);
        ASSERT_EQ(read.entries.size(), c.entries.size());
        EXPECT_EQ(read.total, c.entries.size());
        for (size_t i = 0; i < c.entries.size(); ++i) {
            EXPECT_EQ(read.entries[i].uri, uriIn(lists, c.entries[i].first)) << i;
            EXPECT_EQ(read.entries[i].title, c.entries[i].second) << i;
        }
        EXPECT_EQ(readPlaylistFile(lists / c.file, false).entries.size(), 0u);  // counting only
        EXPECT_EQ(readPlaylistFile(lists / c.file, false).total, c.entries.size());
    }
    // UTF-16 with its mark, as Windows' "Unicode" text.
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("#EXTM3U\r\nsub/u.ogg\r\n")) utf16 += {c, '\0'};
    writeText(lists / "wide.m3u", utf16);
    const PlaylistFile wide = readPlaylistFile(lists / "wide.m3u", true);
    ASSERT_EQ(wide.entries.size(), 1u) << wide.problem;
    EXPECT_EQ(wide.entries[0].uri, uriIn(lists, "sub/u.ogg"));
    // Durations the formats state (totem-pl-parser keeps none of an M3U's).
    EXPECT_EQ(readPlaylistFile(lists / "list.pls", true).entries[0].duration, 12.0);
    EXPECT_EQ(readPlaylistFile(lists / "list.xspf", true).entries[0].duration, 183.4);
}

struct BadCase {
    const char* file;
    std::string contents;
    bool isPlaylist;
    size_t entries;
    const char* problem;  // part of the reason given, "" for none
};

TEST(PlaylistFileTest, BadFilesGiveAClearResult) {
    TempFolder folder;
    std::string binary(4096, '\0');
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 31 % 256);
    const BadCase cases[] = {
        {"empty.m3u", "", true, 0, ""},
        {"empty.xspf",
         "<?xml version=\"1.0\"?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList/>"
         "</playlist>",
         true, 0, ""},
        {"binary.m3u", binary, false, 0, "binary data"},
        {"binary.pls", "[playlist]\nFile1=a.mp3\n" + binary, false, 0, "binary data"},
        {"text.pls", "hello world\nthis is text\n", false, 0, "totem-pl-parser"},
        {"latin1.m3u", "caf\xE9.mp3\n\xFF\xFE.mp3\n", true, 2, ""},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.file);
        writeText(folder / c.file, c.contents);
        const PlaylistFile read = readPlaylistFile(folder / c.file, true);
        EXPECT_EQ(read.isPlaylist, c.isPlaylist);
        EXPECT_EQ(read.entries.size(), c.entries);
        if (*c.problem == '\0')
            EXPECT_EQ(read.problem, "");
        else
            EXPECT_NE(read.problem.find(c.problem), std::string::npos) << read.problem;
        for (const PlaylistEntry& entry : read.entries) EXPECT_EQ(validUtf8(entry.uri), entry.uri);
    }

    // Larger than any playlist: refused without being read (the file is sparse).
    writeText(folder / "huge.m3u", "a.mp3\n");
    fs::resize_file(folder / "huge.m3u", PlaylistFile::MaxBytes + 1);
    const PlaylistFile huge = readPlaylistFile(folder / "huge.m3u", true);
    EXPECT_FALSE(huge.isPlaylist);
    EXPECT_NE(huge.problem.find("too large"), std::string::npos) << huge.problem;

    // Missing, or not to be read by this user.
    writeText(folder / "locked.m3u", "a.mp3\n");
    fs::permissions(folder / "locked.m3u", fs::perms::none);
    for (const char* name : {"missing.m3u", ::geteuid() == 0 ? "missing.m3u" : "locked.m3u"}) {
        const PlaylistFile unread = readPlaylistFile(folder / name, true);
        EXPECT_FALSE(unread.isPlaylist);
        EXPECT_NE(unread.problem.find("cannot be read"), std::string::npos) << unread.problem;
    }
}

}  // namespace
}  // namespace lumo::platform::library::testing
