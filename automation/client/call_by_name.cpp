#include "automation/client/call_by_name.h"

namespace lumo {

const FuncDesc* memberFor(ITypeInfo* info, DISPID id, bool assignment) {
    if (!info) return nullptr;
    const FuncDesc* found = nullptr;
    const uint16_t first = assignment ? dispatch::PropertyPut : dispatch::Method;
    for (uint32_t i = 0; i < info->GetFuncCount(); ++i) {
        const FuncDesc* desc = info->GetFuncDesc(i);
        if (!desc || desc->id != id) continue;
        const bool wanted = assignment ? (desc->invokeKind & (dispatch::PropertyPut | dispatch::PropertyPutRef))
                                       : (desc->invokeKind & (dispatch::Method | dispatch::PropertyGet));
        if (!wanted) continue;
        if (desc->invokeKind == first) return desc;
        found = desc;
    }
    return found;
}

const FuncDesc* memberOf(IDispatch* object, DISPID id, bool assignment) {
    uint32_t count = 0;
    if (!object || failed(object->GetTypeInfoCount(&count))) return nullptr;
    for (uint32_t index = 0; index < count; ++index) {
        ComPtr<ITypeInfo> info;
        if (failed(object->GetTypeInfo(index, info.put()))) continue;
        if (const FuncDesc* desc = memberFor(info.get(), id, assignment)) return desc;
    }
    return nullptr;
}

std::string dispatchFailureText(HRESULT code, const std::string& name, bool assignment) {
    switch (code) {
        case hr::DISP_E_UNKNOWNNAME: return "unknown name '" + name + "'";
        case hr::DISP_E_MEMBERNOTFOUND:
            return name + (assignment ? " cannot be assigned" : " cannot be read or called");
        case hr::DISP_E_BADPARAMCOUNT: return "wrong number of arguments for " + name;
        case hr::DISP_E_TYPEMISMATCH: return "an argument of " + name + " does not convert";
        case hr::DISP_E_OVERFLOW: return "an argument of " + name + " is out of range";
        default: return "the call of " + name + " failed";
    }
}

}  // namespace lumo
