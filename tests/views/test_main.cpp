// Test main of the view tests: one QApplication on the offscreen platform unless another
// platform is asked for (the 3-D tests run with xcb under a virtual X server), numbers in the
// C locale.
#include "gl/glwindow.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TglWindow::PrepareApplication();  // as the program does
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
