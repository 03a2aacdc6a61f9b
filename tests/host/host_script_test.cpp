// lumo-host's parts: the JSON lines' texts and values, script lines, the
// runner against a dispatch object of the tests' own, a whole run from its
// command line, and where :register finds the library. The records' shapes
// and calls on the real object are lumo-host's end-to-end test.

#include <gtest/gtest.h>
#include <strings.h>

#include <array>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "host/json_output.h"
#include "host/library_path.h"
#include "host/script_parser.h"
#include "host/script_runner.h"
#include "host/script_session.h"
#include "lumo/create_object.h"
#include "tests/temp_folder.h"

namespace lumo::host {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Args = std::vector<std::string>;

TEST(JsonOutput, TextsAreEscapedAndStayValidUtf8) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"(say "hi" \ bye)", R"("say \"hi\" \\ bye")"},
        {"a\rb\nc\td", R"("a\rb\nc\td")"},
        {"\x01\x08\x0c\x1f", R"("\u0001\u0008\u000c\u001f")"},
        {"nul\0here"s, R"("nul\u0000here")"},
        {"\x7f/", "\"\x7f/\""},  // DEL and '/' need no escape
        {"Grüße ♪ 😀 \u2028", "\"Grüße ♪ 😀 \u2028\""},
        {"\xff", R"("\ufffd")"},
        {"end\xc3", R"("end\ufffd")"},                            // cut-off sequence
        {"\xc3(", R"("\ufffd(")"},                                // lead byte without its continuation
        {"\xc0\xaf", R"("\ufffd\ufffd")"},                        // overlong '/'
        {"\xed\xa0\x80", R"("\ufffd\ufffd\ufffd")"},              // surrogate
        {"\xf4\x90\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"},    // beyond U+10FFFF
        {"\xf0\x9f\x8e\xb5\x80", "\"\xf0\x9f\x8e\xb5\\ufffd\""},  // stray continuation after a good one
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(json::quote(text), json) << text;
}

TEST(JsonOutput, ValuesWithoutAJsonWord) {
    const std::pair<Variant, const char*> cases[] = {
        {Variant(), "null"}, {Variant::fromVBool(1), "true"},  // any non-zero, as the automation rules have it
        {Variant(-2147483647 - 1), "-2147483648"}, {Variant(1e300), "1e+300"}, {Variant(std::nan("")), "null"},
        {Variant(std::numeric_limits<double>::infinity()), "null"}};
    for (const auto& [value, json] : cases) EXPECT_EQ(json::value(value), json) << json;
}

template <typename Kind>
Kind statementOf(std::string_view line) {
    const ParsedLine parsed = parseLine(line);
    EXPECT_TRUE(parsed.ok()) << line << ": " << parsed.error;
    const bool right = parsed.statement && std::holds_alternative<Kind>(*parsed.statement);
    EXPECT_TRUE(right) << line << " is not the expected kind of statement";
    return right ? std::get<Kind>(*parsed.statement) : Kind{};
}

