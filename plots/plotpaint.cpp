#include "plotpaint.h"

#include "util/numtext.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace PlotPaint {

int RoundPixel(long double v)
{
    if (std::isnan(v)) return 0;
    const long double r = NumText::RoundHalfEven(v);
    constexpr long double lim = 1.0e9L;
    if (r > lim) return int(lim);
    if (r < -lim) return int(-lim);
    return int(r);
}

namespace {

// A pen of the given width; one pixel wide pens are cosmetic, so that they hit exactly the
// pixels between their end points, as the outlines of markers and bands need.
QPen Pen(const QColor& colour, int width, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(colour, width, style, Qt::SquareCap, Qt::MiterJoin);
    if (width <= 1) pen.setCosmetic(true), pen.setWidth(0);
    return pen;
}

bool Finite(const TFloatPoint* p) { return std::isfinite(p->X) && std::isfinite(p->Y); }

// First and last tick index of an axis for the minor step.
void TickIndices(long double lo, long double hi, long double minor, int& first, int& last)
{
    constexpr long double tol = 1e-9L;
    constexpr long double lim = 1.0e6L;
    long double f = lo > 0 ? 0.0L : std::ceil(lo / minor - tol);
    long double l = hi < 0 ? 0.0L : std::floor(hi / minor + tol);
    first = int(std::max(-lim, std::min(lim, f)));
    last = int(std::max(-lim, std::min(lim, l)));
}

}  // namespace

QColor PlotColour(int k)
{
    static const QRgb kColours[17] = {0x000000, 0x0000FF, 0xFF0000, 0x008000, 0x800080, 0x800000,
                                      0x000080, 0xFF00FF, 0x808000, 0x008080, 0x808080, 0x00FF00,
                                      0x808080, 0xC0C0C0, 0xC0C0C0, 0xFFFF00, 0x00FFFF};
    k %= 17;
    if (k < 0) k += 17;
    return QColor(kColours[k]);
}

QString FormatGeneral(long double x, int precision)
{
    if (precision < 1) precision = 1;
    if (precision > 18) precision = 18;
    if (x == 0) return QStringLiteral("0");
    const QString text = NumText::FloatToStrGeneral(x, precision);
    if (!std::isfinite(x)) return text;
    // Take the rounded digits and the decimal exponent from the canonical text:
    // value = 0.D * 10^e.
    QString body = text;
    const bool negative = body.startsWith(QLatin1Char('-'));
    if (negative) body.remove(0, 1);
    int exp10 = 0;
    const qsizetype ePos = body.indexOf(QLatin1Char('E'));
    if (ePos >= 0) {
        exp10 = body.mid(ePos + 1).toInt();
        body.truncate(ePos);
    }
    const qsizetype dot = body.indexOf(QLatin1Char('.'));
    QString intPart = dot >= 0 ? body.left(dot) : body;
    const QString fracPart = dot >= 0 ? body.mid(dot + 1) : QString();
    QString digits = intPart + fracPart;
    int e = int(intPart.size()) + exp10;
    while (digits.startsWith(QLatin1Char('0'))) {
        digits.remove(0, 1);
        --e;
    }
    while (digits.endsWith(QLatin1Char('0'))) digits.chop(1);
    if (digits.isEmpty()) return QStringLiteral("0");
    QString out;
    if (e <= precision && e >= -4) {
        if (e <= 0)
            out = QStringLiteral("0.") + QString(-e, QLatin1Char('0')) + digits;
        else if (digits.size() <= e)
            out = digits + QString(e - digits.size(), QLatin1Char('0'));
        else
            out = digits.left(e) + QLatin1Char('.') + digits.mid(e);
    } else {
        out = digits.left(1);
        if (digits.size() > 1) out += QLatin1Char('.') + digits.mid(1);
        const int ex = e - 1;
        out += QStringLiteral("E") + QLatin1Char(ex < 0 ? '-' : '+') +
               QStringLiteral("%1").arg(std::abs(ex), 2, 10, QLatin1Char('0'));
    }
    return negative ? QLatin1Char('-') + out : out;
}

