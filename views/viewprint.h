// Printed soil-pile profile of the side and top views (unit ViewPrint).
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// Each view's "Print" button asks for a printer (the print dialog also offers a PDF file) and
// prints one landscape page titled "Soil-Pile Profile": the section or the plan drawn over the
// whole printable page with lines 12 printer pixels wide.
#pragma once

#include "sideview.h"
#include "topview.h"
#include "util/exceptions.h"

#include <QSize>

#include <functional>
#include <vector>

class QPainter;
class QPrinter;
class QWidget;

// The printer could not start the page.
class EPrintError : public Exception {
public:
    using Exception::Exception;
};

namespace ViewPrint {

inline const QString kDocumentTitle = QStringLiteral("Soil-Pile Profile");

// A resolution estimate snapped to 75, 100, 150, 300, 600 or 1200 dots per inch.
int SnapDpi(int estimate);

// Dots per inch across (width) and down (height) estimated from the printable size in printer
// pixels, for a letter sheet: landscape pw/10 and ph/8, portrait pw/8 and ph/10, each snapped.
QSize PrinterDpiEstimate(int pw, int ph, bool landscape);

// Depth and across coordinate of a side view on the page (the section fills 80 % of the height
// and the whole width).
int SideDepthToPage(const TSideWindow& view, int ph, long double depth);
int SideXToPage(const TSideWindow& view, int pw, long double x);

// The page of a side view, of the top view. `view` is the world window fitted to the page
// (SideView::FitWindow with pw and 0.8 ph, TopView::FitWindow with pw and ph), so that the
// section and the plan keep their proportions on paper.
void DrawSidePage(QPainter& painter, int pw, int ph, const TSideWindow& view,
                  const TSideDrawing& drawing, const std::vector<PileOutline>& outlines);
void DrawTopPage(QPainter& painter, int pw, int ph, const TTopWindow& view, const TOutlineSpans& spans,
                 const std::vector<PileCircle>& circles);

// Prints one page on the printer: landscape, the document title, `draw` with the printable
// size in printer pixels. Raises EPrintError when the printer cannot start.
void PrintPage(QPrinter& printer, const std::function<void(QPainter&, int pw, int ph)>& draw);

// Asks for the printer (the platform's print dialog); false when the user cancels.
bool ChoosePrinter(QWidget* parent, QPrinter& printer);

}  // namespace ViewPrint
