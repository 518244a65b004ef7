// Side views of the foundation: see sideview.h.
#include "sideview.h"

#include "ampplot.h"
#include "dataunit.h"
#include "project.h"
#include "projecttables.h"
#include "topview.h"
#include "util/messages.h"
#include "util/numtext.h"
#include "viewprint.h"

#include <QPainter>
#include <QPolygon>
#include <QPrinter>
#include <QRegion>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

const QString kNoSections = QStringLiteral("One or more Pile Types does not have any sections");

long double Float(TGridTable* table, int column, int row) { return table->Cell(column, row)->GetAsFloat(); }

long double ColumnSum(TGridTable* table, int column, int rows)
{
    long double sum = 0;
    for (int i = 0; i < std::min(rows, table->RowCount()); ++i) sum += Float(table, column, i);
    return sum;
}

QString SecondLine(long double vs, long double poisson)
{
    return QStringLiteral("Shear Wave Velocity= ") + SideView::PlainNumber(vs) + QStringLiteral("; Poissons Ratio= ") +
           SideView::PlainNumber(poisson);
}

QString DepthLine(long double top, long double bottom, int layer)
{
    return QStringLiteral("depth= ") + SideView::PlainNumber(top) + QStringLiteral(" - ") +
           SideView::PlainNumber(bottom) + QStringLiteral("; Layer ") + QString::number(layer);
}

// The two texts of one layer.
void AddLayerTexts(TSideDrawing& drawing, long double textDepth, long double top, long double bottom, int layer,
                   long double vs, long double poisson)
{
    drawing.Texts.push_back({textDepth, 0, 0, DepthLine(top, bottom, layer), layer, false});
    drawing.Texts.push_back({textDepth, 1, 0, SecondLine(vs, poisson), layer, true});
}

}  // namespace

