// Side views, top view and the printed soil-pile profile: the geometry of the drawings from
// projects with hand-chosen coordinates, the windows on the offscreen platform, and the page
// printed to a PDF file.
#include "dataunit.h"
#include "registerwindows.h"
#include "forms/shapeform.h"
#include "mainform.h"
#include "project.h"
#include "projecttables.h"
#include "sideview.h"
#include "topview.h"
#include "util/messages.h"
#include "viewprint.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

namespace {

constexpr long double kEps = 1e-12L;

void Row(TGridTable* table, int row, std::initializer_list<long double> values)
{
    int c = 0;
    for (long double v : values) table->Cell(c++, row)->SetAsFloat(v);
}

// A pile project: piles at the given (x, y), every pile of radius r through the given layer
// thicknesses, soil rows with Vs = 100·(k + 1) and Poisson 0.3.
void MakePiles(TProject& p, std::initializer_list<std::pair<long double, long double>> piles, long double r,
               std::initializer_list<long double> layers)
{
    TProgramData& d = p.Data();
    TProjectTables& t = p.Tables();
    d.FoundationWord = QStringLiteral("PILE");
    t.Pilecoord->SetRowCount(int(piles.size()));
    int i = 0;
    for (auto [x, y] : piles) {
        Row(t.Pilecoord, i, {x, y, 0});
        t.Pilecoord->Cell(3, i)->SetAsInteger(1);
        ++i;
    }
    t.PileData->SetRowCount(int(layers.size()));
    t.D->SetRowCount(int(layers.size()));
    i = 0;
    for (long double h : layers) {
        Row(t.PileData, i, {h, r, r});
        Row(t.D, i, {100.0L * (i + 1), 18, 0.3L});
        ++i;
    }
}

}  // namespace

TEST(SideViewGeometry, TwoVerticalPilesGiveTheirWindowAndFitToTheClient)
{
    TProject project;
    MakePiles(project, {{-1, 0}, {1, 0}}, 0.5L, {4, 6});
    std::vector<PileOutline> outlines;
    const TSideWindow w = SideView::BuildOutlines(project.Data(), SideView::Plane::XZ, outlines);
    EXPECT_EQ(project.Data().FoundationCode, 2);
    EXPECT_NEAR(double(project.Data().LayerDepthTotal), 10.0, 1e-12);
    ASSERT_EQ(outlines.size(), 2u);
    EXPECT_NEAR(double(outlines[0].HeadLeft.X), -1.5, 1e-12);
    EXPECT_NEAR(double(outlines[1].TipRight.X), 1.5, 1e-12);
    EXPECT_NEAR(double(outlines[1].TipRight.Depth), 10.0, 1e-12);
    EXPECT_NEAR(double(w.XMin), -1.575, 1e-12);
    EXPECT_NEAR(double(w.XMax), 1.575, 1e-12);
    EXPECT_NEAR(double(w.DepthMin), 0.0, 1e-12);
    EXPECT_NEAR(double(w.DepthMax), 10.5, 1e-12);

    // 400 x 200 pixels: aspect 2 against 3.15 / 10.5 = 0.3, so x widens by a = 20/3 about 0.
    const TSideWindow v = SideView::FitWindow(w, 400, 200);
    EXPECT_NEAR(double(v.XMin), -10.5, 1e-12);
    EXPECT_NEAR(double(v.XMax), 10.5, 1e-12);
    EXPECT_NEAR(double(v.DepthMax), 10.5, 1e-12);
    // The right pile's tip corner: x = 400 (1.5 + 10.5) / 21 = 228.57 -> 229; depth 10 -> 190.48 -> 190.
    EXPECT_EQ(SideView::WorldToScreen(v, 400, 200, 1.5L, 10), QPoint(229, 190));
    const TSidePoint back = SideView::ScreenToWorld(v, 400, 200, 200, 100);
    EXPECT_NEAR(double(back.X), 0.0, 1e-12);
    EXPECT_NEAR(double(back.Depth), 5.25, 1e-12);

    // A tall client: the depth range grows instead (60 x 400: a = 0.15 / 0.3 = 0.5).
    const TSideWindow tall = SideView::FitWindow(w, 60, 400);
    EXPECT_NEAR(double(tall.XMin), -1.575, 1e-12);
    EXPECT_NEAR(double(tall.DepthMax), 21.0, 1e-12);
}

TEST(SideViewGeometry, BatteredPileLeansOnlyInItsPlane)
{
    TProject project;
    MakePiles(project, {{0, 2}}, 0.25L, {10});
    TGridTable* c = project.Tables().Pilecoord;
    c->Cell(2, 0)->SetAsFloat(10);
    c->Cell(3, 0)->SetAsInteger(1);  // XZ-Plane
    const long double theta = 10 * 3.1415L / 180;
    std::vector<PileOutline> xz, yz;
    SideView::BuildOutlines(project.Data(), SideView::Plane::XZ, xz);
    SideView::BuildOutlines(project.Data(), SideView::Plane::YZ, yz);
    ASSERT_EQ(xz.size(), 1u);
    EXPECT_NEAR(double(xz[0].TipLeft.X), double(-0.25L + 10 * std::sin(theta)), 1e-12);
    EXPECT_NEAR(double(xz[0].TipLeft.Depth), double(10 * std::cos(theta)), 1e-12);
    // The YZ view: centred at y = 2, vertical.
    EXPECT_NEAR(double(yz[0].HeadLeft.X), 1.75, 1e-12);
    EXPECT_NEAR(double(yz[0].TipLeft.X), 1.75, 1e-12);
    EXPECT_NEAR(double(yz[0].TipLeft.Depth), 10.0, 1e-12);

    c->Cell(3, 0)->SetAsInteger(2);  // YZ-Plane: now the YZ view leans
    SideView::BuildOutlines(project.Data(), SideView::Plane::XZ, xz);
    SideView::BuildOutlines(project.Data(), SideView::Plane::YZ, yz);
    EXPECT_NEAR(double(xz[0].TipRight.X), 0.25, 1e-12);
    EXPECT_NEAR(double(yz[0].TipRight.X), double(2.25L + 10 * std::sin(theta)), 1e-12);
}

