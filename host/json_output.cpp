#include "host/json_output.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace lumo::host::json {
namespace {

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence starting at `at`, 0 when it is
// not one (overlong forms, surrogates and values past U+10FFFF included).
size_t sequenceLength(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0; };
    const unsigned char lead = byte(0);
    unsigned char low = 0x80, high = 0xBF;
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    else return 0;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    if (byte(1) < low || byte(1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (!continuation(byte(i))) return 0;
    return length;
}

std::string member(std::string_view key, const std::string& json) { return quote(key) + ": " + json; }

std::string failureObject(const Failure& failure) {
    std::string text = "{" + member("hresult", quote(hresult(failure.code))) + ", " +
                       member("description", quote(failure.description));
    if (!failure.argument.empty()) text += ", " + member("argument", quote(failure.argument));
    return text + "}";
}

}  // namespace

std::string quote(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const size_t length = sequenceLength(text, i);
            if (length == 0) {
                out += "\\ufffd";
                ++i;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++i;
    }
    return out + "\"";
}

std::string value(const Variant& value) {
    switch (value.type()) {
        case VarType::Bool: return value.vbool() != 0 ? "true" : "false";
        case VarType::Int32: return std::to_string(value.int32());
        case VarType::Double: {
            if (!std::isfinite(value.real())) return "null";
            char text[32];
            const auto written = std::to_chars(text, text + sizeof text, value.real());
            return std::string(text, written.ptr);
        }
        case VarType::String: return quote(value.string());
        case VarType::Object: return quote("[object]");
        default: return "null";
    }
}

std::string hresult(HRESULT code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

std::string callRecord(std::string_view name, const Variant& result,
                       const std::vector<std::pair<std::string, Variant>>& byRef) {
    std::string refs;
    for (const auto& [argument, after] : byRef) refs += (refs.empty() ? "" : ", ") + member(argument, value(after));
    return "{" + member("call", quote(name)) + ", " + member("result", value(result)) + ", " +
           member("byref", "{" + refs + "}") + "}";
}

std::string callError(std::string_view name, const Failure& failure) {
    return "{" + member("call", quote(name)) + ", " + member("error", failureObject(failure)) + "}";
}

std::string waitRecord(std::string_view condition, bool ok, long long afterMs) {
    return "{" + member("wait", quote(condition)) + ", " + member("ok", ok ? "true" : "false") + ", " +
           member("after_ms", std::to_string(afterMs)) + "}";
}

std::string waitError(std::string_view condition, const Failure& failure) {
    return "{" + member("wait", quote(condition)) + ", " + member("ok", "false") + ", " +
           member("error", failureObject(failure)) + "}";
}

std::string registrationRecord(std::string_view verb, std::string_view library, const Failure* failure) {
    std::string text = "{" + member(verb, library.empty() ? "null" : quote(library)) + ", " +
                       member("ok", failure ? "false" : "true");
    if (failure) text += ", " + member("error", failureObject(*failure));
    return text + "}";
}

std::string eventsRecord(bool on, const Failure* failure) {
    std::string text = "{" + member("events", quote(on ? "on" : "off")) + ", " + member("ok", failure ? "false" : "true");
    if (failure) text += ", " + member("error", failureObject(*failure));
    return text + "}";
}

std::string eventRecord(std::string_view name, std::span<const Variant> arguments) {
    std::string list = "[";
    for (size_t i = 0; i < arguments.size(); ++i) list += (i ? ", " : "") + value(arguments[i]);
    return "{" + member("event", quote(name)) + ", " + member("args", list + "]") + "}";
}

}  // namespace lumo::host::json
