#pragma once
// How a row of the operation table calls its slot: each parameter type of
// the slot says how an argument is stored, converted from a variant and
// written back, so a row only names the slot and its arguments.

#include <array>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "lumo/lumo_audio.h"

namespace lumo::automation::binding {

template <typename Parameter>
struct Slot;

template <typename Stored, VarType Type, bool ByRef>
struct SlotBase {
    using Value = Stored;
    static constexpr VarType type = Type;
    static constexpr bool byRef = ByRef;
};

template <>
struct Slot<std::string*> : SlotBase<std::string, VarType::String, true> {
    static std::optional<std::string> from(const Variant& v, bool*) { return v.toText(); }
    static Variant to(const std::string& s) { return Variant(s); }
    static std::string* pass(std::string& s) { return &s; }
};
template <>
struct Slot<int32_t*> : SlotBase<int32_t, VarType::Int32, true> {
    static std::optional<int32_t> from(const Variant& v, bool* overflow) { return v.toInt32(overflow); }
    static Variant to(int32_t n) { return Variant(n); }
    static int32_t* pass(int32_t& n) { return &n; }
};
template <>
struct Slot<int16_t*> : SlotBase<int16_t, VarType::Bool, true> {
    static std::optional<int16_t> from(const Variant& v, bool*) { return v.toVBool(); }
    static Variant to(int16_t b) { return Variant::fromVBool(b); }
    static int16_t* pass(int16_t& b) { return &b; }
};
template <>
struct Slot<Variant*> : SlotBase<Variant, VarType::Variant, true> {
    static std::optional<Variant> from(const Variant& v, bool*) { return v; }
    static Variant to(const Variant& v) { return v; }
    static Variant* pass(Variant& v) { return &v; }
};
template <>
struct Slot<int32_t> : SlotBase<int32_t, VarType::Int32, false> {
    static std::optional<int32_t> from(const Variant& v, bool* overflow) { return v.toInt32(overflow); }
    static int32_t pass(int32_t n) { return n; }
};
template <>
struct Slot<double*> : SlotBase<double, VarType::Double, true> {
    static std::optional<double> from(const Variant& v, bool*) { return v.toDouble(); }
    static Variant to(double d) { return Variant(d); }
    static double* pass(double& d) { return &d; }
};
template <>
struct Slot<double> : SlotBase<double, VarType::Double, false> {
    static std::optional<double> from(const Variant& v, bool*) { return v.toDouble(); }
    static double pass(double d) { return d; }
};
template <>
struct Slot<int16_t> : SlotBase<int16_t, VarType::Bool, false> {
    static std::optional<int16_t> from(const Variant& v, bool*) { return v.toVBool(); }
    static int16_t pass(int16_t b) { return b; }
};

template <typename Method>
struct Signature;
template <typename Interface, typename... Parameters>
struct Signature<HRESULT (Interface::*)(Parameters...)> {
    using Params = std::tuple<Parameters...>;
    using Values = std::tuple<typename Slot<Parameters>::Value...>;
    static constexpr size_t arity = sizeof...(Parameters);
};

inline const char* typeName(VarType type) {
    switch (type) {
        case VarType::Int32: return "a 32-bit integer";
        case VarType::Bool: return "a Boolean";
        case VarType::String: return "a text";
        case VarType::Double: return "a number";
        default: return "a value";
    }
}

// Calls `Method` with the arguments; when `HasResult`, its last parameter is
// the result and not an argument.
template <auto Method, bool HasResult>
HRESULT call(_cLUMOAudioEx& object, std::span<Variant> arguments, Variant* result, ExcepInfo* error) {
    using Sig = Signature<decltype(Method)>;
    constexpr size_t inputs = Sig::arity - (HasResult ? 1 : 0);
    if (arguments.size() != inputs) {
        if (error)
            error->description = "takes " + std::to_string(inputs) + " argument" + (inputs == 1 ? "" : "s") +
                                 ", not " + std::to_string(arguments.size());
        return hr::DISP_E_BADPARAMCOUNT;
    }
    typename Sig::Values values{};
    HRESULT converted = hr::S_OK;
    [&]<size_t... I>(std::index_sequence<I...>) {
        [[maybe_unused]] auto convertOne = [&]<size_t N>(std::integral_constant<size_t, N>) {
            if (failed(converted)) return;
            using S = Slot<std::tuple_element_t<N, typename Sig::Params>>;
            bool overflow = false;
            auto value = S::from(arguments[N], &overflow);
            if (!value) {
                converted = overflow ? hr::DISP_E_OVERFLOW : hr::DISP_E_TYPEMISMATCH;
                if (error) {
                    error->argument = static_cast<int32_t>(N);
                    error->description = "argument " + std::to_string(N + 1) + (overflow ? " is out of range for " : " does not convert to ") +
                                         typeName(S::type);
                }
                return;
            }
            std::get<N>(values) = std::move(*value);
        };
        (convertOne(std::integral_constant<size_t, I>{}), ...);
    }(std::make_index_sequence<inputs>{});
    if (failed(converted)) return converted;

    const HRESULT outcome = [&]<size_t... I>(std::index_sequence<I...>) {
        return (object.*Method)(Slot<std::tuple_element_t<I, typename Sig::Params>>::pass(std::get<I>(values))...);
    }(std::make_index_sequence<Sig::arity>{});

    [&]<size_t... I>(std::index_sequence<I...>) {
        [[maybe_unused]] auto writeBack = [&]<size_t N>(std::integral_constant<size_t, N>) {
            using S = Slot<std::tuple_element_t<N, typename Sig::Params>>;
            if constexpr (S::byRef) arguments[N] = S::to(std::get<N>(values));
        };
        (writeBack(std::integral_constant<size_t, I>{}), ...);
    }(std::make_index_sequence<inputs>{});
    if constexpr (HasResult) {
        using S = Slot<std::tuple_element_t<Sig::arity - 1, typename Sig::Params>>;
        if (result) *result = S::to(std::get<Sig::arity - 1>(values));
    }
    return outcome;
}

// The parameter descriptions of `Method`'s arguments, with their names.
template <auto Method, bool HasResult, size_t Count>
std::array<ParamDesc, Count> params(const std::array<const char*, Count>& names) {
    using Sig = Signature<decltype(Method)>;
    static_assert(Count == Sig::arity - (HasResult ? 1 : 0), "one name per argument");
    std::array<ParamDesc, Count> described{};
    [&]<size_t... I>(std::index_sequence<I...>) {
        ((described[I] = ParamDesc{names[I], Slot<std::tuple_element_t<I, typename Sig::Params>>::type,
                                   Slot<std::tuple_element_t<I, typename Sig::Params>>::byRef}),
         ...);
    }(std::make_index_sequence<Count>{});
    return described;
}

template <auto Method, bool HasResult>
constexpr VarType resultType() {
    using Sig = Signature<decltype(Method)>;
    if constexpr (HasResult)
        return Slot<std::tuple_element_t<Sig::arity - 1, typename Sig::Params>>::type;
    else
        return VarType::Empty;
}

}  // namespace lumo::automation::binding