TEST(SideViewGeometry, WideWindowWidensAboutZeroNotAboutThePiles)
{
    TProject project;
    MakePiles(project, {{2, 0}, {4, 0}}, 0.5L, {8});
    std::vector<PileOutline> outlines;
    const TSideWindow w = SideView::BuildOutlines(project.Data(), SideView::Plane::XZ, outlines);
    EXPECT_NEAR(double(w.XMin), 0.0, 1e-12);  // 0 is always inside
    EXPECT_NEAR(double(w.XMax), 1.05 * 4.5, 1e-12);
    const TSideWindow v = SideView::FitWindow(w, 800, 200);
    const long double a = 4.0L / (4.725L / 8.4L);
    EXPECT_NEAR(double(v.XMin), 0.0, 1e-12);
    EXPECT_NEAR(double(v.XMax), double(4.725L * a), 1e-9);
}

TEST(SideViewGeometry, FootingsAndShaft)
{
    // A rectangular half-space footing is WidthY wide in both views, Zc deep.
    TProject project;
    TProgramData& d = project.Data();
    d.FoundationWord = QStringLiteral("HALF-SPACE");
    d.ShapeCode = 0;
    d.LengthX = 6;
    d.WidthY = 4;
    d.Zc = 1;
    for (SideView::Plane plane : {SideView::Plane::XZ, SideView::Plane::YZ}) {
        std::vector<PileOutline> o;
        const TSideWindow w = SideView::BuildOutlines(d, plane, o);
        ASSERT_EQ(o.size(), 1u);
        EXPECT_NEAR(double(o[0].HeadRight.X - o[0].HeadLeft.X), 4.0, 1e-12);
        EXPECT_NEAR(double(o[0].TipLeft.Depth), 1.0, 1e-12);
        EXPECT_NEAR(double(w.XMin), -2 * 1.05 * 2, 1e-12);
        EXPECT_NEAR(double(w.XMax), 2 * 1.05 * 2, 1e-12);
        EXPECT_NEAR(double(w.DepthMax), 4 * 1.05, 1e-12);
    }
    EXPECT_EQ(d.FoundationCode, 1);

    // A circular footing: 2 Radius wide and, like the rectangular one, Zc deep.
    d.ShapeCode = 1;
    d.Radius = 1.5;
    std::vector<PileOutline> o;
    SideView::BuildOutlines(d, SideView::Plane::XZ, o);
    EXPECT_NEAR(double(o[0].HeadRight.X), 1.5, 1e-12);
    EXPECT_NEAR(double(o[0].TipRight.Depth), 1.0, 1e-12);

    // A two-layer shaft of radius 0.8 in three soil layers: as deep as its layers, centred at 0.
    d.FoundationWord = QStringLiteral("MULTILAYER");
    TProjectTables& t = project.Tables();
    t.MultiElement->SetRowCount(2);
    Row(t.MultiElement, 0, {1.5, 0.8, 0.8});
    Row(t.MultiElement, 1, {2.5, 0.8, 0.8});
    t.D->SetRowCount(2);
    const TSideWindow w = SideView::BuildOutlines(d, SideView::Plane::XZ, o);
    EXPECT_EQ(d.FoundationCode, 4);
    EXPECT_NEAR(double(d.LayerDepthTotal), 4.0, 1e-12);
    EXPECT_NEAR(double(o[0].HeadLeft.X), -0.8, 1e-12);
    EXPECT_NEAR(double(o[0].TipLeft.Depth), 4.0, 1e-12);
    EXPECT_NEAR(double(w.XMin), -2 * 1.05 * 0.8, 1e-12);
    EXPECT_NEAR(double(w.DepthMax), 4.2, 1e-12);
}

TEST(SideViewGeometry, NoSoilRowsOrZeroSpanKeepTheWindow)
{
    TProject project;
    MakePiles(project, {{0, 0}}, 0.5L, {5});
    project.Tables().D->SetRowCount(0);
    std::vector<PileOutline> o;
    const TSideWindow current{-3, 3, 0, 7};
    const TSideWindow w = SideView::BuildOutlines(project.Data(), SideView::Plane::XZ, o, current);
    EXPECT_TRUE(o.empty());
    EXPECT_EQ(double(w.XMax), 3.0);
    EXPECT_TRUE((TSideWindow{1, 1, 0, 5}).NoDraw());
    EXPECT_EQ(SideView::WorldToScreen(TSideWindow{1, 1, 0, 5}, 100, 100, 1, 1), QPoint());
}

