#include "platform/library/auto_query.h"

#include <cmath>
#include <string>
#include <variant>

#include "platform/library/text.h"

namespace lumo::platform::library {
namespace {

using Parameter = std::variant<std::string, double, int64_t>;

struct Query {
    std::string sql;
    std::vector<Parameter> parameters;
};

std::string columnOf(Field field) {
    switch (field) {
        case Field::Title:
            return "title";
        case Field::Artist:
            return "artist";
        case Field::Album:
            return "album";
        case Field::Genre:
            return "genre";
        case Field::Path:
            return "path";
        case Field::Format:
            return "format";
        case Field::Year:
            return "year";
        case Field::Track:
            return "number";
        case Field::Duration:
            return "duration";
        case Field::Added:
            return "added";
    }
    return "NULL";
}

// What a rule compares: whole seconds of the duration, days since the file was added.
std::string compared(Field field, int64_t now, std::vector<Parameter>& parameters) {
    if (field == Field::Duration) return "round(duration)";
    if (field != Field::Added) return columnOf(field);
    parameters.emplace_back(now);
    return "((? - added) / 86400)";
}

// The LIKE pattern for a text, with its own % and _ taken literally.
std::string likePattern(const std::string& text, bool anyBefore, bool anyAfter) {
    std::string pattern = anyBefore ? "%" : "";
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return anyAfter ? pattern + "%" : pattern;
}

std::string condition(const Rule& rule, int64_t now, std::vector<Parameter>& parameters) {
    const bool number = isNumeric(rule.field);
    // Texts compare folded, both sides: letter case of any script does not count.
    const std::string column =
        number ? compared(rule.field, now, parameters) : "fold(" + compared(rule.field, now, parameters) + ")";
    const std::string text = number ? std::string() : foldedCase(rule.text);
    if (number)
        parameters.emplace_back(rule.number);
    else if (rule.op == Operator::Contains || rule.op == Operator::DoesNotContain)
        parameters.emplace_back(likePattern(text, true, true));
    else if (rule.op == Operator::StartsWith)
        parameters.emplace_back(likePattern(text, false, true));
    else if (rule.op == Operator::EndsWith)
        parameters.emplace_back(likePattern(text, true, false));
    else
        parameters.emplace_back(text);
    switch (rule.op) {
        case Operator::Is:
            return column + " = ?";
        case Operator::IsNot:
            return number ? column + " IS NOT ?" : column + " <> ?";
        case Operator::Contains:
        case Operator::StartsWith:
        case Operator::EndsWith:
            return column + " LIKE ? ESCAPE '\\'";
        case Operator::DoesNotContain:
            return column + " NOT LIKE ? ESCAPE '\\'";
        case Operator::Greater:
            return column + " > ?";
        case Operator::Less:
            return column + " < ?";
        case Operator::AtLeast:
            return column + " >= ?";
        case Operator::AtMost:
            return column + " <= ?";
    }
    return "0";
}

std::string ordering(const AutoPlaylistRules& rules) {
    using Order = AutoPlaylistRules::Order;
    if (rules.order == Order::Random) return "random()";
    std::string order;
    if (rules.order == Order::Field) {
        const Field field = rules.orderField;
        // "added" counts days ago: ascending puts the newest file first.
        const bool descending = field == Field::Added ? !rules.descending : rules.descending;
        order = columnOf(field) + (isNumeric(field) ? "" : " COLLATE NOCASE") + (descending ? " DESC" : " ASC") +
                " NULLS LAST, ";
    }
    return order + "path, file";
}

Query queryOf(const AutoPlaylistRules& rules, int64_t now) {
    Query query;
    query.sql = std::string("SELECT ") + TrackIndex::mediaColumns() + " FROM tracks";
    if (!rules.rules.empty()) {
        query.sql += " WHERE ";
        for (size_t i = 0; i < rules.rules.size(); ++i) {
            if (i > 0) query.sql += rules.matchAll ? " AND " : " OR ";
            query.sql += "(" + condition(rules.rules[i], now, query.parameters) + ")";
        }
    }
    query.sql += " ORDER BY " + ordering(rules);
    if (rules.limit == AutoPlaylistRules::Limit::Items) {
        query.sql += " LIMIT ?";
        query.parameters.emplace_back(rules.limitCount);
    }
    return query;
}

}  // namespace

std::vector<Track> evaluateRules(TrackIndex& index, const AutoPlaylistRules& rules, int64_t now) {
    const Query query = queryOf(rules, now);
    const bool byMinutes = rules.limit == AutoPlaylistRules::Limit::Minutes;
    const double seconds = static_cast<double>(rules.limitCount) * 60;
    double total = 0;
    std::vector<Track> tracks;
    index.select(
        query.sql,
        [&](Statement& statement) {
            int position = 1;
            for (const Parameter& parameter : query.parameters) {
                if (const auto* text = std::get_if<std::string>(&parameter))
                    statement.bindText(position++, *text);
                else if (const auto* real = std::get_if<double>(&parameter))
                    // Whole numbers as integers: the columns compare faster with their own kind.
                    std::trunc(*real) == *real&& std::fabs(*real) < 1e15
                        ? statement.bindInt(position++, static_cast<int64_t>(*real))
                        : statement.bindReal(position++, *real);
                else
                    statement.bindInt(position++, std::get<int64_t>(parameter));
            }
        },
        [&](Track&& track) {
            if (byMinutes) {
                total += track.duration.value_or(0);
                if (total > seconds) return false;
            }
            tracks.push_back(std::move(track));
            return true;
        });
    return tracks;
}

}  // namespace lumo::platform::library
