// Test main of the view tests (tests/support/qt_test.h); the 3-D tests run with xcb under a
// virtual X server.
#include "gl/glwindow.h"
#include "qt_test.h"

int main(int argc, char** argv)
{
    return TestSupport::RunQtTests(argc, argv, [] { TglWindow::PrepareApplication(); /* as the program does */ });
}