TEST(SideViewGeometry, LayerLinesAndTextsOfEachFoundation)
{
    TProject project;
    MakePiles(project, {{0, 0}}, 0.5L, {4, 6});
    TSideDrawing d = SideView::LayerDrawing(project.Data());
    ASSERT_EQ(d.Lines.size(), 3u);
    EXPECT_TRUE(d.Lines[0].Ground);
    EXPECT_NEAR(double(d.Lines[1].Depth), 4.0, 1e-12);
    EXPECT_NEAR(double(d.Lines[2].Depth), 10.0, 1e-12);
    ASSERT_EQ(d.Texts.size(), 4u);
    EXPECT_EQ(d.Texts[2].Value, QStringLiteral("depth= 4 - 10; Layer 2"));
    EXPECT_NEAR(double(d.Texts[2].Depth), 10 - 0.95 * 6, 1e-12);
    EXPECT_EQ(d.Texts[3].Value, QStringLiteral("Shear Wave Velocity= 200; Poissons Ratio= 0.3"));

    // A half-space footing: side layers shifted so that they end at Zc; texts keep their depths.
    TProgramData& data = project.Data();
    data.FoundationWord = QStringLiteral("HALF-SPACE");
    data.Zc = 3;
    data.TipVs = 250;
    data.TipPoisson = 0.35L;
    TGridTable* d1 = project.Tables().D1;
    d1->SetRowCount(1);
    Row(d1, 0, {2, 150, 18, 0.4L});
    d = SideView::LayerDrawing(data);
    ASSERT_EQ(d.Lines.size(), 2u);
    EXPECT_NEAR(double(d.Lines[0].Depth), 1.0, 1e-12);
    EXPECT_NEAR(double(d.Lines[1].Depth), 3.0, 1e-12);
    EXPECT_EQ(d.Texts[0].Value, QStringLiteral("depth= 0 - 2; Layer 1"));
    EXPECT_EQ(d.Texts[1].Value, QStringLiteral("Shear Wave Velocity= 150; Poissons Ratio= 0.4"));
    EXPECT_EQ(d.Texts[2].Value, QStringLiteral("Soil below the tip "));
    EXPECT_EQ(d.Texts[2].PixelOffset, -20);
    EXPECT_NEAR(double(d.Texts[2].Depth), 6.0, 1e-12);
    EXPECT_EQ(d.Texts[3].Value, QStringLiteral("Shear Wave Velocity= 250; Poissons Ratio= 0.35"));

    // A stratum: ground at 2 Zc - BaseDepth, rock BedrockDepth below.
    data.FoundationWord = QStringLiteral("STRATUM");
    data.BaseDepth = 1;
    data.BedrockDepth = 8;
    d = SideView::LayerDrawing(data);
    ASSERT_EQ(d.Lines.size(), 2u);
    EXPECT_NEAR(double(d.Lines[0].Depth), 5.0, 1e-12);
    EXPECT_NEAR(double(d.Lines[1].Depth), 13.0, 1e-12);
    EXPECT_EQ(d.Texts[0].Value, QStringLiteral("Layer thickness= 8; Layer 1"));
    EXPECT_EQ(d.Texts[2].Value, QStringLiteral("Rock Layer "));
}

TEST(SideViewGeometry, FootingOfEitherShapeSitsOnTheGroundAndEndsAtItsSideLayers)
{
    // A footing whose C.G. depth is the thickness of its side layers: the ground line runs at
    // depth 0 over the block's top, the last layer line at the block's bottom.
    TProject project;
    TProgramData& d = project.Data();
    d.FoundationWord = QStringLiteral("HALF-SPACE");
    d.Zc = 2.5L;
    d.Radius = 1.2L;
    d.WidthY = 3;
    d.LengthX = 3;
    TGridTable* d1 = project.Tables().D1;
    d1->SetRowCount(2);
    Row(d1, 0, {1, 150, 18, 0.4L});
    Row(d1, 1, {1.5L, 200, 18, 0.4L});
    for (int shape : {0, 1}) {
        d.ShapeCode = shape;
        std::vector<PileOutline> o;
        SideView::BuildOutlines(d, SideView::Plane::XZ, o);
        const TSideDrawing drawing = SideView::LayerDrawing(d);
        ASSERT_EQ(o.size(), 1u);
        ASSERT_EQ(drawing.Lines.size(), 3u);
        EXPECT_TRUE(drawing.Lines[0].Ground);
        EXPECT_NEAR(double(drawing.Lines[0].Depth), double(o[0].HeadLeft.Depth), 1e-12) << shape;
        EXPECT_NEAR(double(drawing.Lines[2].Depth), double(o[0].TipLeft.Depth), 1e-12) << shape;
        EXPECT_NEAR(double(o[0].TipRight.Depth), 2.5, 1e-12) << shape;
    }
}

TEST(SideViewGeometry, ReadOutTexts)
{
    EXPECT_EQ(SideView::ReadOutCaption({1.54L, 2.0L}), QStringLiteral("Side View X: 1.5 Depth: 2.0"));
    EXPECT_EQ(SideView::ReadOutCaption({-0.04L, 10.26L}), QStringLiteral("Side View X: 0.0 Depth: 10.3"));
    EXPECT_EQ(TopView::ReadOutCaption(-3, 0.5L), QStringLiteral("Top View X: -3.0 Y: 0.5"));
}

