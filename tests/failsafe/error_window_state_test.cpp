// The error window's texts, pages and decisions, without a display.
#include "failsafe/error_window_state.h"
#include "test_support.h"

namespace lumo::failsafe::testing {
namespace {

class RecordingDevices final : public ErrorWindowDevices {
public:
    PrintOutcome outcome = PrintOutcome::Printed;
    std::vector<std::vector<std::string>> printed;
    std::vector<std::pair<std::filesystem::path, int32_t>> helpOpened;
    bool helpOpens = true;
    std::vector<bool> busy;

    PrintOutcome print(const std::vector<std::string>& lines) override {
        printed.push_back(lines);
        return outcome;
    }
    bool putOnClipboard(std::string_view) override { return true; }
    bool openHelp(const std::filesystem::path& file, int32_t context) override {
        helpOpened.emplace_back(file, context);
        return helpOpens;
    }
    void setBusy(bool on) override { busy.push_back(on); }
};

// A division by zero in "Function GetCurrentPlaylist", called from "Sub Main".
InterceptedError divisionByZero() {
    InterceptedError error;
    ErrorSlot& slot = error.slots[0];
    slot.number = 11;
    slot.description = "Division by zero";
    slot.line = 42;
    slot.source = "LUMOAudioPlayer (local)";
    slot.module = "cLUMOAudio";
    slot.procedure = "Function GetCurrentPlaylist";
    slot.category = "General run-time error";
    error.callTree = {"2", " 1 : modMain : Sub Main : ", " 2 : \tcLUMOAudio : Function GetCurrentPlaylist : ",
                      };
    error.callTreeMarks = {0, 0, 0};
    error.systemReport = "Application running on computer studio\r\n";
    return error;
}

class ErrorWindowStateTest : public ::testing::Test {
protected:
    InterceptedError error = divisionByZero();
    ScriptedUserInterface ui;
    RecordingDevices devices;
    std::vector<std::string> notes;
    std::vector<bool> openFlags;
    int copies = 0;
    int reportsBuilt = 0;
    bool inDevEnvironment = false;

