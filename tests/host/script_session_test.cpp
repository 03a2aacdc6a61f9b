// A whole lumo-host run: the command line, the order of -e calls, the
// script file and standard input, the exit status, and where :register
// finds the library.

#include "host/script_session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "host/library_path.h"
#include "tests/host/fake_object.h"

namespace lumo::host {
namespace {

namespace fs = std::filesystem;

TEST(CommandLine, OptionsCallsAndScript) {
    const std::vector<std::string> args = {"--library=/l/lib.so", "-e", "Volume = 3", "--progid", "A.B", "-e",
                                           "Volume", "run.lumo"};
    const ParsedCommandLine parsed = parseCommandLine(args);
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.library, "/l/lib.so");
    EXPECT_EQ(parsed.options.progId, "A.B");
    EXPECT_EQ(parsed.options.calls, (std::vector<std::string>{"Volume = 3", "Volume"}));
    EXPECT_EQ(parsed.options.script, "run.lumo");
    EXPECT_FALSE(parsed.options.readsStandardInput());

    const auto reads = [](std::vector<std::string> a) { return parseCommandLine(a).options.readsStandardInput(); };
    EXPECT_TRUE(reads({}));
    EXPECT_TRUE(reads({"-e", "Version", "-"}));
    EXPECT_FALSE(reads({"-e", "Version"}));
    EXPECT_EQ(parseCommandLine(std::vector<std::string>{}).options.progId, "LUMOAudioPlayer.cLUMOAudio");
    EXPECT_EQ(parseCommandLine(std::vector<std::string>{"--", "-odd name"}).options.script, "-odd name");
    // --register runs before the -e calls, and alone it reads no script.
    const CommandLine registering = parseCommandLine(std::vector<std::string>{"-e", "Version", "--register"}).options;
    EXPECT_EQ(registering.calls, (std::vector<std::string>{":register", "Version"}));
    EXPECT_FALSE(parseCommandLine(std::vector<std::string>{"--unregister"}).options.readsStandardInput());

    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"-e"}, "-e needs a call"},
        {{"--library"}, "--library needs a value"},
        {{"--library="}, "--library needs a value"},
        {{"--verbose"}, "unknown option --verbose"},
        {{"a.lumo", "b.lumo"}, "more than one script: a.lumo, b.lumo"},
    };
    for (const auto& [arguments, error] : bad) EXPECT_EQ(parseCommandLine(arguments).error, error) << error;
}

class SessionTest : public ::testing::Test {
protected:
    testing::FakeObject fake;
    int created = 0;
    std::ostringstream out, errors;
    fs::path folder = fs::temp_directory_path() / ("lumo-host-session-" + std::to_string(::getpid()));
    ScriptRunner runner{RunnerSetup{"Fake.Object",
                                    [this](std::string_view) {
                                        ++created;
                                        fake.AddRef();
                                        return CreatedObject{ComPtr<IDispatch>::attach(&fake), hr::S_OK, ""};
                                    },
                                    [](const std::string&) { return std::nullopt; }, &out}};

    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }
    std::string script(const std::string& text) {
        const fs::path file = folder / "script.lumo";
        std::ofstream(file) << text;
        return file.string();
    }
    int session(std::vector<std::string> arguments, const std::string& input = "") {
        std::istringstream in(input);
        const ParsedCommandLine parsed = parseCommandLine(arguments);
        EXPECT_EQ(parsed.error, "");
        return runSession(parsed.options, runner, in, errors);
    }
};

TEST_F(SessionTest, CallsRunFirstThenTheScriptAndStandardInputOnlyWhenAsked) {
    const std::string file = script("\xEF\xBB\xBF# volume steps, saved with a byte order mark\nVolume = 7\n\nVolume\n");
    EXPECT_EQ(session({"-e", "Volume = 1", "-e", "Volume", file}, "Volume = 99\n"), 0);
    EXPECT_EQ(out.str(), R"({"call": "Volume", "result": null, "byref": {}})"
                         "\n"
                         R"({"call": "Volume", "result": 1, "byref": {}})"
                         "\n"
                         R"({"call": "Volume", "result": null, "byref": {}})"
                         "\n"
                         R"({"call": "Volume", "result": 7, "byref": {}})"
                         "\n");
    EXPECT_EQ(fake.volume, 7);  // standard input was not read

    out.str("");
    EXPECT_EQ(session({"-e", "Volume = 2", "-"}, "Volume\n"), 0);
    EXPECT_EQ(out.str(), R"({"call": "Volume", "result": null, "byref": {}})"
                         "\n"
                         R"({"call": "Volume", "result": 2, "byref": {}})"
                         "\n");
    EXPECT_EQ(errors.str(), "");
}

