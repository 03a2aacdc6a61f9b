// The runner against a dispatch object of the tests' own: the kind of call
// an assignment asks for, :wait's comparisons and failures, when the object
// is made, and Qt's events while :sleep and :wait wait. Calls and errors on
// the real object are lumo-host's end-to-end test.

#include "host/script_runner.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <sstream>

#include "tests/host/fake_object.h"

namespace lumo::host {
namespace {

class ScriptRunnerTest : public ::testing::Test {
protected:
    testing::FakeObject fake;
    std::ostringstream out;
    ScriptRunner runner{RunnerSetup{"Fake.Object", [this](std::string_view) { return fake.create(); },
                                    [](const std::string& named) -> std::optional<std::filesystem::path> {
                                        if (named.empty()) return std::nullopt;
                                        return named;
                                    },
                                    &out}};

    // Runs each line and returns what was printed.
    std::string run(std::initializer_list<const char*> lines) {
        out.str("");
        for (const char* line : lines) {
            const ParsedLine parsed = parseLine(line);
            EXPECT_TRUE(parsed.ok() && parsed.statement) << line;
            std::string failure;
            EXPECT_TRUE(runner.run(*parsed.statement, &failure)) << line << ": " << failure;
        }
        return out.str();
    }
};

TEST_F(ScriptRunnerTest, AssignmentsWaitsAndWhenTheObjectIsMade) {
    const std::string registered = run({":register /nowhere/lib.so", ":sleep 0", ":unregister"});
    EXPECT_EQ(fake.created, 0);
    EXPECT_EQ(std::count(registered.begin(), registered.end(), '\n'), 2);
    EXPECT_EQ(registered.find(R"("ok": true)"), std::string::npos) << registered;
    // PlayLists is assigned by reference: its value after the call is printed.
    EXPECT_EQ(run({"PlayLists = \"my lists\""}), R"({"call": "PlayLists", "result": null, "byref": {"PlayLists": "kept"}})"
                                                 "\n");
    EXPECT_EQ(fake.flags.back(), dispatch::PropertyPutRef);
    run({"Volume = 30"});
    EXPECT_EQ(fake.flags.back(), dispatch::PropertyPut);
    EXPECT_EQ(fake.created, 1);

    EXPECT_NE(run({":wait playstate=3 60000"}).find(R"("ok": true)"), std::string::npos);
    EXPECT_EQ(fake.playstateReads, 3) << "read until it is 3";
    // The expected value is compared as it was written: number, Boolean or text.
    for (const auto& [line, ok] : std::vector<std::pair<const char*, bool>>{
             {":wait Volume=31 0", false}, {":wait Volume=true 0", true}, {":wait Volume=false 0", false},
             {":wait Volume=\"30\" 0", true}, {":wait Volume=\"30.0\" 0", false}})
        EXPECT_NE(run({line}).find(ok ? R"("ok": true)" : R"("ok": false, "after_ms": 0})"), std::string::npos) << line;
    EXPECT_NE(run({":wait Nope=1 0"}).find(R"("ok": false, "error": {"hresult": "0x80020006")"), std::string::npos);
}

// Once the library has made an application (it does for the desktop's media
// controls), a desktop's call can change what the script reads next.
TEST_F(ScriptRunnerTest, SleepAndWaitRunTheApplicationsEventsWhileTheyWait) {
    static int argc = 1;
    static char name[] = "host_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    run({":sleep 1"});
    EXPECT_TRUE(ran) << ":sleep left the event waiting";
    QTimer::singleShot(0, [this] { fake.volume = 77; });
    EXPECT_NE(run({":wait Volume=77 5000"}).find(R"("ok": true)"), std::string::npos);
}

}  // namespace
}  // namespace lumo::host
