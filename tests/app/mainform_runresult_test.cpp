// The main window after a run, through the real engine library: the engine's result decides
// the message and whether plots are read; plot data of an earlier layout are out of date; New
// leaves no plots of the old project.
#include "mainform_fixture.h"

#include "dataunit.h"
#include "projectfile.h"
#include "pltdata.h"
#include "runlist.h"

#include <QAction>
#include <QFileInfo>

namespace {

const QString kCompleted = QStringLiteral(
    "Computations are completed. Please, check output file for results or error messages.");

int PointsShown(const TMainForm& m)
{
    int points = 0;
    for (const TGraphPlot* p : m.Plots()) points += p->PointCount();
    return points;
}

bool GraphicsEnabled(TMainForm& m)
{
    m.GraphicsMenuClick();
    return m.Action(QStringLiteral("GraphKxx"))->isEnabled() || m.Action(QStringLiteral("GraphDisplacement"))->isEnabled();
}

TEST(RunResult, MessagesNameTheReport)
{
    const QString report = QStringLiteral("/jobs/pump.tmo");
    EXPECT_EQ(Run::ResultMessage(0, report), kCompleted);
    for (const int result : {2, 3, 1, -1}) {
        const QString text = Run::ResultMessage(result, report);
        EXPECT_TRUE(text.contains(report)) << result;
        EXPECT_TRUE(text.contains(QStringLiteral("no results"))) << result;
    }
    EXPECT_TRUE(Run::ResultMessage(3, report).contains(QStringLiteral("*** FATAL ERROR IN INPUT DATA ***")));
    EXPECT_TRUE(Run::ResultMessage(2, report).contains(QStringLiteral("STOP")));
}

TEST_F(MainFormTest, SavingATitleLongerThanTheAnalysisReadsTellsWhatTheReportWillShow)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("title.tmx"));
    TMainForm& m = Make();
    m.FormShow();
    m.OpenFileName(project);
    recorder.Clear();
    m.Project().Data().ProjectTitle = QString(74, QLatin1Char('t'));
    ASSERT_TRUE(m.FileSaveClick());
    EXPECT_EQ(recorder.Count(), 0) << "74 characters fit";
    m.Project().Data().ProjectTitle = QString(74, QLatin1Char('t')) + QStringLiteral("UVWXYZ");
    ASSERT_TRUE(m.FileSaveClick());
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.LastText(), ProjectFile::TitleNotice(m.Project().Data().ProjectTitle));
    EXPECT_TRUE(recorder.LastText().contains(QString(74, QLatin1Char('t')) + QStringLiteral("\"")));
    EXPECT_TRUE(ReadBytes(project).startsWith("TITLE=" + QByteArray(74, 't') + "UVWXYZ\r\n")) << "the file keeps it";
}

// One test for every run: they share "names.dat" in the program's folder.
TEST_F(MainFormTest, TheEngineResultTheStalePlotDataAndNewAfterARun)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("block.tmx"));
    const QString report = work.filePath(QStringLiteral("block.tmo"));
    TMainForm& m = Make();
    m.CreateDialogs();
    m.FormShow();
    m.OpenFileName(project);
    const long double freqMax = m.Project().Data().FreqMax;

    // A run of the stiffness matrix and the response.
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
    ASSERT_TRUE(m.PlotDataRead());
    const int n = m.Plot(QStringLiteral("pltRealKXX"))->PointCount();
    ASSERT_GT(n, 1);
    EXPECT_TRUE(GraphicsEnabled(m));

    // MATRIX switched off, saved, opened again: the old plot data do not fit any more.
    recorder.Clear();
    m.Project().Data().MatrixFlag = 0;
    ASSERT_TRUE(m.FileSaveClick());
    m.OpenFileName(project);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_TRUE(recorder.LastText().contains(QStringLiteral("out of date"))) << recorder.LastText().toStdString();
    EXPECT_FALSE(m.PlotDataRead());
    EXPECT_EQ(PointsShown(m), 0) << "no stiffness value may pass for a displacement";
    EXPECT_FALSE(GraphicsEnabled(m));

    // Run again: the response alone.
    recorder.Clear();
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
    EXPECT_TRUE(m.PlotDataRead());
    EXPECT_EQ(m.Plot(QStringLiteral("pltDxyzR"))->PointCount(), n);
    EXPECT_EQ(m.Plot(QStringLiteral("pltRealKYY"))->PointCount(), 0);

    // More frequency points than the engine takes: it refuses the input (result 3). The user is
    // told so, with the report's full path, and the plots of the earlier run are gone.
    recorder.Clear();
    m.Project().Data().FreqMax = 2000;
    m.Project().Data().FreqStep = 1;
    m.CompRunClick();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.LastText(), Run::ResultMessage(Run::kResultRefused, report));
    EXPECT_TRUE(recorder.LastText().contains(report));
    EXPECT_TRUE(ReadBytes(report).contains("*** FATAL ERROR IN INPUT DATA ***"));
    EXPECT_TRUE(ReadBytes(report).contains("NUMBER OF FREQUENCY POINTS MUST BE 1 TO 1024"));
    EXPECT_FALSE(m.PlotDataRead());
    EXPECT_EQ(PointsShown(m), 0);
    EXPECT_FALSE(GraphicsEnabled(m));

    // A good run, then New: no plots of the old project remain.
    recorder.Clear();
    m.Project().Data().FreqMax = freqMax;
    m.Project().Data().FreqStep = 1;
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
    ASSERT_TRUE(m.PlotDataRead());
    m.GraphicsMenuClick();
    m.Action(QStringLiteral("GraphDisplacement"))->trigger();
    EXPECT_NE(m.Plot(QStringLiteral("pltDxyzR"))->PlotWindow(), nullptr);
    m.FileNewClick();
    EXPECT_FALSE(m.PlotDataRead());
    EXPECT_EQ(PointsShown(m), 0);
    EXPECT_EQ(m.Plot(QStringLiteral("pltDxyzR"))->PlotWindow(), nullptr);
    EXPECT_FALSE(GraphicsEnabled(m));
}

}  // namespace
