#include "platform/gst/host_wakeup.h"

#include <glib.h>

#include <algorithm>

namespace lumo::platform::gst {

struct HostWakeupSource {
    GSource base;
    HostWakeup* owner;

    static HostWakeup* ownerOf(GSource* source) { return reinterpret_cast<HostWakeupSource*>(source)->owner; }
    static gboolean prepare(GSource* source, gint* timeout) { return ownerOf(source)->due(timeout); }
    static gboolean check(GSource* source) { return ownerOf(source)->due(nullptr); }
    static gboolean dispatch(GSource* source, GSourceFunc, gpointer) {
        ownerOf(source)->run();
        return G_SOURCE_CONTINUE;
    }
};

HostWakeup::HostWakeup(std::function<void()> work, Deadline deadline)
    : work_(std::move(work)), deadline_(std::move(deadline)) {
    static GSourceFuncs funcs = {&HostWakeupSource::prepare, &HostWakeupSource::check, &HostWakeupSource::dispatch,
                                 nullptr, nullptr, nullptr};
    source_ = g_source_new(&funcs, sizeof(HostWakeupSource));
    reinterpret_cast<HostWakeupSource*>(source_)->owner = this;
    g_source_set_name(source_, "LUMO player events");
    g_source_attach(source_, nullptr);
}

HostWakeup::~HostWakeup() {
    g_source_destroy(source_);
    g_source_unref(source_);
}

void HostWakeup::wake() {
    woken_ = true;
    g_main_context_wakeup(nullptr);
}

bool HostWakeup::due(int* timeout) const {
    if (timeout) *timeout = -1;
    // Another thread iterating the default context never runs the work.
    if (std::this_thread::get_id() != hostThread_) return false;
    if (woken_) return true;
    const std::optional<Clock::time_point> at = deadline_ ? deadline_() : std::nullopt;
    if (!at) return false;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*at - Clock::now()).count();
    if (left <= 0) return true;
    if (timeout) *timeout = static_cast<int>(std::min<long long>(left, G_MAXINT));
    return false;
}

void HostWakeup::run() {
    woken_ = false;
    work_();
}

void runEventLoopFor(std::chrono::milliseconds span) {
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context)) {
        std::this_thread::sleep_for(span);
        return;
    }
    const gint64 end = g_get_monotonic_time() + static_cast<gint64>(span.count()) * 1000;
    g_main_context_iteration(context, FALSE);
    for (gint64 now = g_get_monotonic_time(); now < end; now = g_get_monotonic_time()) {
        // A timeout of its own bounds each blocking pass.
        GSource* timeout = g_timeout_source_new(static_cast<guint>((end - now + 999) / 1000));
        g_source_set_callback(timeout, [](gpointer) { return gboolean(G_SOURCE_REMOVE); }, nullptr, nullptr);
        g_source_attach(timeout, context);
        g_main_context_iteration(context, TRUE);
        g_source_destroy(timeout);
        g_source_unref(timeout);
    }
    g_main_context_release(context);
}

}  // namespace lumo::platform::gst
