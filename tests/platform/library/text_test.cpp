// Texts shown to users and URIs handed to the player, for names of any bytes.
#include "platform/duration_text.h"
#include "platform/library/text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace lumo::platform::library {
namespace {

TEST(LibraryTextTest, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(validUtf8("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(validUtf8("caf\xE9"), "caf\xEF\xBF\xBD");
    EXPECT_EQ(validUtf8("\xFF\xFE!"), "\xEF\xBF\xBD\xEF\xBF\xBD!");
    EXPECT_EQ(stemText("/music/caf\xE9.mp3"), "caf\xEF\xBF\xBD");
    EXPECT_EQ(pathText("/m\xE9/a.mp3"), "/m\xEF\xBF\xBD/a.mp3");
}

TEST(LibraryTextTest, FileUrisKeepTheExactBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {"/music/a b/#1 100%.mp3", "file:///music/a%20b/%231%20100%25.mp3"},
        {"/music/caf\xC3\xA9.flac", "file:///music/caf%C3%A9.flac"},
        {"/music/caf\xE9.flac", "file:///music/caf%E9.flac"},
    };
    for (const auto& [path, uri] : cases) {
        EXPECT_EQ(fileUri(path), uri);
        EXPECT_EQ(localPathOf(uri), std::filesystem::path(path)) << uri;
    }
    EXPECT_EQ(localPathOf("http://example.com/a.mp3"), std::nullopt);
    EXPECT_EQ(localPathOf("FILE:///music/a.mp3"), std::filesystem::path("/music/a.mp3"));
}

TEST(LibraryTextTest, DurationsAreSecondsWithAPoint) {
    const std::pair<std::optional<double>, std::string> cases[] = {
        {183.4, "183.4"},   {183.0, "183.0"}, {3.0185941, "3.019"}, {0.0, "0.0"},
        {std::nullopt, ""}, {-1.0, ""},       {59.9999, "60.0"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(durationText(seconds), text) << text;
}

TEST(LibraryTextTest, ExtensionsAndBlanks) {
    EXPECT_EQ(extensionOf("/a/B.MP3"), "mp3");
    EXPECT_EQ(extensionOf("/a/b"), "");
    EXPECT_EQ(extensionOf("/a/.hidden"), "");
    EXPECT_EQ(trimmed(" \t x y \r\n"), "x y");
    EXPECT_EQ(trimmed(" \t "), "");
    EXPECT_EQ(lowerAscii("AbC\xC3\x89"), "abc\xC3\x89");
}

}  // namespace
}  // namespace lumo::platform::library
