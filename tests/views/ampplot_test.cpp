// Footing amplitude dialog: the move of the response to a reference point against a
// hand-computed rigid-body transfer, the unit switch, rotation mode, the clicked-point message
// and the text export, line by line.
#include "ampplot.h"
#include "dataunit.h"
#include "entry/dataedit.h"
#include "plotform.h"
#include "plotpaint.h"
#include "pltdata.h"
#include "project.h"
#include "util/messages.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLegendMarker>
#include <QValueAxis>
#include <QXYSeries>
#include <QPrinter>
#include <QDate>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QFile>
#include <QRadioButton>
#include <QScatterSeries>

#include <gtest/gtest.h>

#include <map>

namespace {

// Three frequencies, translations in the project's length unit and rotations in radians.
struct AmpFixture : ::testing::Test {
    TProject project;
    TGraphPlot dxyz, mxyz;
    const double freq[3] = {5, 15, 25};
    const long double u[3][3] = {{1e-3L, 2e-3L, 3e-3L}, {4e-3L, 5e-3L, 6e-3L}, {1, 0.5L, 0.25L}};
    const long double rot[3][3] = {{1e-4L, 2e-4L, 3e-4L}, {-1e-4L, 0, 5e-4L}, {0, 0, 0}};

    void SetUp() override
    {
        for (TGraphPlot* p : {&dxyz, &mxyz}) {
            p->SetLineCount(3);
            p->SetPointCount(3);
        }
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k) {
                dxyz.Points(k, i)->X = mxyz.Points(k, i)->X = freq[i];
                dxyz.Points(k, i)->Y = u[i][k];
                mxyz.Points(k, i)->Y = rot[i][k];
            }
        TProgramData& d = project.Data();
        d.CGLocalX = 1;
        d.CGLocalY = 2;
        d.CGLocalZ = 3;
    }
};

void SetPoint(TDlgAmpPlot& dlg, long double x, long double y, long double z)
{
    dlg.Edit(0)->SetNumber(x);
    dlg.Edit(1)->SetNumber(y);
    dlg.Edit(2)->SetNumber(z);
}

}  // namespace

TEST(AmpPlotTransfer, ReferencePointResponseIsUPlusRCrossTheta)
{
    // r = P - C = (3, 4, 0), θ = (1, 2, 3)·1e-4: r × θ = (4·3 - 0·2, 0·1 - 3·3, 3·2 - 4·1)·1e-4.
    const TVector3 p = AmpPlot::MoveToPoint({1e-3L, 2e-3L, 3e-3L}, {1e-4L, 2e-4L, 3e-4L}, {4, 6, 3}, {1, 2, 3}, 1);
    EXPECT_NEAR(double(p.X), 1e-3 + 12e-4, 1e-15);
    EXPECT_NEAR(double(p.Y), 2e-3 - 9e-4, 1e-15);
    EXPECT_NEAR(double(p.Z), 3e-3 + 2e-4, 1e-15);
    // A project in feet shown in metres: the C.G. and the translation scale, rotations do not.
    const long double f = AmpPlot::UnitFactor(1, 2);
    EXPECT_EQ(double(f), 0.3048);
    EXPECT_NEAR(double(AmpPlot::UnitFactor(2, 1)), 1 / 0.3048, 1e-15);
    EXPECT_EQ(double(AmpPlot::UnitFactor(2, 2)), 1.0);
    const TVector3 q = AmpPlot::MoveToPoint({1, 0, 0}, {0, 0, 0.01L}, {0.3048L * 1, 0.3048L * 12, 0}, {1, 2, 0}, f);
    // r = (0, 0.3048·10, 0) m; r × θ = (3.048·0.01, 0, 0).
    EXPECT_NEAR(double(q.X), 0.3048 + 0.03048, 1e-15);
    EXPECT_NEAR(double(q.Y), 0.0, 1e-15);
}