TEST(TopViewGeometry, TwoByTwoGroupOutlinePassesThroughTheCentres)
{
    TProject project;
    MakePiles(project, {{-1.5L, -1.5L}, {1.5L, -1.5L}, {-1.5L, 1.5L}, {1.5L, 1.5L}}, 0.3L, {10});
    const TOutlineSpans spans = TopView::OutlineSpans(project.Data());
    EXPECT_NEAR(double(spans.SX), 3.0, 1e-12);
    EXPECT_NEAR(double(spans.SY), 3.0, 1e-12);
    std::vector<PileCircle> circles;
    // Without spans the circles alone fit the window (-1.8 ... 1.8), with a margin of 5 % of
    // its side (0.18) all round, so that no circle meets the window's edge.
    TTopWindow w = TopView::BuildCircles(project.Data(), circles, TTopWindow(), TOutlineSpans());
    ASSERT_EQ(circles.size(), 4u);
    EXPECT_NEAR(double(circles[0].Y), 1.5, 1e-12);  // y reversed
    EXPECT_NEAR(double(w.XMin), -1.98, 1e-12);
    EXPECT_NEAR(double(w.YTop), 1.98, 1e-12);
    EXPECT_NEAR(double(w.YBottom), -1.98, 1e-12);
    // With the spans: the outline margin 3/1.9 lies inside the circles.
    w = TopView::BuildCircles(project.Data(), circles, w, spans);
    EXPECT_NEAR(double(w.XMax), 1.98, 1e-12);

    // 300 x 300 pixels, 300/3.96 to a unit: the corner (1.5, -1.5) of the outline at
    // 3.48 * 75.76 = 263.6, the circle of the pile at project y = 1.5 (world -1.5) from 3.18 to
    // 3.78 units, 240.9 to 286.4 pixels.
    const TTopWindow v = TopView::FitWindow(w, 300, 300);
    const QRect corner = TopView::WorldToScreen(v, 300, 300, 1.5L, -1.5L, 0);
    EXPECT_EQ(corner.topLeft(), QPoint(264, 264));
    const QRect c = TopView::WorldToScreen(v, 300, 300, 1.5L, -1.5L, 0.3L);
    EXPECT_EQ(c, QRect(QPoint(241, 241), QSize(45, 45)));
    const QPointF back = TopView::ScreenToWorld(v, 300, 300, 0, 0);
    EXPECT_NEAR(back.x(), -1.98, 1e-12);
    EXPECT_NEAR(back.y(), 1.98, 1e-12);
}

TEST(TopViewGeometry, PileWithPositiveYIsDrawnBelowTheRow)
{
    TProject project;
    MakePiles(project, {{-2, 0}, {2, 0}, {0, 3}}, 0.5L, {10});
    std::vector<PileCircle> circles;
    const TTopWindow w = TopView::BuildCircles(project.Data(), circles, TTopWindow(), TOutlineSpans());
    const TTopWindow v = TopView::FitWindow(w, 400, 300);
    const int rowY = TopView::WorldToScreen(v, 400, 300, circles[0].X, circles[0].Y, 0).y();
    const int thirdY = TopView::WorldToScreen(v, 400, 300, circles[2].X, circles[2].Y, 0).y();
    EXPECT_GT(thirdY, rowY);
}

TEST(TopViewGeometry, SpansOfPilesOnOneSideAndOfFootings)
{
    // Pile centres all at negative x: the span is the true spread of the centres.
    TProject project;
    MakePiles(project, {{-5, -1}, {-2, -3}}, 0.3L, {10});
    TOutlineSpans s = TopView::OutlineSpans(project.Data());
    EXPECT_NEAR(double(s.SX), 3.0, 1e-12);
    EXPECT_NEAR(double(s.SY), 2.0, 1e-12);

    TProgramData& d = project.Data();
    d.FoundationWord = QStringLiteral("HALF-SPACE");
    d.ShapeCode = 0;
    d.LengthX = 8;
    d.WidthY = 5;
    s = TopView::OutlineSpans(d);
    EXPECT_NEAR(double(s.SX), 8.0, 1e-12);
    EXPECT_NEAR(double(s.SY), 5.0, 1e-12);
    d.ShapeCode = 1;
    d.Radius = 2;
    s = TopView::OutlineSpans(d);
    EXPECT_NEAR(double(s.SX), 4.0, 1e-12);
    // A footing has no circles: the window stays where it was.
    std::vector<PileCircle> circles;
    const TTopWindow w = TopView::BuildCircles(d, circles, TTopWindow(), s);
    EXPECT_TRUE(circles.empty());
    EXPECT_EQ(double(w.XMin), -10.0);
    EXPECT_EQ(double(w.YTop), 10.0);
}

TEST(ViewPrint, ResolutionEstimateSnapsToPrinterClasses)
{
    const std::pair<int, int> cases[] = {{0, 75},    {75, 75},    {76, 100},   {125, 100}, {126, 150}, {225, 150},
                                         {226, 300}, {449, 300},  {450, 600},  {899, 600}, {900, 1200}, {5000, 1200}};
    for (auto [e, dpi] : cases) EXPECT_EQ(ViewPrint::SnapDpi(e), dpi) << e;
    // Letter landscape at 600 dpi: 6600 x 5100 printable pixels.
    EXPECT_EQ(ViewPrint::PrinterDpiEstimate(6600, 5100, true), QSize(600, 600));
    EXPECT_EQ(ViewPrint::PrinterDpiEstimate(5100, 6600, false), QSize(600, 600));
    EXPECT_EQ(ViewPrint::PrinterDpiEstimate(3300, 5100, true), QSize(300, 600));
}

TEST(ViewPrint, SideViewPageMapping)
{
    const TSideWindow v{-5, 5, 0, 10};
    EXPECT_EQ(ViewPrint::SideDepthToPage(v, 1000, 0), 100);
    EXPECT_EQ(ViewPrint::SideDepthToPage(v, 1000, 10), 900);
    EXPECT_EQ(ViewPrint::SideDepthToPage(v, 1000, 2.5L), 300);
    EXPECT_EQ(ViewPrint::SideXToPage(v, 2000, 0), 1000);
    EXPECT_EQ(ViewPrint::SideXToPage(v, 2000, -5), 0);
}

namespace {

// Waits for the window system and the deferred calls.
void Settle()
{
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool IsPdf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(5) == "%PDF-" && f.size() > 500;
}

}  // namespace

