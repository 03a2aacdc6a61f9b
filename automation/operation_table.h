#pragma once
// The one table of _cLUMOAudio's operations: name, dispatch id, kind, the
// arguments' names, types and by-reference flags, the result type, and the
// call that converts variants, calls the interface's slot and writes the
// by-reference values back. Invoke, GetIDsOfNames, the type information and
// the interface documentation all read it; adding an operation is one row.

#include <span>
#include <string_view>
#include <vector>

#include "lumo/lumo_audio.h"

namespace lumo::automation {

using Invoker = HRESULT (*)(_cLUMOAudio& object, std::span<Variant> arguments, Variant* result, ExcepInfo* error);

struct Operation {
    FuncDesc desc;
    Invoker invoke;
};

// In slot order.
std::span<const Operation> operations();

// The row for a dispatch id and the kind of call asked for; null when the
// member has no such kind.
const Operation* findOperation(DISPID id, uint16_t flags);
// The dispatch id of a name, matched without regard to case; nothing when
// unknown.
std::optional<DISPID> dispatchIdOf(std::string_view name);

}  // namespace lumo::automation