TEST(AmpPlotTransfer, PairsWithTheLoadTransferToTheCentreByVirtualWork)
{
    // A force F at P does the same work on the motion at P as the force F with the moment
    // M = -(r × F) at the C.G. (the engine's transfer of a load to the C.G.) on the motion there.
    const TVector3 c{1, -2, 0.5L}, pt{4, 1, -1.5L};
    const TVector3 u{2e-3L, -1e-3L, 5e-4L}, th{3e-4L, -2e-4L, 7e-4L};
    const TVector3 forces[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {3, -5, 2}};
    const long double rx = pt.X - c.X, ry = pt.Y - c.Y, rz = pt.Z - c.Z;
    const TVector3 up = AmpPlot::MoveToPoint(u, th, pt, c, 1);
    for (const TVector3& F : forces) {
        const long double mx = -(ry * F.Z - rz * F.Y), my = -(rz * F.X - rx * F.Z), mz = -(rx * F.Y - ry * F.X);
        const long double atPoint = F.X * up.X + F.Y * up.Y + F.Z * up.Z;
        const long double atCentre = F.X * u.X + F.Y * u.Y + F.Z * u.Z + mx * th.X + my * th.Y + mz * th.Z;
        EXPECT_NEAR(double(atPoint), double(atCentre), 1e-15);
    }
}

TEST(AmpPlotTransfer, ExportNumberFormat)
{
    const std::pair<long double, const char*> cases[] = {
        {1, " 1.00000000000000E+0000"},  {25, " 2.50000000000000E+0001"},   {-0.0012L, "-1.20000000000000E-0003"},
        {0, " 0.00000000000000E+0000"},  {1.5e-300L, " 1.50000000000000E-0300"}, {123456.789L, " 1.23456789000000E+0005"}};
    for (auto [v, text] : cases) {
        EXPECT_EQ(AmpPlot::FormatExportNumber(v), QString::fromLatin1(text)) << double(v);
        EXPECT_EQ(AmpPlot::FormatExportNumber(v).size(), 23);
    }
}

TEST_F(AmpFixture, AtTheCentreTheSeriesAreTheCurvesAndMoveWithThePoint)
{
    TDlgAmpPlot dlg(project, &dxyz, &mxyz);
    dlg.show();
    QApplication::processEvents();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Footing Amplitude Plot"));
    EXPECT_TRUE(dlg.SIButton()->isChecked());
    EXPECT_EQ(dlg.Edit(0)->EditLabel()->text(), QStringLiteral("X (m)"));
    EXPECT_EQ(dlg.LeftTitle(), QStringLiteral("Translational Amplitude (m)"));
    for (int k = 0; k < 3; ++k) {
        ASSERT_EQ(dlg.SeriesValues()[k].size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(dlg.SeriesValues()[k][i].x(), freq[i]);
            EXPECT_EQ(dlg.SeriesValues()[k][i].y(), double(u[i][k]));
        }
    }
    // P = (4, 6, 3): r = (3, 4, 0); at 15 Hz θ = (-1e-4, 0, 5e-4): r × θ = (20e-4, -15e-4, 4e-4).
    SetPoint(dlg, 4, 6, 3);
    EXPECT_NEAR(dlg.SeriesValues()[0][1].y(), 4e-3 + 20e-4, 1e-15);
    EXPECT_NEAR(dlg.SeriesValues()[1][1].y(), 5e-3 - 15e-4, 1e-15);
    EXPECT_NEAR(dlg.SeriesValues()[2][1].y(), 6e-3 + 4e-4, 1e-15);

    // "Default (C.G.)" returns to the curves; rotation mode shows the rotations whatever the point.
    dlg.Button1Click();
    EXPECT_EQ(dlg.SeriesValues()[2][0].y(), double(u[0][2]));
    SetPoint(dlg, 40, -6, 3);
    dlg.RotationButton()->click();
    EXPECT_EQ(dlg.LeftTitle(), QStringLiteral("Rotational Amplitude (rad)"));
    EXPECT_EQ(dlg.SeriesValues()[2][1].y(), double(rot[1][2]));
    dlg.UnitClick(1);
    EXPECT_EQ(dlg.LeftTitle(), QStringLiteral("Rotational Amplitude (rad)"));
    EXPECT_EQ(dlg.SeriesValues()[0][1].y(), double(rot[1][0]));

    // "Only" and "All": hidden series keep their points.
    dlg.OnlyClick(1);
    EXPECT_FALSE(dlg.SeriesVisible(0));
    EXPECT_TRUE(dlg.SeriesVisible(1));
    EXPECT_FALSE(dlg.SeriesVisible(2));
    EXPECT_EQ(dlg.SeriesValues()[0].size(), 3u);
    dlg.Button2Click();
    EXPECT_TRUE(dlg.SeriesVisible(0) && dlg.SeriesVisible(2));
}

