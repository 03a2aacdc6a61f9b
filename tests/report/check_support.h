#pragma once
// A check of its own over the player host of each test: generated audio in
// the test's music folder, playlist files naming it, and the boxes and
// event rounds of the scripted user interface.

#include <gmock/gmock.h>

#include <cstdlib>
#include <fstream>

#include "report/check_playlist.h"
#include "tests/player/player_fixture.h"
#include "tests/support/generated_media.h"

namespace lumo::report::testing {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class CheckTest : public player::testing::PlayerHostTest {
protected:
    frmCheckPL check;

    void SetUp() override {
        PlayerHostTest::SetUp();
        // Played at the real pace, as to a sound card: an unsynchronised
        // sink would end an item before its playing state could be seen.
        ::setenv("LUMO_AUDIO_SINK", "fakesink sync=true", 1);
    }
    // `tenths` tenths of a second of a tone, a WAV file unless FLAC is asked for.
    fs::path tone(const std::string& file, int tenths = 5) {
        const fs::path path = home / "music" / file;
        if (path.extension() == ".flac")
            EXPECT_TRUE(lumo::testing::encodeTone(path, tenths / 10.0, "flacenc"));
        else
            lumo::testing::writeTone(path, tenths / 10.0);
        return path;
    }
    void playlist(const std::string& name, const std::vector<fs::path>& files) {
        std::ofstream list(home / "lists" / (name + ".m3u"));
        for (const fs::path& file : files) list << file.string() << "\n";
    }
    static std::string uri(const fs::path& file) { return "file://" + file.string(); }
    std::vector<std::string> column(int which) const {
        std::vector<std::string> texts;
        for (const ReportRow& row : check.rows())
            texts.push_back(which == 0 ? row.mediaItem : which == 1 ? row.type : row.sourceUrl);
        return texts;
    }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> texts;
        for (const auto& shown : ui->boxes) {
            EXPECT_EQ(shown.title, "Check Playlist");
            texts.push_back(shown.text);
        }
        return texts;
    }
};

}  // namespace lumo::report::testing
