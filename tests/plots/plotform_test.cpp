// The plot window: ranges, ticks, mapping, curves and markers, legend rows, zoom.
#include "plot_fixture.h"

#include "plotdialogs.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

// --- number texts, ranges, ticks, markers ----------------------------------------------------

TEST(PlotNumbers, GeneralFormat)
{
    const struct {
        long double x;
        int p;
        const char* text;
    } cases[] = {
        {0, 4, "0"},
        {2500000, 4, "2.5E+06"},
        {500000, 4, "5E+05"},
        {1234, 4, "1234"},
        {12345, 4, "1.235E+04"},
        {0.4L, 4, "0.4"},
        {-0.2L, 4, "-0.2"},
        {0.00001L, 4, "0.00001"},
        {0.000001L, 4, "1E-06"},
        {-1.5e-7L, 4, "-1.5E-07"},
        {1.0e120L, 4, "1E+120"},
        {99999, 5, "99999"},
        {100000, 5, "1E+05"},
        {12.34567L, 5, "12.346"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlotForm::FormatGeneral(c.x, c.p), QString::fromLatin1(c.text))
            << double(c.x) << " p=" << c.p;
}

// Ranges of plots with one curve of the given y values at x = 0, 1, ...
TEST(PlotRanges, RoundOutwardToAStep)
{
    const struct {
        const char* name;
        std::vector<long double> xs, ys;
        long double xmin, xmax, ymin, ymax;
    } cases[] = {
        // leading digits below 3: the step is the power of ten below that
        {"0 to 2.3e6", {0, 25}, {0, 2.3e6L}, 0, 25, 0, 2.3e6L},
        {"up to 5.2e6", {0, 40}, {1e6L, 5.2e6L}, 0, 40, 0, 6e6L},
        {"all zero", {0, 0}, {0, 0}, -0.01L, 0.01L, -0.01L, 0.01L},
        {"only negative", {-41, -3}, {-7.1L, -0.5L}, -50, 0, -8, 0},
        {"mixed signs", {0, 41}, {-3.4L, 7.1L}, 0, 50, -4, 8},
    };
    for (const auto& c : cases) {
        TGraphPlot plot;
        plot.SetLineCount(1);
        plot.SetPointCount(int(c.xs.size()));
        for (size_t j = 0; j < c.xs.size(); ++j) {
            plot.Points(0, int(j))->X = c.xs[j];
            plot.Points(0, int(j))->Y = c.ys[j];
        }
        TPlotForm::TRange r;
        ASSERT_TRUE(PlotForm::ComputeRange(plot, r)) << c.name;
        const long double tol = 1e-12L * (c.ymax - c.ymin);
        EXPECT_NEAR(double(r.xmin), double(c.xmin), 1e-12) << c.name;
        EXPECT_NEAR(double(r.xmax), double(c.xmax), 1e-12) << c.name;
        EXPECT_NEAR(double(r.ymin), double(c.ymin), double(tol)) << c.name;
        EXPECT_NEAR(double(r.ymax), double(c.ymax), double(tol)) << c.name;
    }
    // Inactive and unlisted curves count as well; an empty plot gets the zero ranges.
    TGraphPlot empty;
    TPlotForm::TRange r;
    ASSERT_TRUE(PlotForm::ComputeRange(empty, r));
    EXPECT_NEAR(double(r.xmax), 0.01, 1e-15);
}

TEST(PlotRanges, ANonFiniteValueHasNoRange)
{
    TGraphPlot plot;
    plot.SetLineCount(1);
    plot.SetPointCount(2);
    plot.Points(0, 1)->X = std::numeric_limits<long double>::infinity();
    TPlotForm::TRange r;
    EXPECT_FALSE(PlotForm::ComputeRange(plot, r));
}

TEST(PlotTicks, MajorStepsAreOneTwoOrFiveTimesAPowerOfTen)
{
    const struct {
        long double span;
        int n;
        long double step;
    } cases[] = {{10, 10, 1}, {25, 7, 2}, {2.3e6L, 4, 5e5L}, {100, 1, 100}, {9, 1, 10},
                 {0.02L, 10, 0.002L}, {50, 7, 5}, {65, 7, 10}, {6, 1, 5}};
    for (const auto& c : cases)
        EXPECT_NEAR(double(PlotForm::MajorStep(c.span, c.n)), double(c.step), 1e-12 * double(c.step))
            << double(c.span) << "/" << c.n;
    EXPECT_EQ(PlotForm::MajorStep(10, 0), 0);
}

TEST(PlotMarkers, SpacingAndShapes)
{
    EXPECT_EQ(PlotForm::MarkerIndices(7, 2), (QList<int>{0, 2, 4, 6}));
    EXPECT_EQ(PlotForm::MarkerIndices(10, 3), (QList<int>{0, 3, 6, 9}));
    EXPECT_EQ(PlotForm::MarkerIndices(4, 1), (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(PlotForm::MarkerIndices(12, 10), (QList<int>{0, 10}));
    EXPECT_TRUE(PlotForm::MarkerIndices(5, 0).isEmpty());

    // 96 pixels per inch: radius 3.
    const QPolygon tri = PlotForm::MarkerPolygon(0, 100, 100, 96, 96);
    ASSERT_EQ(tri.size(), 4);
    EXPECT_EQ(tri.first(), QPoint(100, 103));  // a vertex straight down
    EXPECT_EQ(tri.first(), tri.last());
    const QPolygon square = PlotForm::MarkerPolygon(1, 100, 100, 96, 96);
    ASSERT_EQ(square.size(), 5);
    EXPECT_EQ(square[0], QPoint(102, 98));
    EXPECT_EQ(square[1], QPoint(102, 102));
    EXPECT_EQ(square[2], QPoint(98, 102));
    EXPECT_EQ(square.first(), square.last());
    const QPolygon up = PlotForm::MarkerPolygon(2, 100, 100, 96, 96);
    ASSERT_EQ(up.size(), 4);
    EXPECT_EQ(up.first(), QPoint(100, 97));  // one corner straight up
    EXPECT_EQ(PlotForm::MarkerPolygon(5, 0, 0, 96, 96).size(), 7);
    // At 600 pixels per inch the marker grows to a radius of 19.
    EXPECT_EQ(PlotForm::MarkerPolygon(2, 0, 0, 600, 600).first(), QPoint(0, -19));
}

// --- the window ------------------------------------------------------------------------------

TEST_F(PlotWindowTest, LayoutTicksAndMapping)
{
    auto form = Open();
    EXPECT_EQ(form->windowTitle(), "PlotForm");
    EXPECT_EQ(form->TextHeightUnit(), 14);
    const TPlotForm::TEdges pl = form->PlotRect();
    EXPECT_EQ(pl.left, 41);
    EXPECT_EQ(pl.right, 641);
    EXPECT_EQ(pl.top, 31);
    EXPECT_EQ(pl.bottom, 431);

    const TPlotForm::TRange r = form->FullRange();
    EXPECT_EQ(r.xmax, 25);
    EXPECT_NEAR(double(r.ymax), 2.3e6, 1e-6);

    // 600 / 84 = 7 intervals over 25 Hz: major step 2, minor 0.4; 400 / 84 = 4 over 2.3e6:
    // major 5e5, minor 1e5.
    const TPlotForm::TTicks t = form->ComputeTicks();
    ASSERT_TRUE(t.shown);
    EXPECT_NEAR(double(t.minorX), 0.4, 1e-15);
    EXPECT_EQ(t.firstX, 0);
    EXPECT_EQ(t.lastX, 62);
    EXPECT_NEAR(double(t.minorY), 1e5, 1e-6);
    EXPECT_EQ(t.firstY, 0);
    EXPECT_EQ(t.lastY, 23);

    TFloatPoint p;
    p.X = 5;
    p.Y = 1.15e6L;
    EXPECT_EQ(form->WorldToPixel(p), QPoint(161, 231));
    const TFloatPoint back = form->PixelToWorld(QPoint(161, 231));
    EXPECT_NEAR(double(back.X), 5, 1e-12);
    EXPECT_NEAR(double(back.Y), 1.15e6, 1e-6);
    const TFloatPoint outside = form->PixelToWorld(QPoint(20, 231));
    EXPECT_EQ(outside.X, 0);
    EXPECT_EQ(outside.Y, 0);

    // With the X axis on top, y grows downward and the labels go above the plot.
    plot.SetXOnTop(true);
    form->FormResize();
    EXPECT_EQ(form->PlotRect().top, 2 * 14 + 12 + 1);
    EXPECT_EQ(form->WorldToPixel(p).y(), form->PlotRect().top + 200);
}

TEST_F(PlotWindowTest, NoTicksWithoutRoomAndAWhiteAreaBelowOneInch)
{
    auto form = Open(672, 472);
    Resize(*form, 200, 150);  // plot 169 x 69 pixels: lower than 6 h
    EXPECT_FALSE(form->ComputeTicks().shown);

    Resize(*form, 90, 300);
    form->PlotLegendClick();  // the legend list is a control of its own
    const QImage small = Shot(*form);
    EXPECT_EQ(CountColour(small, 0xFFFFFF), small.width() * small.height());
}

TEST_F(PlotWindowTest, CurvesKeepTheColoursOfTheirLegendRows)
{
    plot.SetMarkers(0);
    auto form = Open();
    QImage shot = Shot(*form);
    EXPECT_GT(CountColour(shot, 0x0000FF), 300);
    EXPECT_GT(CountColour(shot, 0xFF0000), 300);

    // Switching off the first curve keeps the others blue and red.
    form->CurveItemClick(0);
    EXPECT_FALSE(plot.Lines(0)->Active);
    shot = Shot(*form);
    EXPECT_GT(CountColour(shot, 0x0000FF), 300);
    EXPECT_GT(CountColour(shot, 0xFF0000), 300);
    EXPECT_EQ(form->LegendRowText(0), "Kxx");
    EXPECT_EQ(form->LegendRowText(1), "Kyy *");
    form->CurveItemClick(0);

    // Unlisting it moves the other two to the first rows: black and blue, no red.
    form->ApplyActiveStates({QStringLiteral(" no  : "), QStringLiteral(" yes : "),
                             QStringLiteral(" yes : ")});
    ASSERT_EQ(form->LegendRowCount(), 2);
    EXPECT_EQ(form->LegendRowCurve(0), 1);
    EXPECT_EQ(form->LegendRowCurve(1), 2);
    shot = Shot(*form);
    EXPECT_EQ(CountColour(shot, 0xFF0000), 0);
    EXPECT_GT(CountColour(shot, 0x0000FF), 300);
}

TEST_F(PlotWindowTest, MarkersFollowTheSpacing)
{
    // Only curve 2 is drawn, flat over the window's x range, so that markers stand out as
    // pixels off its line.
    plot.SetLineCount(3);
    for (int j = 0; j < 26; ++j) plot.Points(2, j)->Y = 1.15e6L;
    plot.Lines(0)->Active = false;
    plot.Lines(1)->Active = false;
    auto form = Open();
    const int lineY = form->WorldToPixel(*plot.Points(2, 0)).y();
    auto markedColumns = [&](const QImage& img) {
        QList<int> xs;
        for (int j = 0; j < 26; ++j) {
            const int px = form->WorldToPixel(*plot.Points(2, j)).x();
            // The triangle of row 2 has a corner 3 pixels above the point; its right side
            // passes 1 pixel right of and 2 above the point.
            if ((img.pixel(px + 1, lineY - 2) & 0xFFFFFF) == 0xFF0000) xs.append(j);
        }
        return xs;
    };
    // (The marker of the last point lies on the right edge, outside the clip region.)
    plot.SetMarkers(5);
    EXPECT_EQ(markedColumns(Shot(*form)), (QList<int>{0, 5, 10, 15, 20}));
    form->MarkClick(0);
    EXPECT_TRUE(markedColumns(Shot(*form)).isEmpty());
    form->MarkClick(10);
    EXPECT_EQ(markedColumns(Shot(*form)), (QList<int>{0, 10, 20}));
}

TEST_F(PlotWindowTest, NonFinitePointsBreakTheCurve)
{
    plot.Points(0, 10)->Y = std::nan("");
    auto form = Open();
    EXPECT_FALSE(Shot(*form).isNull());  // drawn without trouble
    EXPECT_NEAR(double(form->FullRange().ymax), 2.3e6, 1e-6);
}

TEST_F(PlotWindowTest, SinglePointCurvesDrawCaptionsTicksAndFrameOnly)
{
    plot.SetPointCount(1);
    plot.Points(1, 0)->Y = 1.0e6L;
    auto form = Open();
    form->PlotLegendClick();
    const QImage shot = Shot(*form);
    EXPECT_EQ(CountColour(shot, 0x0000FF), 0);
    EXPECT_EQ(CountColour(shot, 0xFF0000), 0);
    EXPECT_EQ(shot.pixel(41, 200) & 0xFFFFFF, 0u);  // the frame
    EXPECT_TRUE(form->ComputeTicks().shown);
}

TEST_F(PlotWindowTest, FewerCurvesWhileTheWindowIsOpenDoNoHarm)
{
    auto form = Open();
    plot.SetLineCount(1);
    EXPECT_FALSE(Shot(*form).isNull());
    EXPECT_EQ(form->LegendRowText(2), "Kww");  // a row whose curve is gone is drawn inactive
    form->Legend()->setCurrentRow(2);
    form->LegendDblClick();
    form->CurveItemClick(2);
    form->ApplyLegendNames({"A"});
    EXPECT_EQ(plot.Lines(0)->Name, "A");
    form->ApplyActiveStates({TfrmActiveLines::Yes});
    EXPECT_EQ(form->LegendRowCount(), 1);
    EXPECT_EQ(recorder.Count(), 0);
}

TEST_F(PlotWindowTest, LegendRowsAndCurveEntries)
{
    plot.onGetCaption = [](int index, QString& value) {
        if (index == 2) value = QStringLiteral("Vertical");
    };
    auto form = Open();
    ASSERT_EQ(form->LegendRowCount(), 3);
    EXPECT_EQ(form->LegendRowText(0), "Kxx *");
    EXPECT_EQ(form->LegendRowText(2), "Vertical *");
    EXPECT_TRUE(form->Legend()->isVisible());
    EXPECT_EQ(form->Legend()->height(), 3 * 16 + 3);
    EXPECT_EQ(plot.LegendFont(), 11);
    // At the lower right corner of the plot rectangle.
    EXPECT_EQ(form->Legend()->x() + form->Legend()->width(), form->PlotRect().right);
    EXPECT_EQ(form->Legend()->y() + form->Legend()->height(), form->PlotRect().bottom);
    const QList<QAction*> entries = form->CurveEntries();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[2]->text(), "Vertical");
    EXPECT_EQ(entries[2]->data().toInt(), 2);
    EXPECT_TRUE(entries[0]->isChecked());

    // Double-clicking a row switches its curve off and on.
    form->Legend()->setCurrentRow(1);
    form->LegendDblClick();
    EXPECT_FALSE(plot.Lines(1)->Active);
    EXPECT_EQ(form->LegendRowText(1), "Kyy");
    form->PlotMenuClick();
    EXPECT_FALSE(entries[1]->isChecked());
    QTest::mouseDClick(form->Legend()->viewport(), Qt::LeftButton, {},
                       form->Legend()->visualItemRect(form->Legend()->item(1)).center());
    EXPECT_TRUE(plot.Lines(1)->Active);

    // Every curve hidden: an empty legend 3 pixels high.
    form->ApplyActiveStates({QStringLiteral(" no  : "), QStringLiteral(" no  : "),
                             QStringLiteral(" no  : ")});
    EXPECT_EQ(form->LegendRowCount(), 0);
    EXPECT_TRUE(form->CurveEntries().isEmpty());
    EXPECT_EQ(form->Legend()->height(), 3);
    form->ApplyActiveStates({QStringLiteral(" yes : "), QStringLiteral(" yes : "),
                             QStringLiteral(" yes : ")});
    EXPECT_EQ(form->LegendRowCount(), 3);
    EXPECT_EQ(form->CurveEntries().size(), 3);
}

TEST_F(PlotWindowTest, OnlyTheFirstTwentyCurvesAreListed)
{
    plot.SetLineCount(25);
    auto form = Open();
    EXPECT_EQ(form->LegendRowCount(), 20);
    EXPECT_FALSE(plot.Lines(20)->Listed);
    EXPECT_EQ(form->LegendRowText(19), "Curve #20 *");
}

TEST_F(PlotWindowTest, APlotWithoutCurvesHasNoLegendForItsLife)
{
    plot.SetLineCount(0);
    auto form = Open();
    EXPECT_FALSE(form->Legend()->isVisible());
    EXPECT_FALSE(form->ShowLegendEntry()->isVisible());
    form->PlotMenuClick();
    EXPECT_FALSE(form->ShowLegendEntry()->isVisible());
}

TEST_F(PlotWindowTest, PlotMenuEntriesAndChecks)
{
    auto form = Open();
    QStringList captions;
    for (QAction* a : form->PlotMenu()->actions()) captions << a->text();
    EXPECT_EQ(captions.mid(0, 12),
              (QStringList{"Show &Legend", "Show &Markers", "&Font Size", "&Line Width",
                           "&Graph Title", "&Edit Legend", "&Active Curves", "", "&Print...",
                           "P&age Setup", "&Save To Disk...", ""}));
    EXPECT_EQ(captions.mid(12), (QStringList{"Kxx", "Kyy", "Kww"}));
    QStringList markers;
    for (QAction* a : form->MarkerEntries()) markers << a->text();
    EXPECT_EQ(markers, (QStringList{"&Never", "Every &Increment", "Every &2 Increments",
                                    "Every &3 Incrments", "Every &5 Increments",
                                    "Every &10 Incements"}));

    form->MarkClick(3);
    form->PlotMarkersClick();
    for (QAction* a : form->MarkerEntries()) EXPECT_EQ(a->isChecked(), a->data().toInt() == 3);
    plot.SetMarkers(4);  // a value the menu does not offer
    form->PlotMarkersClick();
    for (QAction* a : form->MarkerEntries()) EXPECT_FALSE(a->isChecked());

    form->PlotLegendClick();
    EXPECT_FALSE(plot.ShowLegend());
    EXPECT_FALSE(form->Legend()->isVisible());
    form->PlotLegendClick();
    EXPECT_TRUE(form->Legend()->isVisible());

    plot.SetShowFontWidth(false);
    form->PlotMenuClick();
    EXPECT_FALSE(form->FontSizeMenuEntry()->isVisible());
    EXPECT_FALSE(form->LineWidthMenuEntry()->isVisible());
}

TEST_F(PlotWindowTest, DoubleFontSizeScalesTextsAndTheLegend)
{
    auto form = Open();
    form->Legend()->move(0, 0);
    form->SizeClick(20);
    EXPECT_EQ(plot.SizeFont(), 20);
    EXPECT_EQ(form->TextHeightUnit(), 28);
    EXPECT_EQ(form->LegendPointSize(), 22);
    EXPECT_EQ(form->Legend()->font().pointSize(), 22);
    EXPECT_EQ(form->Legend()->height(), 3 * 33 + 3);
    EXPECT_EQ(form->PlotRect().left, 2 * 28 + 12 + 3);
    // Back at the lower right corner.
    EXPECT_EQ(form->Legend()->x() + form->Legend()->width(), form->PlotRect().right);
    EXPECT_EQ(form->Legend()->y() + form->Legend()->height(), form->PlotRect().bottom);
    // The range is left as it was.
    EXPECT_EQ(form->CurrentRange().xmax, 25);
}

TEST_F(PlotWindowTest, DraggingTheLegendStaysInsideTheWindow)
{
    auto form = Open();
    QWidget* vp = form->Legend()->viewport();
    const QPoint start = form->Legend()->pos();
    auto send = [&](QEvent::Type type, QPoint pos) {
        QMouseEvent e(type, pos, vp->mapToGlobal(pos), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
        QApplication::sendEvent(vp, &e);
    };
    send(QEvent::MouseButtonPress, QPoint(5, 5));
    send(QEvent::MouseMove, QPoint(-15, 25));
    EXPECT_EQ(form->Legend()->pos(), start + QPoint(-20, 20));
    send(QEvent::MouseMove, QPoint(-5000, -5000));
    EXPECT_EQ(form->Legend()->pos(), QPoint(0, 0));
    send(QEvent::MouseButtonRelease, QPoint(0, 0));
    send(QEvent::MouseMove, QPoint(50, 50));
    EXPECT_EQ(form->Legend()->pos(), QPoint(0, 0));
}

// --- zoom ------------------------------------------------------------------------------------

TEST_F(PlotWindowTest, RubberBandZoomsInAndRightClickZoomsOut)
{
    auto form = Open();
    QWidget* box = form->PaintBox();
    const QImage before = Shot(*form);

    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(161, 257));
    QTest::mouseMove(box, QPoint(401, 100));
    ASSERT_TRUE(form->RubberBandActive());
    // The band's outline inverts the pixels under it.
    const QImage band = Shot(*form);
    for (const QPoint pt : {QPoint(300, 100), QPoint(161, 180), QPoint(401, 200), QPoint(250, 257)})
        EXPECT_EQ(band.pixel(pt) & 0xFFFFFF, ~before.pixel(pt) & 0xFFFFFF) << pt.x() << "," << pt.y();
    EXPECT_EQ(band.pixel(300, 180), before.pixel(300, 180));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(401, 100));
    EXPECT_FALSE(form->RubberBandActive());

    TPlotForm::TRange r = form->CurrentRange();
    EXPECT_NEAR(double(r.xmin), 5, 1e-12);
    EXPECT_NEAR(double(r.xmax), 15, 1e-12);
    EXPECT_NEAR(double(r.ymin), 174.0 / 400 * 2.3e6, 1e-6);
    EXPECT_NEAR(double(r.ymax), 331.0 / 400 * 2.3e6, 1e-6);

    // Right click doubles the spans within the full range: x about 10 Hz gives 0 to 20; y is
    // pushed down to end at the full maximum.
    QTest::mouseClick(box, Qt::RightButton, {}, QPoint(281, 200));
    r = form->CurrentRange();
    EXPECT_NEAR(double(r.xmin), 0, 1e-12);
    EXPECT_NEAR(double(r.xmax), 20, 1e-12);
    EXPECT_NEAR(double(r.ymax), 2.3e6, 1e-6);
    EXPECT_NEAR(double(r.ymax - r.ymin), 2 * (331.0 - 174.0) / 400 * 2.3e6, 1e-6);
    QTest::mouseClick(box, Qt::RightButton, {}, QPoint(281, 200));
    r = form->CurrentRange();
    EXPECT_EQ(r.xmin, 0);
    EXPECT_EQ(r.xmax, 25);
    EXPECT_NEAR(double(r.ymin), 0, 1e-6);
    EXPECT_NEAR(double(r.ymax), 2.3e6, 1e-6);
    // At the full range a right click changes nothing.
    QTest::mouseClick(box, Qt::RightButton, {}, QPoint(500, 300));
    EXPECT_EQ(form->CurrentRange().xmax, 25);
    EXPECT_EQ(form->CurrentRange().xmin, 0);

    // Clicks outside the plot rectangle do nothing.
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(20, 200));
    EXPECT_FALSE(form->RubberBandActive());
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(20, 200));
}