TEST(ScriptParser, CallArgumentsAssignmentsAndHostVerbsAndBadLinesRefusedSayingWhere) {
    const Call call = statementOf<Call>(R"(InitialisePL "" 0 "My list" -12 D: "a \"b\" \\c" +7 TRUE false 2147483648 )"
                                        R"(1.5 x-y "true" "5" "#no comment" - +-1 track#1 "Grüße ♪" # a comment)");
    EXPECT_EQ(call.name, "InitialisePL");
    EXPECT_EQ(call.arguments,
              (std::vector<Variant>{Variant(std::string()), Variant(0), Variant("My list"), Variant(-12), Variant("D:"),
                                    Variant(R"(a "b" \c)"), Variant(7), Variant::boolean(true), Variant::boolean(false),
                                    Variant("2147483648"),  // beyond 32 bits: the object reports the overflow
                                    Variant("1.5"), Variant("x-y"), Variant("true"), Variant("5"), Variant("#no comment"),
                                    Variant("-"), Variant("+-1"), Variant("track#1"), Variant("Grüße ♪")}));
    EXPECT_EQ(statementOf<Call>("  Version\r").name, "Version");  // scripts written on another system
    for (const char* nothing : {"", "   ", "\t", "   # indented comment", "\r"}) {
        const ParsedLine parsed = parseLine(nothing);
        EXPECT_TRUE(parsed.ok() && !parsed.statement) << "'" << nothing << "'";
    }
    EXPECT_EQ(statementOf<Assignment>("  Volume=30  # louder").value, Variant(30));
    EXPECT_EQ(statementOf<Assignment>(R"(PlayLists = "a = b")").value, Variant("a = b"));
    const Wait wait = statementOf<Wait>(R"(:wait  GetCurrentPlaylist = "Demo mix"  0)");
    EXPECT_EQ(wait.property, "GetCurrentPlaylist");
    EXPECT_EQ(wait.expected, Variant("Demo mix"));
    EXPECT_EQ(wait.timeoutMs, 0);
    EXPECT_EQ(wait.text, R"(GetCurrentPlaylist = "Demo mix")");
    EXPECT_EQ(statementOf<Sleep>(":sleep 250").ms, 250);
    EXPECT_EQ(statementOf<Register>(R"(:register "/opt/a b/lib.so")").library, "/opt/a b/lib.so");

    const std::vector<std::pair<const char*, const char*>> bad = {
        {R"(Volume "unclosed)", "column 8"}, {R"(F "a\n")", "column 5"}, {R"(F "a"b)", "column 5"},
        {R"(F a"b)", "column 4"},            {"Volume = 1 2", "exactly one value"}, {"Volume =", "exactly one value"},
        {"3Volume", "column 1"},             {R"("Volume")", "column 1"},   {"Vol-ume 3", "'Vol-...'"},
        {":sleep -1", ":sleep needs"},       {R"(:sleep "5")", ":sleep needs"}, {":sleep 5 6", "column 10"},
        {":wait Playstate 3 2000", "Property=value"}, {":wait Playstate= 2000", "milliseconds"},
        {":wait Playstate=", "after '='"},   {":wait =3 10", "column 7"},   {":wait Playstate=3 10 20", "column 22"},
        {":frob 1", ":frob"},                {":events maybe", "maybe"},    {":events on now", "column 12"},
        {": wait", "column 2"},              {":register a b", "column 13"},
    };
    for (const auto& [line, where] : bad) {
        const ParsedLine parsed = parseLine(line);
        EXPECT_FALSE(parsed.statement) << line;
        EXPECT_NE(parsed.error.find(where), std::string::npos) << line << ": " << parsed.error;
    }
}

// A small dispatch object with the type information a real one offers:
// Volume (read, assigned by value), PlayLists (read, assigned by reference:
// the value after the call is "kept") and Playstate (reads 1 until its third
// read, then 3). It counts its creations.
class FakeObject final : public IDispatch, public ITypeInfo {
public:
    std::vector<uint16_t> flags;  // of each call
    int32_t volume = 50;
    Variant playLists;
    int playstateReads = 0, created = 0;

    HRESULT QueryInterface(const Guid&, void**) override { return hr::E_NOINTERFACE; }
    uint32_t AddRef() override { return 2; }
    uint32_t Release() override { return 1; }
    HRESULT GetTypeInfoCount(uint32_t* count) override { return *count = 1, hr::S_OK; }
    HRESULT GetTypeInfo(uint32_t, ITypeInfo** info) override { return *info = this, hr::S_OK; }
    uint32_t GetFuncCount() override { return static_cast<uint32_t>(funcs_.size()); }
    const FuncDesc* GetFuncDesc(uint32_t index) override { return index < funcs_.size() ? &funcs_[index] : nullptr; }
    std::string GetInterfaceName() override { return "_Fake"; }