    ErrorWindowSetup setup() {
        ErrorWindowSetup s;
        s.programName = "LUMOAudioPlayer";
        s.programFolder = "/opt/lumo";
        s.inDevEnvironment = inDevEnvironment;
        s.buildSystemReport = [this] {
            ++reportsBuilt;
            return std::string("Application running on computer rebuilt\r\n");
        };
        s.copyAllPages = [this](ErrorWindowState&) { ++copies; };
        s.note = [this](std::string_view text) { notes.emplace_back(text); };
        s.windowOpen = [this](bool open) { openFlags.push_back(open); };
        return s;
    }
};

TEST_F(ErrorWindowStateTest, TextsAndFields) {
    ErrorWindowState window(error, setup(), ui, devices);
    EXPECT_EQ(window.title(), "Program Error Intercepted");
    EXPECT_EQ(window.headline(), "An unexpected 'division by zero' error occurred in LUMOAudioPlayer.");
    EXPECT_EQ(ErrorWindowState::pageName(0), "To help resolve the problem, please enter what you were doing.");
    EXPECT_EQ(ErrorWindowState::pageName(1), "View detailed information about the error source");
    EXPECT_EQ(ErrorWindowState::pageName(2), "View error context and procedure trace");
    EXPECT_EQ(ErrorWindowState::pageName(3), "View local system information");
    EXPECT_EQ(ErrorWindowState::pageCaption(1), "Error Information");
    EXPECT_EQ(ErrorWindowState::pageCaption(2), "Call Tree & Arguments");
    EXPECT_EQ(ErrorWindowState::pageCaption(3), "System State Information");
    EXPECT_EQ(window.userText(), "Type in what you were doing here.");

    std::vector<std::tuple<std::string, std::string, std::string, std::string>> fields;
    for (const ErrorField& f : window.fields())
        fields.emplace_back(f.labelName, f.fieldName, f.label, f.value);
    EXPECT_EQ(fields, (std::vector<std::tuple<std::string, std::string, std::string, std::string>>{
                          {"nsCtrlLabel7", "ErrType", "Category ", "General run-time error"},
                          {"nsCtrlProjLab", "errProject", "Source ", "LUMOAudioPlayer (local)"},
                          {"nsCtrlLabel1", "ErrModule", "Module ", " cLUMOAudio"},
                          {"nsCtrlLabel2", "ErrProcedure", "Procedure ", " Function GetCurrentPlaylist"},
                          {"nsCtrlLabel4", "ErrLine", "Line Number ", " 42"},
                          {"nsCtrlLabel5", "ErrNo", "Error No. ", " 11"},
                          {"nsCtrlLabel6", "errText", "Description ", "Division by zero"},
                      }));
    EXPECT_EQ(window.callRows(), (std::vector<std::string>{" 1 : Call\tmodMain : Sub Main :",
                                                           " 2 : Call\t\tcLUMOAudio : Function GetCurrentPlaylist :",
                                                           " 3 : Trap\t\tRuntime error 11, Division by zero on line 42"}));
    EXPECT_EQ(window.errorRows(), std::vector<std::string>{"Error 1 - Division by zero"});
    EXPECT_EQ(window.errorCountText(), "1 error(s) are logged.");
}

TEST_F(ErrorWindowStateTest, RemoteChainsAndUnknownLines) {
    error.slots[0].line = 0;
    error.failingMark = 0;
    error.slots[0].source = "Decoder (remote)";
    error.slots[1].description = "Remote Access denied";
    error.lastSlot = 1;
    error.callTree[2] = " 2 : \tcLUMOAudio : Function GetCurrentPlaylist : drive=D:";
    ErrorWindowState window(error, setup(), ui, devices);
    EXPECT_EQ(window.headline(), "An unexpected 'division by zero' error occurred in a component used by LUMOAudioPlayer.");
    EXPECT_EQ(window.fields()[4].value, " line numbers not used - Code Pointer = 0");
    EXPECT_EQ(window.errorRows(),
              (std::vector<std::string>{"Error 1 - Division by zero", "Error 2 - Remote Access denied"}));
    EXPECT_EQ(window.errorCountText(), "2 error(s) are logged.");
    // The arguments of the selected level; the trap and error rows belong to the failing level.
    EXPECT_TRUE(window.argumentRows().empty());
    window.selectCall(0);
    EXPECT_TRUE(window.argumentRows().empty());
    for (int row : {1, 2, 3}) {
        window.selectCall(row);
        EXPECT_EQ(window.argumentRows(), std::vector<std::string>{"drive=D:"}) << row;
    }
    window.selectCall(9);
    EXPECT_EQ(window.selectedCall(), -1);
}

TEST_F(ErrorWindowStateTest, HoverTextsInTheStatusLine) {
    ErrorWindowState window(error, setup(), ui, devices);
    EXPECT_EQ(window.status(), "Press 'Continue' to acknowledge this error and continue.");
    window.hoverOver("nsCtrlMore");
    EXPECT_EQ(window.status(), "Press to break to design-mode in this procedure.");
    // A field and its label say the same.
    for (const ErrorField& field : window.fields())
        EXPECT_EQ(ErrorWindowState::hoverText(field.labelName), ErrorWindowState::hoverText(field.fieldName))
            << field.fieldName;
    window.hoverOver("ErrLine");
    EXPECT_EQ(window.status(), "The line number where the error happened");
    window.hoverOver("Combo1");  // no text of its own: the line stays
    EXPECT_EQ(window.status(), "The line number where the error happened");
    window.hoverOver("");
    EXPECT_EQ(window.status(), "Press 'Continue' to acknowledge this error and continue.");
}

TEST_F(ErrorWindowStateTest, PagesAndTheMissingReport) {
    int changes = 0;
    ErrorWindowState window(error, setup(), ui, devices);
    window.setChangeHandler([&] { ++changes; });
    EXPECT_EQ(window.page(), ErrorWindowState::WhatYouWereDoing);
    window.selectPage(ErrorWindowState::SystemInformation);
    EXPECT_EQ(reportsBuilt, 0);  // there is one already
    window.selectPage(7);
    EXPECT_EQ(window.page(), ErrorWindowState::SystemInformation);
    EXPECT_EQ(changes, 1);

    error.systemReport.clear();
    window.selectPage(ErrorWindowState::SystemInformation);
    EXPECT_EQ(reportsBuilt, 1);
    EXPECT_EQ(window.systemReport(), "Application running on computer rebuilt\r\n");
    EXPECT_EQ(devices.busy, (std::vector<bool>{true, false}));
    window.selectPage(ErrorWindowState::SystemInformation);
    EXPECT_EQ(reportsBuilt, 1);
}

TEST_F(ErrorWindowStateTest, ContinueAndBreakToAnswer) {
    {
        ErrorWindowState window(error, setup(), ui, devices);
        window.activated();
        window.setUserText("Pressed Next twice");
        window.pressContinue();
        EXPECT_TRUE(window.answered());
        EXPECT_EQ(window.action(), 0);
        EXPECT_EQ(error.userText, "Pressed Next twice");
        EXPECT_EQ(openFlags, (std::vector<bool>{true, false}));
    }
    error = divisionByZero();
    ErrorWindowState window(error, setup(), ui, devices);
    window.setUserText("not taken");
    window.pressBreakTo();
    EXPECT_EQ(window.action(), 5);
    EXPECT_EQ(error.action, 5);
    EXPECT_EQ(error.userText, "");
    EXPECT_EQ(openFlags.back(), false);
}

TEST_F(ErrorWindowStateTest, SaveAsksAndPrintsOrCopies) {
    ErrorWindowState window(error, setup(), ui, devices);
    ui.answers = {box::Cancel, box::No, box::Yes};
    window.pressSave();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Save Error Information");
    EXPECT_EQ(ui.boxes[0].style, box::YesNoCancel | box::Question);
    EXPECT_EQ(ui.boxes[0].text,
              "Save error message window(s) to the default printer or clipboard?\r\r"
              "- Press 'Yes' to print the SELECTED error window to the default PRINTER:\r"
              "- Press 'No' to copy ALL the error windows to the CLIPBOARD: ( *** USEFUL FOR BUG REPORTING  *** )\r"
              "- Press 'Cancel' not to save any error message windows:");
    EXPECT_EQ(copies, 0);
    EXPECT_TRUE(devices.printed.empty());

    window.pressSave();
    EXPECT_EQ(copies, 1);
    EXPECT_TRUE(devices.printed.empty());

    window.selectPage(ErrorWindowState::ErrorContext);
    window.pressSave();
    ASSERT_EQ(devices.printed.size(), 1u);
    EXPECT_EQ(devices.printed[0],
              (std::vector<std::string>{"Program Error Intercepted",
                                        "An unexpected 'division by zero' error occurred in LUMOAudioPlayer.", "",
                                        "View error context and procedure trace", "", window.callRows()[0],
                                        window.callRows()[1], window.callRows()[2]}));
    EXPECT_EQ(window.status(), "The selected error window was sent to the default printer.");
    EXPECT_TRUE(notes.empty());
}

TEST_F(ErrorWindowStateTest, APrinterThatIsMissingOrFailsIsReported) {
    ErrorWindowState window(error, setup(), ui, devices);
    const std::vector<std::pair<PrintOutcome, std::string>> outcomes = {
        {PrintOutcome::NoPrinter, "There is no default printer: the error window was not printed."},
        {PrintOutcome::Failed, "The default printer failed: the error window was not printed."},
    };
    for (const auto& [outcome, status] : outcomes) {
        devices.outcome = outcome;
        ui.answers = {box::Yes};
        window.pressSave();
        EXPECT_EQ(window.status(), status);
        EXPECT_EQ(notes.back(), status);
    }
    window.selectPage(ErrorWindowState::ErrorSource);
    const std::vector<std::string> lines = window.printedLines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.end()),
              (std::vector<std::string>{"Category General run-time error", "Source LUMOAudioPlayer (local)",
                                        "Module  cLUMOAudio", "Procedure  Function GetCurrentPlaylist",
                                        "Line Number  42", "Error No.  11", "Description Division by zero", "",
                                        "Error 1 - Division by zero", "1 error(s) are logged."}));
}

TEST_F(ErrorWindowStateTest, HelpOpensTheErrorsHelpFile) {
    {
        ErrorWindowState window(error, setup(), ui, devices);
        window.pressHelp();  // no help file of its own: the window's
        error.slots[0].helpFile = "/usr/share/help/player.html";
        error.slots[0].helpContext = 1011;
        window.pressHelp();
        EXPECT_EQ(devices.helpOpened, (std::vector<std::pair<std::filesystem::path, int32_t>>{
                                          {"/opt/lumo/failsafe.hlp", 0}, {"/usr/share/help/player.html", 1011}}));
        devices.helpOpens = false;
        window.pressHelp();
        EXPECT_EQ(window.status(), "No help could be shown: /usr/share/help/player.html does not open.");
        EXPECT_EQ(notes, std::vector<std::string>{window.status()});
        EXPECT_TRUE(ui.boxes.empty());
    }
    inDevEnvironment = true;
    ErrorWindowState window(error, setup(), ui, devices);
    window.pressHelp();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Press F1 for Help on player.html, context 1011");
    EXPECT_EQ(devices.helpOpened.size(), 3u);
}

}  // namespace
}  // namespace lumo::failsafe::testing
