// The error window's decisions without a display: remote chains, a missing
// report built on demand, printing the selected page, and help.
#include "failsafe/error_window_state.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

class ErrorWindowStateTest : public ::testing::Test, public ErrorWindowDevices {
protected:
    PrintOutcome outcome = PrintOutcome::Printed;
    std::vector<std::vector<std::string>> printed;
    std::vector<std::pair<std::filesystem::path, int32_t>> helpOpened;
    bool helpOpens = true;
    std::vector<bool> busy;
    PrintOutcome print(const std::vector<std::string>& lines) override { return printed.push_back(lines), outcome; }
    bool putOnClipboard(std::string_view) override { return true; }
    bool openHelp(const std::filesystem::path& file, int32_t context) override {
        return helpOpened.emplace_back(file, context), helpOpens;
    }
    void setBusy(bool on) override { busy.push_back(on); }

    InterceptedError error;
    ScriptedUserInterface ui;
    ErrorWindowDevices& devices = *this;
    std::vector<std::string> notes;
    int copies = 0, reportsBuilt = 0;

    void SetUp() override {  // a division by zero in "Function GetCurrentPlaylist", called from "Sub Main"
        error.slots[0] = {11, "Division by zero", 42, "LUMOAudioPlayer (local)", "cLUMOAudio",
                          "Function GetCurrentPlaylist", "General run-time error", "", 0};
        error.callTree = {"2", " 1 : modMain : Sub Main : ", " 2 : \tcLUMOAudio : Function GetCurrentPlaylist : "};
        error.callTreeMarks = {0, 0, 0};
        error.systemReport = "Application running on computer studio\r\n";
    }
    ErrorWindowSetup setup(bool inDevEnvironment = false) {
        ErrorWindowSetup s;
        s.programName = "LUMOAudioPlayer";
        s.programFolder = "/opt/lumo";
        s.inDevEnvironment = inDevEnvironment;
        s.buildSystemReport = [this] { return ++reportsBuilt, std::string("rebuilt\r\n"); };
        s.copyAllPages = [this](ErrorWindowState&) { ++copies; };
        s.note = [this](std::string_view text) { notes.emplace_back(text); };
        return s;
    }
};

TEST_F(ErrorWindowStateTest, RemoteChainsAndUnknownLines) {
    error.slots[0].line = 0;
    error.slots[0].source = "Decoder (remote)";
    error.slots[1].description = "Remote Access denied";
    error.lastSlot = 1;
    error.callTree[2] = " 2 : \tcLUMOAudio : Function GetCurrentPlaylist : drive=D:";
    ErrorWindowState window(error, setup(), ui, devices);
    EXPECT_EQ(window.headline(), "An unexpected 'division by zero' error occurred in a component used by LUMOAudioPlayer.");
    EXPECT_EQ(window.fields()[4].value, " line numbers not used - Code Pointer = 0");
    EXPECT_EQ(window.errorRows(), (std::vector<std::string>{"Error 1 - Division by zero", "Error 2 - Remote Access denied"}));
    EXPECT_EQ(window.errorCountText(), "2 error(s) are logged.");
    // The arguments of the selected level; the trap and error rows belong to the failing level.
    for (int row : {0, 1, 3, 9}) {
        window.selectCall(row);
        EXPECT_EQ(window.argumentRows(), row % 9 == 0 ? std::vector<std::string>() : std::vector<std::string>{"drive=D:"});
    }
    EXPECT_EQ(window.selectedCall(), -1);
    window.hoverOver("ErrLine");
    window.hoverOver("Combo1");  // no text of its own: the line stays
    EXPECT_EQ(window.status(), "The line number where the error happened");
}

TEST_F(ErrorWindowStateTest, AMissingReportIsBuiltOnceWhenItsPageIsShown) {
    ErrorWindowState window(error, setup(), ui, devices);
    window.selectPage(ErrorWindowState::SystemInformation);
    window.selectPage(7);  // no such page: the page stays
    EXPECT_EQ(window.page(), ErrorWindowState::SystemInformation);
    EXPECT_EQ(reportsBuilt, 0);  // there is one already
    error.systemReport.clear();
    window.selectPage(ErrorWindowState::SystemInformation);
    window.selectPage(ErrorWindowState::SystemInformation);
    EXPECT_EQ(reportsBuilt, 1);
    EXPECT_EQ(window.systemReport(), "rebuilt\r\n");
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
}