TEST_F(AmpFixture, EnglishProjectShownInMetresAndBack)
{
    project.Data().UnitSystem = 1;
    TDlgAmpPlot dlg(project, &dxyz, &mxyz);
    dlg.show();
    QApplication::processEvents();
    EXPECT_TRUE(dlg.EnglishButton()->isChecked());
    EXPECT_EQ(dlg.Edit(1)->EditLabel()->text(), QStringLiteral("Y (ft)"));
    EXPECT_EQ(dlg.LeftTitle(), QStringLiteral("Translational Amplitude (ft)"));
    dlg.SIButton()->click();
    EXPECT_EQ(dlg.ShownUnits(), 2);
    EXPECT_EQ(dlg.Edit(1)->EditLabel()->text(), QStringLiteral("Y (m)"));
    EXPECT_NEAR(double(dlg.ReferencePoint().Y), 2 * 0.3048, 1e-15);
    EXPECT_NEAR(double(dlg.ReferencePoint().Z), 3 * 0.3048, 1e-15);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(dlg.SeriesValues()[k][2].y(), 0.3048 * double(u[2][k]), 1e-15);
    EXPECT_EQ(dlg.LeftTitle(), QStringLiteral("Translational Amplitude (m)"));
    dlg.EnglishButton()->click();
    EXPECT_NEAR(double(dlg.ReferencePoint().X), 1, 1e-15);
    EXPECT_NEAR(double(dlg.ReferencePoint().Y), 2, 1e-15);
    EXPECT_NEAR(double(dlg.ReferencePoint().Z), 3, 1e-15);
    // Showing the dialog again resets it from the project.
    dlg.SIButton()->click();
    dlg.hide();
    dlg.show();
    QApplication::processEvents();
    EXPECT_TRUE(dlg.EnglishButton()->isChecked());
    EXPECT_EQ(double(dlg.ReferencePoint().X), 1.0);
}

TEST_F(AmpFixture, ClickedPointMessage)
{
    MessageRecorder recorder;
    ScopedMessageSink sink(&recorder);
    TDlgAmpPlot dlg(project, &dxyz, &mxyz);
    dlg.show();
    QApplication::processEvents();
    dlg.ClickSeries(1, 2);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("Y-Dir\nPoint: 2\nFreq: 25\nX: 1\nY: 0.5\nZ: 0.25\n"
                                                  "Xo: 1\nYo: 0.5\nZo: 0.25\nRx: 0\nRy: 0\nRz: 0\n"));
}

TEST_F(AmpFixture, PointMessageOfUnsortedResultsReadsTheClickedPoint)
{
    // The result file lists 25 Hz first: the chart shows it last, and its message (point 2 of the
    // chart) reads the response at the C.G. of that same point.
    for (int k = 0; k < 3; ++k) {
        dxyz.Points(k, 0)->X = mxyz.Points(k, 0)->X = 25;
        dxyz.Points(k, 2)->X = mxyz.Points(k, 2)->X = 5;
    }
    MessageRecorder recorder;
    ScopedMessageSink sink(&recorder);
    TDlgAmpPlot dlg(project, &dxyz, &mxyz);
    dlg.show();
    QApplication::processEvents();
    ASSERT_EQ(dlg.SeriesValues()[0][2].x(), 25.0);
    // At 25 Hz (graph point 0): u = (1e-3, 2e-3, 3e-3), θ = (1e-4, 2e-4, 3e-4); at the C.G. X = Xo.
    dlg.ClickSeries(0, 2);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("X-Dir\nPoint: 2\nFreq: 25\nX: 0.001\nY: 0.002\nZ: 0.003\n"
                                                  "Xo: 0.001\nYo: 0.002\nZo: 0.003\nRx: 0.0001\nRy: 0.0002\nRz: 0.0003\n"));
    // Point 0 of the chart is graph point 2 (5 Hz).
    dlg.ClickSeries(2, 0);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("Z-dir\nPoint: 0\nFreq: 5\nX: 1\nY: 0.5\nZ: 0.25\n"
                                                  "Xo: 1\nYo: 0.5\nZo: 0.25\nRx: 0\nRy: 0\nRz: 0\n"));
}

