#include "failsafe/value.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace lumo::failsafe {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

// Parses a whole text as a number; nothing when any character is left over.
std::optional<double> wholeNumber(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) return std::nullopt;
    if (text.front() == '+') text.remove_prefix(1);
    double result = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (!std::isfinite(result)) return std::nullopt;
    return result;
}

template <typename Int>
std::optional<Int> roundedTo(std::optional<double> number) {
    if (!number) return std::nullopt;
    const double rounded = std::nearbyint(*number);  // default rounding mode: half to even
    // A NaN compares false with every bound, so it is refused by name.
    if (std::isnan(rounded) || rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

}  // namespace

bool Value::isNumeric() const { return number().has_value(); }

std::optional<double> Value::number() const {
    if (const auto* f = std::get_if<Flag>(&data_)) return f->value;
    if (const auto* i = std::get_if<int32_t>(&data_)) return *i;
    if (const auto* d = std::get_if<double>(&data_)) return *d;
    if (const auto* s = std::get_if<std::string>(&data_)) return wholeNumber(*s);
    return std::nullopt;
}

std::optional<int16_t> Value::toInt16() const { return roundedTo<int16_t>(number()); }
std::optional<int32_t> Value::toInt32() const { return roundedTo<int32_t>(number()); }

std::string Value::text() const {
    if (const auto* f = std::get_if<Flag>(&data_)) return f->value ? "True" : "False";
    if (const auto* i = std::get_if<int32_t>(&data_)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&data_)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.15g", *d);
        return buffer;
    }
    if (const auto* s = std::get_if<std::string>(&data_)) return *s;
    return {};
}

double leadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            number += c;
            digits = true;
        } else if (c == '.' && !point) {
            number += c;
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return 0;
    if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (text[j] == '+' || text[j] == '-') exponent += text[j++];
        const size_t firstDigit = j;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) exponent += text[j++];
        if (j > firstDigit) number += exponent;
    }
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace lumo::failsafe