long double MajorStep(long double span, int n)
{
    if (n <= 0) return 0;
    const long double s = span / n;
    if (!(s > 0) || !std::isfinite(s)) return 0;
    const long double g = std::pow(10.0L, std::floor(std::log10(s)));
    // A hair of tolerance so that a quotient such as 1.99999... counts as 2.
    const long double d = std::trunc(s / g * (1 + 1e-12L));
    if (d < 2) return g;
    if (d < 5) return 2 * g;
    if (d < 9) return 5 * g;
    return 10 * g;
}

QPolygon MarkerPolygon(int index, int cx, int cy, int dpiX, int dpiY)
{
    QPolygon poly;
    const long double pi = 3.14159265358979323846264338327950288L;
    auto add = [&](long double theta) {
        poly << QPoint(cx + RoundPixel(std::sin(theta) * dpiX / 32.0L),
                       cy - RoundPixel(std::cos(theta) * dpiY / 32.0L));
    };
    if (index <= 0) {
        for (int n = 0; n <= 3; ++n) add(pi + n * 2 * pi / 3);
    } else if (index == 1) {
        for (int n = 0; n <= 4; ++n) add(pi / 4 + n * pi / 2);
    } else {
        for (int n = 0; n <= index + 1; ++n) add(n * 2 * pi / (index + 1));
    }
    return poly;
}

QList<int> MarkerIndices(int pointCount, int markers)
{
    QList<int> result;
    if (markers <= 0) return result;
    for (int j = 0; j < pointCount; ++j)
        if (j == 0 || j % markers == 0) result.append(j);
    return result;
}

TEdges PrintArea(const int margins[4], int dpiX, int dpiY, int offX, int offY,
                            int pageWidth, int pageHeight)
{
    auto scaled = [](int m, int dpi) { return RoundPixel(static_cast<long double>(m) * dpi / 1000); };
    const int left = std::max(scaled(margins[0], dpiX), offX);
    const int top = std::max(scaled(margins[1], dpiY), offY);
    const int right = std::max(scaled(margins[2], dpiX), offX);
    const int bottom = std::max(scaled(margins[3], dpiY), offY);
    TEdges a;
    a.left = left - offX;
    a.right = pageWidth + offX - right;
    a.top = top - offY;
    a.bottom = pageHeight + offY - bottom;
    return a;
}

int TextHeightUnit(const TDrawing& d)
{
    const int size = d.plot ? d.plot->SizeFont() : 10;
    return std::abs(size * d.canvas.fontPx / 10);
}

void ScreenLayout(TDrawing& d, int width, int height, int dpiX, int dpiY)
{
    d.canvas.area = TEdges{0, 0, width, height};
    d.canvas.dpiX = dpiX;
    d.canvas.dpiY = dpiY;
    d.canvas.fontPx = kScreenFontPx;
    const int h = TextHeightUnit(d);
    TEdges& pl = d.canvas.plot;
    pl.left = 2 * h + d.canvas.dpiX / 8 + h / 8;
    pl.right = d.canvas.area.right - d.canvas.dpiX / 4 - h / 2;
    if (d.plot && d.plot->XOnTop()) {
        pl.top = 2 * h + d.canvas.dpiY / 8 + h / 8;
        pl.bottom = d.canvas.area.bottom - d.canvas.dpiY / 4 - h / 2;
    } else {
        pl.top = h / 2 + d.canvas.dpiY / 4;
        pl.bottom = d.canvas.area.bottom - 2 * h - d.canvas.dpiY / 8 - h / 8;
    }
    if (d.plot && !d.plot->GraphTitle.isEmpty()) {
        if (d.plot->TitleOnTop)
            pl.top += h / 8 + h;
        else
            pl.bottom -= h;
    }
}

QPoint WorldToPixel(const TDrawing& d, const TFloatPoint& point)
{
    const TRange& r = d.range;
    const TEdges& pl = d.canvas.plot;
    const int px = RoundPixel((point.X - r.xmin) / (r.xmax - r.xmin) * (pl.right - pl.left)) + pl.left;
    const int dy = RoundPixel((point.Y - r.ymin) / (r.ymax - r.ymin) * (pl.bottom - pl.top));
    const bool onTop = d.plot && d.plot->XOnTop();
    return QPoint(px, onTop ? pl.top + dy : pl.bottom - dy);
}

