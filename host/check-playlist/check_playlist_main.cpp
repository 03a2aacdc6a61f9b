// lumo-check-playlist: runs the playlist check over one playlist of the
// user's media library, or the disc in one CD drive, through the real
// player. With a display it shows the check window and, once the run is
// over, prints the result; without one (offscreen and minimal count as none,
// except for --screenshot, which closes the window itself) it runs in the
// terminal and prints the same rows and totals as a table.
//
//     lumo-check-playlist [--no-window] [--screenshot FILE.png] PLAYLIST
//     lumo-check-playlist [--no-window] [--screenshot FILE.png] --cd D:
//
// For a disc it also prints the disc's title and MusicBrainz identifier.
// Exit status 0 when the check ends "Status = Done", 1 when it ends with an
// error, 2 for a wrong command line.

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/qt_application.h"
#include "common/shared_fso.h"
#include "dialogs/check_playlist_dialog.h"
#include "dialogs/qt_user_interface.h"
#include "failsafe/failsafe.h"
#include "player/audio_player_host.h"
#include "report/check_playlist.h"

namespace {

using lumo::report::frmCheckPL;

int usage() {
    std::fputs("usage: lumo-check-playlist [--no-window] [--screenshot FILE.png] (PLAYLIST | --cd DRIVE)\n", stderr);
    return 2;
}

void printTable(const frmCheckPL& check) {
    std::printf("%s\n", check.caption().c_str());
    std::printf("  %5s  %-32s %-6s %s\n", "No.", "Media Item", "Type", "Source URL");
    int number = 0;
    for (const auto& row : check.rows())
        std::printf("  %5d  %-32s %-6s %s\n", ++number, row.mediaItem.c_str(), row.type.c_str(), row.sourceUrl.c_str());
    std::printf("  %s | %s | %s\n", check.panels()[0].c_str(), check.panels()[1].c_str(), check.panels()[2].c_str());
}

// What identifies the checked disc beyond its drive's serial number.
void printDisc() {
    const lumo::platform::PlaylistPtr disc = lumo::player::AudioPlayer().WMPlayer().currentPlaylist();
    if (!disc || disc->getItemInfo("PlaylistType") != "CD") return;
    if (const std::string title = disc->getItemInfo("Title"); !title.empty()) std::printf("  Disc title: %s\n", title.c_str());
    if (const std::string id = disc->getItemInfo("MusicBrainzDiscID"); !id.empty())
        std::printf("  MusicBrainz disc ID: %s\n", id.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    bool window = true;
    std::string screenshot;
    lumo::report::Selection selection;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--no-window") {
            window = false;
        } else if (argument == "--screenshot" && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (argument == "--cd" && i + 1 < argc) {
            selection.tab = 2;
            selection.cdDrive = argv[++i];
        } else if (!argument.empty() && argument[0] != '-' && selection.tab < 0) {
            selection.tab = 0;
            selection.standard = argument;
        } else {
            return usage();
        }
    }
    if (selection.tab < 0) return usage();

    lumo::failsafe::fsSTART();
    // A screenshot run closes its window itself, so it may run offscreen.
    if (!screenshot.empty()) lumo::common::setWindowsAnsweredByProgram(true);
    window = window && lumo::dialogs::installWindowedUserInterface();
    lumo::player::audioPlayerWindow().WMPlayer().settings().setEnableErrorDialogs(false);
    lumo::player::AudioPlayer();
    lumo::common::CreateFSO();

    frmCheckPL& check = lumo::report::CheckPL();
    if (window) {
        lumo::dialogs::CheckPlaylistDialog shown(check, [selection] { return selection; });
        if (!screenshot.empty()) {
            // Once the run is over and the window has drawn its result.
            auto* poll = new QTimer(&shown);
            QObject::connect(poll, &QTimer::timeout, &shown, [&] {
                if (check.running() || check.doneCaption() != "Done" || check.panels()[0].empty()) return;
                poll->stop();
                QTimer::singleShot(300, &shown, [&] {
                    shown.grab().save(QString::fromStdString(screenshot));
                    shown.close();
                });
            });
            poll->start(100);
        }
        shown.exec();
    } else {
        check.DoReport(selection);
    }
    printTable(check);
    if (selection.tab == 2) printDisc();
    lumo::player::unloadAudioPlayer();
    return check.panels()[0] == "Status = Done" ? 0 : 1;
}
