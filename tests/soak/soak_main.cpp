// lumo-soak: a long session in one process, as a host would live with the
// library: activations of every kind, showings of the selection dialog,
// traced procedure calls and playlist checks, each phase with its resident
// memory sampled. Leaks are found by the leak checker of the build it runs
// in; the printed growth is the figure for the memory goal. The framework
// options beside the program (FSCLIENT.INI) give the circular trace log its
// file and size.
//
//     lumo-soak [--scale S] [--folder DIR] [--phases activations,dialogs,...]
//
// S scales every phase's count (1 = the full soak); --phases runs only the
// phases named. Exit status 0 when every
// step did what it should, 1 otherwise.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>

#include "automation/class_factory.h"
#include "common/codes.h"
#include "common/qt_application.h"
#include "common/shared_fso.h"
#include "dialogs/sel_playlist_dialog.h"
#include "failsafe/failsafe.h"
#include "lumo/lumo_audio_client.h"
#include "player/audio_player_host.h"
#include "report/check_playlist.h"
#include "tests/soak/resident_memory.h"
#include "tests/soak/soak_library.h"

namespace lumo::soak {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Phase {
    const char* name;
    long fullCount;
    // One unit of work; false when it did not do what it should.
    std::function<bool(long index)> step;
};

int failures = 0;

std::string chosenPhases;  // empty: all

void run(const Phase& phase, double scale) {
    if (!chosenPhases.empty() && ("," + chosenPhases + ",").find("," + std::string(phase.name) + ",") == std::string::npos)
        return;
    const long count = std::max(1L, static_cast<long>(static_cast<double>(phase.fullCount) * scale));
    ResidentSamples samples(count);
    long failed = 0;
    const auto begin = Clock::now();
    for (long done = 1; done <= count; ++done) {
        if (!phase.step(done - 1) && ++failed <= 3) std::fprintf(stderr, "%s: step %ld failed\n", phase.name, done);
        samples.after(done);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    std::printf("%-12s %10ld in %8.1f s  resident %7.1f -> %7.1f MB  growth %+6.2f MB  failed %ld\n", phase.name,
                count, seconds, samples.firstTenth(), samples.lastTenth(), samples.growth(), failed);
    std::fflush(stdout);
    failures += failed > 0 ? 1 : 0;
}

LUMOAudio createObject() {
    IClassFactory* factory = nullptr;
    if (automation::getClassObject(CLSID_cLUMOAudio, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != hr::S_OK)
        throw std::runtime_error("no class factory");
    ComPtr<_cLUMOAudio> object;
    const HRESULT made = factory->CreateInstance(nullptr, IID__cLUMOAudio, reinterpret_cast<void**>(object.put()));
    factory->Release();
    if (made != hr::S_OK) throw std::runtime_error("no object");
    return LUMOAudio(std::move(object));
}

int32_t serialOfDrive(const std::string& letter) {
    for (const platform::DrivePtr& drive : common::sharedFSO()->drives())
        if (drive->driveLetter() == letter) return drive->serialNumber();
    return 0;
}

// The four kinds in turn: standard, auto, the disc by its serial number and
// the disc by its volume name.
Selection selectionOfKind(long index, int32_t discSerial) {
    namespace type = playlist_type;
    namespace how = how_to_id;
    Selection s;
    s.shuffleMode = shuffle_mode::Off;
    switch (index % 4) {
        case 0: s.playListType = type::Standard, s.playList = kStandardPlaylist; break;
        case 1: s.playListType = type::Auto, s.playList = kAutoPlaylist; break;
        case 2: s.playListType = type::Cdrom, s.howToIDCD = how::SerialNumber, s.serialNumber = std::to_string(discSerial); break;
        default: s.playListType = type::Cdrom, s.howToIDCD = how::VolumeName, s.volumeName = "Audio CD"; break;
    }
    return s;
}

// Shows the dialog and cancels it once it is up, on a different tab each time.
bool showAndCancel(LUMOAudio& audio, long index) {
    QTimer::singleShot(0, [index] {
        auto* window = qobject_cast<dialogs::SelPlaylistDialog*>(QApplication::activeModalWidget());
        if (!window) return;
        window->findChild<QTabBar*>()->setCurrentIndex(static_cast<int>(index % 3));
        window->findChild<QPushButton*>("cmdCancel")->click();
    });
    return audio.SelectPlaylists().cancelled;
}

// A message box in a soak is a failure; it is answered so the run goes on.
void answerMessageBoxes(QObject* owner) {
    auto* watch = new QTimer(owner);
    QObject::connect(watch, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "message box: %s\n", box->text().toStdString().c_str());
            ++failures;
            box->reject();
        }
    });
    watch->start(200);
}

}  // namespace
}  // namespace lumo::soak

int main(int argc, char** argv) {
    using namespace lumo;
    using namespace lumo::soak;
    double scale = 1;
    fs::path folder = fs::temp_directory_path() / ("lumo-soak-" + std::to_string(::getpid()));
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--scale") scale = std::atof(argv[i + 1]);
        else if (option == "--folder") folder = argv[i + 1];
        else if (option == "--phases") chosenPhases = argv[i + 1];
    }
    // The soak answers its own dialogs and message boxes, offscreen.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    common::setWindowsAnsweredByProgram(true);
    // At the real pace, as to a sound card: the check must see each item play.
    ::setenv("LUMO_AUDIO_SINK", "fakesink sync=true", 1);
    buildSoakLibrary(folder);
    QApplication application(argc, argv);
    answerMessageBoxes(&application);

    int status = 0;
    {
        LUMOAudio audio = createObject();
        audio.setMute(true);
        const int32_t discSerial = serialOfDrive("D");
        std::printf("soak in %s at scale %g (disc serial %d)\n", folder.c_str(), scale, discSerial);

        run({"activations", 10000, [&](long i) { return audio.InitialisePL(selectionOfKind(i, discSerial)).activated; }},
            scale);
        run({"dialogs", 1000, [&](long i) { return showAndCancel(audio, i); }}, scale);
        // The object switched the circular log off at its start; on again, every
        // traced call formats its records and writes them.
        failsafe::fsOPTION(27, failsafe::Value::flag(true));
        run({"push/pop", 10000000,
             [](long) {
                 failsafe::fsPUSH("modSoak", "Sub Soak", "");
                 failsafe::fsPOP("modSoak", "Sub Soak", "");
                 return true;
             }},
            scale);
        report::frmCheckPL& check = report::CheckPL();
        report::Selection checked;
        checked.tab = 0;
        checked.standard = kStandardPlaylist;
        run({"checks", 1000,
             [&](long) {
                 check.DoReport(checked);
                 return check.panels()[0] == "Status = Done" && check.rows().size() == 3;
             }},
            scale);
        audio.DoTerminate();
        status = failures == 0 ? 0 : 1;
    }
    player::unloadAudioPlayer();
    common::ReleaseFSO();
    fs::remove_all(folder);
    return status;
}
