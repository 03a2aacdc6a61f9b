#include "automation/event_sinks.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "failsafe/procedure.h"
#include "failsafe/runtime_error.h"
#include "lumo/event_sink.h"
#include "player/audio_player_host.h"

namespace lumo::automation {
namespace {

using platform::PlayerEvent;

struct Sink {
    const void* owner;
    uint32_t cookie;
    ComPtr<IDispatch> dispatch;
};

// Never destroyed: a host that keeps its object to the end of the process
// gets no release of its sinks after its own objects have gone.
std::vector<Sink>& sinks() {
    static auto* all = new std::vector<Sink>;
    return *all;
}

uint32_t lastCookie = 0;

struct Call {
    DISPID id;
    std::vector<Variant> arguments;
};

Call callFor(const PlayerEvent& event) {
    switch (event.kind) {
        case PlayerEvent::Kind::PlayStateChange: return {events::PlayStateChange, {event.number}};
        case PlayerEvent::Kind::CurrentItemChange: return {events::CurrentItemChange, {event.number, event.text}};
        case PlayerEvent::Kind::EndOfPlaylist: return {events::EndOfPlaylist, {}};
        case PlayerEvent::Kind::Error: return {events::Error, {event.number, event.text}};
    }
    return {0, {}};
}

// Why the sink is to go, or "" when it took the call well.
std::string verdictOn(const Sink& sink, Call call) {
    const std::string name = eventName(call.id);
    const auto start = std::chrono::steady_clock::now();
    HRESULT result = hr::S_OK;
    ExcepInfo error;
    try {
        result = sink.dispatch->Invoke(call.id, dispatch::Method, call.arguments, nullptr, &error);
    } catch (...) {
        return std::string("it raised an exception at ") + name;
    }
    if (failed(result)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<uint32_t>(result));
        return "it failed " + name + " with " + code +
               (error.description.empty() ? "" : " (" + error.description + ")");
    }
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (took > kSlowSink) return "it took " + std::to_string(took.count()) + " ms over " + name;
    return {};
}

void drop(uint32_t cookie, const std::string& why) {
    removeEventSink(nullptr, cookie);
    failsafe::Procedure proc(failsafe::NoTrace{}, failsafe::LogAndClear{"cLUMOAudio.Events"});
    proc.step([&] {
        throw failsafe::RuntimeError(failsafe::error::InternalError,
                                     "The event sink " + std::to_string(cookie) + " was dropped: " + why);
    });
}

void deliver(const PlayerEvent& event) {
    const Call call = callFor(event);
    // A sink may advise or unadvise sinks while it is called.
    const std::vector<Sink> now = sinks();
    for (const Sink& sink : now) {
        const bool stillThere = std::any_of(sinks().begin(), sinks().end(),
                                            [&](const Sink& s) { return s.cookie == sink.cookie; });
        if (!stillThere) continue;
        if (const std::string why = verdictOn(sink, call); !why.empty()) drop(sink.cookie, why);
    }
}

}  // namespace

uint32_t addEventSink(const void* owner, ComPtr<IDispatch> sink) {
    if (sinks().empty()) player::setPlayerEventListener(deliver);
    const uint32_t cookie = ++lastCookie;
    sinks().push_back({owner, cookie, std::move(sink)});
    return cookie;
}

bool removeEventSink(const void* owner, uint32_t cookie) {
    std::vector<Sink>& all = sinks();
    const auto found = std::find_if(all.begin(), all.end(), [&](const Sink& sink) {
        return sink.cookie == cookie && (!owner || sink.owner == owner);
    });
    if (found == all.end()) return false;
    all.erase(found);
    if (all.empty()) player::setPlayerEventListener({});
    return true;
}

void removeEventSinks(const void* owner) {
    std::vector<Sink>& all = sinks();
    const size_t before = all.size();
    std::erase_if(all, [&](const Sink& sink) { return sink.owner == owner; });
    if (before > 0 && all.empty()) player::setPlayerEventListener({});
}

}  // namespace lumo::automation
