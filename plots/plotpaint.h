// Drawing of a result graph (unit PlotPaint): free functions over a QPainter that the plot window
// (plotform.h) uses alike for the screen, the printer and bitmap files.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// A drawing is the graph, the range shown, the canvas (drawing area, plot rectangle, resolution,
// font) and the captions of the listed curves for the legend that a page or a bitmap carries;
// the layout functions fill the canvas, Render draws:
//
//     PlotPaint::TDrawing d;
//     d.plot = plot;
//     d.range = {0, 50, -10, 10};                   // xmin, xmax, ymin, ymax
//     PlotPaint::ScreenLayout(d, image.width(), image.height(), 96, 96);
//     QPainter painter(&image);
//     PlotPaint::Render(painter, d);
//
// Nothing here knows a window: the same drawing goes to any paint device.
#pragma once

#include "pltdata.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QPoint>
#include <QPolygon>
#include <QString>
#include <QStringList>

class QPainter;

namespace PlotPaint {

// A rectangle in device pixels given by its edges (right and bottom included in the frame).
struct TEdges {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};
struct TRange {
    long double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};
// Tick layout of one drawing: minor steps and the first and last tick index of each axis.
struct TTicks {
    bool shown = false;  // false: no room for ticks, grid lines and labels
    long double minorX = 0, minorY = 0;
    int firstX = 0, lastX = 0, firstY = 0, lastY = 0;
};
// Where a drawing goes.
struct TCanvas {
    TEdges area;
    TEdges plot;
    int dpiX = 96, dpiY = 96;
    int fontPx = 14;  // height in pixels of the canvas's font
    bool legendInPlot = false;
};

// Height in pixels of the window font at 96 pixels per inch, and its face.
inline constexpr int kScreenFontPx = 14;
inline constexpr const char* kFace = "Times New Roman";

// One drawing of a graph (see above). rowCurve and rowCaption are the legend rows: the curve
// of each row and its caption.
struct TDrawing {
    const TGraphPlot* plot = nullptr;
    TRange range;
    TCanvas canvas;
    QList<int> rowCurve;
    QStringList rowCaption;
};

// Nearest integer, ties to even, kept inside the int range (NaN gives 0).
int RoundPixel(long double v);
// Colour of plot index k (taken mod 17).
QColor PlotColour(int k);
// The general float format with p significant digits: fixed notation for 0 and for values of
// at most p integer digits and a magnitude of at least 0.00001, else scientific ("2.5E+06").
QString FormatGeneral(long double x, int precision);
// The major tick step for a span divided into n intervals: 1, 2 or 5 times a power of ten.
long double MajorStep(long double span, int n);
// Vertices of the marker of curve index i around (cx, cy), closed.
QPolygon MarkerPolygon(int index, int cx, int cy, int dpiX, int dpiY);
// The points of a curve of n points that carry a marker for the spacing m (none for m <= 0).
QList<int> MarkerIndices(int pointCount, int markers);
// The drawing area of a printed page in printable-area coordinates, for the margins in
// thousandths of an inch (left, top, right, bottom), the resolution, the physical offsets of
// the printable area and its size in device pixels.
TEdges PrintArea(const int margins[4], int dpiX, int dpiY, int offX, int offY, int pageWidth, int pageHeight);

// The canvas of the screen (or of a bitmap) of the given size and resolution, the window font.
void ScreenLayout(TDrawing& drawing, int width, int height, int dpiX, int dpiY);
// The canvas of a printed page (see PrintArea), the window font at the page's resolution, the
// legend in the plot.
void PageLayout(TDrawing& drawing, const int margins[4], int dpiX, int dpiY, int offX, int offY, int pageWidth,
                int pageHeight);

// Scaled font height h of the canvas.
int TextHeightUnit(const TDrawing& drawing);
QPoint WorldToPixel(const TDrawing& drawing, const TFloatPoint& point);
// The world point of a pixel (0, 0 outside the plot's columns).
TFloatPoint PixelToWorld(const TDrawing& drawing, const QPoint& pixel);
TTicks ComputeTicks(const TDrawing& drawing);
// The plot's font on the canvas, and the pen width of its curves.
QFont PlotFont(const TDrawing& drawing, bool bold);
int CurvePenWidth(const TDrawing& drawing);

// Draws everything (white area, captions, axes, ticks and grid, curves with their markers, the
// legend when the canvas carries it, the plot frame).
void Render(QPainter& painter, const TDrawing& drawing);

}  // namespace PlotPaint
