// No tests: what the sanitizer runtimes read at start-up when this suite is
// built with them (they are ordinary unused functions otherwise).
//
// GLib abandons its first quark table on purpose when GStreamer's quarks
// outgrow it; it was allocated in GLib's library constructor. Only a full
// unwind of the allocation reaches the loader's _dl_init frame, so the
// suppression can name that and nothing else (a fast unwind stops inside
// GLib, where every g_malloc of ours would look alike).

extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:_dl_init\n"; }
