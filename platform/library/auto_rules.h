#pragma once
// Auto playlist rule files (NAME.autopl, UTF-8, INI style):
//
//   [Auto Playlist]
//   Name=Long jazz tracks        (default: the file name without .autopl)
//   Match=all                    (all or any; default all)
//   Rule1=genre contains Jazz    (RuleN=<field> <operator> <value>, any number)
//   Rule2=duration > 300
//   Order=-added                 (a field or random; "-" before a field: descending)
//   Limit=50 items               (N items or N minutes; default: no limit)
//
// Fields: title, artist, album, genre, path, format (text) and year, track,
// duration (seconds), added (days ago) (numbers). Operators: is, is not,
// contains, does not contain, starts with, ends with (text fields only), >,
// <, >=, <=. Keys, fields, operators and Match ignore letter case; a value may
// be quoted ("" is the empty text). Lines starting with ; or # are comments.
// Anything else (an unknown key, field, operator, order or limit, a value that
// is not a number for a number field, a key set twice) makes the file not a
// playlist, with the line and the reason.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::platform::library {

enum class Field { Title, Artist, Album, Genre, Path, Format, Year, Track, Duration, Added };
enum class Operator { Is, IsNot, Contains, DoesNotContain, StartsWith, EndsWith, Greater, Less, AtLeast, AtMost };

bool isNumeric(Field field);

struct Rule {
    Field field = Field::Title;
    Operator op = Operator::Is;
    std::string text;   // the value as written
    double number = 0;  // the value of a number field
};

struct AutoPlaylistRules {
    enum class Order { Path, Field, Random };
    enum class Limit { None, Items, Minutes };

    std::string name;
    bool matchAll = true;
    std::vector<Rule> rules;
    Order order = Order::Path;  // Path: the default order, by file path
    Field orderField = Field::Title;
    bool descending = false;
    Limit limit = Limit::None;
    int64_t limitCount = 0;
};

struct RuleFileError {
    int line = 0;
    std::string reason;
};

// The rules, or the first error met.
struct RuleFile {
    std::optional<AutoPlaylistRules> rules;
    RuleFileError error;
};
RuleFile parseRuleFile(std::string_view text, const std::string& defaultName);

}  // namespace lumo::platform::library
