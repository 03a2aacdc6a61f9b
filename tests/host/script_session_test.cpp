// A whole lumo-host run: the command line, the order of -e calls, the
// script file and standard input, bad lines, and where :register finds the
// library.

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
using Args = std::vector<std::string>;

TEST(CommandLine, OptionsCallsAndScript) {
    const ParsedCommandLine parsed =
        parseCommandLine(Args{"--library=/l/lib.so", "-e", "Volume = 3", "--progid", "A.B", "-e", "Volume", "run.lumo"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.library, "/l/lib.so");
    EXPECT_EQ(parsed.options.progId, "A.B");
    EXPECT_EQ(parsed.options.calls, (Args{"Volume = 3", "Volume"}));
    EXPECT_EQ(parsed.options.script, "run.lumo");
    // Standard input is read without calls, or when named; --register runs first.
    for (const auto& [arguments, reads] : std::vector<std::pair<Args, bool>>{
             {{}, true}, {{"-e", "Version", "-"}, true}, {{"-e", "Version"}, false}, {{"--unregister"}, false}})
        EXPECT_EQ(parseCommandLine(arguments).options.readsStandardInput(), reads) << arguments.size();
    EXPECT_EQ(parseCommandLine(Args{"-e", "Version", "--register"}).options.calls, (Args{":register", "Version"}));
    EXPECT_EQ(parseCommandLine(Args{"--", "-odd name"}).options.script, "-odd name");
    for (const Args& bad : {Args{"-e"}, Args{"--library"}, Args{"--library="}, Args{"--verbose"}, Args{"a", "b"}})
        EXPECT_NE(parseCommandLine(bad).error, "") << bad[0];
}

class SessionTest : public ::testing::Test {
protected:
    testing::FakeObject fake;
    std::ostringstream out, errors;
    fs::path folder = fs::temp_directory_path() / ("lumo-host-session-" + std::to_string(::getpid()));
    ScriptRunner runner{RunnerSetup{"Fake.Object", [this](std::string_view) { return fake.create(); },
                                    [](const std::string&) { return std::nullopt; }, &out}};

    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }
    std::string script(const std::string& text) {
        std::ofstream(folder / "script.lumo") << text;
        return (folder / "script.lumo").string();
    }
    int session(Args arguments, const std::string& input = "") {
        std::istringstream in(input);
        return runSession(parseCommandLine(arguments).options, runner, in, errors);
    }
};

TEST_F(SessionTest, CallsRunFirstThenTheScriptAndStandardInputOnlyWhenAsked) {
    const std::string file = script("\xEF\xBB\xBF# saved with a byte order mark\nVolume = 7\n\nVolume\n");
    EXPECT_EQ(session({"-e", "Volume = 1", "-e", "Volume", file}, "Volume = 99\n"), 0);
    EXPECT_NE(out.str().find(R"("result": 1,)"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find(R"("result": 7,)"), std::string::npos) << out.str();
    EXPECT_EQ(fake.volume, 7) << "standard input was not read";
    EXPECT_EQ(session({"-e", "Volume = 2", "-"}, "Volume = 5\n"), 0);
    EXPECT_EQ(fake.volume, 5);
    EXPECT_EQ(errors.str(), "");
}

TEST_F(SessionTest, ABadLineInAScriptRunsNothingAndOnStandardInputEndsTheRun) {
    const std::string file = script("Volume = 5\nVolume \"open\n");
    EXPECT_EQ(session({"-e", "Volume = 9", file}), 2);
    EXPECT_EQ(fake.created, 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(errors.str(), "lumo-host: " + file + ":2: text opened at column 8 is not closed\n    Volume \"open\n");
    EXPECT_EQ(session({(folder / "missing.lumo").string()}), 2);

    EXPECT_EQ(session({}, "Volume = 4\nVolume = 5 6\nVolume = 6\n"), 2);
    EXPECT_EQ(fake.volume, 4);
    EXPECT_NE(errors.str().find("lumo-host: stdin:2: "), std::string::npos) << errors.str();
}

TEST_F(SessionTest, TheLibraryIsTheNamedOneThenTheEnvironmentsThenBesideTheHostThenTheRegisteredOne) {
    const fs::path prefix = folder / "prefix", executable = prefix / "bin" / "lumo-host";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "lib");
    std::ofstream(prefix / "lib" / "libLUMOAudioPlayer.so") << "";
    EXPECT_EQ(findLibrary({"/a/named.so", "/b/env.so", executable, "X.Y"}), fs::path("/a/named.so"));
    EXPECT_EQ(findLibrary({"", "/b/env.so", executable, "X.Y"}), fs::path("/b/env.so"));
    EXPECT_EQ(findLibrary({"rel/lib.so", "", executable, "X.Y"}), fs::current_path() / "rel/lib.so");
    EXPECT_EQ(findLibrary({"", "", executable, "X.Y"}), prefix / "lib" / "libLUMOAudioPlayer.so");
    fs::remove(prefix / "lib" / "libLUMOAudioPlayer.so");
    std::ofstream(prefix / "bin" / "libLUMOAudioPlayer.so") << "";
    EXPECT_EQ(findLibrary({"", "", executable, "X.Y"}), prefix / "bin" / "libLUMOAudioPlayer.so");

    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    EXPECT_EQ(findLibrary({"", "", folder / "elsewhere" / "lumo-host", "X.Y"}), std::nullopt);
    fs::create_directories(folder / "data" / "lumo" / "classes");
    std::ofstream(folder / "data" / "lumo" / "classes" / "X.Y.class")
        << "[Class]\nProgID=X.Y\nCLSID={5C1D7E20-4A6B-4F1E-9C3B-216E8D51A704}\nLibrary=/reg/libLUMOAudioPlayer.so\n";
    EXPECT_EQ(findLibrary({"", "", folder / "elsewhere" / "lumo-host", "X.Y"}), fs::path("/reg/libLUMOAudioPlayer.so"));
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace lumo::host
