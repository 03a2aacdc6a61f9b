#pragma once
// The small component model LUMO Audio Player speaks: result codes, class
// and interface ids, reference counting, and late-bound calls by name
// (IDispatch). It mirrors the classic in-process automation model so that
// hosts written against it need no new concepts; strings are UTF-8
// std::string, so C++ hosts must use the same standard library ABI (GCC's
// libstdc++, C++20).

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace lumo {

using HRESULT = int32_t;
using DISPID = int32_t;

constexpr bool succeeded(HRESULT result) { return result >= 0; }
constexpr bool failed(HRESULT result) { return result < 0; }

namespace hr {
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201);
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);
inline constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x8004F002);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
inline constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000A);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = static_cast<HRESULT>(0x80040200);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = static_cast<HRESULT>(0x80040202);
}  // namespace hr

struct Guid {
    uint32_t data1;
    uint16_t data2, data3;
    uint8_t data4[8];
    friend bool operator==(const Guid&, const Guid&) = default;
};
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
inline std::string toString(const Guid& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.data1, g.data2, g.data3,
                  g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
    return text;
}

inline constexpr Guid IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_ITypeInfo{0x00020401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr Guid IID_IConnectionPointContainer{
    0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr Guid IID_IConnectionPoint{0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

class IUnknown {
public:
    virtual HRESULT QueryInterface(const Guid& iid, void** object) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    ~IUnknown() = default;  // objects go away through Release
};

class Variant;

// How Invoke is asked to call a member.
namespace dispatch {
inline constexpr uint16_t Method = 1, PropertyGet = 2, PropertyPut = 4, PropertyPutRef = 8;
}

// What went wrong in a call by name: the description and, for a bad
// argument, its position (0 = first).
struct ExcepInfo {
    std::string description;
    int32_t argument = -1;
};

// Value kinds of arguments and results (the classic numbering).
enum class VarType : uint16_t { Empty = 0, Int32 = 3, Double = 5, String = 8, Object = 9, Bool = 11, Variant = 12 };

// One member as the type information describes it.
struct ParamDesc {
    std::string name;
    VarType type;
    bool byRef;
};
struct FuncDesc {
    std::string name;
    DISPID id;
    uint16_t invokeKind;  // dispatch::Method, PropertyGet, PropertyPut or PropertyPutRef
    int32_t slot;         // 1-based position among the interface's own operations
    std::span<const ParamDesc> params;
    VarType result;  // Empty: no result
};

class ITypeInfo : public IUnknown {
public:
    virtual uint32_t GetFuncCount() = 0;
    // Null outside 0..count-1; valid while the type information lives.
    virtual const FuncDesc* GetFuncDesc(uint32_t index) = 0;
    virtual std::string GetInterfaceName() = 0;

protected:
    ~ITypeInfo() = default;
};

class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(uint32_t* count) = 0;
    virtual HRESULT GetTypeInfo(uint32_t index, ITypeInfo** info) = 0;
    // Names are matched without regard to case.
    virtual HRESULT GetIDsOfNames(const std::string* names, uint32_t count, DISPID* ids) = 0;
    // Arguments in their natural order (first argument first). An argument
    // the member takes by reference is converted to its type in place and
    // holds the member's value for it after the call.
    virtual HRESULT Invoke(DISPID member, uint16_t flags, std::span<Variant> arguments, Variant* result,
                           ExcepInfo* error) = 0;

protected:
    ~IDispatch() = default;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** object) = 0;
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

// Outgoing calls: an object tells its news to sinks a host hands it. A sink
// is an IDispatch whose Invoke the object calls with the outgoing
// interface's dispatch ids.
class IConnectionPointContainer;

class IConnectionPoint : public IUnknown {
public:
    virtual HRESULT GetConnectionInterface(Guid* iid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
    // CONNECT_E_CANNOTCONNECT when the sink is no IDispatch.
    virtual HRESULT Advise(IUnknown* sink, uint32_t* cookie) = 0;
    // CONNECT_E_NOCONNECTION for a cookie this point did not hand out.
    virtual HRESULT Unadvise(uint32_t cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

class IConnectionPointContainer : public IUnknown {
public:
    // CONNECT_E_NOCONNECTION for an outgoing interface the object has not.
    virtual HRESULT FindConnectionPoint(const Guid& iid, IConnectionPoint** point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

// Holds one reference to an object and releases it at the end.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller owns.
    static ComPtr attach(Interface* object) {
        ComPtr held;
        held.object_ = object;
        return held;
    }
    ComPtr(const ComPtr& other) : object_(other.object_) {
        if (object_) object_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~ComPtr() {
        if (object_) object_->Release();
    }
    Interface* get() const { return object_; }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset() { ComPtr().swap(*this); }
    void swap(ComPtr& other) noexcept { std::swap(object_, other.object_); }
    // Hands the reference over to the caller.
    Interface* detach() {
        Interface* object = object_;
        object_ = nullptr;
        return object;
    }
    // For calls that hand out a new reference.
    Interface** put() {
        reset();
        return &object_;
    }

private:
    Interface* object_ = nullptr;
};

}  // namespace lumo