namespace SideView {

int FoundationCodeOf(const QString& word)
{
    if (word == QLatin1String("MULTILAYER")) return 4;
    if (word == QLatin1String("PILE")) return 2;
    if (word == QLatin1String("STRATUM")) return 3;
    return 1;
}

TSideWindow BuildOutlines(TProgramData& data, Plane plane, std::vector<PileOutline>& outlines,
                          const TSideWindow& current)
{
    outlines.clear();
    TProjectTables& t = data.Tables();
    // A window without span (nothing was there to draw) is built again from the data.
    if (t.D->RowCount() == 0) return current;
    const int code = FoundationCodeOf(data.FoundationWord);
    data.FoundationCode = code;
    data.LayerDepthTotal = 0;
    if (code == 2) data.LayerDepthTotal = ColumnSum(t.PileData, 0, t.PileData->RowCount());
    if (code == 4) data.LayerDepthTotal = ColumnSum(t.MultiElement, 0, t.MultiElement->RowCount());

    const int n = code == 2 ? t.Pilecoord->RowCount() : 1;
    try {
        for (int i = 0; i < n; ++i) {
            long double c = 0, theta = 0, b = 0, length = 0;
            if (code == 2) {
                c = Float(t.Pilecoord, plane == Plane::XZ ? 0 : 1, i);
                const int batterPlane = t.Pilecoord->Cell(3, i)->GetAsInteger();
                if (batterPlane == (plane == Plane::XZ ? 1 : 2)) theta = Float(t.Pilecoord, 2, i) * 3.1415L / 180;
                b = 2 * Float(t.PileData, 1, 0);
                length = data.LayerDepthTotal;
            } else if (code == 4) {
                // The shaft stands about the vertical axis like the footing.
                c = 0;
                b = 2 * Float(t.MultiElement, 1, 0);
                length = ColumnSum(t.MultiElement, 0, t.D->RowCount());
            } else {
                // The block reaches from the surface to the C.G. depth Zc whatever its shape, so
                // that it meets the ground line drawn at Zc less the layer thicknesses.
                b = data.ShapeCode == 1 ? 2 * data.Radius : data.WidthY;
                length = data.Zc;
            }
            const long double dx = length * std::sin(theta), dz = length * std::cos(theta);
            PileOutline o;
            o.HeadLeft = {c - b / 2, 0};
            o.HeadRight = {c + b / 2, 0};
            o.TipLeft = {c - b / 2 + dx, dz};
            o.TipRight = {c + b / 2 + dx, dz};
            outlines.push_back(o);
        }
    } catch (const EListError&) {
        outlines.clear();
        throw ESideViewError(kNoSections);
    }
    if (outlines.empty()) return current;

    TSideWindow w{0, 0, 0, 0};
    for (const PileOutline& o : outlines) {
        w.XMin = std::min({w.XMin, o.HeadLeft.X, o.TipLeft.X});
        w.XMax = std::max({w.XMax, o.HeadRight.X, o.TipRight.X});
        w.DepthMin = std::min({w.DepthMin, o.HeadLeft.Depth, o.HeadRight.Depth});
        w.DepthMax = std::max({w.DepthMax, o.TipLeft.Depth, o.TipRight.Depth});
    }
    w.XMin *= 1.05L;
    w.XMax *= 1.05L;
    w.DepthMin *= 1.05L;
    w.DepthMax *= 1.05L;
    if (code == 1 || code == 3) {
        w.XMin *= 2;
        w.XMax *= 2;
        w.DepthMax *= 4;
    } else if (code == 4) {
        w.XMin *= 2;
        w.XMax *= 2;
        w.DepthMax = 1.05L * data.LayerDepthTotal;
    }
    return w;
}

TSideWindow FitWindow(const TSideWindow& world, int width, int height)
{
    TSideWindow v = world;
    if (world.NoDraw() || width <= 0 || height <= 0) return v;
    const long double a = (static_cast<long double>(width) / height) /
                          ((world.XMax - world.XMin) / (world.DepthMax - world.DepthMin));
    if (a >= 1) {
        v.XMin *= a;
        v.XMax *= a;
    } else {
        v.DepthMin /= a;
        v.DepthMax /= a;
    }
    return v;
}

QPoint WorldToScreen(const TSideWindow& view, int width, int height, long double x, long double depth)
{
    if (view.NoDraw() || width <= 0 || height <= 0) return {};
    return {int(std::lround(width * (x - view.XMin) / (view.XMax - view.XMin))), DepthToScreen(view, height, depth)};
}

int DepthToScreen(const TSideWindow& view, int height, long double depth)
{
    if (view.NoDraw() || height <= 0) return 0;
    return int(std::lround(height * (depth - view.DepthMin) / (view.DepthMax - view.DepthMin)));
}

TSidePoint ScreenToWorld(const TSideWindow& view, int width, int height, int px, int py)
{
    if (width <= 0 || height <= 0) return {};
    return {static_cast<long double>(px) / width * (view.XMax - view.XMin) + view.XMin,
            static_cast<long double>(py) / height * (view.DepthMax - view.DepthMin) + view.DepthMin};
}

TSideDrawing LayerDrawing(const TProgramData& data)
{
    TSideDrawing d;
    TProjectTables& t = data.Tables();
    const int code = FoundationCodeOf(data.FoundationWord);
    if (code == 2) {
        // Pile layers: thicknesses from the pile sections, soil from D.
        long double bottom = 0;
        const int rows = std::min(t.D->RowCount(), t.PileData->RowCount());
        for (int i = 0; i < rows; ++i) {
            const long double h = Float(t.PileData, 0, i);
            const long double top = bottom;
            bottom += h;
            if (i == 0) d.Lines.push_back({0, true});
            d.Lines.push_back({bottom, false});
            AddLayerTexts(d, bottom - 0.95L * h, top, bottom, i + 1, Float(t.D, 0, i), Float(t.D, 2, i));
        }
    } else if (code == 3) {
        const long double ground = 2 * data.Zc - data.BaseDepth;
        const long double rock = ground + data.BedrockDepth;
        d.Lines.push_back({ground, true});
        d.Lines.push_back({rock, false});
        d.Texts.push_back({ground, 0, 20,
                           QStringLiteral("Layer thickness= ") + PlainNumber(data.BedrockDepth) + QStringLiteral("; Layer 1"),
                           1, false});
        d.Texts.push_back({ground, 1, 20, SecondLine(data.TipVs, data.TipPoisson), 1, true});
        d.Texts.push_back({rock, 0, 20, QStringLiteral("Rock Layer "), 0, false});
    } else if (code == 1) {
        const long double total = ColumnSum(t.D1, 0, t.D1->RowCount());
        const long double o = data.Zc - total;
        long double bottom = 0;
        for (int i = 0; i < t.D1->RowCount(); ++i) {
            const long double h = Float(t.D1, 0, i);
            const long double top = bottom;
            bottom += h;
            if (i == 0) d.Lines.push_back({o, true});
            d.Lines.push_back({o + bottom, false});
            AddLayerTexts(d, o + bottom - 0.95L * h, top, bottom, i + 1, Float(t.D1, 1, i), Float(t.D1, 3, i));
        }
        d.Texts.push_back({2 * data.Zc, 0, -20, QStringLiteral("Soil below the tip "), 0, false});
        d.Texts.push_back({2 * data.Zc, 1, -20, SecondLine(data.TipVs, data.TipPoisson), 0, true});
    } else {
        long double bottom = 0;
        const int soilRows = t.D->RowCount();
        for (int i = 0; i < t.MultiElement->RowCount(); ++i) {
            const long double h = Float(t.MultiElement, 0, i);
            const long double top = bottom;
            bottom += h;
            if (i == 0) d.Lines.push_back({0, true});
            d.Lines.push_back({bottom, false});
            TGridTable* soil = i < soilRows ? t.D : t.Multisoil;
            const int row = i < soilRows ? i : i - soilRows;
            const long double depth = bottom - 0.95L * h;
            if (row < soil->RowCount())
                AddLayerTexts(d, depth, top, bottom, i + 1, Float(soil, 0, row), Float(soil, 2, row));
            else
                d.Texts.push_back({depth, 0, 0, DepthLine(top, bottom, i + 1), i + 1, false});
        }
    }
    return d;
}

QString FixedOneDecimal(long double x)
{
    // QString::number always writes "." whatever the locale.
    QString s = QString::number(static_cast<double>(x), 'f', 1);
    if (s == QLatin1String("-0.0")) s = QStringLiteral("0.0");
    return s;
}

QString PlainNumber(long double x) { return NumText::FloatToStrGeneral(x, 15); }

QString ReadOutCaption(const TSidePoint& p)
{
    return QStringLiteral("Side View X: ") + FixedOneDecimal(p.X) + QStringLiteral(" Depth: ") + FixedOneDecimal(p.Depth);
}

std::vector<QPolygon> PilePolygons(const TSideWindow& view, int width, int height,
                                   const std::vector<PileOutline>& outlines)
{
    std::vector<QPolygon> piles;
    for (const PileOutline& o : outlines) {
        QPolygon poly;
        for (const TSidePoint& p : {o.HeadLeft, o.HeadRight, o.TipRight, o.TipLeft})
            poly << WorldToScreen(view, width, height, p.X, p.Depth);
        piles.push_back(poly);
    }
    return piles;
}

std::vector<TTextPlace> PlaceTexts(const TSideDrawing& drawing, const std::vector<QRect>& rects,
                                   const std::vector<QPolygon>& piles, int width)
{
    std::vector<TTextPlace> places;
    for (const QRect& r : rects) places.push_back({r, false});
    std::vector<QRegion> regions;
    for (const QPolygon& poly : piles) regions.emplace_back(poly);
    auto covered = [&regions](const QRect& r) {
        return std::any_of(regions.begin(), regions.end(), [&r](const QRegion& g) { return g.intersects(r); });
    };
    const size_t n = std::min(rects.size(), drawing.Texts.size());
    for (size_t first = 0; first < n;) {
        // One block: the texts at one depth and offset.
        size_t last = first + 1;
        while (last < n && drawing.Texts[last].Depth == drawing.Texts[first].Depth &&
               drawing.Texts[last].PixelOffset == drawing.Texts[first].PixelOffset)
            ++last;
        QRect block;
        for (size_t i = first; i < last; ++i) block |= rects[i];
        if (covered(block)) {
            // Just right of each pile that reaches into the block's rows, nearest first.
            const int gap = std::max(4, block.height() / 8);
            std::vector<int> lefts;
            const QRect band(0, block.top(), std::max(width, 1), block.height());
            for (const QRegion& g : regions) {
                const QRegion part = g.intersected(band);
                if (!part.isEmpty()) lefts.push_back(part.boundingRect().right() + 1 + gap);
            }
            std::sort(lefts.begin(), lefts.end());
            bool placed = false;
            for (int left : lefts) {
                const QRect moved = block.translated(left - block.left(), 0);
                if (left <= block.left() || moved.right() >= width || covered(moved)) continue;
                for (size_t i = first; i < last; ++i) places[i].Rect.translate(left - block.left(), 0);
                placed = true;
                break;
            }
            if (!placed)
                for (size_t i = first; i < last; ++i) places[i].OverPiles = true;
        }
        first = last;
    }
    return places;
}

std::vector<TTextPlace> TextPlaces(const QFontMetrics& fm, int width, int height, const TSideWindow& view,
                                   const TSideDrawing& drawing, const std::vector<PileOutline>& outlines)
{
    std::vector<QRect> rects;
    for (const TSideDrawing::Text& text : drawing.Texts) {
        const int y = DepthToScreen(view, height, text.Depth) + text.TextLines * fm.height() + text.PixelOffset;
        rects.emplace_back(2, y, fm.horizontalAdvance(text.Value), fm.height());
    }
    return PlaceTexts(drawing, rects, PilePolygons(view, width, height, outlines), width);
}

void Paint(QPainter& painter, int width, int height, const TSideWindow& view, const TSideDrawing& drawing,
           const std::vector<PileOutline>& outlines)
{
    painter.fillRect(0, 0, width, height, Qt::white);
    if (view.NoDraw() || width <= 0 || height <= 0) return;
    painter.setPen(QPen(Qt::black, 1));
    for (const TSideDrawing::Line& line : drawing.Lines) {
        const int y = DepthToScreen(view, height, line.Depth);
        painter.drawLine(0, y, width, y);
        if (line.Ground)
            for (int k = 1; k <= 20; ++k) painter.drawLine(100 + 20 * k, y, 115 + 20 * k, y + 5);
    }
    // The layer texts stand clear of the piles; those with no room beside them are drawn over
    // the piles on a white ground, so they stay readable.
    const QFontMetrics fm = painter.fontMetrics();
    const std::vector<TTextPlace> places = TextPlaces(fm, width, height, view, drawing, outlines);
    for (size_t i = 0; i < places.size(); ++i)
        if (!places[i].OverPiles)
            painter.drawText(places[i].Rect.left(), places[i].Rect.top() + fm.ascent(), drawing.Texts[i].Value);
    painter.setBrush(Qt::black);
    for (const QPolygon& poly : PilePolygons(view, width, height, outlines)) painter.drawPolygon(poly);
    for (size_t i = 0; i < places.size(); ++i)
        if (places[i].OverPiles) {
            painter.fillRect(places[i].Rect, Qt::white);
            painter.drawText(places[i].Rect.left(), places[i].Rect.top() + fm.ascent(), drawing.Texts[i].Value);
        }
}

}  // namespace SideView

