#pragma once
// The one table of _cLUMOAudio's operations, and the one of its extension's: name, dispatch id, kind, the
// arguments' names, types and by-reference flags, the result type, and the
// call that converts variants, calls the interface's slot and writes the
// by-reference values back. Invoke, GetIDsOfNames, the type information and
// the interface documentation all read it; its rows are operation_list.h's.

#include <span>
#include <string_view>
#include <vector>

#include "lumo/lumo_audio.h"

namespace lumo::automation {

using Invoker = HRESULT (*)(_cLUMOAudioEx& object, std::span<Variant> arguments, Variant* result, ExcepInfo* error);

struct Operation {
    FuncDesc desc;
    Invoker invoke;
};

// In slot order: _cLUMOAudio's, and its extension _cLUMOAudioEx's own.
std::span<const Operation> operations();
std::span<const Operation> extensionOperations();

// The row for a dispatch id and the kind of call asked for; null when the
// member has no such kind.
const Operation* findOperation(DISPID id, uint16_t flags);
// The dispatch id of a name, matched without regard to case; nothing when
// unknown.
std::optional<DISPID> dispatchIdOf(std::string_view name);
// Any row of that id, of either interface; null when none has it.
const Operation* operationWithId(DISPID id);

}  // namespace lumo::automation
