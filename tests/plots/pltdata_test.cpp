// The plot-data component: curves, points, captions and unit names.
#include "pltdata.h"
#include "plotform.h"
#include "util/messages.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(GraphPlot, StartsWithTheDocumentedSettings)
{
    TGraphPlot plot;
    EXPECT_EQ(plot.CurveName(), "Curve #");
    EXPECT_TRUE(plot.ShowLegend());
    EXPECT_TRUE(plot.ShowFontWidth());
    EXPECT_TRUE(plot.XOnTop());
    EXPECT_EQ(plot.Markers(), 1);
    EXPECT_EQ(plot.SizeFont(), 10);
    EXPECT_EQ(plot.LegendFont(), 11);
    EXPECT_EQ(plot.WidthLine(), 1);
    EXPECT_EQ(plot.Units(), 1);
    EXPECT_EQ(plot.LineCount(), 0);
    EXPECT_FALSE(plot.WindowExists());
    EXPECT_TRUE(plot.GraphTitle.isEmpty());
    EXPECT_FALSE(plot.TitleOnTop);
}

TEST(GraphPlot, LineAndPointCounts)
{
    TGraphPlot plot;
    plot.SetLineCount(3);
    ASSERT_EQ(plot.LineCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(plot.Lines(i)->Number, i + 1);
        EXPECT_TRUE(plot.Lines(i)->Active);
        EXPECT_TRUE(plot.Lines(i)->Listed);
        EXPECT_EQ(plot.Lines(i)->DisplayName(), QStringLiteral("Curve #%1").arg(i + 1));
    }
    plot.SetLineCount(-2);
    EXPECT_EQ(plot.LineCount(), 0);
    EXPECT_EQ(plot.PointCount(), 0);
    plot.SetPointCount(5);  // no curve: nothing happens
    EXPECT_EQ(plot.PointCount(), 0);

    // Curves added after the point count take the count of curve 0, with zero points.
    plot.SetLineCount(1);
    plot.SetPointCount(4);
    plot.Points(0, 3)->X = 7;
    plot.SetLineCount(2);
    ASSERT_EQ(plot.Lines(1)->PointCount(), 4);
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(plot.Points(1, j)->X, 0.0L);
        EXPECT_EQ(plot.Points(1, j)->Y, 0.0L);
    }
    EXPECT_EQ(plot.Points(0, 3)->X, 7.0L);

    // Kept curves keep their names and flags; dropped points go from the end.
    plot.Lines(0)->Name = QStringLiteral("Kxx");
    plot.Lines(0)->Active = false;
    plot.SetPointCount(2);
    plot.SetLineCount(1);
    EXPECT_EQ(plot.Lines(0)->DisplayName(), "Kxx");
    EXPECT_FALSE(plot.Lines(0)->Active);
    EXPECT_EQ(plot.PointCount(), 2);
    plot.Lines(0)->SetPointCount(-1);
    EXPECT_EQ(plot.Lines(0)->PointCount(), 0);
}

TEST(GraphPlot, IndicesOutsideTheListsRaise)
{
    TGraphPlot plot;
    plot.SetLineCount(1);
    plot.SetPointCount(2);
    EXPECT_THROW(plot.Lines(1), EListError);
    EXPECT_THROW(plot.Lines(-1), EListError);
    EXPECT_THROW(plot.Points(0, 2), EListError);
    EXPECT_THROW(plot.Points(1, 0), EListError);
}

TEST(GraphPlot, UnitsAreClampedAndConvertNothing)
{
    TGraphPlot plot;
    plot.SetLineCount(1);
    plot.SetPointCount(1);
    plot.Points(0, 0)->Y = 2.5L;
    const struct {
        int in, stored;
    } cases[] = {{0, 1}, {-4, 1}, {1, 1}, {2, 2}, {3, 3}, {7, 3}};
    for (const auto& c : cases) {
        plot.SetUnits(c.in);
        EXPECT_EQ(plot.Units(), c.stored) << c.in;
    }
    EXPECT_EQ(plot.Points(0, 0)->Y, 2.5L);
}