TEST_F(AmpFixture, ExportAsksYesOrNoBeforeReplacingAFile)
{
    QDir().mkpath(QStringLiteral(TEST_TMP_DIR));
    const QString path = QStringLiteral(TEST_TMP_DIR "/amp-exists.txt");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write("old");
    }
    MessageRecorder recorder;
    ScopedMessageSink sink(&recorder);
    TDlgAmpPlot dlg(project, &dxyz, &mxyz);
    dlg.show();
    QApplication::processEvents();
    auto contents = [&path] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    dlg.ExportTo(path);  // no answer given: No
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.Messages()[0].kind, MessageSink::Kind::Confirmation);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("File already exists, do you want to overwrite it?"));
    EXPECT_EQ(contents(), QByteArray("old"));
    recorder.QueueAnswer(MessageSink::Answer::Yes);
    dlg.ExportTo(path);
    EXPECT_TRUE(contents().startsWith("Reference Point\r\n"));
}

TEST_F(AmpFixture, ExportWritesTheHeadersAndOneLinePerPoint)
{
    QDir().mkpath(QStringLiteral(TEST_TMP_DIR));
    const QString path = QStringLiteral(TEST_TMP_DIR "/amp.txt");
    TDlgAmpPlot dlg(project, &dxyz, &mxyz);
    dlg.show();
    QApplication::processEvents();
    dlg.ExportData(path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray expected =
        "Reference Point\r\n"
        "X=  1.00000000000000E+0000 m, Y=  2.00000000000000E+0000 m, Z=  3.00000000000000E+0000 m\r\n"
        "n,Frequency,Disp_x,Disp_y,Disp_z\r\n"
        ",Hz,m,m,m\r\n"
        "1, 5.00000000000000E+0000, 1.00000000000000E-0003, 2.00000000000000E-0003, 3.00000000000000E-0003\r\n"
        "2, 1.50000000000000E+0001, 4.00000000000000E-0003, 5.00000000000000E-0003, 6.00000000000000E-0003\r\n"
        "3, 2.50000000000000E+0001, 1.00000000000000E+0000, 5.00000000000000E-0001, 2.50000000000000E-0001\r\n";
    EXPECT_EQ(f.readAll(), expected);
    f.close();

    // English, rotation mode, with hidden series: the same headers, the rotations, every series.
    dlg.UnitClick(1);
    dlg.RotationButton()->click();
    dlg.OnlyClick(0);
    dlg.ExportData(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 8);
    EXPECT_TRUE(lines[1].endsWith(" ft\r"));
    EXPECT_EQ(lines[3], ",Hz,ft,ft,ft\r");
    EXPECT_EQ(lines[5], "2, 1.50000000000000E+0001,-1.00000000000000E-0004, 0.00000000000000E+0000, 5.00000000000000E-0004\r");
}

TEST(AmpPlotExport, NoDataGivesTheFourHeaderLinesAndAFailedWriteRaises)
{
    TProject project;
    TGraphPlot dxyz, mxyz;
    TDlgAmpPlot dlg(project, &dxyz, &mxyz);
    dlg.show();
    QApplication::processEvents();
    EXPECT_TRUE(dlg.SeriesValues()[0].empty());
    const QStringList lines = AmpPlot::ExportLines(dlg.ReferencePoint(), false, dlg.SeriesValues());
    EXPECT_EQ(lines.size(), 4);
    EXPECT_THROW(dlg.ExportData(QStringLiteral("/nonexistent-folder/amp.txt")), EInOutError);
}

TEST_F(AmpFixture, ReadOutUnderTheMouseAndPrintedChart)
{
    TDlgAmpPlot dlg(project, &dxyz, &mxyz);
    dlg.resize(900, 620);
    dlg.show();
    QApplication::processEvents();
    QChart* chart = dlg.ChartView()->chart();
    const QPointF scene = chart->mapToPosition(QPointF(15, 0.5), chart->series().first());
    dlg.ChartMouseMove(dlg.ChartView()->mapFromScene(scene));
    const QString text = dlg.ReadOut();
    ASSERT_TRUE(text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')'))) << text.toStdString();
    const QStringList xy = text.mid(1, text.size() - 2).split(QLatin1Char(','));
    ASSERT_EQ(xy.size(), 2);
    EXPECT_NEAR(xy[0].toDouble(), 15, 0.2);
    EXPECT_NEAR(xy[1].toDouble(), 0.5, 0.01);
    // Outside the axes: no read-out.
    dlg.ChartMouseMove(QPoint(1, 1));
    EXPECT_TRUE(dlg.ReadOut().isEmpty());

    QDir().mkpath(QStringLiteral(TEST_TMP_DIR));
    const QString path = QStringLiteral(TEST_TMP_DIR "/amp.pdf");
    QFile::remove(path);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    dlg.PrintChart(printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.read(5), QByteArray("%PDF-"));
}

