// Test main of the plot tests: one QApplication on the offscreen platform (unless another
// platform is asked for), numbers in the C locale, plot windows of their own (no MDI area).
#include "plotform.h"
#include "pltdata.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    PltData::SetPlotOpener(TPlotForm::Opener(nullptr));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
