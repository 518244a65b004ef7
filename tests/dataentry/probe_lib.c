/* A small library for the library binder's tests: counts its loads. */
static int loads = 0;

__attribute__((constructor)) static void probe_loaded(void) { ++loads; }

__attribute__((visibility("default"))) int probe_load_count(void) { return loads; }
__attribute__((visibility("default"))) int probe_twice(int x) { return 2 * x; }
