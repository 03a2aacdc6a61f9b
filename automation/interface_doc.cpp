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

void writeTable(std::ostringstream& out, std::span<const Operation> rows) {
    out << "| Slot | Name | Dispatch id | Kind | Arguments | Result |\n"
           "|---|---|---|---|---|---|\n";
    for (const Operation& operation : rows) {
        const FuncDesc& f = operation.desc;
        out << "| " << f.slot << " | `" << f.name << "` | " << f.id << " | " << kindName(f.invokeKind) << " | ";
        if (f.params.empty()) out << "none";
        for (size_t i = 0; i < f.params.size(); ++i)
            out << (i ? ", " : "") << "`" << f.params[i].name << "` " << typeName(f.params[i].type)
                << (f.params[i].byRef ? " ByRef" : " ByVal");
        out << " | " << (f.result == VarType::Empty ? "none" : typeName(f.result)) << " |\n";
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
           "value for them. Booleans are 16-bit, true = -1.\n\n";
    writeTable(out, operations());
    out << "\n# The _cLUMOAudioEx extension\n\n"
           "The same object answers `QueryInterface` for `_cLUMOAudioEx`; its operations follow\n"
           "`_cLUMOAudio`'s 30 slots (slot 1 below is the 31st after IDispatch's), and `Invoke`\n"
           "and `GetIDsOfNames` reach them by name as they reach the first interface's. The\n"
           "object's second type information (`GetTypeInfo(1)`) describes them; the first is\n"
           "unchanged. Seconds are Doubles. Assigning `Position` seeks: below 0 is 0, beyond\n"
           "the item's length is its end (the item then ends as if played), and an item that\n"
           "cannot seek (`CanSeek` false) stays where it is. `Duration` is 0 while unknown,\n"
           "`CurrentIndex` -1 without a current item. `DoEvents` runs the calling thread's\n"
           "event loop for up to 60000 ms.\n\n";
    writeTable(out, extensionOperations());
    out << "\n# The __cLUMOAudioEvents outgoing interface\n\n"
           "`IConnectionPointContainer::FindConnectionPoint(DIID___cLUMOAudioEvents)` gives the\n"
           "connection point; `Advise` takes any `IDispatch` sink and returns a cookie,\n"
           "`Unadvise` of a cookie it did not give returns `CONNECT_E_NOCONNECTION`. The sink's\n"
           "`Invoke` is called with these dispatch ids, on the host's thread while it runs its\n"
           "event loop (or `DoEvents`), in the order things happened. A sink that fails, raises\n"
           "or takes longer than two seconds is dropped after that call, with one line in the\n"
           "error log.\n\n"
           "| Dispatch id | Name | Arguments |\n"
           "|---|---|---|\n"
           "| 1 | `PlayStateChange` | `NewState` Long |\n"
           "| 2 | `CurrentItemChange` | `nIndex` Long, `sTitle` String |\n"
           "| 3 | `EndOfPlaylist` | none |\n"
           "| 4 | `Error` | `nErrorCode` Long, `sDescription` String |\n";
    return out.str();
}

}  // namespace lumo::automation