TEST(GraphPlot, CurveCaptionUsesTheShortestNumberText)
{
    TGraphPlot plot;
    plot.SetCurveName(QStringLiteral("Pile "));
    plot.SetLineCount(12);
    EXPECT_EQ(plot.Lines(11)->DisplayName(), "Pile 12");
    plot.Lines(11)->Number = 2.5L;
    EXPECT_EQ(plot.Lines(11)->DisplayName(), "Pile 2.5");
}

TEST(PlotUnits, TemplatesExpandInBothSystems)
{
    const struct {
        const char* tmpl;
        int units;
        const char* expected;
    } cases[] = {
        {"F/L2", 1, "lbs/ft"},
        {"F/L2", 2, "kN/m"},
        {"F/L2", 3, "F/L2"},
        {"F-L2/Radian", 1, "lbs-ft/Radian"},
        {"F-L2/Radian", 2, "kN-m/Radian"},
        {"F-sec/L2-radian", 1, "lbs-sec/ft-radian"},
        {"F-L2-sec/radian2", 2, "kN-m-sec/radian2"},
        {"F2-F", 1, "tons-F"},  // only the first present force code is replaced
        {"F1/L1", 1, "kips/in"},
        {"F1/L1", 2, "kN/mm"},
        {"L", 1, "in"},
        {"L2", 1, "ft"},
        {"Hz", 1, "Hz"},
        {"rad.", 2, "rad."},
        {"", 2, ""},
        {"f/l2", 1, "f/l2"},  // matching is case-sensitive
    };
    for (const auto& c : cases)
        EXPECT_EQ(PltData::ExpandPlotUnits(QString::fromLatin1(c.tmpl), c.units),
                  QString::fromLatin1(c.expected))
            << c.tmpl << " / " << c.units;
}

TEST(PlotUnits, AxisCaptionsOfTheResultPlots)
{
    QObject owner;
    const QList<TGraphPlot*> plots = PltData::CreateResultPlots(&owner);
    ASSERT_EQ(plots.size(), 18);
    EXPECT_EQ(plots.first()->objectName(), "pltRealKXX");
    EXPECT_EQ(plots.last()->objectName(), "pltMxyzR");
    auto* kxx = owner.findChild<TGraphPlot*>(QStringLiteral("pltRealKXX"));
    auto* cxx = owner.findChild<TGraphPlot*>(QStringLiteral("pltDampCXX"));
    auto* dxyz = owner.findChild<TGraphPlot*>(QStringLiteral("pltDxyzR"));
    ASSERT_TRUE(kxx && cxx && dxyz);
    for (TGraphPlot* p : plots) {
        EXPECT_FALSE(p->XOnTop()) << qPrintable(p->objectName());
        EXPECT_EQ(p->Units(), 1);
        EXPECT_EQ(p->LineCount(), 0);
    }

    const struct {
        TGraphPlot* plot;
        int units;
        const char* x;
        const char* y;
    } cases[] = {
        {kxx, 2, "Frequency (Hz)", "Translational Stiffness (kN/m)"},
        {kxx, 1, "Frequency (Hz)", "Translational Stiffness (lbs/ft)"},
        {cxx, 1, "Frequencies (Hz)", "Translational Damping (lbs-sec/ft-radian)"},
        {cxx, 2, "Frequencies (Hz)", "Translational Damping (kN-sec/m-radian)"},
        {dxyz, 1, "Frequency (Hz)", "Translational Amplitude (ft)"},
        {dxyz, 2, "Frequency (Hz)", "Translational Amplitude (m)"},
        {dxyz, 3, "Frequency (Hz)", "Translational Amplitude (L2)"},
    };
    for (const auto& c : cases) {
        c.plot->SetUnits(c.units);
        EXPECT_EQ(PltData::AxisCaptionText(c.plot->XCaption(), c.plot->XUnits(), c.plot->Units()),
                  QString::fromLatin1(c.x));
        EXPECT_EQ(PltData::AxisCaptionText(c.plot->YCaption(), c.plot->YUnits(), c.plot->Units()),
                  QString::fromLatin1(c.y));
    }
}

