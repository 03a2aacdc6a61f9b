#pragma once
// The hosts' event sinks of every object in the process, and the player's
// events handed to them. The player tells its events on the host's thread
// while the host runs its event loop; each one goes to every sink in the
// order they were advised, as a call of __cLUMOAudioEvents. A sink that
// fails, raises or takes longer than `kSlowSink` is dropped after that
// call, with one line in the error log; the player plays on meanwhile on
// threads of its own.

#include <chrono>
#include <cstdint>

#include "lumo/com.h"

namespace lumo::automation {

inline constexpr std::chrono::milliseconds kSlowSink{2000};

// The sink's cookie, never 0. The first sink makes the player tell its
// events; without sinks it keeps none.
uint32_t addEventSink(const void* owner, ComPtr<IDispatch> sink);
// False when that owner (null: any owner) has no sink with the cookie.
bool removeEventSink(const void* owner, uint32_t cookie);
void removeEventSinks(const void* owner);

}  // namespace lumo::automation
