// Script lines: calls and their argument kinds, assignments, host verbs,
// comments, and the lines that must be refused, each with where it failed.

#include "host/script_parser.h"

#include <gtest/gtest.h>

namespace lumo::host {
namespace {

template <typename Kind>
Kind statementOf(std::string_view line) {
    const ParsedLine parsed = parseLine(line);
    EXPECT_TRUE(parsed.ok()) << line << ": " << parsed.error;
    const bool right = parsed.statement && std::holds_alternative<Kind>(*parsed.statement);
    EXPECT_TRUE(right) << line << " is not the expected kind of statement";
    return right ? std::get<Kind>(*parsed.statement) : Kind{};
}

TEST(ScriptParser, ArgumentsAreIntegersBooleansOrTexts) {
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
}

TEST(ScriptParser, AssignmentsAndHostVerbs) {
    for (const char* line : {"Volume = 30", "Volume=30", "  Volume   =30  # louder"})
        EXPECT_EQ(statementOf<Assignment>(line).value, Variant(30)) << line;
    EXPECT_EQ(statementOf<Assignment>(R"(PlayLists = "a = b")").value, Variant("a = b"));
    const Wait wait = statementOf<Wait>(R"(:wait  GetCurrentPlaylist = "Demo mix"  0)");
    EXPECT_EQ(wait.property, "GetCurrentPlaylist");
    EXPECT_EQ(wait.expected, Variant("Demo mix"));
    EXPECT_EQ(wait.timeoutMs, 0);
    EXPECT_EQ(wait.text, R"(GetCurrentPlaylist = "Demo mix")");
    EXPECT_EQ(statementOf<Wait>(":wait Mute=false 10").expected, Variant::boolean(false));
    EXPECT_EQ(statementOf<Sleep>(":sleep 250").ms, 250);
    EXPECT_EQ(statementOf<Register>(R"(:register "/opt/a b/lib.so")").library, "/opt/a b/lib.so");
    EXPECT_EQ(statementOf<Unregister>(":unregister  # the registered one").library, "");
}

TEST(ScriptParser, BadLinesAreRefusedSayingWhere) {
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

}  // namespace
}  // namespace lumo::host
