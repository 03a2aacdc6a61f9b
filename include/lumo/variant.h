#pragma once
// The value of an argument or result in a call by name: Empty, a 16-bit
// Boolean (true = -1), a 32-bit integer, a double, a UTF-8 string, or an
// object. Conversions follow the classic automation rules: numbers round
// half to even, Booleans are -1 and 0, texts are parsed after trimming, and
// what cannot convert is a type mismatch (or an overflow).

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

#include "lumo/com.h"

namespace lumo {

class Variant {
public:
    Variant() = default;
    static Variant boolean(bool on) { return Variant(Bool{static_cast<int16_t>(on ? -1 : 0)}); }
    static Variant fromVBool(int16_t value) { return Variant(Bool{value}); }
    Variant(int32_t value) : value_(value) {}
    Variant(double value) : value_(value) {}
    Variant(std::string text) : value_(std::move(text)) {}
    Variant(const char* text) : value_(std::string(text)) {}
    // Takes a reference of its own.
    explicit Variant(IUnknown* object) : value_(ComPtr<IUnknown>()) {
        if (object) object->AddRef();
        value_ = ComPtr<IUnknown>::attach(object);
    }

    VarType type() const {
        switch (value_.index()) {
            case 1: return VarType::Bool;
            case 2: return VarType::Int32;
            case 3: return VarType::Double;
            case 4: return VarType::String;
            case 5: return VarType::Object;
            default: return VarType::Empty;
        }
    }
    bool isEmpty() const { return value_.index() == 0; }
    // The held value; only valid for the matching type().
    int16_t vbool() const { return std::get<Bool>(value_).value; }
    int32_t int32() const { return std::get<int32_t>(value_); }
    double real() const { return std::get<double>(value_); }
    const std::string& string() const { return std::get<std::string>(value_); }
    IUnknown* object() const { return std::get<ComPtr<IUnknown>>(value_).get(); }

    // Conversions; nothing when the value does not convert.
    std::optional<double> toDouble() const {
        switch (type()) {
            case VarType::Empty: return 0.0;
            case VarType::Bool: return double(vbool());
            case VarType::Int32: return double(int32());
            case VarType::Double: return real();
            case VarType::String: return parseNumber(string());
            default: return std::nullopt;
        }
    }
    // Overflow and mismatch are told apart for a clear message.
    std::optional<int32_t> toInt32(bool* overflow = nullptr) const {
        if (type() == VarType::Int32) return int32();
        const std::optional<double> number = toDouble();
        if (!number) return std::nullopt;
        const double rounded = std::nearbyint(*number);  // the default mode rounds half to even
        if (!std::isfinite(rounded) || rounded < -2147483648.0 || rounded > 2147483647.0) {
            if (overflow) *overflow = true;
            return std::nullopt;
        }
        return static_cast<int32_t>(rounded);
    }
    std::optional<int16_t> toVBool() const {
        if (type() == VarType::String) {
            const std::string text = trimmed(string());
            if (equalsNoCase(text, "true")) return int16_t{-1};
            if (equalsNoCase(text, "false")) return int16_t{0};
        }
        const std::optional<double> number = toDouble();
        if (!number) return std::nullopt;
        return static_cast<int16_t>(*number != 0 ? -1 : 0);
    }
    std::optional<std::string> toText() const {
        switch (type()) {
            case VarType::Empty: return std::string();
            case VarType::Bool: return std::string(vbool() ? "True" : "False");
            case VarType::Int32: return std::to_string(int32());
            case VarType::Double: {
                char text[32];
                const auto written = std::to_chars(text, text + sizeof text, real());
                return std::string(text, written.ptr);
            }
            case VarType::String: return string();
            default: return std::nullopt;
        }
    }

    friend bool operator==(const Variant& a, const Variant& b) {
        if (a.type() != b.type()) return false;
        switch (a.type()) {
            case VarType::Bool: return a.vbool() == b.vbool();
            case VarType::Int32: return a.int32() == b.int32();
            case VarType::Double: return a.real() == b.real();
            case VarType::String: return a.string() == b.string();
            case VarType::Object: return a.object() == b.object();
            default: return true;
        }
    }

private:
    struct Bool {
        int16_t value;
    };
    explicit Variant(Bool value) : value_(value) {}

    static std::string trimmed(const std::string& text) {
        size_t first = 0, last = text.size();
        while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
        while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
        return text.substr(first, last - first);
    }
    static bool equalsNoCase(const std::string& a, const char* b) {
        size_t i = 0;
        for (; i < a.size() && b[i]; ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
        return i == a.size() && !b[i];
    }
    static std::optional<double> parseNumber(const std::string& text) {
        std::string number = trimmed(text);
        if (!number.empty() && number.front() == '+') number.erase(0, 1);
        if (number.empty()) return std::nullopt;
        double value = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) return std::nullopt;
        return value;
    }

    std::variant<std::monostate, Bool, int32_t, double, std::string, ComPtr<IUnknown>> value_;
};

}  // namespace lumo