TEST(ViewWindows, SideViewsBuildWhenShownAndReadOutTheMouse)
{
    TProject project;
    MakePiles(project, {{-1, 0}, {1, 0}}, 0.5L, {4, 6});
    TDlgSideViewXZ xz(project);
    EXPECT_EQ(xz.windowTitle(), QStringLiteral("Side View (XZ-Plane)"));
    xz.show();
    Settle();
    // A drawing area of 400 x 200 pixels below the button bar.
    const int bar = xz.DrawArea().top();
    xz.resize(400, 200 + bar);
    Settle();
    ASSERT_EQ(xz.DrawArea(), QRect(0, bar, 400, 200));
    ASSERT_EQ(xz.Outlines().size(), 2u);
    EXPECT_NEAR(double(xz.ViewWindow().XMin), -10.5, 1e-12);
    QMouseEvent move(QEvent::MouseMove, QPointF(200, 120 + bar), QPointF(200, 120 + bar), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&xz, &move);
    EXPECT_EQ(xz.windowTitle(), QStringLiteral("Side View X: 0.0 Depth: 6.3"));

    TDlgSideViewYZ yz(project);
    EXPECT_EQ(yz.windowTitle(), QStringLiteral("Side View (YZ-Plane)"));
    yz.resize(400, 200 + bar);
    yz.show();
    Settle();
    QApplication::sendEvent(&yz, &move);
    EXPECT_EQ(yz.windowTitle(), QStringLiteral("Side View Y: 0.0 Depth: 6.3"));
}

TEST(ViewWindows, DrawingAboveTheTopStaysOutOfTheButtonBar)
{
    // A half-space footing 1 deep in side layers 1.1 thick: the ground line and the first texts
    // lie just above depth 0, the top of the drawing area.
    TProject project;
    TProgramData& d = project.Data();
    d.FoundationWord = QStringLiteral("HALF-SPACE");
    d.ShapeCode = 0;
    d.WidthY = 2;
    d.LengthX = 2;
    d.Zc = 1;
    TGridTable* d1 = project.Tables().D1;
    d1->SetRowCount(1);
    Row(d1, 0, {1.1L, 150, 18, 0.4L});
    TDlgSideViewXZ view(project);
    view.resize(727, 590);
    view.show();
    Settle();
    ASSERT_FALSE(view.GetNoDraw());
    const QImage image = view.grab().toImage();
    const int bar = view.DrawArea().top();
    const QRect button = view.findChild<QPushButton*>(QStringLiteral("Button1"))->geometry();
    const QColor background = view.palette().window().color();
    int foreign = 0;
    for (int y = 0; y < bar; ++y)
        for (int x = button.right() + 4; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background) ++foreign;
    EXPECT_EQ(foreign, 0);
}

TEST(ViewWindows, PileTableWithoutSectionsShowsTheErrorAndCloses)
{
    MessageRecorder recorder;
    ScopedMessageSink sink(&recorder);
    TProject project;
    MakePiles(project, {{0, 0}}, 0.5L, {5});
    project.Tables().PileData->SetRowCount(0);
    bool closed = false;
    TDlgSideViewXZ view(project);
    QObject::connect(&view, &TViewWindow::Closed, [&closed] { closed = true; });
    view.show();
    Settle();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.Messages()[0].kind, MessageSink::Kind::Error);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("One or more Pile Types does not have any sections"));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(view.isVisible());
}

TEST(ViewWindows, ProfilePagesPrintToPdf)
{
    QDir().mkpath(QStringLiteral(TEST_TMP_DIR));
    TProject project;
    MakePiles(project, {{-1.5L, -1.5L}, {1.5L, -1.5L}, {-1.5L, 1.5L}, {1.5L, 1.5L}, {0, -1.5L}, {0, 1.5L}}, 0.25L,
              {4, 4, 4, 4});
    TDlgSideViewXZ side(project);
    TDlgTopView top(project);
    side.show();
    top.show();
    Settle();
    ASSERT_EQ(top.Circles().size(), 6u);
    for (auto [widget, name] : {std::pair<QWidget*, const char*>{&side, "side.pdf"}, {&top, "top.pdf"}}) {
        const QString path = QStringLiteral(TEST_TMP_DIR "/") + QString::fromLatin1(name);
        QFile::remove(path);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        if (auto* s = qobject_cast<TDlgSideView*>(widget))
            s->PrintTo(printer);
        else
            static_cast<TDlgTopView*>(widget)->PrintTo(printer);
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
        EXPECT_EQ(printer.docName(), QStringLiteral("Soil-Pile Profile"));
        EXPECT_TRUE(IsPdf(path)) << name;
    }
}

TEST(ViewWindows, ActivationInTheMdiAreaReadsTheProjectAgain)
{
    TProject project;
    MakePiles(project, {{-1, 0}, {1, 0}}, 0.5L, {10});
    QMdiArea area;
    area.resize(900, 700);
    auto* top = new TDlgTopView(project);
    auto* side = new TDlgSideViewXZ(project);
    QMdiSubWindow* topSub = area.addSubWindow(top);
    QMdiSubWindow* sideSub = area.addSubWindow(side);
    area.show();
    topSub->show();
    sideSub->show();
    Settle();
    area.setActiveSubWindow(sideSub);
    Settle();
    EXPECT_EQ(top->Circles().size(), 2u);

    // A third pile; activating the views again reads it.
    TGridTable* coords = project.Tables().Pilecoord;
    coords->SetRowCount(3);
    Row(coords, 2, {0, 4, 0});
    coords->Cell(3, 2)->SetAsInteger(1);
    area.setActiveSubWindow(topSub);
    Settle();
    ASSERT_EQ(top->Circles().size(), 3u);
    EXPECT_NEAR(double(top->Circles()[2].Y), -4.0, 1e-12);
    area.setActiveSubWindow(sideSub);
    Settle();
    EXPECT_EQ(side->Outlines().size(), 3u);

    // Closing the sub-window closes the view, which tells its owner.
    bool closed = false;
    QObject::connect(side, &TViewWindow::Closed, [&closed] { closed = true; });
    sideSub->close();
    Settle();
    EXPECT_TRUE(closed);
}

