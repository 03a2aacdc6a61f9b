#include "platform/gst/engine_events.h"

#include <utility>

namespace lumo::platform::gst {

EngineEvent::EngineEvent(EngineEvent&& other) noexcept
    : kind(other.kind),
      message(std::exchange(other.message, nullptr)),
      fromSink(other.fromSink),
      epoch(other.epoch),
      result(other.result),
      refusal(std::move(other.refusal)) {}

EngineEvent& EngineEvent::operator=(EngineEvent&& other) noexcept {
    if (this == &other) return *this;
    if (message) gst_message_unref(message);
    kind = other.kind;
    message = std::exchange(other.message, nullptr);
    fromSink = other.fromSink;
    epoch = other.epoch;
    result = other.result;
    refusal = std::move(other.refusal);
    return *this;
}

EngineEvent::~EngineEvent() {
    if (message) gst_message_unref(message);
}

EngineEvent EngineEvent::ofMessage(GstMessage* owned, bool fromSink) {
    EngineEvent event;
    event.message = owned;
    event.fromSink = fromSink;
    return event;
}

EngineEvent EngineEvent::begun(uint64_t epoch) {
    EngineEvent event;
    event.kind = Kind::Begun;
    event.epoch = epoch;
    return event;
}

EngineEvent EngineEvent::done(uint64_t epoch, GstStateChangeReturn result) {
    EngineEvent event;
    event.kind = Kind::Done;
    event.epoch = epoch;
    event.result = result;
    return event;
}

EngineEvent EngineEvent::refused(uint64_t epoch, ErrorItem why) {
    EngineEvent event;
    event.kind = Kind::Refused;
    event.epoch = epoch;
    event.refusal = std::move(why);
    return event;
}

void EventQueue::push(EngineEvent event) {
    std::lock_guard lock(mutex_);
    // A retired pipeline's messages are kept until the queue goes, so that
    // none is released on the streaming thread that posted it.
    if (closed_) {
        retired_.push_back(std::move(event));
        return;
    }
    events_.push_back(std::move(event));
    pushed_.notify_all();
    // Under the lock: once close() has returned, no wake is under way, and
    // whatever it wakes may go.
    if (wake_) wake_();
}

std::vector<EngineEvent> EventQueue::takeAll() {
    std::vector<EngineEvent> taken;
    std::lock_guard lock(mutex_);
    taken.swap(events_);
    return taken;
}

bool EventQueue::empty() const {
    std::lock_guard lock(mutex_);
    return events_.empty();
}

void EventQueue::waitForPush(std::chrono::microseconds limit) {
    std::unique_lock lock(mutex_);
    pushed_.wait_for(lock, limit, [&] { return closed_ || !events_.empty(); });
}

void EventQueue::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    pushed_.notify_all();
}

}  // namespace lumo::platform::gst
