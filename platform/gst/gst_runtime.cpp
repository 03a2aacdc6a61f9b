#include "platform/gst/gst_runtime.h"

#include <gst/gst.h>

#include <mutex>

#include "failsafe/runtime_error.h"
#include "platform/gst/error_classes.h"

namespace lumo::platform::gst {

namespace {
std::once_flag initOnce;
bool initialised = false;
std::string initFailure;
}  // namespace

bool ensureGstreamer(std::string* why) {
    std::call_once(initOnce, [] {
        GError* error = nullptr;
        initialised = gst_init_check(nullptr, nullptr, &error);
        if (!initialised) initFailure = error ? error->message : "gst_init_check failed";
        if (error) g_error_free(error);
    });
    if (!initialised && why) *why = initFailure;
    return initialised;
}

std::string gstreamerVersion() {
    std::string why;
    if (!ensureGstreamer(&why))
        throw failsafe::RuntimeError(errorCodeOf(ErrorClass::Other), "GStreamer cannot be initialised: " + why);
    gchar* text = gst_version_string();
    std::string version = text;
    g_free(text);
    return version;
}

}  // namespace lumo::platform::gst
