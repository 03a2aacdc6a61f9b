#pragma once
// What a host that calls by name needs besides Invoke: which member a name
// means for a read or an assignment (its argument names and by-reference
// flags), and a sentence for a dispatch failure that came without one.
// lumo-host and the C API share them.

#include <string>

#include "lumo/com.h"

namespace lumo {

// The member of that id a call means, from the type information: a read
// prefers the method, an assignment the value form over the reference form,
// as Invoke does. Null when the type information has none.
const FuncDesc* memberFor(ITypeInfo* info, DISPID id, bool assignment);

// The same over every type information the object has (an interface and
// its extensions); valid while the object lives.
const FuncDesc* memberOf(IDispatch* object, DISPID id, bool assignment);

std::string dispatchFailureText(HRESULT code, const std::string& name, bool assignment);

}  // namespace lumo
