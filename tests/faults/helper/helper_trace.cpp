// FailSafe's logs in a program folder of the test's choosing (its
// FSCLIENT.INI written by the test): a round of everything that writes a
// log, or trace records for ever into the circular log.
#include <string>
#include <system_error>

#include "failsafe/failsafe.h"
#include "helper.h"

namespace lumo::faults {
namespace {

namespace fs = std::filesystem;
using failsafe::LogAndClear;
using failsafe::Procedure;

// Boxes are what would reach the user: each one is reported.
class ReportingUserInterface final : public failsafe::UserInterface {
public:
    int32_t messageBox(std::string_view text, int32_t style, std::string_view) override {
        say("box " + std::string(text.substr(0, text.find('\r'))));
        return failsafe::box::defaultAnswer(style);
    }
    void processPendingEvents() override {}
    void setProgramWindowsEnabled(bool) override {}
};

void startIn(const fs::path& folder) {
    failsafe::Framework& framework = failsafe::framework();
    framework.setProgram({folder, "FaultHelper", "FaultHelper", "FaultHelper"});
    framework.setUserInterface(std::make_shared<ReportingUserInterface>());
    failsafe::fsSTART();
}

// A statement that fails the way a missing file does.
void failingStatement() { throw std::system_error(ENOENT, std::generic_category(), "no such file"); }

// With `logFile`, the log is chosen the way a program does after the start
// (option 16), and what the framework made of it is reported.
int logRound(const fs::path& folder, const std::string& logFile = {}) {
    startIn(folder);
    if (!logFile.empty()) {
        say("log-file " + failsafe::fsOPTION(16, failsafe::Value(logFile)).text());
        failsafe::fsOPTION(23, failsafe::Value::flag(true));
    }
    int stepsAfterLoggedError = 0;
    {
        Procedure proc("modFaults", "Sub LoggedError", LogAndClear{"modFaults.LoggedError"});
        proc.step([] { failingStatement(); });
        proc.step([&] { ++stepsAfterLoggedError; });
    }
    say("after-logged-error " + std::to_string(stepsAfterLoggedError));
    failsafe::fsWRITELOG("a line written by the program");
    bool leftTrapped = false;
    {
        Procedure proc("modFaults", "Sub TrappedError");
        proc.step([] { failingStatement(); });
        leftTrapped = proc.leaving();
    }
    say(std::string("trapped-error-left ") + (leftTrapped ? "yes" : "no"));
    for (int i = 0; i < 20; ++i) {
        Procedure proc("modFaults", "Sub Traced");
    }
    say("done");
    return 0;
}

// Procedure names of several lengths, so that a slot written halfway over
// another could not pass for a whole one.
int traceLoop(const fs::path& folder) {
    startIn(folder);
    say("ready");
    for (long n = 0;; ++n) {
        Procedure outer("modCrash", "Sub Outer");
        if (n % 3 == 0) {
            Procedure inner("modCrash", "Function AMuchLongerProcedureName");
        } else {
            Procedure inner("modCrash", "Sub X");
        }
    }
}

}  // namespace

int traceCommand(const Arguments& a) {
    if (a.size() == 2 && a[0] == "log") return logRound(a[1]);
    if (a.size() == 3 && a[0] == "log") return logRound(a[1], a[2]);
    if (a.size() == 2 && a[0] == "loop") return traceLoop(a[1]);
    return 2;
}

}  // namespace lumo::faults
