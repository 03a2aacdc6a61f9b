// Takes the screenshots of the playlist selection dialog in docs/: one per
// tab, over a small generated library (three playlists, two auto playlists)
// and two CD drives (a disc image on D:, an empty drive on E:), through the
// real player and drive service. Run it under an X server, for example
//     xvfb-run -a -s "-screen 0 1280x800x24" build/tools/selection-screenshots docs
// It writes selection-standard.png, selection-auto.png and selection-cd.png.

#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QThread>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/qt_application.h"
#include "common/shared_fso.h"
#include "dialogs/sel_playlist_dialog.h"
#include "player/audio_player_host.h"
#include "tests/support/generated_media.h"

namespace {

namespace fs = std::filesystem;
using lumo::dialogs::frmSelPlaylist;

// One second of quiet CD-quality audio.
void writeWav(const fs::path& file) { lumo::testing::writeWav(file, lumo::testing::silentSamples(44100)); }

// A home of its own: music, playlists, auto playlists, a disc image.
fs::path makeLibrary() {
    const fs::path root = fs::temp_directory_path() / ("lumo-screenshots-" + std::to_string(::getpid()));
    fs::remove_all(root);
    for (const char* folder : {"music", "lists", "config/lumo"}) fs::create_directories(root / folder);
    ::setenv("HOME", root.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    ::setenv("LUMO_AUDIO_SINK", "fakesink", 1);

    for (int i = 1; i <= 6; ++i) writeWav(root / "music" / ("track" + std::to_string(i) + ".wav"));
    const auto playlist = [&](const std::string& name, std::initializer_list<int> tracks) {
        std::ofstream list(root / "lists" / (name + ".m3u"));
        for (int t : tracks) list << "../music/track" << t << ".wav\n";
    };
    playlist("Evening Jazz", {1, 2, 3});
    playlist("Morning Mix", {4, 5});
    playlist("Road Trip", {1, 3, 5, 6});
    std::ofstream(root / "lists" / "recent.autopl") << "[Auto Playlist]\nName=Recently added\nRule1=added < 30\n";
    std::ofstream(root / "lists" / "short.autopl") << "[Auto Playlist]\nName=Short tracks\nRule1=duration < 120\n";

    std::ofstream(root / "disc.cue") << "FILE \"disc.bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                     << "TRACK 02 AUDIO\nINDEX 01 00:04:00\n";
    std::ofstream(root / "disc.bin").close();
    fs::resize_file(root / "disc.bin", uintmax_t{75 * 10} * 2352);
    std::ofstream(root / "config/lumo/LUMO Player.ini")
        << "[Library]\nMusicFolders=" << (root / "music").string() << "\nPlaylistFolders=" << (root / "lists").string()
        << "\n[Drives]\nD=" << (root / "disc.cue").string() << "\nE=\n";
    return root;
}

// Lets the window system draw what changed.
void settle() {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
}

bool save(QWidget& window, const fs::path& file) {
    settle();
    const QPixmap shot = window.screen()->grabWindow(window.winId());
    const bool saved = !shot.isNull() && shot.save(QString::fromStdString(file.string()), "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", file.c_str());
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path output = fs::absolute(argv[1]);
    fs::create_directories(output);
    const fs::path home = makeLibrary();
    if (!lumo::common::widgetsAvailable()) {
        std::fprintf(stderr, "no display: run under an X server (xvfb-run)\n");
        return 1;
    }
    lumo::common::CreateFSO();
    (void)lumo::player::AudioPlayer();

    frmSelPlaylist dialog;
    bool ok = true;
    {
        lumo::dialogs::SelPlaylistDialog window(dialog);
        dialog.Show();
        dialog.Form_Activate();
        window.sync();
        window.show();
        auto* tabs = window.findChild<QTabBar*>();
        ok &= save(window, output / "selection-standard.png");
        tabs->setCurrentIndex(frmSelPlaylist::tabAuto);
        ok &= save(window, output / "selection-auto.png");
        tabs->setCurrentIndex(frmSelPlaylist::tabCdroms);
        window.findChild<QPushButton*>("cmdRefreshCDROMS")->click();
        ok &= save(window, output / "selection-cd.png");
        window.hide();
    }
    lumo::player::unloadAudioPlayer();
    fs::remove_all(home);
    return ok ? 0 : 1;
}
