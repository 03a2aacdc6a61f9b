#include "failsafe/window/qt_error_window.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include "failsafe/system/system_report.h"
#include "failsafe/window/error_window_dialog.h"
#include "failsafe/window/printer_module.h"
#include "failsafe/window/qt_system_facts.h"

namespace lumo::failsafe::window {

PrintOutcome QtErrorWindowDevices::print(const std::vector<std::string>& lines) {
    return printOnDefaultPrinter(lines);
}

bool QtErrorWindowDevices::putOnClipboard(std::string_view text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    const QString copied = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    clipboard->clear();
    clipboard->setText(copied);
    // A clipboard that could not be taken over still holds something else.
    return clipboard->text() == copied;
}

bool QtErrorWindowDevices::openHelp(const std::filesystem::path& file, int32_t) {
    // The desktop's viewers open a file, not a topic inside it.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

void QtErrorWindowDevices::setBusy(bool busy) {
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

int16_t QtErrorWindow::show(InterceptedError& error) {
    Framework& fs = framework();
    QtErrorWindowDevices devices;
    ErrorWindowState state(error, errorWindowSetup(fs, copyAllPages_), fs.ui(), devices);
    // The pointer is the default one while the window waits for the user.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    {
        ErrorWindowDialog dialog(state);
        dialog.exec();
    }
    QGuiApplication::restoreOverrideCursor();
    if (!state.answered()) state.pressContinue();
    return state.action();
}

ErrorWindowSetup errorWindowSetup(Framework& fs, CopyAllPages copyAllPages) {
    ErrorWindowSetup setup;
    setup.programName = fs.program().name;
    setup.programFolder = fs.program().folder;
    setup.inDevEnvironment = fs.inDevEnvironment();
    setup.buildSystemReport = [&fs] { return systemReport(processSystemFacts(), fs.program()); };
    setup.copyAllPages = std::move(copyAllPages);
    setup.note = [&fs](std::string_view problem) {
        fs.writeLog(fs.dateText() + " " + fs.timeText() + " FailSafe error window: " + std::string(problem));
    };
    setup.windowOpen = [&fs](bool open) { fs.setErrorWindowOpen(open); };
    return setup;
}

void installQtErrorWindow(CopyAllPages copyAllPages) {
    setProcessSystemFacts(std::make_shared<QtSystemFacts>(makeLinuxSystemFacts()));
    framework().setSystemReportBuilder([] {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        std::string report = systemReport(processSystemFacts(), framework().program());
        QGuiApplication::restoreOverrideCursor();
        return report;
    });
    framework().setErrorWindow(std::make_shared<QtErrorWindow>(std::move(copyAllPages)));
}

}  // namespace lumo::failsafe::window
