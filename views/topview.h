// Top view of the foundation (unit PileTop): `TDlgTopView`, the plan of the cap or footing with
// each pile as a circle.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// The plan is drawn with x to the right and the project's y growing downward (a circle keeps y
// with its sign reversed, and the window's top value maps to the top edge). The geometry comes
// from the free functions of namespace TopView, so it can be checked without a window:
//
//     TTopWindow world = TopView::BuildCircles(data, circles, TTopWindow(), spans);
//     TTopWindow view = TopView::FitWindow(world, width(), height());
//     QRect r = TopView::WorldToScreen(view, width(), height(), c.X, c.Y, c.Radius);
//
// The outline is a rectangle centred at the origin: the spans of the pile centres for a pile
// cap, the shaft's diameter for a multilayer foundation (drawn as a circle of the radius of its
// head layer), the footing's size otherwise. Each activation fits the window to the outline and
// the circles of the data as they are then, with a margin. "Print" prints the plan as the
// soil-pile profile page (views/viewprint.h).
#pragma once

#include "viewwindow.h"

#include <QRect>
#include <QString>

#include <vector>

class QPainter;
class QPrinter;
class TProgramData;
class TProject;

// One pile in plan: centre (y with the project's sign reversed) and radius.
struct PileCircle {
    long double X = 0;
    long double Y = 0;
    long double Radius = 0;
};

// Window of the plan: x range and y range, YTop at the top edge.
struct TTopWindow {
    long double XMin = -10, XMax = 10, YTop = 10, YBottom = -10;
    bool NoDraw() const { return XMax - XMin == 0 || YTop - YBottom == 0; }
};

// Full sizes of the outline rectangle (x and y).
struct TOutlineSpans {
    long double SX = 0;
    long double SY = 0;
};

namespace TopView {

// The part of the window's larger side left free on each side beyond the outline and circles.
inline constexpr long double kMargin = 0.05L;

// The radius of a MULTILAYER foundation's shaft at its head, as the engine computes with it (the
// mean of the first layer's x and y radii, TProjectTables::ShaftRadius); 0 for other types.
long double ShaftRadius(const TProgramData& data);

// The outline sizes: for a PILE foundation the spans of the pile centres, for a shaft with a
// radius its diameter both ways, for a circular footing its diameter both ways, for a
// rectangular one LengthX by WidthY.
TOutlineSpans OutlineSpans(const TProgramData& data);

// Builds the circles of a PILE foundation, or the one circle of a shaft with a radius (none for
// a footing). With circles, the window is the outline of `spans` with a margin, widened to hold
// every circle, then widened by kMargin of its larger side all round, so that every circle lies
// inside it; without, `current` is returned unchanged.
TTopWindow BuildCircles(const TProgramData& data, std::vector<PileCircle>& circles,
                        const TTopWindow& current, const TOutlineSpans& spans);

// The window fitted to the aspect of a client area (x about 0, or y about 0).
TTopWindow FitWindow(const TTopWindow& world, int width, int height);

// World circle (radius 0 for a point) to its bounding rectangle in a client area or on a page
// of the given size, and a pixel back to the world.
QRect WorldToScreen(const TTopWindow& view, int width, int height, long double x, long double y,
                    long double r);
QPointF ScreenToWorld(const TTopWindow& view, int width, int height, int px, int py);

// The caption of the mouse read-out: "Top View X: 1.5 Y: -2.0".
QString ReadOutCaption(long double x, long double y);

// Draws the plan (background, outline, circles) on a painter over a client area.
void Paint(QPainter& painter, int width, int height, const TTopWindow& view,
           const TOutlineSpans& spans, const std::vector<PileCircle>& circles);

}  // namespace TopView

class TDlgTopView : public TViewWindow {
    Q_OBJECT

public:
    // A view of the project (which must outlive the window); it is built when first shown.
    explicit TDlgTopView(TProject& project, QWidget* parent = nullptr);
    ~TDlgTopView() override;

    // Builds the circles and the window from the project, then refits and repaints.
    void FormActivate() override;

    const std::vector<PileCircle>& Circles() const { return m_circles; }
    const TTopWindow& WorldWindow() const { return m_world; }
    const TTopWindow& ViewWindow() const { return m_view; }
    const TOutlineSpans& Spans() const { return m_spans; }
    bool GetNoDraw() const override { return m_world.NoDraw(); }

    // Draws the plan on the printer as the soil-pile profile page.
    void PrintTo(QPrinter& printer) override;

protected:
    void FitView(int width, int height) override;
    void PaintView(QPainter& painter, int width, int height) override;
    QString ReadOut(int width, int height, int px, int py) const override;
    void ClearDrawing() override;

private:
    TProject& m_project;
    std::vector<PileCircle> m_circles;
    TTopWindow m_world;
    TTopWindow m_view;
    TOutlineSpans m_spans;
};
