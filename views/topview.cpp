// Top view of the foundation: see topview.h.
#include "topview.h"

#include "dataunit.h"
#include "project.h"
#include "projecttables.h"
#include "sideview.h"
#include "util/messages.h"
#include "viewprint.h"

#include <QPainter>
#include <QPolygon>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace TopView {

TOutlineSpans OutlineSpans(const TProgramData& data)
{
    TOutlineSpans s;
    if (SideView::FoundationCodeOf(data.FoundationWord) == 2) {
        // The spans of the pile centres: true extremes, whatever the signs of the coordinates.
        TGridTable* coords = data.Tables().Pilecoord;
        if (coords->RowCount() == 0) return s;
        long double xlo = 1e10L, xhi = -1e10L, ylo = 1e10L, yhi = -1e10L;
        for (int i = 0; i < coords->RowCount(); ++i) {
            const long double x = coords->Cell(0, i)->GetAsFloat(), y = coords->Cell(1, i)->GetAsFloat();
            xlo = std::min(xlo, x);
            xhi = std::max(xhi, x);
            ylo = std::min(ylo, y);
            yhi = std::max(yhi, y);
        }
        s.SX = xhi - xlo;
        s.SY = yhi - ylo;
    } else if (const long double r = ShaftRadius(data); r > 0) {
        s.SX = s.SY = 2 * r;
    } else if (data.ShapeCode == 1) {
        s.SX = s.SY = 2 * data.Radius;
    } else {
        s.SX = data.LengthX;
        s.SY = data.WidthY;
    }
    return s;
}

long double ShaftRadius(const TProgramData& data)
{
    if (SideView::FoundationCodeOf(data.FoundationWord) != 4) return 0;
    return data.Tables().ShaftRadius(0);
}

TTopWindow BuildCircles(const TProgramData& data, std::vector<PileCircle>& circles, const TTopWindow& current,
                        const TOutlineSpans& spans)
{
    circles.clear();
    if (SideView::FoundationCodeOf(data.FoundationWord) == 2) {
        TProjectTables& t = data.Tables();
        for (int i = 0; i < t.Pilecoord->RowCount(); ++i)
            circles.push_back({t.Pilecoord->Cell(0, i)->GetAsFloat(), -t.Pilecoord->Cell(1, i)->GetAsFloat(),
                               t.PileData->Cell(1, 0)->GetAsFloat()});
    } else if (const long double r = ShaftRadius(data); r > 0) {
        circles.push_back({0, 0, r});
    }
    if (circles.empty()) return current;
    TTopWindow w{-spans.SX / 1.9L, spans.SX / 1.9L, spans.SY / 1.9L, -spans.SY / 1.9L};
    for (const PileCircle& c : circles) {
        w.XMin = std::min(w.XMin, c.X - c.Radius);
        w.YBottom = std::min(w.YBottom, c.Y - c.Radius);
        w.XMax = std::max(w.XMax, c.X + c.Radius);
        w.YTop = std::max(w.YTop, c.Y + c.Radius);
    }
    // A margin all round, so that no circle meets the edge of the window (where the pixels of
    // its outermost row fell outside it).
    const long double margin = kMargin * std::max(w.XMax - w.XMin, w.YTop - w.YBottom);
    w.XMin -= margin;
    w.XMax += margin;
    w.YTop += margin;
    w.YBottom -= margin;
    return w;
}

TTopWindow FitWindow(const TTopWindow& world, int width, int height)
{
    TTopWindow v = world;
    if (world.NoDraw() || width <= 0 || height <= 0) return v;
    const long double a =
        (static_cast<long double>(width) / height) / ((world.XMax - world.XMin) / (world.YTop - world.YBottom));
    if (a >= 1) {
        v.XMin *= a;
        v.XMax *= a;
    } else {
        v.YTop /= a;
        v.YBottom /= a;
    }
    return v;
}

