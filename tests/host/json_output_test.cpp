// The JSON lines: string escaping (control characters, CR, UTF-8 and bytes
// that are not UTF-8), value kinds, and the exact record shapes.

#include "host/json_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace lumo::host::json {
namespace {

using namespace std::string_literals;

TEST(JsonOutput, TextsAreEscapedAndStayValidUtf8) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", R"("")"},
        {"plain text", R"("plain text")"},
        {R"(say "hi" \ bye)", R"("say \"hi\" \\ bye")"},
        {"Error Condition: 4\rError Code: -5\r", R"("Error Condition: 4\rError Code: -5\r")"},
        {"a\nb\tc", R"("a\nb\tc")"},
        {"\x01\x08\x0c\x1f", R"("\u0001\u0008\u000c\u001f")"},
        {"nul\0here"s, R"("nul\u0000here")"},
        {"\x7f/", "\"\x7f/\""},  // DEL and '/' need no escape
        {"Grüße ♪ 😀 \u2028", "\"Grüße ♪ 😀 \u2028\""},
        {"\xff", R"("\ufffd")"},
        {"end\xc3", R"("end\ufffd")"},                    // cut-off sequence
        {"\xc3(", R"("\ufffd(")"},                        // lead byte without its continuation
        {"\xc0\xaf", R"("\ufffd\ufffd")"},                // overlong '/'
        {"\xed\xa0\x80", R"("\ufffd\ufffd\ufffd")"},      // surrogate
        {"\xf4\x90\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"},  // beyond U+10FFFF
        {"\xf0\x9f\x8e\xb5\x80", "\"\xf0\x9f\x8e\xb5\\ufffd\""},  // stray continuation after a good one
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(quote(text), json) << text;
}

TEST(JsonOutput, ValuesByKind) {
    EXPECT_EQ(value(Variant()), "null");
    EXPECT_EQ(value(Variant::fromVBool(-1)), "true");
    EXPECT_EQ(value(Variant::fromVBool(0)), "false");
    EXPECT_EQ(value(Variant::fromVBool(1)), "true");  // any non-zero, as the automation rules have it
    EXPECT_EQ(value(Variant(-2147483647 - 1)), "-2147483648");
    EXPECT_EQ(value(Variant(2.5)), "2.5");
    EXPECT_EQ(value(Variant(1e300)), "1e+300");
    EXPECT_EQ(value(Variant(std::nan(""))), "null");
    EXPECT_EQ(value(Variant(std::numeric_limits<double>::infinity())), "null");
    EXPECT_EQ(value(Variant("3")), R"("3")");
    EXPECT_EQ(hresult(static_cast<HRESULT>(0x80020006)), "0x80020006");
    EXPECT_EQ(hresult(0), "0x00000000");
}

TEST(JsonOutput, RecordShapes) {
    EXPECT_EQ(callRecord("Volume", Variant(30), {}), R"({"call": "Volume", "result": 30, "byref": {}})");
    EXPECT_EQ(callRecord("DoPlay", Variant(), {}), R"({"call": "DoPlay", "result": null, "byref": {}})");
    EXPECT_EQ(callRecord("InitialisePL", Variant::boolean(false),
                         {{"sPromptedDrive", Variant("")}, {"sWMPError", Variant("bad\r")}, {"nPLError", Variant(0x100)}}),
              R"({"call": "InitialisePL", "result": false, "byref": {"sPromptedDrive": "", "sWMPError": "bad\r", )"
              R"("nPLError": 256}})");
    EXPECT_EQ(callError("Volum", {hr::DISP_E_UNKNOWNNAME, "unknown name 'Volum'", ""}),
              R"({"call": "Volum", "error": {"hresult": "0x80020006", "description": "unknown name 'Volum'"}})");
    EXPECT_EQ(callError("InitializeVolBal", {hr::DISP_E_TYPEMISMATCH, "argument 2 does not convert", "nNewBal"}),
              R"({"call": "InitializeVolBal", "error": {"hresult": "0x80020005", )"
              R"("description": "argument 2 does not convert", "argument": "nNewBal"}})");
    EXPECT_EQ(waitRecord("Playstate=3", true, 120), R"({"wait": "Playstate=3", "ok": true, "after_ms": 120})");
    EXPECT_EQ(waitRecord(R"(GetCurrentPlaylist="x")", false, 0),
              R"({"wait": "GetCurrentPlaylist=\"x\"", "ok": false, "after_ms": 0})");
    EXPECT_EQ(waitError("Nope=1", {hr::DISP_E_UNKNOWNNAME, "unknown name 'Nope'", ""}),
              R"({"wait": "Nope=1", "ok": false, "error": {"hresult": "0x80020006", "description": "unknown name 'Nope'"}})");
    EXPECT_EQ(registrationRecord("register", "/lib/libLUMOAudioPlayer.so", nullptr),
              R"({"register": "/lib/libLUMOAudioPlayer.so", "ok": true})");
    const Failure missing{hr::CO_E_DLLNOTFOUND, "no library", ""};
    EXPECT_EQ(registrationRecord("unregister", "", &missing),
              R"({"unregister": null, "ok": false, "error": {"hresult": "0x8004F002", "description": "no library"}})");
}

}  // namespace
}  // namespace lumo::host::json
