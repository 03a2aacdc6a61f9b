#pragma once
// A media library of its own for each test: music, playlist folders and the
// index in a temporary folder, a clock the test sets, and the log and the
// files read kept for the test to look at.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "media_files.h"
#include "platform/library/media_library.h"

namespace lumo::platform::library::testing {

using Names = std::vector<std::string>;

class LibraryTest : public ::testing::Test {
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
    std::string allLogged() const {
        std::string all;
        for (const std::string& line : logged) all += line + "\n";
        return all;
    }
};

// The names of the playlists in a list, or of the items of a playlist.
template <typename List>
Names namesOf(const List& list) {
    Names names;
    for (int32_t i = 0; i < list->count(); ++i) names.push_back(list->item(i)->name());
    return names;
}

inline PlaylistPtr only(const PlaylistArrayPtr& playlists) {
    EXPECT_EQ(playlists->count(), 1);
    return playlists->count() > 0 ? playlists->item(0) : nullptr;
}

}  // namespace lumo::platform::library::testing
