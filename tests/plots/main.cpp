// Test main of the plot tests (tests/support/qt_test.h): plot windows of their own (no MDI area).
#include "plotform.h"
#include "pltdata.h"
#include "qt_test.h"

int main(int argc, char** argv)
{
    return TestSupport::RunQtTests(argc, argv, {}, [] { PltData::SetPlotOpener(TPlotForm::Opener(nullptr)); });
}
