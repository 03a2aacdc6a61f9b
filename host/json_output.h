#pragma once
// The JSON lines lumo-host prints, one object per statement:
//   {"call": NAME, "result": VALUE, "byref": {ARG: VALUE, ...}}
//   {"call": NAME, "error": {"hresult": "0x80020006", "description": TEXT[, "argument": ARG]}}
//   {"wait": "Property=value", "ok": BOOL, "after_ms": N}
//   {"wait": "Property=value", "ok": false, "error": {...}}   (the read failed)
//   {"register": PATH, "ok": BOOL[, "error": {...}]}   (and "unregister")
//   {"events": "on", "ok": BOOL[, "error": {...}]}   (and "off")
//   {"event": NAME, "args": [VALUE, ...]}   (one per event while they are on)
// Texts are UTF-8; bytes that are not UTF-8 become U+FFFD so that every
// line stays valid JSON.

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lumo/variant.h"

namespace lumo::host::json {

// A JSON string literal, quotes included.
std::string quote(std::string_view text);
// Empty is null, Booleans true/false (any non-zero is true), numbers as
// numbers (a double that JSON cannot hold is null), texts as strings.
std::string value(const Variant& value);
// "0x80020006"
std::string hresult(HRESULT code);

struct Failure {
    HRESULT code = 0;
    std::string description;
    std::string argument;  // empty: not about one argument
};

std::string callRecord(std::string_view name, const Variant& result,
                       const std::vector<std::pair<std::string, Variant>>& byRef);
std::string callError(std::string_view name, const Failure& failure);
std::string waitRecord(std::string_view condition, bool ok, long long afterMs);
std::string waitError(std::string_view condition, const Failure& failure);
// `verb` is "register" or "unregister"; an empty library path prints null.
std::string registrationRecord(std::string_view verb, std::string_view library, const Failure* failure);

std::string eventsRecord(bool on, const Failure* failure);
std::string eventRecord(std::string_view name, std::span<const Variant> arguments);

}  // namespace lumo::host::json