TEST_F(SessionTest, ABadLineInTheScriptRunsNothing) {
    const std::string file = script("Volume = 5\nVolume \"open\n");
    EXPECT_EQ(session({"-e", "Volume = 9", file}), 2);
    EXPECT_EQ(created, 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(errors.str(), "lumo-host: " + file + ":2: text opened at column 8 is not closed\n    Volume \"open\n");

    errors.str("");
    EXPECT_EQ(session({"-e", ":sleep x"}), 2);
    EXPECT_EQ(errors.str(), "lumo-host: -e 1: :sleep needs a number of milliseconds (0 or more)\n    :sleep x\n");
    EXPECT_EQ(session({(folder / "missing.lumo").string()}), 2);
}

TEST_F(SessionTest, StandardInputRunsUntilItsFirstBadLine) {
    EXPECT_EQ(session({}, "Volume = 4\nVolume = 5 6\nVolume = 6\n"), 2);
    EXPECT_EQ(fake.volume, 4);
    EXPECT_EQ(errors.str(), "lumo-host: stdin:2: an assignment takes exactly one value: Volume = value\n    Volume = 5 6\n");
}

TEST_F(SessionTest, AnObjectThatCannotBeCreatedEndsTheRunWithStatus2) {
    ScriptRunner failing{RunnerSetup{"Gone.Class",
                                     [](std::string_view) {
                                         return CreatedObject{{}, hr::CO_E_DLLNOTFOUND, "the library is gone"};
                                     },
                                     [](const std::string&) { return std::nullopt; }, &out}};
    std::istringstream none;
    const ParsedCommandLine parsed = parseCommandLine(std::vector<std::string>{"-e", ":sleep 0", "-e", "Version"});
    EXPECT_EQ(runSession(parsed.options, failing, none, errors), 2);
    EXPECT_EQ(errors.str(), "lumo-host: -e 2: cannot create Gone.Class: the library is gone (0x8004F002)\n");
}

TEST_F(SessionTest, TheLibraryIsTheNamedOneThenTheEnvironmentsThenBesideTheHostThenTheRegisteredOne) {
    const fs::path prefix = folder / "prefix";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "lib");
    const fs::path executable = prefix / "bin" / "lumo-host";
    const fs::path besideLib = prefix / "lib" / "libLUMOAudioPlayer.so";
    std::ofstream(besideLib) << "";

    EXPECT_EQ(findLibrary({"/a/named.so", "/b/env.so", executable, "X.Y"}), fs::path("/a/named.so"));
    EXPECT_EQ(findLibrary({"", "/b/env.so", executable, "X.Y"}), fs::path("/b/env.so"));
    EXPECT_EQ(findLibrary({"rel/lib.so", "", executable, "X.Y"}), fs::current_path() / "rel/lib.so");
    EXPECT_EQ(findLibrary({"", "", executable, "X.Y"}), besideLib);
    fs::remove(besideLib);
    std::ofstream(prefix / "bin" / "libLUMOAudioPlayer.so") << "";
    EXPECT_EQ(findLibrary({"", "", executable, "X.Y"}), prefix / "bin" / "libLUMOAudioPlayer.so");

    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedData = saved ? saved : "";
    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    EXPECT_EQ(findLibrary({"", "", folder / "elsewhere" / "lumo-host", "X.Y"}), std::nullopt);
    fs::create_directories(folder / "data" / "lumo" / "classes");
    std::ofstream(folder / "data" / "lumo" / "classes" / "X.Y.class")
        << "[Class]\nProgID=X.Y\nCLSID={5C1D7E20-4A6B-4F1E-9C3B-216E8D51A704}\nLibrary=/reg/libLUMOAudioPlayer.so\n";
    EXPECT_EQ(findLibrary({"", "", folder / "elsewhere" / "lumo-host", "X.Y"}), fs::path("/reg/libLUMOAudioPlayer.so"));
    if (saved)
        ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace lumo::host
