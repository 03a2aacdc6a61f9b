// Intercepts one real error the way the library meets it (a host asks for the
// current playlist before one was made current) and saves each page of the
// error window as a PNG, for the documentation.
//
//   xvfb-run -a lumo-error-window-shots docs/
#include <QApplication>

#include <cstdio>
#include <filesystem>

#include "failsafe/failsafe.h"
#include "failsafe/system/system_report.h"
#include "failsafe/window/error_window_dialog.h"
#include "failsafe/window/qt_error_window.h"
#include "failsafe/window/qt_system_facts.h"

namespace {

using namespace lumo::failsafe;

class PageShots final : public ErrorWindow {
public:
    explicit PageShots(std::filesystem::path folder) : folder_(std::move(folder)) {}

    int16_t show(InterceptedError& error) override {
        window::QtErrorWindowDevices devices;
        ErrorWindowState state(error, window::errorWindowSetup(framework(), {}), framework().ui(), devices);
        state.setUserText("Chose the playlist \"Road trip\" in the host's menu, then pressed Play.");
        window::ErrorWindowDialog dialog(state);
        dialog.show();
        static constexpr const char* names[] = {"what-you-were-doing", "error-source", "call-tree",
                                                "system-information"};
        for (int page = 0; page < ErrorWindowState::pageCount; ++page) {
            state.selectPage(page);
            QApplication::processEvents();
            const std::filesystem::path file =
                folder_ / ("failsafe-error-window-" + std::to_string(page + 1) + "-" + names[page] + ".png");
            saved_ = dialog.grab().save(QString::fromStdString(file.string())) && saved_;
            std::printf("%s\n", file.c_str());
        }
        state.pressContinue();
        return state.action();
    }
    bool saved() const { return saved_; }

private:
    std::filesystem::path folder_;
    bool saved_ = true;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    ScopedFramework fs;
    // The library the build made, as the program the error happened in.
    ProgramInfo program = fs->program();
    std::error_code error;
    const auto library = std::filesystem::weakly_canonical(program.folder / "../../lib", error);
    if (!error && std::filesystem::exists(library / "libLUMOAudioPlayer.so")) program.folder = library;
    program.fileName = "libLUMOAudioPlayer.so";
    program.name = program.projectName = "LUMOAudioPlayer";
    fs->setProgram(program);
    setProcessSystemFacts(std::make_shared<window::QtSystemFacts>(makeLinuxSystemFacts()));
    auto shots = std::make_shared<PageShots>(argv[1]);
    fs->setErrorWindow(shots);

    fsPUSH("cLUMOAudio", "Function GetCurrentPlaylist", "");
    Err().set(RuntimeError(error::ObjectNotSet, {}, program.projectName), 29);
    fsERROR("cLUMOAudio", "Function GetCurrentPlaylist");
    fsPOP("cLUMOAudio", "Function GetCurrentPlaylist", "");
    return shots->saved() ? 0 : 1;
}