TEST_F(PlotWindowTest, NarrowBandsWidenToATwentiethAndBandsBackAtTheStartDoNothing)
{
    auto form = Open();
    QWidget* box = form->PaintBox();
    // 9 pixels = 0.375 Hz, below 25 / 20: widened to 1.25 Hz about its centre.
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(161, 257));
    QTest::mouseMove(box, QPoint(170, 100));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(170, 100));
    TPlotForm::TRange r = form->CurrentRange();
    EXPECT_NEAR(double(r.xmin), 5.1875 - 0.625, 1e-12);
    EXPECT_NEAR(double(r.xmax), 5.1875 + 0.625, 1e-12);

    // At the left edge the widened band is moved inside the full range.
    form->SetCurrentRange(form->FullRange());
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(41, 257));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(50, 100));
    r = form->CurrentRange();
    EXPECT_NEAR(double(r.xmin), 0, 1e-12);
    EXPECT_NEAR(double(r.xmax), 1.25, 1e-12);
    // A band dragged beyond the plot is clamped to its edge.
    form->SetCurrentRange(form->FullRange());
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(401, 257));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(660, 20));
    EXPECT_NEAR(double(form->CurrentRange().xmax), 25, 1e-12);
    EXPECT_NEAR(double(form->CurrentRange().ymax), 2.3e6, 1e-6);

    // Released in the start's column or row: nothing happens.
    form->SetCurrentRange(form->FullRange());
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(161, 257));
    QTest::mouseMove(box, QPoint(300, 150));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(161, 150));
    EXPECT_FALSE(form->RubberBandActive());
    EXPECT_EQ(form->CurrentRange().xmax, 25);
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(161, 257));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(300, 257));
    EXPECT_EQ(form->CurrentRange().xmin, 0);
    EXPECT_EQ(form->CurrentRange().xmax, 25);
}