namespace {

// A main window with the views registered, its settings in a folder of its own.
struct MainWindowViews : ::testing::Test {
    QTemporaryDir work;
    std::unique_ptr<TMainForm> main;

    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.filePath(QStringLiteral("settings")));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, work.filePath(QStringLiteral("settings")));
        main = std::make_unique<TMainForm>();
        RegisterWindows::RegisterViews(*main);
        main->SetCommandLine({});
    }
    void TearDown() override { main.reset(); }

    QMdiSubWindow* SubOf(QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget()); }
};

// Pixels of the drawing area that are not white.
int InkedPixels(TViewWindow& view)
{
    const QImage image = view.grab(view.DrawArea()).toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != Qt::white) ++n;
    return n;
}

}  // namespace

TEST_F(MainWindowViews, EachViewOpensAtItsSizeInTheMdiAreaOrInTheSpaceThere)
{
    MakePiles(main->Project(), {{-1, 0}, {1, 0}}, 0.5L, {10});
    main->resize(1400, 1000);
    main->show();
    Settle();
    const std::pair<TChildKind, QSize> views[] = {{TChildKind::TopView, QSize(610, 392)},
                                                  {TChildKind::SideViewXZ, QSize(727, 590)},
                                                  {TChildKind::SideViewYZ, QSize(727, 590)}};
    for (auto [kind, size] : views) {
        QWidget* view = main->ShowChild(kind);
        ASSERT_NE(view, nullptr);
        Settle();
        QMdiSubWindow* sub = SubOf(view);
        ASSERT_NE(sub, nullptr);
        EXPECT_FALSE(sub->isMaximized());
        EXPECT_EQ(view->size(), size) << view->windowTitle().toStdString();
        EXPECT_GT(InkedPixels(*static_cast<TViewWindow*>(view)), 0) << view->windowTitle().toStdString();
        sub->close();
        Settle();
    }

    // A small main window: the view takes the space of the MDI area.
    main->resize(640, 420);
    Settle();
    QWidget* view = main->ShowChild(TChildKind::SideViewXZ);
    ASSERT_NE(view, nullptr);
    Settle();
    const QSize space = main->MdiArea()->viewport()->size();
    const QSize frame = SubOf(view)->size();
    EXPECT_LE(frame.width(), space.width());
    EXPECT_LE(frame.height(), space.height());
    EXPECT_GT(view->width(), 300);
    EXPECT_GT(view->height(), 200);
}

TEST_F(MainWindowViews, BlankViewDrawsOnceTheDataGiveItSomething)
{
    // A surface footing without size: nothing to draw.
    TProgramData& d = main->Project().Data();
    d.FoundationWord = QStringLiteral("HALF-SPACE");
    d.ShapeCode = 1;
    d.Radius = 0;
    d.Zc = 0;
    main->resize(1400, 1000);
    main->show();
    Settle();
    for (TChildKind kind : {TChildKind::SideViewXZ, TChildKind::SideViewYZ}) main->ShowChild(kind);
    Settle();
    auto* xz = static_cast<TDlgSideView*>(main->Child(TChildKind::SideViewXZ));
    auto* yz = static_cast<TDlgSideView*>(main->Child(TChildKind::SideViewYZ));
    ASSERT_TRUE(xz && yz);
    ASSERT_TRUE(xz->GetNoDraw());
    EXPECT_EQ(InkedPixels(*xz), 0);

    // The footing gets its size: the next activation draws it ...
    d.Radius = 1.5L;
    d.Zc = 1;
    main->MdiArea()->setActiveSubWindow(SubOf(xz));
    Settle();
    EXPECT_FALSE(xz->GetNoDraw());
    ASSERT_EQ(xz->Outlines().size(), 1u);
    EXPECT_NEAR(double(xz->Outlines()[0].HeadRight.X), 1.5, 1e-12);
    EXPECT_GT(InkedPixels(*xz), 0);

    // ... and so does the main window's refresh after a change of the data (the unit switch).
    d.Radius = 0;
    d.Zc = 0;
    main->MdiArea()->setActiveSubWindow(SubOf(yz));
    Settle();
    ASSERT_TRUE(yz->GetNoDraw());
    d.Radius = 2;
    d.Zc = 1;
    main->Project().SetUnits(1);
    Settle();
    EXPECT_FALSE(yz->GetNoDraw());
    EXPECT_GT(InkedPixels(*yz), 0);

    // ... and a blank view that is not active reads data stored by a form at once (the form
    // marks the project modified).
    d.Radius = 0;
    d.Zc = 0;
    main->MdiArea()->setActiveSubWindow(SubOf(xz));
    Settle();
    ASSERT_TRUE(xz->GetNoDraw());
    main->MdiArea()->setActiveSubWindow(SubOf(yz));
    Settle();
    d.Radius = 1;
    d.Zc = 2;
    main->Project().SetModified(true);
    Settle();
    EXPECT_FALSE(xz->GetNoDraw());
    ASSERT_EQ(xz->Outlines().size(), 1u);
    EXPECT_NEAR(double(xz->Outlines()[0].TipLeft.Depth), 2.0, 1e-12);
    EXPECT_GT(InkedPixels(*xz), 0);
}

