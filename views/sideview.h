// Side views of the foundation (units PileSide and PileSideYZ): `TDlgSideViewXZ` and
// `TDlgSideViewYZ`, vertical sections through the foundation and its soil.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// The two views are twins: the XZ view puts the pile x coordinate and the XZ batter plane
// across, the YZ view the y coordinate and the YZ plane; depth runs down in both. Each draws the
// soil layers as horizontal lines with their depths and properties, the ground surface with
// hatch marks, and every pile (or the footing or shaft) as a filled quadrilateral. The geometry
// is built by the free functions of namespace SideView from the project data and tables, so it
// can be checked without a window:
//
//     std::vector<PileOutline> outlines;
//     TSideWindow world = SideView::BuildOutlines(data, SideView::Plane::XZ, outlines);
//     TSideWindow view = SideView::FitWindow(world, width(), height());
//     QPoint p = SideView::WorldToScreen(view, width(), height(), x, depth);
//
// A view reads the project when it is shown and each time its MDI sub-window is activated; a
// resize refits and repaints without reading. "Print" prints the soil-pile profile
// (views/viewprint.h).
#pragma once

#include "util/exceptions.h"
#include "viewwindow.h"

#include <QFontMetrics>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <vector>

class QPainter;
class QPrinter;
class TProgramData;
class TProject;

// A pile table without rows while building a side view.
class ESideViewError : public Exception {
public:
    using Exception::Exception;
};

// One point of a side view: across (x or y) and depth, in the project's length unit.
struct TSidePoint {
    long double X = 0;
    long double Depth = 0;
};

// The four corners of one pile, footing or shaft.
struct PileOutline {
    TSidePoint HeadLeft, HeadRight, TipLeft, TipRight;
};

// A window of the side view: horizontal range and depth range (depth grows downward).
struct TSideWindow {
    long double XMin = -10, XMax = 10, DepthMin = 0, DepthMax = 10;
    // Either span zero: nothing is drawn, built or read out.
    bool NoDraw() const { return XMax - XMin == 0 || DepthMax - DepthMin == 0; }
};

// What a side view draws besides the outlines: layer lines (the ground line with hatch marks)
// and texts at a depth, moved by whole text heights and by pixels.
struct TSideDrawing {
    struct Line {
        long double Depth = 0;
        bool Ground = false;
    };
    struct Text {
        long double Depth = 0;
        int TextLines = 0;   // text heights below the depth
        int PixelOffset = 0; // pixels below the depth (negative: above)
        QString Value;
        int Layer = 0;       // 1-based layer the text belongs to, 0 for none
        bool SecondLine = false; // the shear-wave and Poisson line of a layer
    };
    std::vector<Line> Lines;
    std::vector<Text> Texts;
};

namespace SideView {

enum class Plane { XZ, YZ };

// The project's FoundationCode from FoundationWord: 4 MULTILAYER, 2 PILE, 3 STRATUM, 1 otherwise.
int FoundationCodeOf(const QString& foundationWord);

// Builds the outlines from the project (sets FoundationCode and LayerDepthTotal) and returns the
// world window that holds them; with no soil rows the outlines stay empty and `current` is
// returned. Raises ESideViewError "One or more Pile Types does not have any sections" when a
// pile table has no rows.
TSideWindow BuildOutlines(TProgramData& data, Plane plane, std::vector<PileOutline>& outlines,
                          const TSideWindow& current = TSideWindow());

// The world window fitted to the aspect of a client area: the x range widens about x = 0, or
// the depth range grows about depth 0. Unchanged when NoDraw or the area is empty.
TSideWindow FitWindow(const TSideWindow& world, int width, int height);

// World to client pixel (nearest integer) and back.
QPoint WorldToScreen(const TSideWindow& view, int width, int height, long double x, long double depth);
int DepthToScreen(const TSideWindow& view, int height, long double depth);
TSidePoint ScreenToWorld(const TSideWindow& view, int width, int height, int px, int py);

// The layer lines and texts of the project (depths in world units).
TSideDrawing LayerDrawing(const TProgramData& data);

// The caption of the mouse read-out: "Side View X: 1.5 Depth: 2.0".
QString ReadOutCaption(const TSidePoint& p);

// Fixed-point text with one decimal ("1.5", "-0.3"), independent of the locale.
QString FixedOneDecimal(long double x);

// Plain decimal text of a layer value.
QString PlainNumber(long double x);

// Where the layer texts stand clear of the piles. `rects` are the texts' rectangles where the
// layout puts them (at the left); texts in one block (same depth and offset, the two lines of a
// layer) move together. A block that a pile would cover moves right, just past a pile, to the
// first place inside `width` that no pile covers; a block with no such place stays and is drawn
// over the piles on a white ground (`overPiles`). Nothing moves where no pile covers a text.
struct TTextPlace {
    QRect Rect;
    bool OverPiles = false;
};
std::vector<TTextPlace> PlaceTexts(const TSideDrawing& drawing, const std::vector<QRect>& rects,
                                   const std::vector<QPolygon>& piles, int width);

// The piles of the view as polygons of client pixels.
std::vector<QPolygon> PilePolygons(const TSideWindow& view, int width, int height,
                                   const std::vector<PileOutline>& outlines);

// The rectangles of the layer texts on the screen, placed clear of the piles (PlaceTexts).
std::vector<TTextPlace> TextPlaces(const QFontMetrics& fm, int width, int height, const TSideWindow& view,
                                   const TSideDrawing& drawing, const std::vector<PileOutline>& outlines);

// Draws the view (background, layers, outlines) on a painter over a client area.
void Paint(QPainter& painter, int width, int height, const TSideWindow& view,
           const TSideDrawing& drawing, const std::vector<PileOutline>& outlines);

}  // namespace SideView

// The common body of the two side views.
class TDlgSideView : public TViewWindow {
    Q_OBJECT

public:
    // A view of the project (which must outlive the window); it is built when first shown.
    TDlgSideView(TProject& project, SideView::Plane plane, QWidget* parent = nullptr);
    ~TDlgSideView() override;

    // Builds the outlines and the world window from the project, then refits and repaints
    // (what activation does). A pile table without rows shows the error and closes the window.
    void FormActivate() override;

    const std::vector<PileOutline>& Outlines() const { return m_outlines; }
    const TSideWindow& WorldWindow() const { return m_world; }
    const TSideWindow& ViewWindow() const { return m_view; }
    bool GetNoDraw() const override { return m_world.NoDraw(); }
    SideView::Plane Plane() const { return m_plane; }

    // Draws the soil-pile profile on the printer (the "Print" button asks for the printer first).
    void PrintTo(QPrinter& printer) override;

protected:
    void FitView(int width, int height) override;
    void PaintView(QPainter& painter, int width, int height) override;
    QString ReadOut(int width, int height, int px, int py) const override;
    void ClearDrawing() override;

private:
    TProject& m_project;
    SideView::Plane m_plane;
    std::vector<PileOutline> m_outlines;
    TSideDrawing m_drawing;
    TSideWindow m_world;
    TSideWindow m_view;
};

class TDlgSideViewXZ : public TDlgSideView {
    Q_OBJECT

public:
    explicit TDlgSideViewXZ(TProject& project, QWidget* parent = nullptr);
};

class TDlgSideViewYZ : public TDlgSideView {
    Q_OBJECT

public:
    explicit TDlgSideViewYZ(TProject& project, QWidget* parent = nullptr);
};
