// Reading auto playlist rule files: how they may be written, and the line
// and reason of each kind of mistake.
#include "platform/library/auto_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace lumo::platform::library {
namespace {

// What each setting does is tested on a real index (auto_playlist_test.cpp);
// here, how they may be written.
TEST(AutoRulesTest, MarksCommentsBlanksAndQuotesAreRead) {
    const RuleFile file = parseRuleFile(
        "\xEF\xBB\xBF; a comment\n[auto playlist]\r\nName = Long jazz \n# another\nMatch=ANY\n"
        "Rule1=Duration  >300\nrule10=artist is not \"\"\nRule3=title STARTS WITH  \" So \"\nOrder=-added\n",
        "file name");
    ASSERT_TRUE(file.rules.has_value()) << file.error.line << ": " << file.error.reason;
    EXPECT_EQ(file.rules->name, "Long jazz");
    EXPECT_FALSE(file.rules->matchAll);
    ASSERT_EQ(file.rules->rules.size(), 3u);
    EXPECT_EQ(file.rules->rules[0].number, 300);
    EXPECT_EQ(file.rules->rules[1].op, Operator::IsNot);
    EXPECT_EQ(file.rules->rules[1].text, "");
    EXPECT_EQ(file.rules->rules[2].text, " So ");
    EXPECT_TRUE(file.rules->descending);
    EXPECT_EQ(parseRuleFile("[Auto Playlist]\n", "Everything").rules->name, "Everything");
}

struct Mistake {
    std::string text;
    int line;
    std::string reason;
};

TEST(AutoRulesTest, MistakesNameTheirLineAndReason) {
    const std::string head = "[Auto Playlist]\nName=x\n";  // the mistake is on line 3
    const Mistake mistakes[] = {
        {head + "Rule1=colour is red\n", 3, "unknown field 'colour'"},
        {head + "Rule1=genre resembles Jazz\n", 3, "unknown operator 'resembles' after 'genre'"},
        {head + "Rule1=year contains 19\n", 3, "operator 'contains' does not apply to the number field 'year'"},
        {head + "Rule1=duration > long\n", 3, "'long' is not a number"},
        {head + "Rule1=year > nan\n", 3, "'nan' is not a number"},
        {head + "Rule1=title is\n", 3, "a rule needs a value"},
        {head + "Rule1=genre\n", 3, "unknown operator '' after 'genre'"},
        {head + "Order=colour\n", 3, "unknown order 'colour'"},
        {head + "Order=-random\n", 3, "unknown order '-random'"},
        {head + "Limit=50\n", 3, "unknown limit '50'"},
        {head + "Limit=0 items\n", 3, "unknown limit '0 items'"},
        {head + "Limit=-3 minutes\n", 3, "unknown limit '-3 minutes'"},
        {head + "Match=some\n", 3, "Match is all or any, not 'some'"},
        {head + "Colour=red\n", 3, "unknown key 'Colour'"},
        {head + "name=y\n", 3, "'name' is set twice"},
        {head + "just words\n", 3, "not a setting (key=value): 'just words'"},
        {head + "[Other]\n", 3, "unknown section '[Other]'"},
        {head + "Rule1=artist is Caf\xE9\n", 3, "not UTF-8 text"},
        {"Name=x\n[Auto Playlist]\n", 1, "a setting before the [Auto Playlist] section"},
        {"", 1, "no [Auto Playlist] section"},
    };
    for (const Mistake& m : mistakes) {
        const RuleFile file = parseRuleFile(m.text, "x");
        EXPECT_FALSE(file.rules.has_value()) << m.text;
        EXPECT_EQ(file.error.line, m.line) << m.text;
        EXPECT_EQ(file.error.reason.substr(0, m.reason.size()), m.reason) << m.text;
    }
}

}  // namespace
}  // namespace lumo::platform::library