// A plot with one curve through (0, 0) and (10, 100).
void FillSimple(TGraphPlot& plot)
{
    plot.SetLineCount(1);
    plot.SetPointCount(2);
    plot.Points(0, 1)->X = 10;
    plot.Points(0, 1)->Y = 100;
}

TEST(GraphPlotWindow, ShowPlotRestoresAMinimizedWindowAndMakesNoSecond)
{
    QMdiArea area;
    area.resize(800, 600);
    area.show();
    PltData::SetPlotOpener(TPlotForm::Opener(&area));
    TGraphPlot plot;
    FillSimple(plot);
    plot.ShowPlot();
    ASSERT_TRUE(plot.WindowExists());
    TPlotForm* window = plot.PlotWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(area.subWindowList().size(), 1);
    QMdiSubWindow* sub = area.subWindowList().first();
    EXPECT_TRUE(sub->isMaximized());
    sub->showMinimized();
    ASSERT_TRUE(sub->isMinimized());

    plot.ShowPlot();
    EXPECT_EQ(plot.PlotWindow(), window);
    EXPECT_EQ(area.subWindowList().size(), 1);
    EXPECT_FALSE(sub->isMinimized());

    // Closing frees the window and clears the flag; the next show makes a new one.
    sub->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(plot.WindowExists());
    EXPECT_EQ(plot.PlotWindow(), nullptr);
    EXPECT_TRUE(area.subWindowList().isEmpty());
    plot.ShowPlot();
    EXPECT_TRUE(plot.WindowExists());
    EXPECT_EQ(area.subWindowList().size(), 1);
    PltData::SetPlotOpener(TPlotForm::Opener(nullptr));
}

TEST(GraphPlotWindow, APlotMakesNoWindowOfItsOwnWithoutAnOpener)
{
    PltData::SetPlotOpener(nullptr);
    TGraphPlot plot;
    FillSimple(plot);
    try {
        plot.ShowPlot();
        ADD_FAILURE() << "ShowPlot without an opener did not raise";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("No plot window is available"));
    }
    EXPECT_EQ(plot.PlotWindow(), nullptr);
    EXPECT_FALSE(plot.WindowExists());
    PltData::SetPlotOpener(TPlotForm::Opener(nullptr));
}

TEST(GraphPlotWindow, FreeingThePlotFreesItsWindow)
{
    QPointer<TPlotForm> window;
    {
        TGraphPlot plot;
        FillSimple(plot);
        plot.ShowPlot();
        window = plot.PlotWindow();
        ASSERT_TRUE(window);
    }
    EXPECT_TRUE(window.isNull());
}

TEST(GraphPlotWindow, ANonFiniteRangeOpensNoWindowAndSaysWhy)
{
    MessageRecorder recorder;
    ScopedMessageSink sink(&recorder);
    TGraphPlot plot;
    FillSimple(plot);
    plot.SetCaption(QStringLiteral("Translational Stiffnesses"));
    plot.Points(0, 1)->Y = std::numeric_limits<long double>::infinity();
    plot.ShowPlot();
    EXPECT_FALSE(plot.WindowExists());
    EXPECT_EQ(plot.PlotWindow(), nullptr);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.Messages()[0].kind, MessageSink::Kind::Information);
    EXPECT_TRUE(recorder.LastText().contains(QStringLiteral("Translational Stiffnesses")));
    // The marks of values the engine could not compute (±0.9E+4932) are as far out of scale.
    plot.Points(0, 1)->Y = 0.9E+4932L;
    plot.Points(0, 0)->Y = -0.9E+4932L;
    plot.ShowPlot();
    EXPECT_FALSE(plot.WindowExists());
    EXPECT_EQ(recorder.Count(), 2);
    // Once the values are sound again the window opens.
    plot.Points(0, 1)->Y = 5;
    plot.ShowPlot();
    EXPECT_TRUE(plot.WindowExists());
}

}  // namespace
