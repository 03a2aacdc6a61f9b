#pragma once
// Receiving cLUMOAudio's events in C++: a sink that hands each event to a
// function, and a subscription that advises it on the object's connection
// point and unadvises it when it goes. Events arrive on the host's thread
// while it runs its event loop (or waits in DoEvents), in order.
//
//   lumo::EventSubscription events = lumo::subscribeEvents(object, [](const lumo::Event& event) {
//       std::printf("%s\n", event.name);
//   });

#include <atomic>
#include <functional>
#include <span>
#include <string>

#include "lumo/lumo_audio.h"

namespace lumo {

struct Event {
    DISPID id;         // events::PlayStateChange, ...
    const char* name;  // "PlayStateChange", "CurrentItemChange", "EndOfPlaylist", "Error"
    std::span<const Variant> arguments;
};
using EventHandler = std::function<void(const Event&)>;

inline const char* eventName(DISPID id) {
    switch (id) {
        case events::PlayStateChange: return "PlayStateChange";
        case events::CurrentItemChange: return "CurrentItemChange";
        case events::EndOfPlaylist: return "EndOfPlaylist";
        case events::Error: return "Error";
        default: return "";
    }
}

// A sink is an IDispatch with a reference count of its own; a handler that
// raises fails the call (the object then drops the sink).
class EventSink final : public IDispatch {
public:
    explicit EventSink(EventHandler handler) : handler_(std::move(handler)) {}

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        if (!object) return hr::E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID___cLUMOAudioEvents) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return hr::S_OK;
        }
        *object = nullptr;
        return hr::E_NOINTERFACE;
    }
    uint32_t AddRef() override { return ++references_; }
    uint32_t Release() override {
        const uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT GetTypeInfoCount(uint32_t* count) override {
        if (count) *count = 0;
        return hr::S_OK;
    }
    HRESULT GetTypeInfo(uint32_t, ITypeInfo**) override { return hr::E_NOTIMPL; }
    HRESULT GetIDsOfNames(const std::string*, uint32_t, DISPID*) override { return hr::E_NOTIMPL; }
    HRESULT Invoke(DISPID member, uint16_t, std::span<Variant> arguments, Variant*, ExcepInfo* error) override {
        const char* name = eventName(member);
        if (!*name) return hr::DISP_E_MEMBERNOTFOUND;
        try {
            handler_(Event{member, name, arguments});
        } catch (const std::exception& failure) {
            if (error) error->description = failure.what();
            return hr::DISP_E_EXCEPTION;
        }
        return hr::S_OK;
    }

private:
    ~EventSink() = default;
    EventHandler handler_;
    std::atomic<uint32_t> references_{1};
};

// Advised while it lives; empty when the object has no events (then
// `result` says why).
class EventSubscription {
public:
    EventSubscription() = default;
    EventSubscription(ComPtr<IConnectionPoint> point, uint32_t cookie) : point_(std::move(point)), cookie_(cookie) {}
    EventSubscription(EventSubscription&& other) noexcept { swap(other); }
    EventSubscription& operator=(EventSubscription other) noexcept {
        swap(other);
        return *this;
    }
    ~EventSubscription() {
        if (point_) point_->Unadvise(cookie_);
    }
    explicit operator bool() const { return static_cast<bool>(point_); }
    uint32_t cookie() const { return cookie_; }
    void swap(EventSubscription& other) noexcept {
        point_.swap(other.point_);
        std::swap(cookie_, other.cookie_);
    }

private:
    ComPtr<IConnectionPoint> point_;
    uint32_t cookie_ = 0;
};

inline EventSubscription subscribeEvents(IUnknown* object, EventHandler handler, HRESULT* result = nullptr) {
    HRESULT outcome = hr::E_POINTER;
    EventSubscription subscription;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (object)
        outcome = object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put()));
    if (succeeded(outcome)) outcome = container->FindConnectionPoint(DIID___cLUMOAudioEvents, point.put());
    if (succeeded(outcome)) {
        ComPtr<EventSink> sink = ComPtr<EventSink>::attach(new EventSink(std::move(handler)));
        uint32_t cookie = 0;
        outcome = point->Advise(sink.get(), &cookie);
        if (succeeded(outcome)) subscription = EventSubscription(std::move(point), cookie);
    }
    if (result) *result = outcome;
    return subscription;
}

}  // namespace lumo