TDlgSideView::TDlgSideView(TProject& project, SideView::Plane plane, QWidget* parent)
    : TViewWindow(QSize(727, 590),
                  plane == SideView::Plane::XZ ? QStringLiteral("Side View (XZ-Plane)")
                                               : QStringLiteral("Side View (YZ-Plane)"),
                  parent),
      m_project(project), m_plane(plane)
{
    setAutoFillBackground(false);
}

TDlgSideView::~TDlgSideView() = default;

void TDlgSideView::FormActivate()
{
    try {
        m_world = SideView::BuildOutlines(m_project.Data(), m_plane, m_outlines, m_world);
        m_drawing = SideView::LayerDrawing(m_project.Data());
    } catch (const Exception& e) {
        m_outlines.clear();
        m_drawing = TSideDrawing();
        Messages::Error(this, e.message());
        QTimer::singleShot(0, this, [this] { close(); });
        return;
    }
    FormResize();
}

void TDlgSideView::FitView(int width, int height) { m_view = SideView::FitWindow(m_world, width, height); }

void TDlgSideView::PaintView(QPainter& painter, int width, int height)
{
    SideView::Paint(painter, width, height, m_view, m_drawing, m_outlines);
}

QString TDlgSideView::ReadOut(int width, int height, int px, int py) const
{
    QString caption = SideView::ReadOutCaption(SideView::ScreenToWorld(m_view, width, height, px, py));
    if (m_plane == SideView::Plane::YZ) caption.replace(QStringLiteral("Side View X: "), QStringLiteral("Side View Y: "));
    return caption;
}

void TDlgSideView::ClearDrawing() { m_outlines.clear(); }

void TDlgSideView::PrintTo(QPrinter& printer)
{
    ViewPrint::PrintPage(printer, [this](QPainter& painter, int pw, int ph) {
        ViewPrint::DrawSidePage(painter, pw, ph, SideView::FitWindow(m_world, pw, int(0.8 * ph)), m_drawing, m_outlines);
    });
}

TDlgSideViewXZ::TDlgSideViewXZ(TProject& project, QWidget* parent)
    : TDlgSideView(project, SideView::Plane::XZ, parent)
{
    setObjectName(QStringLiteral("DlgSideViewXZ"));
}

TDlgSideViewYZ::TDlgSideViewYZ(TProject& project, QWidget* parent)
    : TDlgSideView(project, SideView::Plane::YZ, parent)
{
    setObjectName(QStringLiteral("DlgSideViewYZ"));
}
