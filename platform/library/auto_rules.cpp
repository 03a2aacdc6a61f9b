#include "platform/library/auto_rules.h"

#include <glib.h>

#include <array>
#include <charconv>
#include <cmath>
#include <set>
#include <utility>

#include "platform/library/text.h"

namespace lumo::platform::library {
namespace {

constexpr std::array<std::pair<std::string_view, Field>, 10> Fields{{{"title", Field::Title},
                                                                     {"artist", Field::Artist},
                                                                     {"album", Field::Album},
                                                                     {"genre", Field::Genre},
                                                                     {"path", Field::Path},
                                                                     {"format", Field::Format},
                                                                     {"year", Field::Year},
                                                                     {"track", Field::Track},
                                                                     {"duration", Field::Duration},
                                                                     {"added", Field::Added}}};

// Longest first, so that "is not" is not taken for "is".
constexpr std::array<std::pair<std::string_view, Operator>, 10> Operators{
    {{"does not contain", Operator::DoesNotContain},
     {"starts with", Operator::StartsWith},
     {"ends with", Operator::EndsWith},
     {"contains", Operator::Contains},
     {"is not", Operator::IsNot},
     {"is", Operator::Is},
     {">=", Operator::AtLeast},
     {"<=", Operator::AtMost},
     {">", Operator::Greater},
     {"<", Operator::Less}}};

std::optional<Field> fieldNamed(std::string_view name) {
    const std::string lower = lowerAscii(name);
    for (const auto& [text, field] : Fields)
        if (text == lower) return field;
    return std::nullopt;
}

std::optional<double> numberOf(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    // from_chars also reads "inf" and "nan", which no track's field can equal or order against.
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// What is wrong with a line; parseRuleFile adds the line number.
struct Bad {
    std::string reason;
};

Rule parseRule(std::string_view text) {
    const std::string_view fieldName = text.substr(0, text.find_first_of(" \t"));
    const auto field = fieldNamed(fieldName);
    if (!field) throw Bad{"unknown field " + quoted(fieldName)};
    Rule rule;
    rule.field = *field;
    const std::string_view rest = trimmed(text.substr(fieldName.size()));
    const std::string lower = lowerAscii(rest);
    std::string_view opName;
    for (const auto& [name, op] : Operators) {
        if (lower.compare(0, name.size(), name) != 0) continue;
        // A word operator ends at a blank; a sign may touch its value.
        const bool word = name.front() >= 'a';
        if (word && lower.size() > name.size() && lower[name.size()] != ' ' && lower[name.size()] != '\t') continue;
        rule.op = op;
        opName = name;
        break;
    }
    if (opName.empty())
        throw Bad{"unknown operator " + quoted(rest.substr(0, rest.find_first_of(" \t"))) + " after " +
                  quoted(fieldName)};
    const bool textOperator = rule.op >= Operator::Contains && rule.op <= Operator::EndsWith;
    if (textOperator && isNumeric(rule.field))
        throw Bad{"operator " + quoted(opName) + " does not apply to the number field " + quoted(fieldName)};
    std::string_view value = trimmed(rest.substr(opName.size()));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    else if (value.empty())
        throw Bad{"a rule needs a value (\"\" for the empty text)"};
    rule.text = value;
    if (isNumeric(rule.field)) {
        const auto number = numberOf(value);
        if (!number) throw Bad{quoted(value) + " is not a number"};
        rule.number = *number;
    }
    return rule;
}

void parseOrder(std::string_view text, AutoPlaylistRules& rules) {
    const std::string lower = lowerAscii(trimmed(text));
    if (lower == "random") {
        rules.order = AutoPlaylistRules::Order::Random;
        return;
    }
    const bool descending = !lower.empty() && lower.front() == '-';
    const auto field = fieldNamed(descending ? std::string_view(lower).substr(1) : lower);
    if (!field) throw Bad{"unknown order " + quoted(text) + " (a field, -field or random)"};
    rules.order = AutoPlaylistRules::Order::Field;
    rules.orderField = *field;
    rules.descending = descending;
}

void parseLimit(std::string_view text, AutoPlaylistRules& rules) {
    const std::string lower = lowerAscii(trimmed(text));
    const auto blank = lower.find(' ');
    int64_t count = 0;
    const std::string_view number = std::string_view(lower).substr(0, blank);
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), count);
    const std::string unit = blank == std::string::npos ? std::string() : std::string(trimmed(lower.substr(blank)));
    const bool valid = error == std::errc() && end == number.data() + number.size() && count > 0;
    if (valid && (unit == "items" || unit == "item"))
        rules.limit = AutoPlaylistRules::Limit::Items;
    else if (valid && (unit == "minutes" || unit == "minute"))
        rules.limit = AutoPlaylistRules::Limit::Minutes;
    else
        throw Bad{"unknown limit " + quoted(text) + " (N items or N minutes)"};
    rules.limitCount = count;
}

void applySetting(std::string_view key, std::string_view value, AutoPlaylistRules& rules) {
    const std::string lower = lowerAscii(key);
    if (lower == "name") {
        if (!value.empty()) rules.name = value;
    } else if (lower == "match") {
        const std::string match = lowerAscii(value);
        if (match != "all" && match != "any") throw Bad{"Match is all or any, not " + quoted(value)};
        rules.matchAll = match == "all";
    } else if (lower == "order") {
        parseOrder(value, rules);
    } else if (lower == "limit") {
        parseLimit(value, rules);
    } else if (lower.size() > 4 && lower.compare(0, 4, "rule") == 0 &&
               lower.find_first_not_of("0123456789", 4) == std::string::npos) {
        rules.rules.push_back(parseRule(value));
    } else {
        throw Bad{"unknown key " + quoted(key)};
    }
}

}  // namespace

bool isNumeric(Field field) { return field >= Field::Year; }

RuleFile parseRuleFile(std::string_view text, const std::string& defaultName) {
    RuleFile file;
    AutoPlaylistRules rules;
    rules.name = defaultName;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    bool inSection = false, sawSection = false;
    std::set<std::string> keys;
    int line = 0;
    try {
        for (size_t start = 0; start <= text.size();) {
            const size_t end = std::min(text.find('\n', start), text.size());
            const std::string_view raw = text.substr(start, end - start);
            start = end + 1;
            ++line;
            if (!g_utf8_validate(raw.data(), static_cast<gssize>(raw.size()), nullptr)) throw Bad{"not UTF-8 text"};
            const std::string_view content = trimmed(raw);
            if (content.empty() || content.front() == ';' || content.front() == '#') continue;
            if (content.front() == '[') {
                if (content.back() != ']' ||
                    lowerAscii(trimmed(content.substr(1, content.size() - 2))) != "auto playlist")
                    throw Bad{"unknown section " + quoted(content) + " (expected [Auto Playlist])"};
                inSection = sawSection = true;
                continue;
            }
            if (!inSection) throw Bad{"a setting before the [Auto Playlist] section"};
            const size_t equals = content.find('=');
            if (equals == std::string_view::npos) throw Bad{"not a setting (key=value): " + quoted(content)};
            const std::string_view key = trimmed(content.substr(0, equals));
            if (!keys.insert(lowerAscii(key)).second) throw Bad{quoted(key) + " is set twice"};
            applySetting(key, trimmed(content.substr(equals + 1)), rules);
        }
        if (!sawSection) {
            line = 1;
            throw Bad{"no [Auto Playlist] section"};
        }
    } catch (const Bad& bad) {
        file.error = {line, bad.reason};
        return file;
    }
    file.rules = std::move(rules);
    return file;
}

}  // namespace lumo::platform::library
