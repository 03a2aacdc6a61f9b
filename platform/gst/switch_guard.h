#pragma once
// Keeps the host's state changes apart from playbin switching to the next
// item on a streaming thread. playbin activates the next item after the
// about-to-finish handlers return, still on the streaming thread; a state
// change of the whole pipeline in the middle of that deadlocks inside
// playbin, leaves the next item's threads running, or starts the next
// item's decoder without its URI. So a switch is "in flight" from
// about-to-finish until playbin's own handler of the decoder's "drained"
// signal has returned; the host waits for it to land before it changes the
// state, and no switch starts until the pipeline has settled again. An item
// that ends while switches are held off is followed by the next one when
// the host next calls the player, without the gapless hand-over (only items
// shorter than a state change meet this).

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace lumo::platform::gst {

class SwitchGuard {
public:
    // Streaming thread, in about-to-finish: true when a next item may be
    // set. Either way, end() follows.
    bool begin();
    // Streaming thread, once playbin has activated the next item (or not).
    void end();

    // Host thread: waits for a switch in flight to land (at most `limit`)
    // and holds new ones off until release() (any thread).
    void holdOff(std::chrono::milliseconds limit = std::chrono::milliseconds(2000));
    void release();

private:
    std::mutex mutex_;
    std::condition_variable landed_;
    int inFlight_ = 0;
    bool heldOff_ = false;
};

}  // namespace lumo::platform::gst
