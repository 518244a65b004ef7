/* A library that refers to data no library defines: the loader cannot complete it. */
extern int tremex_test_symbol_defined_nowhere;

__attribute__((visibility("default"))) int unresolved_value(void) { return tremex_test_symbol_defined_nowhere; }
