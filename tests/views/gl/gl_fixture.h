// Shared pieces of the 3-D view tests: Mesa's software renderer on the X server of xvfb-run,
// the test projects, pixel helpers.
#pragma once

#include "dataunit.h"
#include "project.h"
#include "projecttables.h"
#include "table/table.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <initializer_list>

namespace gltest {

// Mesa's software renderer, on X (a virtual server under ctest); set before the application.
inline const bool kEnvironment = [] {
    qputenv("LIBGL_ALWAYS_SOFTWARE", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}();

inline void Row(TGridTable* table, int row, std::initializer_list<long double> values)
{
    int c = 0;
    for (long double v : values) table->Cell(c++, row)->SetAsFloat(v);
}

// One rectangular cap 4 x 3 without side soil (it stands 0.45 on the ground), four piles at
// (+-1.2, +-0.8) of two sections 5 and 7 long (radii 0.2 and 0.2), so two soil layers beside
// the piles and the bottom layer.
inline void FourPileProject(TProject& project)
{
    TProgramData& d = project.Data();
    TProjectTables& t = project.Tables();
    d.FoundationWord = QStringLiteral("PILE");
    d.FoundationCode = 2;
    d.ShapeCode = 0;
    d.LengthX = 4;
    d.WidthY = 3;
    t.pilecapsoil->SetRowCount(1);
    Row(t.pilecapsoil, 0, {0});
    t.PileData->SetRowCount(2);
    Row(t.PileData, 0, {5, 0.2L, 0.2L});
    Row(t.PileData, 1, {7, 0.2L, 0.2L});
    t.Pilecoord->SetRowCount(4);
    Row(t.Pilecoord, 0, {-1.2L, -0.8L, 0});
    Row(t.Pilecoord, 1, {1.2L, -0.8L, 0});
    Row(t.Pilecoord, 2, {-1.2L, 0.8L, 0});
    Row(t.Pilecoord, 3, {1.2L, 0.8L, 0});
}

inline bool Near(QRgb pixel, int r, int g, int b, int tolerance = 3)
{
    return std::abs(qRed(pixel) - r) <= tolerance && std::abs(qGreen(pixel) - g) <= tolerance &&
           std::abs(qBlue(pixel) - b) <= tolerance;
}

inline QString Rgb(QRgb pixel)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel));
}

inline int CountNonWhite(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu) ++n;
    return n;
}

}  // namespace gltest