QRect WorldToScreen(const TTopWindow& view, int width, int height, long double x, long double y, long double r)
{
    if (view.NoDraw()) return {};
    const long double sx = width / (view.XMax - view.XMin), sy = height / (view.YBottom - view.YTop);
    const int left = int(std::lround(sx * (x - r - view.XMin)));
    const int right = int(std::lround(sx * (x + r - view.XMin)));
    const int top = int(std::lround(sy * (y - r - view.YTop)));
    const int bottom = int(std::lround(sy * (y + r - view.YTop)));
    // y grows downward on the screen: the edge of y + r is the upper one.
    return QRect(QPoint(left, std::min(top, bottom)), QSize(right - left, std::abs(bottom - top)));
}

QPointF ScreenToWorld(const TTopWindow& view, int width, int height, int px, int py)
{
    if (width <= 0 || height <= 0) return {};
    return {double(static_cast<long double>(px) / width * (view.XMax - view.XMin) + view.XMin),
            double(static_cast<long double>(py) / height * (view.YBottom - view.YTop) + view.YTop)};
}

QString ReadOutCaption(long double x, long double y)
{
    return QStringLiteral("Top View X: ") + SideView::FixedOneDecimal(x) + QStringLiteral(" Y: ") +
           SideView::FixedOneDecimal(y);
}

void Paint(QPainter& painter, int width, int height, const TTopWindow& view, const TOutlineSpans& spans,
           const std::vector<PileCircle>& circles)
{
    painter.fillRect(0, 0, width, height, Qt::white);
    if (view.NoDraw() || width <= 0 || height <= 0) return;
    painter.setPen(QPen(Qt::black, 1));
    QPolygon outline;
    for (auto [x, y] : {std::pair{-spans.SX / 2, spans.SY / 2}, {spans.SX / 2, spans.SY / 2},
                        {spans.SX / 2, -spans.SY / 2}, {-spans.SX / 2, -spans.SY / 2}, {-spans.SX / 2, spans.SY / 2}})
        outline << WorldToScreen(view, width, height, x, y, 0).topLeft();
    painter.drawPolyline(outline);
    painter.setBrush(Qt::black);
    for (const PileCircle& c : circles) painter.drawEllipse(WorldToScreen(view, width, height, c.X, c.Y, c.Radius));
}

}  // namespace TopView

TDlgTopView::TDlgTopView(TProject& project, QWidget* parent)
    : TViewWindow(QSize(610, 392), QStringLiteral("Top View"), parent), m_project(project)
{
    setObjectName(QStringLiteral("DlgTopView"));
}

TDlgTopView::~TDlgTopView() = default;

void TDlgTopView::FormActivate()
{
    try {
        // The outline of the data as they are, so that the first view fits it as the later ones.
        m_spans = TopView::OutlineSpans(m_project.Data());
        m_world = TopView::BuildCircles(m_project.Data(), m_circles, m_world, m_spans);
    } catch (const Exception& e) {
        m_circles.clear();
        Messages::Error(this, e.message());
    }
    FormResize();
}

void TDlgTopView::FitView(int width, int height) { m_view = TopView::FitWindow(m_world, width, height); }

void TDlgTopView::PaintView(QPainter& painter, int width, int height)
{
    TopView::Paint(painter, width, height, m_view, m_spans, m_circles);
}

QString TDlgTopView::ReadOut(int width, int height, int px, int py) const
{
    const QPointF p = TopView::ScreenToWorld(m_view, width, height, px, py);
    // The plan keeps y reversed; the caption shows the project's y.
    return TopView::ReadOutCaption(p.x(), -p.y());
}

void TDlgTopView::ClearDrawing() { m_circles.clear(); }

void TDlgTopView::PrintTo(QPrinter& printer)
{
    ViewPrint::PrintPage(printer, [this](QPainter& painter, int pw, int ph) {
        ViewPrint::DrawTopPage(painter, pw, ph, TopView::FitWindow(m_world, pw, ph), m_spans, m_circles);
    });
}