TFloatPoint PixelToWorld(const TDrawing& d, const QPoint& pixel)
{
    TFloatPoint p;
    const TEdges& pl = d.canvas.plot;
    if (pixel.x() < pl.left || pixel.x() > pl.right) return p;
    if (pl.right == pl.left || pl.bottom == pl.top) return p;
    const TRange& r = d.range;
    p.X = r.xmin + static_cast<long double>(pixel.x() - pl.left) / (pl.right - pl.left) *
                       (r.xmax - r.xmin);
    const bool onTop = d.plot && d.plot->XOnTop();
    const long double t = onTop
                              ? static_cast<long double>(pixel.y() - pl.top) / (pl.bottom - pl.top)
                              : static_cast<long double>(pl.bottom - pixel.y()) / (pl.bottom - pl.top);
    p.Y = r.ymin + t * (r.ymax - r.ymin);
    return p;
}

TTicks ComputeTicks(const TDrawing& d)
{
    TTicks t;
    const int h = TextHeightUnit(d);
    if (h <= 0) return t;
    const int nx = std::abs(d.canvas.plot.right - d.canvas.plot.left) / (6 * h);
    const int ny = std::abs(d.canvas.plot.bottom - d.canvas.plot.top) / (6 * h);
    if (nx == 0 || ny == 0) return t;
    const long double sx = MajorStep(d.range.xmax - d.range.xmin, nx);
    const long double sy = MajorStep(d.range.ymax - d.range.ymin, ny);
    if (!(sx > 0) || !(sy > 0)) return t;
    t.shown = true;
    t.minorX = sx / 5;
    t.minorY = sy / 5;
    TickIndices(d.range.xmin, d.range.xmax, t.minorX, t.firstX, t.lastX);
    TickIndices(d.range.ymin, d.range.ymax, t.minorY, t.firstY, t.lastY);
    return t;
}

QFont PlotFont(const TDrawing& d, bool bold)
{
    QFont f(QString::fromLatin1(kFace));
    const int size = d.plot ? d.plot->SizeFont() : 10;
    f.setPixelSize(std::max(1, std::abs(d.canvas.fontPx * size / 10)));
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    return f;
}

int CurvePenWidth(const TDrawing& d)
{
    const int factor = d.plot ? d.plot->WidthLine() : 1;
    return (RoundPixel(d.canvas.dpiX / 300.0L) + 1) * std::max(factor, 1);
}

