// CopyFailSafeErrorToCB: every page of the error window as one text.
#include <regex>

#include "common/failsafe_clipboard.h"
#include "tests/failsafe/test_support.h"

namespace lumo::common {
namespace {

using failsafe::ErrorWindowState;

class ClipboardDevices final : public failsafe::ErrorWindowDevices {
public:
    bool opens = true;
    std::vector<std::string> copied;
    int busy = 0;
    failsafe::PrintOutcome print(const std::vector<std::string>&) override { return failsafe::PrintOutcome::Printed; }
    bool putOnClipboard(std::string_view text) override {
        if (opens) copied.emplace_back(text);
        return opens;
    }
    bool openHelp(const std::filesystem::path&, int32_t) override { return true; }
    void setBusy(bool on) override { busy += on ? 1 : -1; }
};

class FailSafeClipboardTest : public ::testing::Test {
protected:
    failsafe::ScopedFramework fs;
    failsafe::InterceptedError error;
    failsafe::testing::ScriptedUserInterface ui;
    ClipboardDevices devices;
    std::vector<std::string> notes;

    void SetUp() override {
        failsafe::ProgramInfo program = fs->program();
        program.major = 1;
        program.minor = 5;
        program.revision = 7;
        fs->setProgram(program);
        failsafe::ErrorSlot& slot = error.slots[0];
        slot = {11, "Division by zero", 42, "LUMOAudioPlayer (local)", "cLUMOAudio",
                "Function GetCurrentPlaylist", "General run-time error", "", 0};
        error.callTree = {"2", " 1 : modMain : Sub Main : ", " 2 : \tcLUMOAudio : Function GetCurrentPlaylist : "};
        error.callTreeMarks = {0, 0, 0};
        error.systemReport = "Application running on computer studio\r\nApplication\r\n";
    }
    failsafe::ErrorWindowSetup setup() {
        failsafe::ErrorWindowSetup s;
        s.programName = "LUMOAudioPlayer";
        s.note = [this](std::string_view text) { notes.emplace_back(text); };
        return s;
    }
};

TEST_F(FailSafeClipboardTest, AllPagesInTheirLayout) {
    ErrorWindowState window(error, setup(), ui, devices);
    window.setUserText("Pressed Next twice\r\nthen Play");
    const std::string text = failSafeClipboardText(window, "04/12/2026 05:10:33", "GStreamer 1.22.0");
    EXPECT_EQ(text,
              "FAILSAFE ERROR COPIED TO CLIPBOARD AT: 04/12/2026 05:10:33\r\n"
              "\r\n"
              "LUMOAudio version : 1.05.0007\r\n"
              "MS WMP version : GStreamer 1.22.0\r\n"
              "\r\n"
              "\r\n"
              "<ERROR WINDOW> *** To help resolve the problem, please enter what you were doing ***\r\n"
              "Pressed Next twice\r\nthen Play\r\n"
              "\r\n"
              "\r\n"
              "<ERROR WINDOW> *** View detailed information about the error source ***\r\n"
              "Category  General run-time error\r\n"
              "Source  LUMOAudioPlayer (local)\r\n"
              "Module   cLUMOAudio\r\n"
              "Procedure  Function GetCurrentPlaylist\r\n"
              "Line Number   42\r\n"
              "Error No.   11\r\n"
              "Description  Division by zero\r\n"
              "\r\n"
              "\r\n"
              "<ERROR WINDOW> *** View error context and procedure trace ***\r\n"
              " 1 : Call\tmodMain : Sub Main :\r\n"
              " 2 : Call\t\tcLUMOAudio : Function GetCurrentPlaylist :\r\n"
              " 3 : Trap\t\tRuntime error 11, Division by zero on line 42\r\n"
              "\r\n"
              "\r\n"
              "<ERROR WINDOW> *** View local system information ***\r\n"
              "Application running on computer studio\r\n"
              "Application\r\n"
              "\r\n"
              "*** END OF FAILSAFE COPY TO CLIPBOARD ***\r\n"
              "\r\n");
}

TEST_F(FailSafeClipboardTest, AnEmptyTraceLeavesOnlyTheHeaderAndTwoEmptyLines) {
    error.callTree = {"0"};
    error.callTreeMarks = {0};
    ErrorWindowState window(error, setup(), ui, devices);
    const std::string text = failSafeClipboardText(window, "now", "");
    EXPECT_NE(text.find("<ERROR WINDOW> *** View error context and procedure trace ***\r\n\r\n\r\n"
                        "<ERROR WINDOW> *** View local system information ***\r\n"),
              std::string::npos);
}

TEST_F(FailSafeClipboardTest, CopyReturnsToThePageAndSaysWhatHappened) {
    ErrorWindowState window(error, setup(), ui, devices);
    window.selectPage(ErrorWindowState::ErrorSource);
    CopyFailSafeErrorToCB(window, "GStreamer 1.22.0");
    ASSERT_EQ(devices.copied.size(), 1u);
    EXPECT_NE(devices.copied[0].find("MS WMP version : GStreamer 1.22.0\r\n"), std::string::npos);
    EXPECT_EQ(window.page(), ErrorWindowState::ErrorSource);
    EXPECT_EQ(devices.busy, 0);
    const std::regex copied(R"([0-9]{2}/[0-9]{2}/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} All error windows copied to the clipboard!)");
    EXPECT_TRUE(std::regex_match(window.status(), copied)) << window.status();
    EXPECT_TRUE(notes.empty());

    devices.opens = false;  // another program holds the clipboard
    CopyFailSafeErrorToCB(window, "");
    EXPECT_TRUE(window.status().ends_with(" The clipboard could not be opened: nothing was copied.")) << window.status();
    EXPECT_EQ(notes, std::vector<std::string>{window.status()});
    EXPECT_EQ(window.page(), ErrorWindowState::ErrorSource);
    EXPECT_EQ(devices.busy, 0);
}

// The window is open while the copy runs: nothing of it may wait on the trace.
TEST_F(FailSafeClipboardTest, CopyRunsWithoutTraceEntries) {
    auto waits = std::make_shared<failsafe::testing::ScriptedUserInterface>();
    waits->onEvents = [this] { fs->setErrorWindowOpen(false); };  // a wait would end here, not hang
    fs->setUserInterface(waits);
    fs->push("frmFAILSAFE", "Sub fsPrint_Click", "");
    fs->setErrorWindowOpen(true);
    ErrorWindowState window(error, setup(), ui, devices);
    CopyFailSafeErrorToCB(window, "");
    EXPECT_EQ(waits->eventRounds, 0);
    EXPECT_TRUE(fs->errorWindowOpen());
    EXPECT_EQ(devices.copied.size(), 1u);
    EXPECT_EQ(fs->depth(), 1);
    fs->setErrorWindowOpen(false);
}

}  // namespace
}  // namespace lumo::common