TEST_F(MainWindowViews, BlankViewsDrawWhatAFormStoresWhenItIsLeft)
{
    // A new circular footing 1 deep without radius: the views stay blank until the shape form,
    // left for one of them, stores the radius; the other view draws it too.
    RegisterWindows::RegisterForms(*main);
    TProgramData& d = main->Project().Data();
    d.FoundationWord = QStringLiteral("HALF-SPACE");
    d.ShapeCode = 1;
    d.Radius = 0;
    d.Zc = 1;
    main->resize(1400, 1000);
    main->show();
    Settle();
    for (TChildKind kind : {TChildKind::SideViewXZ, TChildKind::SideViewYZ}) main->ShowChild(kind);
    auto* shape = dynamic_cast<TfrmShape*>(main->ShowChild(TChildKind::Shape));
    ASSERT_NE(shape, nullptr);
    Settle();
    auto* xz = static_cast<TDlgSideView*>(main->Child(TChildKind::SideViewXZ));
    auto* yz = static_cast<TDlgSideView*>(main->Child(TChildKind::SideViewYZ));
    ASSERT_TRUE(xz->GetNoDraw() && yz->GetNoDraw());
    shape->DataEdit1->setFocus();
    shape->DataEdit1->selectAll();
    QTest::keyClicks(shape->DataEdit1, QStringLiteral("1.5"));
    main->MdiArea()->setActiveSubWindow(SubOf(xz));
    Settle();
    EXPECT_EQ(double(d.Radius), 1.5);
    EXPECT_FALSE(xz->GetNoDraw());
    EXPECT_FALSE(yz->GetNoDraw());
    ASSERT_EQ(yz->Outlines().size(), 1u);
    EXPECT_NEAR(double(yz->Outlines()[0].HeadRight.X), 1.5, 1e-12);
}

namespace {

// Whether the text, drawn as the side view draws it, stands readable somewhere along the row
// whose top is y: its letters and the blank round them as on a white page.
bool ReadableInRow(const QImage& image, const QString& text, int y)
{
    const QFontMetrics fm(QFont(), &image);  // a painter's font on an image
    QImage stamp(fm.horizontalAdvance(text) + 4, fm.height(), QImage::Format_RGB32);
    stamp.fill(Qt::white);
    {
        QPainter p(&stamp);
        p.setPen(Qt::black);
        p.drawText(2, p.fontMetrics().ascent(), text);
    }
    auto dark = [](QRgb c) { return qGray(c) < 128; };
    if (y < 0 || y + stamp.height() > image.height()) return false;
    for (int x = 0; x + stamp.width() <= image.width(); ++x) {
        int same = 0;
        for (int j = 0; j < stamp.height(); ++j)
            for (int i = 0; i < stamp.width(); ++i)
                same += dark(stamp.pixel(i, j)) == dark(image.pixel(x + i, y + j));
        if (same >= stamp.width() * stamp.height() * 99 / 100) return true;
    }
    return false;
}

}  // namespace

TEST(SideViewGeometry, LayerTextsStayClearOfThePiles)
{
    // A 2 x 2 group at y = -4 and 4 in three layers: in a narrow YZ view the pile at y = -4
    // stands where the texts begin.
    TProject project;
    MakePiles(project, {{-4, -4}, {4, -4}, {-4, 4}, {4, 4}}, 0.3L, {4, 4, 4});
    const QSize sizes[] = {{500, 600}, {360, 640}, {727, 590}, {300, 300}};
    for (const QSize& size : sizes) {
        SCOPED_TRACE(size.width());
        std::vector<PileOutline> outlines;
        const TSideWindow world = SideView::BuildOutlines(project.Data(), SideView::Plane::YZ, outlines);
        const TSideWindow view = SideView::FitWindow(world, size.width(), size.height());
        const TSideDrawing drawing = SideView::LayerDrawing(project.Data());
        ASSERT_EQ(drawing.Texts.size(), 6u);
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        SideView::Paint(painter, size.width(), size.height(), view, drawing, outlines);
        const int lineHeight = painter.fontMetrics().height();
        painter.end();
        for (const TSideDrawing::Text& text : drawing.Texts) {
            const int y = SideView::DepthToScreen(view, size.height(), text.Depth) + text.TextLines * lineHeight +
                          text.PixelOffset;
            EXPECT_TRUE(ReadableInRow(image, text.Value, y)) << text.Value.toStdString();
        }
    }
}

TEST(SideViewGeometry, TextBlocksMovePastThePilesTogether)
{
    // Two lines of one layer at depth 1 and a text of its own at depth 5; a pile 20 pixels wide
    // at x 10..30 across rows 0..100.
    TSideDrawing drawing;
    drawing.Texts.push_back({1, 0, 0, QStringLiteral("depth= 0 - 2; Layer 1"), 1, false});
    drawing.Texts.push_back({1, 1, 0, QStringLiteral("Shear Wave Velocity= 600"), 1, true});
    drawing.Texts.push_back({5, 0, 0, QStringLiteral("Rock Layer "), 0, false});
    const std::vector<QRect> rects = {QRect(2, 10, 100, 12), QRect(2, 22, 140, 12), QRect(2, 150, 60, 12)};
    const std::vector<QPolygon> pile = {QPolygon(QRect(10, 0, 20, 100))};
    std::vector<SideView::TTextPlace> places = SideView::PlaceTexts(drawing, rects, pile, 400);
    ASSERT_EQ(places.size(), 3u);
    // The layer's lines move together just past the pile; the text below the pile stays.
    EXPECT_EQ(places[0].Rect.left(), places[1].Rect.left());
    EXPECT_GT(places[0].Rect.left(), 30);
    EXPECT_LT(places[0].Rect.left(), 40);
    EXPECT_EQ(places[0].Rect.top(), 10);
    EXPECT_FALSE(places[0].OverPiles);
    EXPECT_EQ(places[2].Rect, rects[2]);
    for (const auto& p : places) EXPECT_FALSE(QRegion(pile[0]).intersects(p.Rect));
    // No room right of the pile: the texts stay and are drawn over it.
    places = SideView::PlaceTexts(drawing, rects, pile, 150);
    EXPECT_EQ(places[0].Rect, rects[0]);
    EXPECT_TRUE(places[0].OverPiles && places[1].OverPiles);
    EXPECT_FALSE(places[2].OverPiles);
}

