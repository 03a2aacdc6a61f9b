#pragma once
// The number of the run-time error a call raises; 0 when it raises none.

#include <cstdint>
#include <functional>

#include "failsafe/runtime_error.h"

namespace lumo::testing {

inline int32_t numberRaisedBy(const std::function<void()>& call) {
    try {
        call();
    } catch (const failsafe::RuntimeError& error) {
        return error.number();
    }
    return 0;
}

}  // namespace lumo::testing