// The printed page says what it shows: the text of the PDF, as a PDF reader extracts it, holds
// the title block above the chart.
TEST_F(AmpFixture, ThePrintedChartCarriesATitleBlock)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    ASSERT_FALSE(pdftotext.isEmpty()) << "pdftotext (poppler-utils, scripts/install-deps.sh) is needed";
    TProgramData& d = project.Data();
    d.ProjectTitle = QStringLiteral("Compressor block on soft clay");
    d.FileName = QStringLiteral("/jobs/compressor.tmx");
    d.UnitSystem = 2;
    TDlgAmpPlot dlg(project, &dxyz, &mxyz);
    dlg.resize(900, 620);
    dlg.show();
    QApplication::processEvents();
    SetPoint(dlg, 4, 6.5L, -1.25L);

    QDir().mkpath(QStringLiteral(TEST_TMP_DIR));
    const QString path = QStringLiteral(TEST_TMP_DIR "/amp-title.pdf");
    QFile::remove(path);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    const QDate before = QDate::currentDate();
    dlg.PrintChart(printer);
    const QDate after = QDate::currentDate();

    QProcess reader;
    reader.start(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    ASSERT_TRUE(reader.waitForFinished(60000));
    ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    for (const QString& expected :
         {QStringLiteral("Footing Response Amplitude: Compressor block on soft clay"),
          QStringLiteral("Project file: /jobs/compressor.tmx"),
          QStringLiteral("Response: Translational Amplitude (m) against Frequency (Hz)"),
          QStringLiteral("Reference point: X = 4 m, Y = 6.5 m, Z = -1.25 m")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << " not in:\n" << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Printed: ") + before.toString(Qt::ISODate)) ||
                text.contains(QStringLiteral("Printed: ") + after.toString(Qt::ISODate)))
        << text.toStdString();
    // The chart is on the same page, below the block.
    EXPECT_TRUE(text.contains(QStringLiteral("Frequency (Hz)")));
    EXPECT_LT(text.indexOf(QStringLiteral("Printed: ")), text.indexOf(QStringLiteral("X-Dir")));

    // Rotation: the quantity follows the chart, in radians.
    for (QRadioButton* b : dlg.findChildren<QRadioButton*>())
        if (b->text() == QStringLiteral("Rotation")) b->click();
    ASSERT_EQ(dlg.LeftTitle(), QStringLiteral("Rotational Amplitude (rad)"));
    const QStringList lines = AmpPlot::PrintTitleLines(QString(), QStringLiteral("a.tmx"), dlg.LeftTitle(),
                                                       {1, 2, 3}, true, QDate(2026, 1, 31));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("Footing Response Amplitude: (no title)"),
                                  QStringLiteral("Project file: a.tmx"),
                                  QStringLiteral("Response: Rotational Amplitude (rad) against Frequency (Hz)"),
                                  QStringLiteral("Reference point: X = 1 ft, Y = 2 ft, Z = 3 ft"),
                                  QStringLiteral("Printed: 2026-01-31")}));
}

