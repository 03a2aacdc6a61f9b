// The JSON lines' texts and values: escaping (control characters, CR, UTF-8
// and bytes that are not UTF-8) and the values JSON has no word for. The
// records' shapes are in lumo-host's end-to-end test.

#include "host/json_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace lumo::host::json {
namespace {

using namespace std::string_literals;

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
    for (const auto& [text, json] : cases) EXPECT_EQ(quote(text), json) << text;
}

TEST(JsonOutput, ValuesWithoutAJsonWord) {
    EXPECT_EQ(value(Variant()), "null");
    EXPECT_EQ(value(Variant::fromVBool(1)), "true");  // any non-zero, as the automation rules have it
    EXPECT_EQ(value(Variant(-2147483647 - 1)), "-2147483648");
    EXPECT_EQ(value(Variant(1e300)), "1e+300");
    EXPECT_EQ(value(Variant(std::nan(""))), "null");
    EXPECT_EQ(value(Variant(std::numeric_limits<double>::infinity())), "null");
}

}  // namespace
}  // namespace lumo::host::json
