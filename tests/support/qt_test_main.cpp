// Test main of the Qt test programs that need nothing before or after the application is made.
#include "qt_test.h"

int main(int argc, char** argv) { return TestSupport::RunQtTests(argc, argv); }
