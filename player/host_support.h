#pragma once
// What the player host's procedures share: their module name, the objects
// they read through, and the texts they compare.

#include <memory>
#include <string>
#include <string_view>

#include "failsafe/procedure.h"
#include "failsafe/runtime_error.h"

namespace lumo::player::detail {

inline constexpr failsafe::TraceName kModule("frmAudioPlayer");

// A missing object fails like a released component: error 91.
template <typename T>
const T& deref(const std::shared_ptr<T>& object) {
    if (!object) failsafe::raiseError(failsafe::error::ObjectNotSet);
    return *object;
}

inline std::string upperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

}  // namespace lumo::player::detail
