#pragma once
// One line of a lumo-host script:
//   Operation arg ...        call an operation (or read a property: no args)
//   Property = value         assign a property
//   :wait Property=value MS  poll until the property reads value
//   :sleep MS
//   :register [LIBRARY]  /  :unregister [LIBRARY]
//   :events [on|off]         print the object's events as they arrive
// Arguments are integers, true/false, "quoted text" (with \" and \\) or
// bare words taken as text. '#' at the start of a word begins a comment.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "lumo/variant.h"

namespace lumo::host {

struct Call {
    std::string name;
    std::vector<Variant> arguments;
};
struct Assignment {
    std::string name;
    Variant value;
};
struct Wait {
    std::string property;
    Variant expected;
    int32_t timeoutMs = 0;
    std::string text;  // "Property=value" as written, for the record
};
struct Sleep {
    int32_t ms = 0;
};
struct Register {
    std::string library;  // empty: the default library
};
struct Unregister {
    std::string library;
};
struct Events {
    bool on = true;
};
using Statement = std::variant<Call, Assignment, Wait, Sleep, Register, Unregister, Events>;

struct ParsedLine {
    std::optional<Statement> statement;  // nothing for a blank or comment line
    std::string error;                   // why the line is not a statement
    bool ok() const { return error.empty(); }
};

ParsedLine parseLine(std::string_view line);

}  // namespace lumo::host
