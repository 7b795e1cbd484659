// Built into every program of the sanitizer build, tests and tools too: what each needs of the
// sanitizer runtime, in one place.

// GCC 12's runtime takes some dynamic TLS blocks of threads for an old glibc layout and reads
// a made-up address and length before them; the leak check at exit then crashes now and then
// ("Tracer caught signal 11") instead of checking. Not intercepting __tls_get_addr avoids that;
// glibc allocates those blocks with malloc, where the check still sees them. Options given in
// ASAN_OPTIONS come on top of these.
extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}

// The xcb platform's D-Bus client keeps one buffer for the life of the process, and Qt's
// StatusNotifierItem tray leaves a small object of its D-Bus module at exit; neither is ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libQt6DBus.so\n";
}