TEST_F(PlotWindowTest, ReadOutShowsTheValuesUnderThePointerClampedToThePlot)
{
    auto form = Open();
    QTest::mouseMove(form->PaintBox(), QPoint(10, 231));  // left of the plot rectangle
    EXPECT_EQ(form->windowTitle(), "Translational Stiffnesses X: 0 Y: 1.15E+06");
    QTest::mouseMove(form->PaintBox(), QPoint(401, 460));  // below it
    EXPECT_EQ(form->windowTitle(), "Translational Stiffnesses X: 15 Y: 0");
}

// --- tick labels apart ------------------------------------------------------------------------

// Runs of inked lines (rows when `rows`, else columns) of the picture inside the band; the
// letters of one text stand at most two blank lines apart, so such gaps join their runs.
QList<QPair<int, int>> InkRuns(const QImage& image, const QRect& band, bool rows)
{
    QList<QPair<int, int>> runs;
    const int from = rows ? band.top() : band.left(), to = rows ? band.bottom() : band.right();
    int start = -1;
    for (int i = from; i <= to + 1; ++i) {
        bool ink = false;
        if (i <= to) {
            const int a0 = rows ? band.left() : band.top(), a1 = rows ? band.right() : band.bottom();
            for (int a = a0; a <= a1 && !ink; ++a) {
                const QRgb px = rows ? image.pixel(a, i) : image.pixel(i, a);
                ink = qGray(px) < 160;
            }
        }
        if (ink && start < 0) start = i;
        if (!ink && start >= 0) {
            if (!runs.isEmpty() && start - runs.last().second <= 3)
                runs.last().second = i - 1;
            else
                runs.append({start, i - 1});
            start = -1;
        }
    }
    return runs;
}

