// Preloaded into the tests under AddressSanitizer (CMakePresets.json): unloading a library does
// nothing, so that every library stays loaded until the process ends. LeakSanitizer reads
// pointers from the libraries still loaded only: once one is unloaded, what it kept in its globals
// looks leaked, and the places that allocated it can no longer be named, so no suppression could
// match them. Mesa unloads its driver when the last OpenGL display closes.
extern "C" int dlclose(void *) {
    return 0;
}
