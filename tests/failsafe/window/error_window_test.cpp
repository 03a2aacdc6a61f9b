// The error window's wiring on Qt's offscreen platform: the answers, the
// hover texts, the pages, Save..., printing and the facts of the display.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEnterEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

#include <cstdlib>

#include "failsafe/system/system_report.h"
#include "failsafe/window/page_printer.h"
#include "failsafe/window/qt_error_window.h"
#include "tests/failsafe/test_support.h"

namespace lumo::failsafe::window {
namespace {

// Every window opens on Qt's offscreen platform, whatever display the session has.
[[maybe_unused]] const bool offscreenPlatform = qputenv("QT_QPA_PLATFORM", "offscreen");

QWidget* shownErrorWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "frmFAILSAFE" && widget->isVisible()) return widget;
    return nullptr;
}

// Runs `act` on the error window once it is shown, from the window's own event loop.
void whenShown(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* window = shownErrorWindow();
        ASSERT_NE(window, nullptr);
        act(window);
    });
}

void click(QWidget* window, const char* button) { window->findChild<QPushButton*>(button)->click(); }

class ErrorWindowTest : public failsafe::testing::FrameworkTest {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "failsafe_window_tests", *argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
        FrameworkTest::SetUp();
    }
    void TearDown() override {
        setProcessSystemFacts(nullptr);
        FrameworkTest::TearDown();
    }
};

TEST_F(ErrorWindowTest, HoverPagesSaveAndBreakToAnswersFiveThroughTheErrorEntry) {
    int copies = 0;
    installQtErrorWindow([&](ErrorWindowState& state) { ++copies, state.setStatus("copied"); });
    ui->answers = {box::No};
    bool openWhileShown = false;
    QString shownReport;
    whenShown([&](QWidget* window) {
        openWhileShown = fs->errorWindowOpen();
        EXPECT_EQ(window->windowTitle(), "Program Error Intercepted");
        auto* status = window->findChild<QLabel*>("lblStatus");
        EXPECT_EQ(status->text(), "Press 'Continue' to acknowledge this error and continue.");
        QEnterEvent enter{QPointF(), QPointF(), QPointF()};
        QApplication::sendEvent(window->findChild<QWidget*>("nsCtrlLabel4"), &enter);
        EXPECT_EQ(status->text(), "The line number where the error happened");
        auto* pages = window->findChild<QComboBox*>("Combo1");
        ASSERT_EQ(pages->count(), 4);
        Q_EMIT pages->activated(ErrorWindowState::SystemInformation);
        EXPECT_EQ(window->findChild<QStackedWidget*>()->currentIndex(), ErrorWindowState::SystemInformation);
        shownReport = window->findChild<QPlainTextEdit*>("txtSystemInformation")->toPlainText();
        click(window, "fsPrint");
        EXPECT_EQ(status->text(), "copied");
        click(window, "nsCtrlMore");
        EXPECT_FALSE(fs->errorWindowOpen());  // cleared before the window closes
    });
    fsPUSH("cLUMOAudio", "Function GetCurrentPlaylist", "");
    Err().set(RuntimeError(error::ObjectNotSet, {}, "LUMOAudioPlayer"), 29);
    EXPECT_EQ(fsERROR("cLUMOAudio", "Function GetCurrentPlaylist"), 5);
    EXPECT_TRUE(openWhileShown);
    EXPECT_EQ(shownErrorWindow(), nullptr);
    EXPECT_EQ(shownReport, QString::fromStdString(fs->lastError().systemReport).replace("\r\n", "\n"));
    EXPECT_EQ(copies, 1);
    // The installed facts know the display.
    EXPECT_NE(fs->lastError().systemReport.find("\r\n   Number of Monitors..1\r\n"), std::string::npos);
    EXPECT_EQ(fs->lastError().systemReport.find("\r\n   Screen size..............\r\n"), std::string::npos);
}

TEST_F(ErrorWindowTest, ContinueAndTheCloseBoxAnswerZero) {
    QtErrorWindow window({});
    InterceptedError error;
    error.slots[0].description = "Division by zero";
    whenShown([](QWidget* shown) {
        shown->findChild<QPlainTextEdit*>("Text1")->setPlainText("Pressed Next\ntwice");
        click(shown, "nsCtrlContinue");
    });
    EXPECT_EQ(window.show(error), 0);
    EXPECT_EQ(error.userText, "Pressed Next\r\ntwice");

    error.action = 5;
    whenShown([](QWidget* shown) { shown->close(); });
    EXPECT_EQ(window.show(error), 0);
    EXPECT_EQ(error.userText, "Type in what you were doing here.");
}

TEST_F(ErrorWindowTest, PagesPrintAndAFailingPrinterSaysSo) {
    std::vector<std::string> lines(150, "Application running on computer studio");
    lines.push_back(std::string(3000, 'w'));  // wraps over several lines
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path("page.pdf").string()));
    ASSERT_TRUE(printLines(printer, lines));
    const std::string pdf = failsafe::testing::bytesOf(path("page.pdf"));
    EXPECT_TRUE(pdf.starts_with("%PDF"));
    size_t pages = 0;
    for (size_t at = pdf.find("/Type /Page\n"); at != std::string::npos; at = pdf.find("/Type /Page\n", at + 1)) ++pages;
    EXPECT_GE(pages, 2u);

    QPrinter broken;
    broken.setOutputFormat(QPrinter::PdfFormat);
    broken.setOutputFileName(QString::fromStdString(path("missing/folder/page.pdf").string()));
    EXPECT_FALSE(printLines(broken, lines));
    QtErrorWindowDevices devices;  // the window's other devices
    // Printing goes through a module loaded on first use: with no print
    // server there is no default printer, which only the loaded module can tell.
    ::setenv("CUPS_SERVER", path("no-cups").c_str(), 1);
    ::unsetenv("PRINTER");
    ::unsetenv("LPDEST");
    EXPECT_EQ(devices.print(lines), PrintOutcome::NoPrinter);
    EXPECT_TRUE(devices.putOnClipboard("copied\r\n"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "copied\r\n");
    EXPECT_FALSE(devices.openHelp(path("no-such-help.html"), 0));
}
}  // namespace
}  // namespace lumo::failsafe::window