// The tick labels of a drawing stand apart: along each axis the inked runs of the label band
// are separated by more than two blank lines and none is longer than the widest label the axis
// may carry (two labels run together make a longer one). At least two labels on each axis.
void ExpectLabelsApart(const QImage& image, const PlotPaint::TDrawing& d, const QString& what)
{
    SCOPED_TRACE(what.toStdString());
    const PlotPaint::TTicks t = PlotPaint::ComputeTicks(d);
    ASSERT_TRUE(t.shown);
    const PlotPaint::TEdges& pl = d.canvas.plot;
    const QFontMetrics fm(PlotPaint::PlotFont(d, false), &image);
    auto widest = [&](int first, int last, long double minor) {
        int w = 0;
        for (int k = first; k <= last; ++k)
            if (k % 5 == 0) w = std::max(w, fm.horizontalAdvance(PlotPaint::FormatGeneral(k * minor, 4)));
        return w;
    };
    // Y labels run upward left of the plot: project the rows of their column.
    const QRect yBand(QPoint(pl.left - fm.height() - d.canvas.dpiX / 32 + 1, pl.top - 40),
                      QPoint(pl.left - 2, std::min(pl.bottom + 40, image.height() - 1)));
    const QList<QPair<int, int>> yRuns = InkRuns(image, yBand.intersected(image.rect()), true);
    EXPECT_GE(yRuns.size(), 2);
    for (const auto& r : yRuns) EXPECT_LE(r.second - r.first + 1, widest(t.firstY, t.lastY, t.minorY) + 1);
    // X labels below the plot: project the columns of their row (the ascent: no caption there).
    const int top = pl.bottom + d.canvas.dpiY / 16;
    const QRect xBand(QPoint(0, top + 1), QPoint(image.width() - 1, top + fm.ascent() - 1));
    const QList<QPair<int, int>> xRuns = InkRuns(image, xBand, false);
    EXPECT_GE(xRuns.size(), 2);
    for (const auto& r : xRuns) EXPECT_LE(r.second - r.first + 1, widest(t.firstX, t.lastX, t.minorX) + 1);
}

