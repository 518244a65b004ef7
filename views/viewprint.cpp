// Printed soil-pile profile: see viewprint.h.
#include "viewprint.h"

#include "util/printchoice.h"

#include <QPainter>
#include <QPolygon>
#include <QPrinter>

#include <algorithm>
#include <climits>
#include <cmath>

namespace ViewPrint {

int SnapDpi(int e)
{
    if (e < 76) return 75;
    if (e <= 125) return 100;
    if (e <= 225) return 150;
    if (e <= 449) return 300;
    if (e <= 899) return 600;
    return 1200;
}

QSize PrinterDpiEstimate(int pw, int ph, bool landscape)
{
    return landscape ? QSize(SnapDpi(pw / 10), SnapDpi(ph / 8)) : QSize(SnapDpi(pw / 8), SnapDpi(ph / 10));
}

int SideDepthToPage(const TSideWindow& v, int ph, long double depth)
{
    if (v.NoDraw()) return 0;
    return int(std::lround((depth - v.DepthMin) / (v.DepthMax - v.DepthMin) * 0.8L * ph + 0.1L * ph));
}

int SideXToPage(const TSideWindow& v, int pw, long double x)
{
    if (v.NoDraw()) return 0;
    return int(std::lround((x - v.XMin) / (v.XMax - v.XMin) * pw));
}

namespace {

void SetUpPage(QPainter& painter, int ph)
{
    painter.setPen(QPen(Qt::black, 12, Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);
    QFont font = painter.font();
    font.setPointSizeF(9);
    painter.setFont(font);
    (void)ph;
}

}  // namespace

void DrawSidePage(QPainter& painter, int pw, int ph, const TSideWindow& view, const TSideDrawing& drawing,
                  const std::vector<PileOutline>& outlines)
{
    SetUpPage(painter, ph);
    painter.fillRect(QRect(QPoint(int(0.1 * pw), int(0.1 * ph)), QPoint(int(0.9 * pw), int(0.9 * ph))), Qt::white);
    if (view.NoDraw()) return;
    const int x0 = int(std::lround(0.1 * pw)), x1 = int(std::lround(0.9 * pw));
    for (const TSideDrawing::Line& line : drawing.Lines) {
        const int y = SideDepthToPage(view, ph, line.Depth);
        painter.drawLine(x0, y, x1, y);
        if (line.Ground)
            for (int k = 1; k <= 10; ++k)
                painter.drawLine(int(std::lround(0.25 * ph + 50 * k)), y, int(std::lround(0.265 * ph + 50 * k)), y + 70);
    }
    // Texts of the first eight layers; pixel offsets of the screen scaled to the page resolution.
    const QFontMetrics fm(painter.font(), painter.device());
    const double pixelScale = painter.device()->logicalDpiY() / 96.0;
    const int tx = int(std::lround(0.15 * ph));
    // The texts of the top layer start below the hatch marks of the ground line.
    int groundY = INT_MIN;
    for (const TSideDrawing::Line& line : drawing.Lines)
        if (line.Ground) groundY = SideDepthToPage(view, ph, line.Depth);
    // The printed layers (the first eight) and where their texts stand.
    TSideDrawing printed;
    std::vector<QRect> rects;
    for (const TSideDrawing::Text& text : drawing.Texts) {
        if (text.Layer > 8) continue;
        int y = SideDepthToPage(view, ph, text.Depth) + text.TextLines * fm.height() +
                int(std::lround(text.PixelOffset * pixelScale));
        if (groundY != INT_MIN && text.Depth >= 0 && y >= groundY)
            y = std::max(y, groundY + 80 + text.TextLines * fm.height());
        printed.Texts.push_back(text);
        rects.emplace_back(tx, y, fm.horizontalAdvance(text.Value), fm.height());
    }
    std::vector<QPolygon> piles;
    for (const PileOutline& o : outlines) {
        QPolygon poly;
        for (const TSidePoint& p : {o.HeadLeft, o.HeadRight, o.TipRight, o.TipLeft})
            poly << QPoint(SideXToPage(view, pw, p.X), SideDepthToPage(view, ph, p.Depth));
        piles.push_back(poly);
    }
    // Clear of the piles, as on the screen.
    const std::vector<SideView::TTextPlace> places = SideView::PlaceTexts(printed, rects, piles, pw);
    for (size_t i = 0; i < places.size(); ++i)
        if (!places[i].OverPiles)
            painter.drawText(places[i].Rect.left(), places[i].Rect.top() + fm.ascent(), printed.Texts[i].Value);
    painter.setBrush(Qt::black);
    painter.setPen(QPen(Qt::black, 1));
    for (const QPolygon& poly : piles) painter.drawPolygon(poly);
    for (size_t i = 0; i < places.size(); ++i)
        if (places[i].OverPiles) {
            painter.fillRect(places[i].Rect, Qt::white);
            painter.drawText(places[i].Rect.left(), places[i].Rect.top() + fm.ascent(), printed.Texts[i].Value);
        }
}

void DrawTopPage(QPainter& painter, int pw, int ph, const TTopWindow& view, const TOutlineSpans& spans,
                 const std::vector<PileCircle>& circles)
{
    SetUpPage(painter, ph);
    painter.fillRect(QRect(QPoint(int(0.1 * pw), int(0.1 * ph)), QPoint(int(0.9 * pw), int(0.9 * ph))), Qt::white);
    painter.fillRect(QRect(0, 0, pw, ph), Qt::white);
    if (view.NoDraw()) return;
    QPolygon outline;
    for (auto [x, y] : {std::pair{-spans.SX / 2, spans.SY / 2}, {spans.SX / 2, spans.SY / 2},
                        {spans.SX / 2, -spans.SY / 2}, {-spans.SX / 2, -spans.SY / 2}, {-spans.SX / 2, spans.SY / 2}})
        outline << TopView::WorldToScreen(view, pw, ph, x, y, 0).topLeft();
    painter.drawPolyline(outline);
    // Circles stay circular on printers with unequal resolutions across and down.
    const QSize dpi = PrinterDpiEstimate(pw, ph, pw > ph);
    painter.setBrush(Qt::black);
    painter.setPen(QPen(Qt::black, 1));
    for (const PileCircle& c : circles) {
        const QRect r = TopView::WorldToScreen(view, pw, ph, c.X, c.Y, c.Radius);
        const double rx = std::min(r.width(), r.height()) / 2.0;
        const double ry = rx * dpi.height() / dpi.width();
        painter.drawEllipse(QRectF(r).center(), rx, ry);
    }
}

void PrintPage(QPrinter& printer, const std::function<void(QPainter&, int pw, int ph)>& draw)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(kDocumentTitle);
    PrintChoice::TFileOutput file(printer);  // a PDF file whole or not at all
    QPainter painter;
    if (!painter.begin(&printer)) throw EPrintError(QStringLiteral("Printing failed: the printer could not be started."));
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    draw(painter, page.width(), page.height());
    painter.end();
    file.Commit();
}

bool ChoosePrinter(QWidget* parent, QPrinter& printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(kDocumentTitle);
    return PrintChoice::Choose(parent, printer);
}

}  // namespace ViewPrint