namespace {

void DrawText(const TDrawing& d, QPainter& p, int x, int y, const QString& text, bool bold, bool upward)
{
    const QFont f = PlotFont(d, bold);
    p.setFont(f);
    const QFontMetrics fm(f, p.device());
    if (!upward) {
        p.drawText(x, y + fm.ascent(), text);
        return;
    }
    p.save();
    p.translate(x, y);
    p.rotate(-90);
    p.drawText(0, fm.ascent(), text);
    p.restore();
}

void DrawCaptions(QPainter& p, const TDrawing& d)
{
    const TEdges& a = d.canvas.area;
    const int h = TextHeightUnit(d);
    const QFont bold = PlotFont(d, true);
    const QFontMetrics fm(bold, p.device());
    const int th = fm.height();
    const bool title = !d.plot->GraphTitle.isEmpty();
    p.setPen(Qt::black);

    const QString xText =
        PltData::AxisCaptionText(d.plot->XCaption(), d.plot->XUnits(), d.plot->Units());
    int top;
    if (d.plot->XOnTop())
        top = a.top + (title && d.plot->TitleOnTop ? h / 8 + h : 0);
    else
        top = a.bottom - th - (title && !d.plot->TitleOnTop ? h / 8 + h : 0);
    DrawText(d, p, (std::abs(a.left + a.right) - fm.horizontalAdvance(xText)) / 2, top, xText, true,
             false);

    if (title) {
        const QString& t = d.plot->GraphTitle;
        DrawText(d, p, (std::abs(a.left + a.right) - fm.horizontalAdvance(t)) / 2,
                 d.plot->TitleOnTop ? a.top : a.bottom - th, t, true, false);
    }

    const QString yText =
        PltData::AxisCaptionText(d.plot->YCaption(), d.plot->YUnits(), d.plot->Units());
    DrawText(d, p, a.left, (a.bottom + a.top + fm.horizontalAdvance(yText)) / 2, yText, true, true);
}

// One tick label: its major tick index and where it stands (device pixels).
struct TLabel {
    int k = 0;
    QRect rect;
};

// The labels of the major ticks of one axis inside the plot, in index order.
QList<TLabel> AxisLabels(const TDrawing& d, const TTicks& t, const QFontMetrics& fm, bool xAxis)
{
    QList<TLabel> labels;
    const TEdges& pl = d.canvas.plot;
    const int th = fm.height();
    const int first = xAxis ? t.firstX : t.firstY, last = xAxis ? t.lastX : t.lastY;
    if (first == last) return labels;
    const bool onTop = d.plot->XOnTop();
    for (int k = first; k <= last; ++k) {
        if (k % 5 != 0) continue;
        TFloatPoint v;
        if (xAxis)
            v.X = k * t.minorX;
        else
            v.Y = k * t.minorY;
        const QPoint px = WorldToPixel(d, v);
        const int w = fm.horizontalAdvance(FormatGeneral(xAxis ? v.X : v.Y, 4));
        if (xAxis) {
            if (px.x() < pl.left || px.x() > pl.right) continue;
            const int top = onTop ? pl.top - th - d.canvas.dpiY / 32 : pl.bottom + d.canvas.dpiY / 16;
            labels.append({k, QRect(px.x() - w / 2, top, w, th)});
        } else {
            if (px.y() < pl.top || px.y() > pl.bottom) continue;
            labels.append({k, QRect(pl.left - th - d.canvas.dpiX / 32, px.y() + w / 2 - w, th, w)});
        }
    }
    return labels;
}

// Whether label a ends at least `gap` pixels before label b begins along the axis.
bool Apart(const QRect& a, const QRect& b, int gap, bool xAxis)
{
    if (xAxis) return std::min(a.right(), b.right()) + gap < std::max(a.left(), b.left());
    return std::min(a.bottom(), b.bottom()) + gap < std::max(a.top(), b.top());
}

// The labels an axis shows: every m-th major tick (m = 1, 2, 5, 10, 20, 50, ...; the zero line
// always among them) for the smallest m whose labels stand a blank's width apart. The ticks
// and grid lines stay as they are.
QList<TLabel> ThinLabels(const QList<TLabel>& all, int gap, bool xAxis)
{
    for (int i = 0;; ++i) {
        static constexpr long long kLead[3] = {1, 2, 5};
        long long m = kLead[i % 3];
        for (int e = 0; e < i / 3; ++e) m *= 10;
        QList<TLabel> kept;
        for (const TLabel& l : all)
            if ((l.k / 5) % m == 0) kept.append(l);
        bool ok = true;
        for (qsizetype i = 1; i < kept.size() && ok; ++i) ok = Apart(kept[i - 1].rect, kept[i].rect, gap, xAxis);
        if (ok || kept.size() <= 1) return kept;
    }
}

void DrawAxes(QPainter& p, const TDrawing& d, const TTicks& t)
{
    const TEdges& pl = d.canvas.plot;
    const int dpiX = d.canvas.dpiX;
    const int dpiY = d.canvas.dpiY;
    const bool onTop = d.plot->XOnTop();
    const QPen solid = Pen(Qt::black, 1);
    const QPen dotted = Pen(Qt::black, 1, Qt::DotLine);
    const QFont normal = PlotFont(d, false);
    const QFontMetrics fm(normal, p.device());
    const int th = fm.height();

    // Labels never run into each other: each axis thins its own, and a y label that would lie
    // over an x label at the corner of the plot gives way.
    const int gap = std::max(1, fm.horizontalAdvance(QLatin1Char(' ')));
    const QList<TLabel> xLabels = ThinLabels(AxisLabels(d, t, fm, true), gap, true);
    QList<TLabel> yLabels = ThinLabels(AxisLabels(d, t, fm, false), gap, false);
    // (Text boxes hold some blank round the letters: corners a pixel or two into each other
    // do not touch.)
    const int blank = gap / 2;
    yLabels.removeIf([&](const TLabel& y) {
        const QRect ink = y.rect.adjusted(blank, blank, -blank, -blank);
        for (const TLabel& x : xLabels)
            if (ink.intersects(x.rect.adjusted(blank, blank, -blank, -blank))) return true;
        return false;
    });
    auto labelled = [](const QList<TLabel>& labels, int k) {
        return std::any_of(labels.begin(), labels.end(), [k](const TLabel& l) { return l.k == k; });
    };

    if (t.firstX != t.lastX) {
        for (int k = t.firstX; k <= t.lastX; ++k) {
            TFloatPoint v;
            v.X = k * t.minorX;
            const int px = WorldToPixel(d, v).x();
            if (px < pl.left || px > pl.right) continue;
            if (k % 5 == 0) {
                p.setPen(dotted);
                p.drawLine(px, pl.top, px, pl.bottom);
            }
            if (k % 5 == 0 && labelled(xLabels, k)) {
                const QString label = FormatGeneral(v.X, 4);
                const int left = px - fm.horizontalAdvance(label) / 2;
                const int top = onTop ? pl.top - th - dpiY / 32 : pl.bottom + dpiY / 16;
                p.setPen(Qt::black);
                DrawText(d, p, left, top, label, false, false);
            }
            p.setPen(solid);
            if (onTop)
                p.drawLine(px, pl.top, px, pl.top + dpiY / 16);
            else
                p.drawLine(px, pl.bottom, px, pl.bottom - dpiY / 16);
        }
    }
    if (t.firstY != t.lastY) {
        for (int k = t.firstY; k <= t.lastY; ++k) {
            TFloatPoint v;
            v.Y = k * t.minorY;
            const int py = WorldToPixel(d, v).y();
            if (py < pl.top || py > pl.bottom) continue;
            if (k % 5 == 0) {
                p.setPen(dotted);
                p.drawLine(pl.left, py, pl.right, py);
            }
            if (k % 5 == 0 && labelled(yLabels, k)) {
                const QString label = FormatGeneral(v.Y, 4);
                p.setPen(Qt::black);
                DrawText(d, p, pl.left - th - dpiX / 32, py + fm.horizontalAdvance(label) / 2, label,
                         false, true);
            }
            p.setPen(solid);
            p.drawLine(pl.left, py, pl.left + dpiX / 16, py);
        }
    }
}

void DrawCurves(QPainter& p, const TDrawing& d)
{
    const TEdges& pl = d.canvas.plot;
    p.save();
    p.setClipRect(QRect(pl.left, pl.top, pl.right - pl.left, pl.bottom - pl.top));
    if (d.plot->LineCount() > 0 && d.plot->PointCount() > 1) {
        const int markers = d.plot->Markers();
        const int width = CurvePenWidth(d);
        int k = 0;
        for (int i = 0; i < d.plot->LineCount(); ++i) {
            const TLine* line = d.plot->Lines(i);
            if (!line->Listed) continue;
            if (line->Active) {
                const QColor colour = PlotColour(k);
                p.setPen(Pen(colour, width));
                p.setBrush(colour);
                // A point that is not a finite number breaks the curve.
                bool haveLast = false;
                QPoint last;
                for (int j = 0; j < line->PointCount(); ++j) {
                    const TFloatPoint* pt = line->Points(j);
                    if (!Finite(pt)) {
                        haveLast = false;
                        continue;
                    }
                    const QPoint px = WorldToPixel(d, *pt);
                    if (haveLast && j > 0) p.drawLine(last, px);
                    if (markers > 0 && (j == 0 || j % markers == 0))
                        p.drawPolyline(MarkerPolygon(k, px.x(), px.y(), d.canvas.dpiX,
                                                               d.canvas.dpiY));
                    last = px;
                    haveLast = true;
                }
            }
            ++k;
        }
    }
    p.restore();
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
}

void DrawLegendInPlot(QPainter& p, const TDrawing& d)
{
    QList<int> rows;
    for (int r = 0; r < int(d.rowCurve.size()); ++r) {
        const int c = d.rowCurve.value(r, -1);
        if (c >= 0 && c < d.plot->LineCount() && d.plot->Lines(c)->Active) rows.append(r);
    }
    const QFont normal = PlotFont(d, false);
    const QFontMetrics fm(normal, p.device());
    int w = 0;
    for (int r : rows) w = std::max(w, fm.horizontalAdvance(d.rowCaption[r]));
    const int th = fm.height();
    const int n = int(rows.size());
    const int dpiX = d.canvas.dpiX;
    const int dpiY = d.canvas.dpiY;

    p.setPen(Pen(Qt::black, 1));
    p.setBrush(Qt::white);
    const int right = d.canvas.plot.right;
    const int left = right - w - 3 * dpiX / 16;
    const int bottom = d.canvas.plot.bottom;
    const int top = bottom - (dpiY / 32 + th) * n - dpiY / 32;
    p.drawRect(QRect(left, top, right - left, bottom - top));

    const int x = left + dpiX / 16;
    int y = top + dpiY / 32;
    const int markerWidth = CurvePenWidth(d);
    for (int r : rows) {
        p.setPen(Pen(Qt::black, markerWidth));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(MarkerPolygon(r, x, y + th / 2, dpiX, dpiY));
        p.setPen(PlotColour(r));
        DrawText(d, p, x + dpiX / 16, y, d.rowCaption[r], false, false);
        y += dpiY / 32 + th;
    }
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
}

}  // namespace