TEST_F(PlotWindowTest, TickLabelsNeverRunIntoEachOther)
{
    // A pile group's translational stiffnesses, 1.2E+08 to 1.8E+08 over 0 to 30 Hz: labels every
    // 2E+07 in the Part's rounding, 48 pixels long in the window font, at 44 to 48 pixels apart
    // in the first three windows.
    plot.SetLineCount(2);
    plot.SetPointCount(31);
    for (int j = 0; j <= 30; ++j)
        for (int k = 0; k < 2; ++k) {
            plot.Points(k, j)->X = j;
            plot.Points(k, j)->Y = (1.2e8L + 0.6e8L * j * j / 900) * (1 - 0.02L * k);
        }
    const QSize sizes[] = {{672, 472}, {1000, 500}, {600, 930}, {420, 330}, {1180, 300}};
    for (const QSize& size : sizes) {
        auto form = Open(size.width(), size.height());
        EXPECT_EQ(form->CurrentRange().ymax, 1.8e8L);
        ExpectLabelsApart(Shot(*form).convertToFormat(QImage::Format_RGB32), form->Drawing(),
                          QStringLiteral("window %1 x %2").arg(size.width()).arg(size.height()));
        // The printed page and a bitmap are drawn the same way.
        if (size == sizes[0]) {
            QImage page(850, 1100, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            form->RenderPage(painter, 100, 100, 25, 25, 800, 1050);
            painter.end();
            PlotPaint::TDrawing d = form->Drawing();
            const int margins[4] = {1000, 1000, 1000, 1000};
            PlotPaint::PageLayout(d, margins, 100, 100, 25, 25, 800, 1050);
            ExpectLabelsApart(page, d, QStringLiteral("printed page"));
        }
    }
}

}  // namespace
