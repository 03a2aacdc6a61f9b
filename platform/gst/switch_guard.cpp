#include "platform/gst/switch_guard.h"

namespace lumo::platform::gst {

bool SwitchGuard::begin() {
    std::lock_guard lock(mutex_);
    ++inFlight_;
    return !heldOff_;
}

void SwitchGuard::end() {
    std::lock_guard lock(mutex_);
    if (inFlight_ > 0) --inFlight_;
    landed_.notify_all();
}

void SwitchGuard::holdOff(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    heldOff_ = true;
    // The limit only guards against a drained signal that never comes;
    // activating an item takes milliseconds. A switch that has not landed
    // by then never will (its streaming thread failed inside playbin), and
    // waiting for it again would stall every later state change.
    if (!landed_.wait_for(lock, limit, [&] { return inFlight_ == 0; })) inFlight_ = 0;
}

void SwitchGuard::release() {
    std::lock_guard lock(mutex_);
    heldOff_ = false;
}

}  // namespace lumo::platform::gst