void Render(QPainter& p, const TDrawing& d)
{
    if (!d.plot) return;
    const TEdges& a = d.canvas.area;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(QRect(a.left, a.top, a.right - a.left, a.bottom - a.top), Qt::white);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    if (a.right - a.left < d.canvas.dpiX || a.bottom - a.top < d.canvas.dpiY) return;

    DrawCaptions(p, d);
    const TTicks ticks = ComputeTicks(d);
    if (ticks.shown) DrawAxes(p, d, ticks);
    DrawCurves(p, d);
    if (d.canvas.legendInPlot) DrawLegendInPlot(p, d);

    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(Pen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    const TEdges& pl = d.canvas.plot;
    p.drawRect(QRect(pl.left, pl.top, pl.right - pl.left, pl.bottom - pl.top));
}

void PageLayout(TDrawing& d, const int margins[4], int dpiX, int dpiY, int offX, int offY, int pageWidth,
                int pageHeight)
{
    d.canvas.dpiX = dpiX;
    d.canvas.dpiY = dpiY;
    d.canvas.area = PrintArea(margins, dpiX, dpiY, offX, offY, pageWidth, pageHeight);
    // The page's font is the window font at the printer's resolution.
    d.canvas.fontPx = std::max(1, RoundPixel(static_cast<long double>(kScreenFontPx) * dpiY / 96));
    d.canvas.legendInPlot = true;
    const int h = TextHeightUnit(d);
    const int room = 2 * h + dpiX / 8 + h / 8;
    TEdges& pl = d.canvas.plot;
    pl.left = d.canvas.area.left + room;
    pl.right = d.canvas.area.right;
    if (d.plot->XOnTop()) {
        pl.top = d.canvas.area.top + room;
        pl.bottom = d.canvas.area.bottom;
    } else {
        pl.top = d.canvas.area.top;
        pl.bottom = d.canvas.area.bottom - room;
    }
    if (!d.plot->GraphTitle.isEmpty()) {
        if (d.plot->TitleOnTop)
            pl.top += dpiY / 4;
        else
            pl.bottom -= dpiY / 2;
    }
}

}  // namespace PlotPaint
