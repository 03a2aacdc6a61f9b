#include "automation/interface_doc.h"

#include <sstream>

#include "automation/operation_table.h"

namespace lumo::automation {
namespace {

const char* typeName(VarType type) {
    switch (type) {
        case VarType::Int32: return "Long";
        case VarType::Bool: return "Boolean";
        case VarType::String: return "String";
        case VarType::Double: return "Double";
        case VarType::Variant: return "Variant";
        case VarType::Object: return "Object";
        default: return "";
    }
}

const char* kindName(uint16_t kind) {
    switch (kind) {
        case dispatch::PropertyGet: return "property read";
        case dispatch::PropertyPut: return "property assignment";
        case dispatch::PropertyPutRef: return "property assignment (by reference)";
        default: return "method";
    }
}

}  // namespace

std::string interfaceMarkdown() {
    std::ostringstream out;
    out << "# The _cLUMOAudio interface\n\n"
           "Generated from the library's operation table (`automation/operation_table.cpp`);\n"
           "a test keeps this file equal to the table. Slots count from the first\n"
           "operation after IUnknown's three and IDispatch's four. Arguments are passed\n"
           "to `Invoke` in this order; `ByRef` arguments come back with the operation's\n"
           "value for them. Booleans are 16-bit, true = -1.\n\n"
           "| Slot | Name | Dispatch id | Kind | Arguments | Result |\n"
           "|---|---|---|---|---|---|\n";
    for (const Operation& operation : operations()) {
        const FuncDesc& f = operation.desc;
        out << "| " << f.slot << " | `" << f.name << "` | " << f.id << " | " << kindName(f.invokeKind) << " | ";
        if (f.params.empty()) out << "none";
        for (size_t i = 0; i < f.params.size(); ++i)
            out << (i ? ", " : "") << "`" << f.params[i].name << "` " << typeName(f.params[i].type)
                << (f.params[i].byRef ? " ByRef" : " ByVal");
        out << " | " << (f.result == VarType::Empty ? "none" : typeName(f.result)) << " |\n";
    }
    return out.str();
}

}  // namespace lumo::automation
