// Playlist files as editors write them, read through totem-pl-parser: with a
// byte-order mark or in UTF-16, with backslashes or percent-encoded names,
// and files that are no playlist at all. (Each format as the library lists
// it: media_library_test.cpp.)
#include "platform/library/playlist_file.h"

#include <unistd.h>

#include "media_files.h"
#include "platform/library/text.h"

namespace lumo::platform::library::testing {
namespace {

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
    writeText(folder / "locked.m3u", "a.mp3\n");
    fs::permissions(folder / "locked.m3u", fs::perms::none);
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
        {::geteuid() == 0 ? "missing.m3u" : "locked.m3u", std::nullopt, false, 0, "cannot be read"},  // root reads all
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

}  // namespace
}  // namespace lumo::platform::library::testing