namespace {

// What the drawing area of a 2-D view shows in ink: the filled shapes counted (each a connected
// patch of dark pixels once the one-pixel lines of the outline are worn away), and whether ink
// lies on the area's edge, where a shape would be cut off.
struct TInk {
    int shapes = 0;
    bool onEdge = false;
    QList<QRect> bounds;  // of each shape's patch
};

TInk InkOf(TViewWindow& view)
{
    const QImage image = view.grab(view.DrawArea()).toImage();
    const int w = image.width(), h = image.height();
    auto dark = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && qGray(image.pixel(x, y)) < 128; };
    TInk ink;
    std::vector<char> core(size_t(w) * size_t(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!dark(x, y)) continue;
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) ink.onEdge = true;
            bool all = true;
            for (int dy = -1; dy <= 1 && all; ++dy)
                for (int dx = -1; dx <= 1 && all; ++dx) all = dark(x + dx, y + dy);
            core[size_t(y) * size_t(w) + size_t(x)] = all;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!core[size_t(y) * size_t(w) + size_t(x)]) continue;
            QRect bound(x, y, 1, 1);
            std::vector<QPoint> todo{QPoint(x, y)};
            core[size_t(y) * size_t(w) + size_t(x)] = 0;
            while (!todo.empty()) {
                const QPoint p = todo.back();
                todo.pop_back();
                bound |= QRect(p, QSize(1, 1));
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + d;
                    if (q.x() < 0 || q.y() < 0 || q.x() >= w || q.y() >= h) continue;
                    char& c = core[size_t(q.y()) * size_t(w) + size_t(q.x())];
                    if (c) {
                        c = 0;
                        todo.push_back(q);
                    }
                }
            }
            ++ink.shapes;
            ink.bounds << bound;
        }
    return ink;
}

// A multilayer shaft as the forms build it: the radius in the layer table, the foundation-shape
// fields left at 0; `layers` layers of the given depth beside the soil rows.
void MakeShaft(TProject& p, long double radius, std::initializer_list<long double> layers)
{
    TProgramData& d = p.Data();
    TProjectTables& t = p.Tables();
    d.FoundationWord = QStringLiteral("MULTILAYER");
    d.FoundationCode = 4;
    d.ShapeCode = 0;
    d.Radius = d.LengthX = d.WidthY = 0;
    t.MultiElement->SetRowCount(int(layers.size()));
    t.D->SetRowCount(int(layers.size()));
    int i = 0;
    for (long double h : layers) {
        Row(t.MultiElement, i, {h, radius, radius, 3.14159L * radius * radius, 0.785L * radius * radius * radius * radius,
                                0.785L * radius * radius * radius * radius, 1.571L * radius * radius * radius * radius});
        Row(t.D, i, {150.0L + 50 * i, 18, 0.3L});
        ++i;
    }
}

}  // namespace

// The first top view of a pile group shows every pile whole inside the window, wherever the
// group lies; the outline lines stay within it as well.
TEST_F(MainWindowViews, TheFirstTopViewOfAGroupShowsEveryPileWhole)
{
    struct Case {
        const char* what;
        long double first, step;
    };
    const Case cases[] = {{"3 x 3 about the origin", -1.5L, 1.5L}, {"3 x 3 from the origin", 0, 2}, {"3 x 3 at x, y > 0", 1, 2.5L}};
    main->resize(1100, 800);
    main->show();
    Settle();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakePiles(main->Project(),
                  {{c.first, c.first}, {c.first + c.step, c.first}, {c.first + 2 * c.step, c.first},
                   {c.first, c.first + c.step}, {c.first + c.step, c.first + c.step}, {c.first + 2 * c.step, c.first + c.step},
                   {c.first, c.first + 2 * c.step}, {c.first + c.step, c.first + 2 * c.step},
                   {c.first + 2 * c.step, c.first + 2 * c.step}},
                  0.25L, {10});
        auto* view = static_cast<TViewWindow*>(main->ShowChild(TChildKind::TopView));
        ASSERT_NE(view, nullptr);
        Settle();
        const TInk ink = InkOf(*view);
        EXPECT_EQ(ink.shapes, 9);
        EXPECT_FALSE(ink.onEdge);
        // Every pile as large as the others: none cut.
        for (const QRect& b : ink.bounds) {
            EXPECT_LE(std::abs(b.width() - ink.bounds.front().width()), 1);
            EXPECT_LE(std::abs(b.height() - ink.bounds.front().height()), 1);
        }
        SubOf(view)->close();
        Settle();
    }
}

// The top view of a multilayer shaft draws the shaft with the radius of its layers (the radius
// the engine computes with), whole inside the window.
TEST_F(MainWindowViews, TheTopViewOfAShaftDrawsItWithTheRadiusOfItsLayers)
{
    MakeShaft(main->Project(), 0.5L, {1, 1, 1});
    main->resize(1100, 800);
    main->show();
    Settle();
    auto* view = static_cast<TViewWindow*>(main->ShowChild(TChildKind::TopView));
    ASSERT_NE(view, nullptr);
    Settle();
    const TInk ink = InkOf(*view);
    ASSERT_EQ(ink.shapes, 1);
    EXPECT_FALSE(ink.onEdge);
    const QRect shaft = ink.bounds.front();
    EXPECT_LE(std::abs(shaft.width() - shaft.height()), 2) << "round";
    EXPECT_GT(shaft.height(), view->DrawArea().height() / 2) << "it fills the window";
}
