#pragma once
// A small dispatch object for the runner's tests: a table of five members
// that behaves like a real one (names without regard to case, conversions
// of arguments, by-reference values written back) and records each call.

#include <strings.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "lumo/create_object.h"
#include "lumo/variant.h"

namespace lumo::host::testing {

// Volume (get/put by value), PlayLists (get/putref), Swap(nA&, sB&, fFlag)
// -> Boolean, Playstate (reads 1 until the third read, then 3), Version.
class FakeObject final : public IDispatch, public ITypeInfo {
public:
    struct Invocation {
        DISPID id;
        uint16_t flags;
        size_t arguments;
    };
    std::vector<Invocation> invocations;
    int32_t volume = 50;
    Variant playLists;
    int playstateReads = 0;

    FakeObject() {
        funcs_ = {
            FuncDesc{"Volume", 1, dispatch::PropertyGet, 1, {}, VarType::Int32},
            FuncDesc{"Volume", 1, dispatch::PropertyPut, 2, volumeParam_, VarType::Empty},
            FuncDesc{"PlayLists", 2, dispatch::PropertyGet, 3, {}, VarType::Variant},
            FuncDesc{"PlayLists", 2, dispatch::PropertyPutRef, 4, playListsParam_, VarType::Empty},
            FuncDesc{"Swap", 3, dispatch::Method, 5, swapParams_, VarType::Bool},
            FuncDesc{"Playstate", 4, dispatch::PropertyGet, 6, {}, VarType::Int32},
            FuncDesc{"Version", 5, dispatch::PropertyGet, 7, {}, VarType::String},
        };
    }

    HRESULT QueryInterface(const Guid&, void**) override { return hr::E_NOINTERFACE; }
    uint32_t AddRef() override { return ++references; }
    uint32_t Release() override { return --references; }
    uint32_t references = 1;

    HRESULT GetTypeInfoCount(uint32_t* count) override {
        *count = 1;
        return hr::S_OK;
    }
    HRESULT GetTypeInfo(uint32_t, ITypeInfo** info) override {
        AddRef();
        *info = this;
        return hr::S_OK;
    }
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

    HRESULT Invoke(DISPID id, uint16_t flags, std::span<Variant> args, Variant* result, ExcepInfo* error) override {
        invocations.push_back({id, flags, args.size()});
        const auto count = [&](size_t wanted) { return args.size() == wanted; };
        const bool read = flags & (dispatch::Method | dispatch::PropertyGet);
        if (id == 1 && read && count(0)) return *result = Variant(volume), hr::S_OK;
        if (id == 1 && (flags & dispatch::PropertyPut) && count(1)) {
            const std::optional<int32_t> value = args[0].toInt32();
            if (!value) return error->argument = 0, error->description = "not a number", hr::DISP_E_TYPEMISMATCH;
            return volume = *value, hr::S_OK;
        }
        if (id == 2 && read && count(0)) return *result = playLists, hr::S_OK;
        if (id == 2 && (flags & (dispatch::PropertyPut | dispatch::PropertyPutRef)) && count(1)) {
            playLists = args[0];
            args[0] = Variant(std::string("kept"));
            return hr::S_OK;
        }
        if (id == 3 && (flags & dispatch::Method)) {
            if (!count(3)) return hr::DISP_E_BADPARAMCOUNT;
            const std::optional<int32_t> a = args[0].toInt32();
            if (!a) return error->argument = 0, hr::DISP_E_TYPEMISMATCH;
            args[1] = Variant(*args[1].toText() + "!");
            args[0] = Variant(*a * 2);
            return *result = Variant::boolean(true), hr::S_OK;
        }
        if (id == 4 && read && count(0)) return *result = Variant(++playstateReads >= 3 ? 3 : 1), hr::S_OK;
        if (id == 5 && read && count(0)) return *result = Variant("1.00.0001\r\"beta\""), hr::S_OK;
        error->description = "no member " + std::to_string(id) + " of that kind";
        return hr::DISP_E_MEMBERNOTFOUND;
    }

private:
    std::array<ParamDesc, 1> volumeParam_{ParamDesc{"Volume", VarType::Int32, false}};
    std::array<ParamDesc, 1> playListsParam_{ParamDesc{"PlayLists", VarType::Variant, true}};
    std::array<ParamDesc, 3> swapParams_{ParamDesc{"nA", VarType::Int32, true}, ParamDesc{"sB", VarType::String, true},
                                         ParamDesc{"fFlag", VarType::Bool, false}};
    std::vector<FuncDesc> funcs_;
};

}  // namespace lumo::host::testing