    HRESULT GetIDsOfNames(const std::string* name, uint32_t, DISPID* id) override {  // the runner asks for one
        *id = -1;
        for (const FuncDesc& f : funcs_)
            if (strcasecmp(f.name.c_str(), name->c_str()) == 0) *id = f.id;
        return *id < 0 ? hr::DISP_E_UNKNOWNNAME : hr::S_OK;
    }
    HRESULT Invoke(DISPID id, uint16_t how, std::span<Variant> args, Variant* result, ExcepInfo* error) override {
        flags.push_back(how);
        const bool read = (how & (dispatch::Method | dispatch::PropertyGet)) && args.empty();
        if (id == 1 && read) return *result = Variant(volume), hr::S_OK;
        if (id == 1 && how == dispatch::PropertyPut && args.size() == 1 && args[0].toInt32())
            return volume = *args[0].toInt32(), hr::S_OK;
        if (id == 2 && read) return *result = playLists, hr::S_OK;
        if (id == 2 && how == dispatch::PropertyPutRef && args.size() == 1)
            return playLists = args[0], args[0] = Variant("kept"), hr::S_OK;
        if (id == 3 && read) return *result = Variant(++playstateReads >= 3 ? 3 : 1), hr::S_OK;
        error->description = "no member " + std::to_string(id) + " of that kind";
        return hr::DISP_E_MEMBERNOTFOUND;
    }

private:
    std::array<ParamDesc, 1> volume_{ParamDesc{"Volume", VarType::Int32, false}};
    std::array<ParamDesc, 1> playLists_{ParamDesc{"PlayLists", VarType::Variant, true}};
    std::vector<FuncDesc> funcs_{FuncDesc{"Volume", 1, dispatch::PropertyGet, 1, {}, VarType::Int32},
                                 FuncDesc{"Volume", 1, dispatch::PropertyPut, 2, volume_, VarType::Empty},
                                 FuncDesc{"PlayLists", 2, dispatch::PropertyGet, 3, {}, VarType::Variant},
                                 FuncDesc{"PlayLists", 2, dispatch::PropertyPutRef, 4, playLists_, VarType::Empty},
                                 FuncDesc{"Playstate", 3, dispatch::PropertyGet, 5, {}, VarType::Int32}};
};

class Session : public ::testing::Test {
protected:
    FakeObject fake;
    std::ostringstream out;
    ScriptRunner runner{RunnerSetup{"Fake.Object",
                                    [this](std::string_view) {
                                        ++fake.created;
                                        return CreatedObject{ComPtr<IDispatch>::attach(&fake), hr::S_OK, ""};
                                    },
                                    [](const std::string& named) { return named.empty() ? std::nullopt : std::optional<fs::path>(named); },
                                    &out}};

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
using ScriptRunnerTest = Session;

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

TEST_F(Session, TheCommandLineThenCallsThenTheScriptAndABadLineInAScriptRunsNothing) {
    const CommandLine line = parseCommandLine(Args{"--library=/l.so", "-e", "A", "--progid", "A.B", "-e", "B", "--register", "x"}).options;
    EXPECT_EQ(line.library + " " + line.progId + " " + line.script, "/l.so A.B x");
    EXPECT_EQ(line.calls, (Args{":register", "A", "B"})) << "--register runs first";
    EXPECT_FALSE(line.readsStandardInput());
    EXPECT_TRUE(parseCommandLine(Args{"-e", "A", "-"}).options.readsStandardInput());
    EXPECT_EQ(parseCommandLine(Args{"--", "-odd name"}).options.script, "-odd name");
    for (const Args& bad : {Args{"-e"}, Args{"--library"}, Args{"--library="}, Args{"--verbose"}, Args{"a", "b"}})
        EXPECT_NE(parseCommandLine(bad).error, "") << bad[0];

    lumo::testing::TempFolder folder{"lumo-host-session"};
    std::ostringstream errors;
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
