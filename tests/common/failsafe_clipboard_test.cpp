// CopyFailSafeErrorToCB: every page of the error window as one text, in its layout.
#include <regex>

#include "common/failsafe_clipboard.h"
#include "tests/failsafe/test_support.h"

namespace lumo::common {
namespace {

using failsafe::ErrorWindowState;

class FailSafeClipboardTest : public ::testing::Test, public failsafe::ErrorWindowDevices {
protected:
    failsafe::ScopedFramework fs;
    failsafe::InterceptedError error;
    failsafe::testing::ScriptedUserInterface ui;
    bool opens = true;
    std::vector<std::string> copied, notes;
    int busy = 0;

    failsafe::PrintOutcome print(const std::vector<std::string>&) override { return failsafe::PrintOutcome::Printed; }
    bool putOnClipboard(std::string_view text) override { return opens && (copied.emplace_back(text), true); }
    bool openHelp(const std::filesystem::path&, int32_t) override { return true; }
    void setBusy(bool on) override { busy += on ? 1 : -1; }

    void SetUp() override {
        failsafe::ProgramInfo program = fs->program();
        program.major = 1, program.minor = 5, program.revision = 7;
        fs->setProgram(program);
        error.slots[0] = {11, "Division by zero", 42, "LUMOAudioPlayer (local)", "cLUMOAudio",
                          "Function GetCurrentPlaylist", "General run-time error", "", 0};
        error.callTree = {"0"};  // nothing traced: the trace page is empty
        error.callTreeMarks = {0};
        error.systemReport = "Application running on computer studio\r\nApplication\r\n";
    }
    failsafe::ErrorWindowSetup setup() {
        failsafe::ErrorWindowSetup s;
        s.programName = "LUMOAudioPlayer";
        s.note = [this](std::string_view text) { notes.emplace_back(text); };
        return s;
    }
};

// The copy runs while the window is open: nothing of it may wait on the trace.
TEST_F(FailSafeClipboardTest, CopyReturnsToThePageAndSaysWhatHappened) {
    auto waits = std::make_shared<failsafe::testing::ScriptedUserInterface>();
    waits->onEvents = [this] { fs->setErrorWindowOpen(false); };  // a wait would end here, not hang
    fs->setUserInterface(waits);
    fs->push("frmFAILSAFE", "Sub fsPrint_Click", "");
    fs->setErrorWindowOpen(true);
    ErrorWindowState window(error, setup(), ui, *this);
    window.setUserText("Pressed Next twice\r\nthen Play");
    EXPECT_EQ(failSafeClipboardText(window, "04/12/2026 05:10:33", "GStreamer 1.22.0"),
              "FAILSAFE ERROR COPIED TO CLIPBOARD AT: 04/12/2026 05:10:33\r\n\r\n"
              "LUMOAudio version : 1.05.0007\r\nMS WMP version : GStreamer 1.22.0\r\n\r\n\r\n"
              "<ERROR WINDOW> *** To help resolve the problem, please enter what you were doing ***\r\n"
              "Pressed Next twice\r\nthen Play\r\n\r\n\r\n"
              "<ERROR WINDOW> *** View detailed information about the error source ***\r\n"
              "Category  General run-time error\r\nSource  LUMOAudioPlayer (local)\r\nModule   cLUMOAudio\r\n"
              "Procedure  Function GetCurrentPlaylist\r\nLine Number   42\r\nError No.   11\r\n"
              "Description  Division by zero\r\n\r\n\r\n"
              "<ERROR WINDOW> *** View error context and procedure trace ***\r\n\r\n\r\n"
              "<ERROR WINDOW> *** View local system information ***\r\n"
              "Application running on computer studio\r\nApplication\r\n\r\n"
              "*** END OF FAILSAFE COPY TO CLIPBOARD ***\r\n\r\n");
    window.selectPage(ErrorWindowState::ErrorSource);
    CopyFailSafeErrorToCB(window, "GStreamer 1.22.0");
    EXPECT_EQ(waits->eventRounds, 0);
    EXPECT_EQ(fs->depth(), 1);
    ASSERT_EQ(copied.size(), 1u);
    EXPECT_NE(copied[0].find("MS WMP version : GStreamer 1.22.0\r\n"), std::string::npos);
    EXPECT_TRUE(std::regex_match(window.status(), std::regex(R"([0-9/]{10} [0-9:]{8} All error windows copied to the clipboard!)")))
        << window.status();
    opens = false;  // another program holds the clipboard
    CopyFailSafeErrorToCB(window, "");
    EXPECT_TRUE(window.status().ends_with(" The clipboard could not be opened: nothing was copied.")) << window.status();
    EXPECT_EQ(notes, std::vector<std::string>{window.status()});
    EXPECT_EQ(window.page(), ErrorWindowState::ErrorSource);
    EXPECT_EQ(busy, 0);
    fs->setErrorWindowOpen(false);
}

}  // namespace
}  // namespace lumo::common
