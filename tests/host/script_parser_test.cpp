// Script lines: calls and their argument kinds, assignments, host verbs,
// comments, and the lines that must be refused with a reason.

#include "host/script_parser.h"

#include <gtest/gtest.h>

namespace lumo::host {
namespace {

Call callOf(std::string_view line) {
    const ParsedLine parsed = parseLine(line);
    EXPECT_TRUE(parsed.ok()) << line << ": " << parsed.error;
    EXPECT_TRUE(parsed.statement && std::holds_alternative<Call>(*parsed.statement)) << line;
    return parsed.statement && std::holds_alternative<Call>(*parsed.statement) ? std::get<Call>(*parsed.statement)
                                                                                 : Call{};
}

template <typename Kind>
Kind statementOf(std::string_view line) {
    const ParsedLine parsed = parseLine(line);
    EXPECT_TRUE(parsed.ok()) << line << ": " << parsed.error;
    if (!parsed.statement || !std::holds_alternative<Kind>(*parsed.statement)) {
        ADD_FAILURE() << line << " is not the expected kind of statement";
        return Kind{};
    }
    return std::get<Kind>(*parsed.statement);
}

TEST(ScriptParser, ArgumentsAreIntegersBooleansOrTexts) {
    const Call call = callOf(R"(InitialisePL "" 0 "My list" -12 D: "a \"b\" \\c" +7 TRUE false 2147483648 1.5 x-y)");
    EXPECT_EQ(call.name, "InitialisePL");
    const std::vector<Variant> expected = {
        Variant(std::string()), Variant(0), Variant("My list"), Variant(-12), Variant("D:"), Variant(R"(a "b" \c)"),
        Variant(7), Variant::boolean(true), Variant::boolean(false),
        Variant("2147483648"),  // beyond 32 bits: the object reports the overflow
        Variant("1.5"), Variant("x-y")};
    ASSERT_EQ(call.arguments.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(call.arguments[i], expected[i]) << "argument " << i;

    // Quoted words stay texts, even when they look like numbers or Booleans.
    const Call quoted = callOf(R"(SetLoop "true" "5" "#not a comment" "tab	in")");
    EXPECT_EQ(quoted.arguments, (std::vector<Variant>{Variant("true"), Variant("5"), Variant("#not a comment"),
                                                      Variant("tab\tin")}));
    // Signs alone or doubled are words, not numbers.
    EXPECT_EQ(callOf("F - +-1 --2").arguments, (std::vector<Variant>{Variant("-"), Variant("+-1"), Variant("--2")}));
    // UTF-8 passes through untouched.
    EXPECT_EQ(callOf("F \"Grüße ♪\" Ünïcode").arguments, (std::vector<Variant>{Variant("Grüße ♪"), Variant("Ünïcode")}));
}

TEST(ScriptParser, BareNamesCommentsAndBlankLines) {
    EXPECT_TRUE(callOf("  Playstate  ").arguments.empty());
    EXPECT_EQ(callOf("Playstate").name, "Playstate");
    EXPECT_TRUE(callOf("DoPlay # start it").arguments.empty());
    EXPECT_EQ(callOf("F track#1").arguments, std::vector<Variant>{Variant("track#1")});

    for (const char* nothing : {"", "   ", "\t", "# a comment", "   # indented comment", "\r"}) {
        const ParsedLine parsed = parseLine(nothing);
        EXPECT_TRUE(parsed.ok()) << nothing;
        EXPECT_FALSE(parsed.statement) << "'" << nothing << "'";
    }
    EXPECT_EQ(callOf("Version\r").name, "Version");  // scripts written on another system
}

TEST(ScriptParser, Assignments) {
    for (const char* line : {"Volume = 30", "Volume=30", "  Volume   =30  # louder"}) {
        const Assignment assignment = statementOf<Assignment>(line);
        EXPECT_EQ(assignment.name, "Volume") << line;
        EXPECT_EQ(assignment.value, Variant(30)) << line;
    }
    EXPECT_EQ(statementOf<Assignment>(R"(PlayLists = "a = b")").value, Variant("a = b"));
    EXPECT_EQ(statementOf<Assignment>("Mute = true").value, Variant::boolean(true));
}

TEST(ScriptParser, HostVerbs) {
    const Wait wait = statementOf<Wait>(":wait Playstate=3 2000");
    EXPECT_EQ(wait.property, "Playstate");
    EXPECT_EQ(wait.expected, Variant(3));
    EXPECT_EQ(wait.timeoutMs, 2000);
    EXPECT_EQ(wait.text, "Playstate=3");

    const Wait spaced = statementOf<Wait>(R"(:wait  GetCurrentPlaylist = "Demo mix"  0)");
    EXPECT_EQ(spaced.property, "GetCurrentPlaylist");
    EXPECT_EQ(spaced.expected, Variant("Demo mix"));
    EXPECT_EQ(spaced.timeoutMs, 0);
    EXPECT_EQ(spaced.text, R"(GetCurrentPlaylist = "Demo mix")");
    EXPECT_EQ(statementOf<Wait>(":wait Mute=false 10").expected, Variant::boolean(false));

    EXPECT_EQ(statementOf<Sleep>(":sleep 250").ms, 250);
    EXPECT_EQ(statementOf<Register>(":register").library, "");
    EXPECT_EQ(statementOf<Register>(R"(:register "/opt/a b/libLUMOAudioPlayer.so")").library,
              "/opt/a b/libLUMOAudioPlayer.so");
    EXPECT_EQ(statementOf<Unregister>(":unregister  # the registered one").library, "");
    EXPECT_EQ(statementOf<Unregister>(":unregister lib.so").library, "lib.so");
}

TEST(ScriptParser, BadLinesAreRefusedWithTheirReason) {
    const std::vector<std::pair<const char*, const char*>> bad = {
        {R"(Volume "unclosed)", "text opened at column 8 is not closed"},
        {R"(F "a\n")", R"(unknown escape at column 5 (only \" and \\ are known))"},
        {R"(F "a"b)", "expected a space after the text closed at column 5"},
        {R"(F a"b)", "quote inside a word at column 4"},
        {"Volume =", "an assignment takes exactly one value: Volume = value"},
        {"Volume = 1 2", "an assignment takes exactly one value: Volume = value"},
        {"= 5", "expected an operation or property name at column 1"},
        {"3Volume", "expected an operation or property name at column 1"},
        {R"("Volume")", "expected an operation or property name at column 1"},
        {"Vol-ume 3", "'Vol-...' is not a name: names hold letters, digits and '_'"},
        {":sleep", ":sleep needs a number of milliseconds (0 or more)"},
        {":sleep -1", ":sleep needs a number of milliseconds (0 or more)"},
        {":sleep soon", ":sleep needs a number of milliseconds (0 or more)"},
        {R"(:sleep "5")", ":sleep needs a number of milliseconds (0 or more)"},
        {":sleep 5 6", "unexpected text after :sleep MS at column 10"},
        {":wait Playstate 3 2000", ":wait needs Property=value MS"},
        {":wait Playstate= 2000", ":wait needs a number of milliseconds (0 or more)"},
        {":wait Playstate=", ":wait needs a value after '='"},
        {":wait =3 10", "expected a property name after :wait at column 7"},
        {":wait Playstate=3 10 20", "unexpected text after :wait Property=value MS at column 22"},
        {":frob 1", "unknown host verb :frob (known: :wait, :sleep, :register, :unregister, :events)"},
        {":events maybe", ":events takes on or off, not maybe"},
        {":events on now", "unexpected text after :events on|off at column 12"},
        {": wait", "expected a host verb after ':' at column 2"},
        {":register a b", "unexpected text after :register at column 13"},
    };
    for (const auto& [line, reason] : bad) {
        const ParsedLine parsed = parseLine(line);
        EXPECT_FALSE(parsed.statement) << line;
        EXPECT_EQ(parsed.error, reason) << line;
    }
}

}  // namespace
}  // namespace lumo::host
