// The runner against a dispatch object of the tests' own: which kind of
// call each statement asks for, the names and by-reference values it
// prints, dispatch errors as records, :wait, and when the object is made.

#include "host/script_runner.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/host/fake_object.h"

namespace lumo::host {
namespace {

using testing::FakeObject;

class ScriptRunnerTest : public ::testing::Test {
protected:
    FakeObject fake;
    int created = 0;
    std::ostringstream out;
    ScriptRunner runner{RunnerSetup{
        "Fake.Object",
        [this](std::string_view progId) {
            ++created;
            EXPECT_EQ(progId, "Fake.Object");
            fake.AddRef();
            return CreatedObject{ComPtr<IDispatch>::attach(&fake), hr::S_OK, ""};
        },
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

TEST_F(ScriptRunnerTest, CallsPrintTheInterfaceNameTheResultAndTheByRefValues) {
    EXPECT_EQ(run({"swap 21 \"hey\" true"}),
              R"({"call": "Swap", "result": true, "byref": {"nA": 42, "sB": "hey!"}})"
              "\n");
    EXPECT_EQ(run({"VOLUME", "Version"}),
              R"({"call": "Volume", "result": 50, "byref": {}})"
              "\n"
              R"({"call": "Version", "result": "1.00.0001\r\"beta\"", "byref": {}})"
              "\n");
    ASSERT_EQ(fake.invocations.size(), 3u);
    for (const FakeObject::Invocation& call : fake.invocations)
        EXPECT_EQ(call.flags, dispatch::Method | dispatch::PropertyGet);
    EXPECT_EQ(fake.invocations[0].arguments, 3u);
}

TEST_F(ScriptRunnerTest, AssignmentsUseTheKindTheTypeInformationOffers) {
    EXPECT_EQ(run({"Volume = 30", "Volume"}),
              R"({"call": "Volume", "result": null, "byref": {}})"
              "\n"
              R"({"call": "Volume", "result": 30, "byref": {}})"
              "\n");
    EXPECT_EQ(fake.invocations[0].flags, dispatch::PropertyPut);

    // PlayLists is assigned by reference: its value after the call is printed.
    EXPECT_EQ(run({"PlayLists = \"my lists\""}),
              R"({"call": "PlayLists", "result": null, "byref": {"PlayLists": "kept"}})"
              "\n");
    EXPECT_EQ(fake.invocations.back().flags, dispatch::PropertyPutRef);
    EXPECT_EQ(fake.playLists, Variant("my lists"));
}

TEST_F(ScriptRunnerTest, DispatchErrorsAreRecordsAndTheScriptGoesOn) {
    EXPECT_EQ(run({"Nope 1"}),
              R"({"call": "Nope", "error": {"hresult": "0x80020006", "description": "unknown name 'Nope'"}})"
              "\n");
    EXPECT_EQ(run({"Swap 1"}),
              R"({"call": "Swap", "error": {"hresult": "0x8002000E", "description": "wrong number of arguments for Swap"}})"
              "\n");
    EXPECT_EQ(run({"Swap many b c"}),
              R"({"call": "Swap", "error": {"hresult": "0x80020005", "description": "an argument of Swap does not convert", )"
              R"("argument": "nA"}})"
              "\n");
    EXPECT_EQ(run({"Version = 2"}),
              R"({"call": "Version", "error": {"hresult": "0x80020003", "description": "Version cannot be assigned"}})"
              "\n");
    EXPECT_EQ(fake.volume, 50);
}

TEST_F(ScriptRunnerTest, WaitPollsUntilThePropertyReadsTheValue) {
    const std::string reached = run({":wait playstate=3 60000"});
    EXPECT_TRUE(reached.starts_with(R"({"wait": "playstate=3", "ok": true, "after_ms": )")) << reached;
    EXPECT_EQ(fake.playstateReads, 3);

    EXPECT_EQ(run({":wait Volume=51 0"}), R"({"wait": "Volume=51", "ok": false, "after_ms": 0})"
                                          "\n");
    // The expected value is compared as it was written: text, Boolean, number.
    EXPECT_TRUE(run({":wait Version=\"1.00.0001\r\\\"beta\\\"\" 0"}).find(R"("ok": true)") != std::string::npos);
    EXPECT_TRUE(run({":wait Volume=true 0"}).find(R"("ok": true)") != std::string::npos);
    EXPECT_TRUE(run({":wait Volume=\"50\" 0"}).find(R"("ok": true)") != std::string::npos);
    EXPECT_EQ(run({":wait Nope=1 0"}),
              R"({"wait": "Nope=1", "ok": false, "error": {"hresult": "0x80020006", "description": "unknown name 'Nope'"}})"
              "\n");
}

TEST_F(ScriptRunnerTest, TheObjectIsCreatedOnceAtTheFirstStatementThatNeedsIt) {
    const std::string registered = run({":register /nowhere/libLUMOAudioPlayer.so", ":sleep 0", ":unregister"});
    EXPECT_EQ(created, 0);
    EXPECT_TRUE(registered.starts_with(
        R"({"register": "/nowhere/libLUMOAudioPlayer.so", "ok": false, "error": {"hresult": "0x8004F002", )"
        R"("description": "cannot load /nowhere/libLUMOAudioPlayer.so: )"))
        << registered;
    EXPECT_TRUE(registered.ends_with(
        R"({"unregister": null, "ok": false, "error": {"hresult": "0x8004F002", )"
        R"("description": "no library to unregister: name one with --library or LUMO_LIBRARY"}})"
        "\n"))
        << registered;
    run({"Volume", "Volume = 3", ":wait Volume=3 0"});
    EXPECT_EQ(created, 1);
}

}  // namespace
}  // namespace lumo::host
