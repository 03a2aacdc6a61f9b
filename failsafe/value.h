#pragma once
// A loosely typed value as the framework's option function takes and returns
// it: empty, a 16-bit flag (true = -1), a 32-bit integer, a double or a text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace lumo::failsafe {

class Value {
public:
    Value() = default;
    static Value flag(bool on) { return Value(Flag{static_cast<int16_t>(on ? -1 : 0)}); }
    Value(int32_t number) : data_(number) {}
    Value(double number) : data_(number) {}
    Value(std::string text) : data_(std::move(text)) {}
    Value(const char* text) : data_(std::string(text)) {}
    Value(std::string_view text) : data_(std::string(text)) {}

    bool isEmpty() const { return std::holds_alternative<std::monostate>(data_); }
    bool isFlag() const { return std::holds_alternative<Flag>(data_); }
    bool isText() const { return std::holds_alternative<std::string>(data_); }

    // A flag, a number or a text that reads as a number (leading and trailing
    // blanks allowed); an empty value is not numeric.
    bool isNumeric() const;
    std::optional<double> number() const;
    // Rounded half to even, as the 16- and 32-bit conversions of the original
    // runtime did; nothing when the value is not numeric or out of range.
    std::optional<int16_t> toInt16() const;
    std::optional<int32_t> toInt32() const;
    std::string text() const;

    bool operator==(const Value&) const = default;

private:
    struct Flag {
        int16_t value;
        bool operator==(const Flag&) const = default;
    };
    explicit Value(Flag f) : data_(f) {}
    std::variant<std::monostate, Flag, int32_t, double, std::string> data_;
};

// The numeric prefix of a text as the original runtime's Val read it: leading
// blanks skipped, an optional sign, digits with at most one decimal point,
// an optional exponent; 0 when there is no number at all.
double leadingNumber(std::string_view text);

// Case-insensitive comparison of ASCII texts.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace lumo::failsafe
