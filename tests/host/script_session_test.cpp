// A whole lumo-host run: the command line, the order of -e calls, the
// script file and standard input, bad lines, and where :register finds the
// library.

#include "host/script_session.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/library_path.h"
#include "tests/host/fake_object.h"
#include "tests/temp_folder.h"

namespace lumo::host {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

TEST(CommandLine, OptionsCallsScriptAndMistakes) {
    const CommandLine line = parseCommandLine(Args{"--library=/l.so", "-e", "A", "--progid", "A.B", "-e", "B", "--register", "x"}).options;
    EXPECT_EQ(line.library + " " + line.progId + " " + line.script, "/l.so A.B x");
    EXPECT_EQ(line.calls, (Args{":register", "A", "B"})) << "--register runs first";
    EXPECT_FALSE(line.readsStandardInput());
    EXPECT_TRUE(parseCommandLine(Args{"-e", "A", "-"}).options.readsStandardInput());
    EXPECT_EQ(parseCommandLine(Args{"--", "-odd name"}).options.script, "-odd name");
    for (const Args& bad : {Args{"-e"}, Args{"--library"}, Args{"--library="}, Args{"--verbose"}, Args{"a", "b"}})
        EXPECT_NE(parseCommandLine(bad).error, "") << bad[0];
}

TEST(Session, CallsThenTheScriptAndABadLineInAScriptRunsNothing) {
    lumo::testing::TempFolder folder{"lumo-host-session"};
    testing::FakeObject fake;
    std::ostringstream out, errors;
    ScriptRunner runner{RunnerSetup{"Fake.Object", [&](std::string_view) { return fake.create(); },
                                    [](const std::string&) { return std::nullopt; }, &out}};
    const auto session = [&](Args arguments, const std::string& input) {
        std::istringstream in(input);
        return runSession(parseCommandLine(arguments).options, runner, in, errors);
    };
    std::ofstream(folder / "good.lumo") << "\xEF\xBB\xBF# with a byte order mark\nVolume\nVolume = 7\n";
    EXPECT_EQ(session({"-e", "Volume = 1", (folder / "good.lumo").string()}, "Volume = 99\n"), 0);
    EXPECT_NE(out.str().find(R"("result": 1,)"), std::string::npos) << out.str();
    EXPECT_EQ(fake.volume, 7) << "standard input was not read";

    std::ofstream(folder / "bad.lumo") << "Volume = 5\nVolume \"open\n";
    EXPECT_EQ(session({"-e", "Volume = 9", (folder / "bad.lumo").string()}, ""), 2);
    EXPECT_EQ(fake.volume, 7);
    EXPECT_NE(errors.str().find("bad.lumo:2: text opened at column 8"), std::string::npos) << errors.str();
    EXPECT_EQ(session({(folder / "missing.lumo").string()}, ""), 2);
    EXPECT_EQ(session({}, "Volume = 4\nVolume = 5 6\nVolume = 6\n"), 2) << "standard input runs until its first bad line";
    EXPECT_EQ(fake.volume, 4);
}

TEST(LibraryPath, TheNamedOneThenTheEnvironmentsThenBesideTheHostThenTheRegisteredOne) {
    lumo::testing::TempFolder folder{"lumo-host-library"};
    const fs::path host = folder / "bin" / "lumo-host", elsewhere = folder / "elsewhere" / "lumo-host";
    fs::create_directories(folder / "lib");
    fs::create_directories(folder / "bin");
    EXPECT_EQ(findLibrary({"/a/named.so", "/b/env.so", host, "X.Y"}), fs::path("/a/named.so"));
    EXPECT_EQ(findLibrary({"", "/b/env.so", host, "X.Y"}), fs::path("/b/env.so"));
    EXPECT_EQ(findLibrary({"rel/lib.so", "", host, "X.Y"}), fs::current_path() / "rel/lib.so");
    std::ofstream(folder / "bin" / "libLUMOAudioPlayer.so") << "";
    EXPECT_EQ(findLibrary({"", "", host, "X.Y"}), folder / "bin" / "libLUMOAudioPlayer.so");
    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    EXPECT_EQ(findLibrary({"", "", elsewhere, "X.Y"}), std::nullopt);
    fs::create_directories(folder / "data" / "lumo" / "classes");
    std::ofstream(folder / "data" / "lumo" / "classes" / "X.Y.class")
        << "[Class]\nProgID=X.Y\nCLSID={5C1D7E20-4A6B-4F1E-9C3B-216E8D51A704}\nLibrary=/reg/libLUMOAudioPlayer.so\n";
    EXPECT_EQ(findLibrary({"", "", elsewhere, "X.Y"}), fs::path("/reg/libLUMOAudioPlayer.so"));
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace lumo::host
