// No tests: options the sanitizer runtimes read at start-up. GLib abandons
// its first quark table on purpose; only a full unwind reaches the _dl_init
// frame its allocation came from, which the suppression names.

extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:_dl_init\n"; }
