#pragma once
// A check of its own over the player host of each test: real audio files
// made by gst-launch-1.0 in the test's music folder, playlist files naming
// them, and the boxes and event rounds of the scripted user interface.

#include <gmock/gmock.h>

#include <cstdlib>
#include <fstream>

#include "report/check_playlist.h"
#include "tests/player/player_fixture.h"

namespace lumo::report::testing {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class CheckTest : public player::testing::PlayerHostTest {
protected:
    frmCheckPL check;

    void SetUp() override {
        PlayerHostTest::SetUp();
        // Played at the real pace, as to a sound card: an unsynchronised
        // sink would end an item before its playing state could be seen.
        ::setenv("LUMO_AUDIO_SINK", "fakesink sync=true", 1);
    }

    // `tenths` tenths of a second of a tone, encoded by `encoder`.
    fs::path tone(const std::string& file, int tenths = 5, const std::string& encoder = "wavenc") {
        const fs::path path = home / "music" / file;
        const std::string command = "gst-launch-1.0 -q audiotestsrc samplesperbuffer=4410 num-buffers=" +
                                    std::to_string(tenths) + " ! audioconvert ! " + encoder + " ! filesink location='" +
                                    path.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }
    fs::path video(const std::string& file, int frames) {
        const fs::path path = home / "music" / file;
        const std::string command = "gst-launch-1.0 -q videotestsrc num-buffers=" + std::to_string(frames) +
                                    " ! video/x-raw,width=160,height=120 ! theoraenc ! oggmux ! filesink location='" +
                                    path.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }
    fs::path textFile(const std::string& file, const std::string& text) {
        std::ofstream(home / "music" / file) << text;
        return home / "music" / file;
    }
    // The first `bytes` of another file.
    fs::path truncated(const fs::path& from, const std::string& file, size_t bytes) {
        std::ifstream in(from, std::ios::binary);
        std::string data(bytes, '\0');
        in.read(data.data(), static_cast<std::streamsize>(bytes));
        std::ofstream(home / "music" / file, std::ios::binary) << data;
        return home / "music" / file;
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
            EXPECT_EQ(shown.style, 16);
            EXPECT_EQ(shown.title, "Check Playlist");
            texts.push_back(shown.text);
        }
        return texts;
    }
};

}  // namespace lumo::report::testing
