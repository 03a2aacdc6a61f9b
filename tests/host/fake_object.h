#pragma once
// A small dispatch object for the runner's tests, with the type information
// a real one offers: Volume (read, assigned by value), PlayLists (read,
// assigned by reference: the value after the call is "kept") and Playstate
// (reads 1 until its third read, then 3). It counts its creations.

#include <strings.h>

#include <array>
#include <vector>

#include "lumo/create_object.h"
#include "lumo/variant.h"

namespace lumo::host::testing {

class FakeObject final : public IDispatch, public ITypeInfo {
public:
    std::vector<uint16_t> flags;  // of each call
    int32_t volume = 50;
    Variant playLists;
    int playstateReads = 0, created = 0;

    HRESULT QueryInterface(const Guid&, void**) override { return hr::E_NOINTERFACE; }
    uint32_t AddRef() override { return 2; }
    uint32_t Release() override { return 1; }
    HRESULT GetTypeInfoCount(uint32_t* count) override { return *count = 1, hr::S_OK; }
    HRESULT GetTypeInfo(uint32_t, ITypeInfo** info) override { return *info = this, hr::S_OK; }
    uint32_t GetFuncCount() override { return static_cast<uint32_t>(funcs_.size()); }
    const FuncDesc* GetFuncDesc(uint32_t index) override { return index < funcs_.size() ? &funcs_[index] : nullptr; }
    std::string GetInterfaceName() override { return "_Fake"; }

    HRESULT GetIDsOfNames(const std::string* names, uint32_t count, DISPID* ids) override {
        HRESULT result = hr::S_OK;
        for (uint32_t i = 0; i < count; ++i) {
            ids[i] = -1;
            for (const FuncDesc& f : funcs_)
                if (strcasecmp(f.name.c_str(), names[i].c_str()) == 0) ids[i] = f.id;
            if (ids[i] < 0) result = hr::DISP_E_UNKNOWNNAME;
        }
        return result;
    }
    HRESULT Invoke(DISPID id, uint16_t how, std::span<Variant> args, Variant* result, ExcepInfo* error) override {
        flags.push_back(how);
        const bool read = (how & (dispatch::Method | dispatch::PropertyGet)) && args.empty();
        if (id == 1 && read) return *result = Variant(volume), hr::S_OK;
        if (id == 1 && how == dispatch::PropertyPut && args.size() == 1 && args[0].toInt32())
            return volume = *args[0].toInt32(), hr::S_OK;
        if (id == 2 && read) return *result = playLists, hr::S_OK;
        if (id == 2 && how == dispatch::PropertyPutRef && args.size() == 1)
            return playLists = args[0], args[0] = Variant("kept"), hr::S_OK;
        if (id == 3 && read) return *result = Variant(++playstateReads >= 3 ? 3 : 1), hr::S_OK;
        error->description = "no member " + std::to_string(id) + " of that kind";
        return hr::DISP_E_MEMBERNOTFOUND;
    }
    // What the runner's setup creates the object with.
    CreatedObject create() { return ++created, CreatedObject{ComPtr<IDispatch>::attach(this), hr::S_OK, ""}; }

private:
    std::array<ParamDesc, 1> volume_{ParamDesc{"Volume", VarType::Int32, false}};
    std::array<ParamDesc, 1> playLists_{ParamDesc{"PlayLists", VarType::Variant, true}};
    std::vector<FuncDesc> funcs_{FuncDesc{"Volume", 1, dispatch::PropertyGet, 1, {}, VarType::Int32},
                                 FuncDesc{"Volume", 1, dispatch::PropertyPut, 2, volume_, VarType::Empty},
                                 FuncDesc{"PlayLists", 2, dispatch::PropertyGet, 3, {}, VarType::Variant},
                                 FuncDesc{"PlayLists", 2, dispatch::PropertyPutRef, 4, playLists_, VarType::Empty},
                                 FuncDesc{"Playstate", 3, dispatch::PropertyGet, 5, {}, VarType::Int32}};
};

}  // namespace lumo::host::testing