// The frequency axis spans the data, before and after the reference point moves, also when the
// dialog shows again; the amplitude axis holds every shown value.
TEST_F(AmpFixture, TheFrequencyAxisFollowsTheData)
{
    struct Case {
        std::vector<double> freq;
    };
    const Case cases[] = {{{5, 15, 25}}, {{0, 7.5, 15, 22.5, 30}}, {{0.5, 1, 2, 3.3}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.freq.back());
        const int n = int(c.freq.size());
        for (TGraphPlot* p : {&dxyz, &mxyz}) p->SetPointCount(n);
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < 3; ++k) {
                dxyz.Points(k, i)->X = mxyz.Points(k, i)->X = c.freq[size_t(i)];
                dxyz.Points(k, i)->Y = 1e-3L * (i + 1) * (k + 1);
                mxyz.Points(k, i)->Y = 1e-4L * (k + 1) * (i % 2 ? -1 : 1);
            }
        TDlgAmpPlot dlg(project, &dxyz, &mxyz);
        dlg.show();
        QApplication::processEvents();
        const QList<QAbstractAxis*> horizontal = dlg.ChartView()->chart()->axes(Qt::Horizontal);
        const QList<QAbstractAxis*> vertical = dlg.ChartView()->chart()->axes(Qt::Vertical);
        ASSERT_EQ(horizontal.size(), 1);
        ASSERT_EQ(vertical.size(), 1);
        auto* x = qobject_cast<QValueAxis*>(horizontal.first());
        auto* y = qobject_cast<QValueAxis*>(vertical.first());
        ASSERT_NE(x, nullptr);
        ASSERT_NE(y, nullptr);
        auto expectSpan = [&](const char* when) {
            SCOPED_TRACE(when);
            EXPECT_DOUBLE_EQ(x->min(), c.freq.front());
            EXPECT_DOUBLE_EQ(x->max(), c.freq.back());
            for (int k = 0; k < 3; ++k)
                for (const QPointF& p : dlg.SeriesValues()[size_t(k)]) {
                    EXPECT_GE(p.y(), y->min());
                    EXPECT_LE(p.y(), y->max());
                }
        };
        expectSpan("first shown");
        SetPoint(dlg, 40, -6, 3);
        expectSpan("reference point moved");
        SetPoint(dlg, -12.5L, 60, -3);
        expectSpan("moved again");
        dlg.RotationButton()->click();
        expectSpan("rotations");
        dlg.OnlyClick(2);
        expectSpan("one series");
        dlg.hide();
        dlg.show();
        QApplication::processEvents();
        expectSpan("shown again");
    }
}

// X, Y and Z keep one colour in both windows that show them: each series of the chart, its line,
// its markers and its legend row, has the colour of the same component's curve in the response
// plots (black, blue and red).
TEST_F(AmpFixture, EachComponentHasTheColourOfItsCurveInTheResponsePlots)
{
    TDlgAmpPlot dlg(project, &dxyz, &mxyz);
    dlg.show();
    QApplication::processEvents();
    const std::map<QString, int> component{
        {QStringLiteral("X-Dir"), 0}, {QStringLiteral("Y-Dir"), 1}, {QStringLiteral("Z-dir"), 2}};
    const QColor plotted[3] = {QColor(0x00, 0x00, 0x00), QColor(0x00, 0x00, 0xFF), QColor(0xFF, 0x00, 0x00)};
    for (int k = 0; k < 3; ++k) ASSERT_EQ(PlotPaint::PlotColour(k).name().toStdString(), plotted[k].name().toStdString()) << "curve " << k << " of a plot window";
    int seen = 0, rows = 0;
    QChart* chart = dlg.ChartView()->chart();
    for (QAbstractSeries* series : chart->series()) {
        auto* xy = qobject_cast<QXYSeries*>(series);
        ASSERT_NE(xy, nullptr);
        ASSERT_TRUE(component.count(xy->name())) << xy->name().toStdString();
        const int k = component.at(xy->name());
        SCOPED_TRACE(xy->name().toStdString());
        EXPECT_EQ(xy->color().name().toStdString(), plotted[k].name().toStdString());
        if (auto* markers = qobject_cast<QScatterSeries*>(xy)) {
            EXPECT_EQ(markers->borderColor().name().toStdString(), plotted[k].name().toStdString());
        }
        for (QLegendMarker* marker : chart->legend()->markers(series)) {
            if (!marker->isVisible()) continue;
            EXPECT_EQ(marker->brush().color().name().toStdString(), plotted[k].name().toStdString());
            ++rows;
        }
        ++seen;
    }
    EXPECT_EQ(seen, 6);  // a line and its markers for each component
    EXPECT_EQ(rows, 3);  // one legend row each
}
