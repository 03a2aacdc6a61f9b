// The C face of the host-side client: objects are the IDispatch pointers
// themselves (their own reference counts), variants wrap lumo::Variant.

#include "lumo/lumo.h"

#include <string>
#include <vector>

#include "automation/client/call_by_name.h"
#include "lumo/create_object.h"
#include "lumo/variant.h"

struct lumo_variant {
    lumo::Variant value;
    std::string text;  // what lumo_variant_get_string last handed out
};

namespace {

using lumo::DISPID;
using lumo::HRESULT;
using lumo::IDispatch;
using lumo::Variant;
namespace dispatch = lumo::dispatch;
namespace hr = lumo::hr;

thread_local std::string lastError;
thread_local int32_t lastErrorArgument = -1;

lumo_result fail(HRESULT result, std::string why, int32_t argument = -1) {
    lastError = std::move(why);
    lastErrorArgument = argument;
    return result;
}

IDispatch* dispatchOf(lumo_object* object) { return reinterpret_cast<IDispatch*>(object); }
lumo_object* objectOf(IDispatch* dispatch) { return reinterpret_cast<lumo_object*>(dispatch); }

// Resolves the name, then invokes; by-reference arguments are written back.
lumo_result invokeByName(lumo_object* object, const char* name, bool assignment, lumo_variant* const* arguments,
                         size_t count, lumo_variant* result) {
    if (!object || !name) return fail(LUMO_E_INVALIDARG, "no object or no name");
    for (size_t i = 0; i < count; ++i)
        if (!arguments || !arguments[i]) return fail(LUMO_E_INVALIDARG, "argument " + std::to_string(i) + " is NULL");
    IDispatch* target = dispatchOf(object);
    const std::string member(name);
    DISPID id = -1;
    if (const HRESULT found = target->GetIDsOfNames(&member, 1, &id); lumo::failed(found))
        return fail(found, lumo::dispatchFailureText(found, member, assignment));
    lumo::ComPtr<lumo::ITypeInfo> info;
    target->GetTypeInfo(0, info.put());
    const lumo::FuncDesc* desc = lumo::memberFor(info.get(), id, assignment);
    const uint16_t flags = !assignment ? uint16_t(dispatch::Method | dispatch::PropertyGet)
                           : desc      ? desc->invokeKind
                                       : dispatch::PropertyPut;
    std::vector<Variant> values;
    values.reserve(count);
    for (size_t i = 0; i < count; ++i) values.push_back(arguments[i]->value);
    Variant returned;
    lumo::ExcepInfo error;
    const HRESULT called = target->Invoke(id, flags, values, &returned, &error);
    if (lumo::failed(called))
        return fail(called, error.description.empty() ? lumo::dispatchFailureText(called, member, assignment)
                                                      : error.description,
                    error.argument);
    if (desc)
        for (size_t i = 0; i < count && i < desc->params.size(); ++i)
            if (desc->params[i].byRef) arguments[i]->value = std::move(values[i]);
    if (result) result->value = std::move(returned);
    return called;
}

}  // namespace

extern "C" {

lumo_result lumo_create(const char* prog_id, lumo_object** object) {
    if (!object) return fail(LUMO_E_INVALIDARG, "no place for the object");
    *object = nullptr;
    lumo::CreatedObject created = lumo::CreateObject(prog_id ? prog_id : LUMO_PROGID);
    if (!created.object) return fail(created.result, created.error);
    *object = objectOf(created.object.detach());
    return LUMO_OK;
}

void lumo_add_ref(lumo_object* object) {
    if (object) dispatchOf(object)->AddRef();
}

void lumo_release(lumo_object* object) {
    if (object) dispatchOf(object)->Release();
}

lumo_result lumo_call(lumo_object* object, const char* name, lumo_variant* const* arguments, size_t count,
                      lumo_variant* result) {
    return invokeByName(object, name, false, arguments, count, result);
}

lumo_result lumo_set(lumo_object* object, const char* name, const lumo_variant* value) {
    if (!value) return fail(LUMO_E_INVALIDARG, "no value to assign");
    lumo_variant copy{value->value, {}};
    lumo_variant* arguments[] = {&copy};
    return invokeByName(object, name, true, arguments, 1, nullptr);
}

int32_t lumo_last_error_argument(void) { return lastErrorArgument; }
const char* lumo_last_error(void) { return lastError.c_str(); }

lumo_variant* lumo_variant_new(void) { return new lumo_variant{}; }
void lumo_variant_free(lumo_variant* variant) { delete variant; }

lumo_type lumo_variant_type(const lumo_variant* variant) {
    return variant ? static_cast<lumo_type>(variant->value.type()) : LUMO_EMPTY;
}

void lumo_variant_set_empty(lumo_variant* variant) {
    if (variant) variant->value = Variant();
}
void lumo_variant_set_int32(lumo_variant* variant, int32_t value) {
    if (variant) variant->value = Variant(value);
}
void lumo_variant_set_double(lumo_variant* variant, double value) {
    if (variant) variant->value = Variant(value);
}
void lumo_variant_set_bool(lumo_variant* variant, int value) {
    if (variant) variant->value = Variant::boolean(value != 0);
}
void lumo_variant_set_string(lumo_variant* variant, const char* text) {
    if (variant) variant->value = Variant(std::string(text ? text : ""));
}
void lumo_variant_set_object(lumo_variant* variant, lumo_object* object) {
    if (variant) variant->value = Variant(static_cast<lumo::IUnknown*>(dispatchOf(object)));
}

lumo_result lumo_variant_get_int32(const lumo_variant* variant, int32_t* value) {
    if (!variant || !value) return fail(LUMO_E_INVALIDARG, "no variant or no place for the value");
    bool overflow = false;
    const std::optional<int32_t> number = variant->value.toInt32(&overflow);
    if (!number) return fail(overflow ? hr::DISP_E_OVERFLOW : hr::DISP_E_TYPEMISMATCH, "the value is no 32-bit integer");
    *value = *number;
    return LUMO_OK;
}

lumo_result lumo_variant_get_double(const lumo_variant* variant, double* value) {
    if (!variant || !value) return fail(LUMO_E_INVALIDARG, "no variant or no place for the value");
    const std::optional<double> number = variant->value.toDouble();
    if (!number) return fail(hr::DISP_E_TYPEMISMATCH, "the value is no number");
    *value = *number;
    return LUMO_OK;
}

lumo_result lumo_variant_get_bool(const lumo_variant* variant, int* value) {
    if (!variant || !value) return fail(LUMO_E_INVALIDARG, "no variant or no place for the value");
    const std::optional<int16_t> flag = variant->value.toVBool();
    if (!flag) return fail(hr::DISP_E_TYPEMISMATCH, "the value is no Boolean");
    *value = *flag != 0;
    return LUMO_OK;
}

const char* lumo_variant_get_string(lumo_variant* variant) {
    if (!variant) return nullptr;
    std::optional<std::string> text = variant->value.toText();
    if (!text) return nullptr;
    variant->text = std::move(*text);
    return variant->text.c_str();
}

lumo_object* lumo_variant_get_object(const lumo_variant* variant) {
    if (!variant || variant->value.type() != lumo::VarType::Object || !variant->value.object()) return nullptr;
    IDispatch* dispatch = nullptr;
    if (lumo::failed(variant->value.object()->QueryInterface(lumo::IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return nullptr;
    return objectOf(dispatch);
}

}  // extern "C"
