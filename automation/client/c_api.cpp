// The C face of the host-side client: objects are the IDispatch pointers
// themselves (their own reference counts), variants wrap lumo::Variant.

#include "lumo/lumo.h"

#include <string>
#include <vector>

#include "automation/client/call_by_name.h"
#include "lumo/create_object.h"
#include "lumo/event_sink.h"
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
    const lumo::FuncDesc* desc = lumo::memberOf(target, id, assignment);
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

// The object's connection point for its events.
HRESULT eventPointOf(lumo_object* object, lumo::ComPtr<lumo::IConnectionPoint>& point) {
    lumo::ComPtr<lumo::IConnectionPointContainer> container;
    HRESULT result =
        dispatchOf(object)->QueryInterface(lumo::IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put()));
    if (lumo::succeeded(result)) result = container->FindConnectionPoint(lumo::DIID___cLUMOAudioEvents, point.put());
    return result;
}

lumo_result numberOf(lumo_object* object, const char* name, double* value) {
    if (!value) return fail(LUMO_E_INVALIDARG, "no place for the value");
    lumo_variant result;
    const lumo_result called = invokeByName(object, name, false, nullptr, 0, &result);
    if (lumo::failed(called)) return called;
    *value = result.value.toDouble().value_or(0.0);
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

lumo_result lumo_get_position(lumo_object* object, double* seconds) { return numberOf(object, "Position", seconds); }

lumo_result lumo_get_duration(lumo_object* object, double* seconds) { return numberOf(object, "Duration", seconds); }

lumo_result lumo_seek(lumo_object* object, double seconds) {
    lumo_variant to{Variant(seconds), {}};
    return lumo_set(object, "Position", &to);
}

lumo_result lumo_get_current_item(lumo_object* object, const char* field, lumo_variant* value) {
    if (!field) return fail(LUMO_E_INVALIDARG, "no field named");
    lumo_variant name{Variant(field), {}};
    lumo_variant* arguments[] = {&name};
    return invokeByName(object, "GetCurrentItemInfo", false, arguments, 1, value);
}

lumo_result lumo_run_events(lumo_object* object, int32_t milliseconds) {
    lumo_variant span{Variant(milliseconds), {}};
    lumo_variant* arguments[] = {&span};
    return invokeByName(object, "DoEvents", false, arguments, 1, nullptr);
}

lumo_result lumo_advise(lumo_object* object, lumo_event_callback callback, void* user_data, uint32_t* cookie) {
    if (!object || !callback || !cookie) return fail(LUMO_E_INVALIDARG, "no object, callback or place for the cookie");
    *cookie = 0;
    lumo::ComPtr<lumo::IConnectionPoint> point;
    if (const HRESULT found = eventPointOf(object, point); lumo::failed(found))
        return fail(found, "the object has no events to offer");
    auto sink = lumo::ComPtr<lumo::EventSink>::attach(new lumo::EventSink([=](const lumo::Event& event) {
        std::vector<lumo_variant> values;
        for (const Variant& argument : event.arguments) values.push_back(lumo_variant{argument, {}});
        std::vector<const lumo_variant*> pointers;
        for (const lumo_variant& value : values) pointers.push_back(&value);
        if (callback(user_data, event.name, pointers.data(), pointers.size()) != 0)
            throw std::runtime_error(std::string("the callback refused ") + event.name);
    }));
    if (const HRESULT advised = point->Advise(sink.get(), cookie); lumo::failed(advised))
        return fail(advised, "the object refused the callback");
    return LUMO_OK;
}

lumo_result lumo_unadvise(lumo_object* object, uint32_t cookie) {
    if (!object) return fail(LUMO_E_INVALIDARG, "no object");
    lumo::ComPtr<lumo::IConnectionPoint> point;
    if (const HRESULT found = eventPointOf(object, point); lumo::failed(found))
        return fail(found, "the object has no events to offer");
    if (const HRESULT removed = point->Unadvise(cookie); lumo::failed(removed))
        return fail(removed, "no callback has the cookie " + std::to_string(cookie));
    return LUMO_OK;
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