// Save...: Yes prints the selected page, No copies every page, Cancel does neither.
TEST_F(ErrorWindowStateTest, SavePrintsTheSelectedPageOrCopiesAndSaysWhatHappened) {
    ErrorWindowState window(error, setup(), ui, devices);
    window.selectPage(ErrorWindowState::ErrorSource);
    const std::tuple<int32_t, PrintOutcome, std::string> answers[] = {
        {box::Cancel, PrintOutcome::Printed, ""}, {box::No, PrintOutcome::Printed, ""},
        {box::Yes, PrintOutcome::Printed, "The selected error window was sent to the default printer."},
        {box::Yes, PrintOutcome::NoPrinter, "There is no default printer: the error window was not printed."},
        {box::Yes, PrintOutcome::Failed, "The default printer failed: the error window was not printed."}};
    for (const auto& [answer, result, status] : answers) {
        ui.answers = {answer};
        outcome = result;
        window.pressSave();
        if (!status.empty()) {
            EXPECT_EQ(window.status(), status);
        }
    }
    EXPECT_EQ(ui.boxes.at(0).title, "Save Error Information");
    EXPECT_EQ(copies, 1);
    ASSERT_EQ(printed.size(), 3u);
    const std::vector<std::string>& lines = printed[0];
    EXPECT_EQ(lines, (std::vector<std::string>{"Program Error Intercepted",
                         "An unexpected 'division by zero' error occurred in LUMOAudioPlayer.", "",
                         "View detailed information about the error source", "", "Category General run-time error",
                         "Source LUMOAudioPlayer (local)", "Module  cLUMOAudio", "Procedure  Function GetCurrentPlaylist",
                         "Line Number  42", "Error No.  11", "Description Division by zero", "",
                         "Error 1 - Division by zero", "1 error(s) are logged."}));
    EXPECT_EQ(notes, (std::vector<std::string>{std::get<2>(answers[3]), std::get<2>(answers[4])}));
    outcome = PrintOutcome::Printed;
    window.setUserText("Pressed Next\r\ntwice");
    for (const int page : {ErrorWindowState::WhatYouWereDoing, ErrorWindowState::SystemInformation}) {
        window.selectPage(page);
        ui.answers = {box::Yes};
        window.pressSave();
    }
    EXPECT_EQ(std::vector<std::string>(printed[3].begin() + 5, printed[3].end()), (std::vector<std::string>{"Pressed Next", "twice"}));
    EXPECT_EQ(printed[4].back(), "Application running on computer studio");
}

TEST_F(ErrorWindowStateTest, HelpOpensTheErrorsHelpFile) {
    {
        ErrorWindowState window(error, setup(), ui, devices);
        window.pressHelp();  // no help file of its own: the window's
        error.slots[0].helpFile = "/usr/share/help/player.html";
        error.slots[0].helpContext = 1011;
        window.pressHelp();
        EXPECT_EQ(helpOpened, (std::vector<std::pair<std::filesystem::path, int32_t>>{
                                          {"/opt/lumo/failsafe.hlp", 0}, {"/usr/share/help/player.html", 1011}}));
        helpOpens = false;
        window.pressHelp();
        EXPECT_EQ(window.status(), "No help could be shown: /usr/share/help/player.html does not open.");
        EXPECT_EQ(notes, std::vector<std::string>{window.status()});
        EXPECT_TRUE(ui.boxes.empty());
    }
    ErrorWindowState window(error, setup(true), ui, devices);  // in the development environment: a box instead
    window.pressHelp();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Press F1 for Help on player.html, context 1011");
    EXPECT_EQ(helpOpened.size(), 3u);
}

}  // namespace
}  // namespace lumo::failsafe::testing
