// The main window after a run, through the real engine library: the engine's result decides
// the message and whether plots are read; plot data of an earlier layout are out of date; New
// leaves no plots of the old project.
#include "mainform_fixture.h"

#include "dataunit.h"
#include "projectfile.h"
#include "pltdata.h"
#include "runlist.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

bool GraphicsEnabled(TMainForm& m)
{
    m.GraphicsMenuClick();
    return m.Action(QStringLiteral("GraphKxx"))->isEnabled() || m.Action(QStringLiteral("GraphDisplacement"))->isEnabled();
}

TEST(RunResult, MessagesNameTheReport)
{
    const QString report = QStringLiteral("/jobs/pump.tmo");
    EXPECT_EQ(Run::ResultMessage(0, report), kCompleted);
    for (const int result : {2, 3, 4, 1, -1}) {
        const QString text = Run::ResultMessage(result, report);
        EXPECT_TRUE(text.contains(report)) << result;
        EXPECT_TRUE(text.contains(QStringLiteral("no results"))) << result;
    }
    EXPECT_TRUE(Run::ResultMessage(3, report).contains(QStringLiteral("*** FATAL ERROR IN INPUT DATA ***")));
    EXPECT_TRUE(Run::ResultMessage(2, report).contains(QStringLiteral("STOP")));
    EXPECT_TRUE(Run::ResultMessage(4, report).startsWith(QStringLiteral("The output of the analysis could not be written")));
    // Frequencies without a response: the counts come from the engine's line; without it the
    // message still says that the run failed there.
    const QString line =
        QStringLiteral("*** RESPONSE NOT COMPUTED AT 3 OF 7 FREQUENCIES: THE EQUATIONS OF MOTION COULD NOT BE SOLVED ***");
    EXPECT_TRUE(Run::ResultMessage(6, report, {line}).startsWith(QStringLiteral("The run failed at 3 of its 7 frequencies")));
    EXPECT_TRUE(Run::ResultMessage(6, report, {line}).endsWith(QStringLiteral("the other 4 frequencies only.")));
    EXPECT_TRUE(Run::ResultMessage(6, report).startsWith(QStringLiteral("The run failed at some of its frequencies")));
    for (const QString& text : {Run::ResultMessage(6, report), Run::ResultMessage(6, report, {line})}) {
        EXPECT_TRUE(text.contains(report));
        EXPECT_FALSE(text.contains(QStringLiteral("completed")));
    }
}

// The engine's messages are the lines before each closing line, back to the empty line before
// them; the fatal page, the banner and the data echo are none.
TEST(RunResult, TheEngineMessagesOfAReportAreTheLinesBeforeTheirClosingLines)
{
    const QString report = QStringLiteral(
        " *************************************************\r\n"
        " SOIL\r\n"
        "\r\n"
        "\r\n"
        " *** SHEAR WAVE VELOCITY OF SIDE LAYER 1 MUST NOT BE NEGATIVE ***\r\n"
        " PROGRAM WILL NOT EXECUTE\r\n"
        "\r\n"
        "\r\n"
        "  ERROR ENCOUNTERED IN LOAD DESCRIPTION\r\n"
        "         - WILL CONTINUE TO PROCESS DATA\r\n"
        "      - CANNOT EXECUTE T HIS PROBLEM SET\r\n"
        "\r\n"
        "\r\n"
        " INSUFFICIENT INPUT DATA TO COMPLETE RUN\r\n"
        " PROGRAM WILL TERMINATE\r\n"
        "\r\n"
        "\r\n"
        " ***INADMISSABLE VALUE FOR SHEAR WAVE VELOCITY OF HALF-SPACE ( 0.00E+00) ***\r\n"
        " ***PROGRAM WILL NOT EXECUTE***\r\n"
        "\r\n"
        "\r\n"
        " *** FOUNDATION IMPEDANCE NOT FINITE AT  1.000E+01 Hz - INPUT BEYOND THE NUMERICAL RANGE OF THE "
        "ANALYSIS ***\r\n"
        " ANALYSIS TERMINATED\r\n"
        "1\r\n"
        "\r\n"
        "\r\n"
        "*** FATAL ERROR IN INPUT DATA ***\r\n"
        "*** EXEC   UTION TERMINATED ***\r\n");
    EXPECT_EQ(Run::ReportErrors(report),
              (QStringList{"*** SHEAR WAVE VELOCITY OF SIDE LAYER 1 MUST NOT BE NEGATIVE ***",
                           "ERROR ENCOUNTERED IN LOAD DESCRIPTION", "INSUFFICIENT INPUT DATA TO COMPLETE RUN",
                           "***INADMISSABLE VALUE FOR SHEAR WAVE VELOCITY OF HALF-SPACE ( 0.00E+00) ***",
                           "*** FOUNDATION IMPEDANCE NOT FINITE AT  1.000E+01 Hz - INPUT BEYOND THE NUMERICAL "
                           "RANGE OF THE ANALYSIS ***"}));
    EXPECT_EQ(Run::ReportErrors(QStringLiteral(" STIFFNESS CONSTANTS (K)\n ***********************\n")),
              QStringList());
    EXPECT_EQ(Run::ReadReportErrors(QStringLiteral("/nonexistent/report.tmo")), QStringList());

    // The message: the result's text, the first five, how many more.
    const QString path = QStringLiteral("/jobs/pump.tmo");
    const QStringList six{"a", "b", "c", "d", "e", "f"};
    EXPECT_EQ(Run::ResultMessage(3, path, {}), Run::ResultMessage(3, path));
    EXPECT_EQ(Run::ResultMessage(3, path, six.mid(0, 2)), Run::ResultMessage(3, path) + QStringLiteral("\n\na\nb"));
    EXPECT_EQ(Run::ResultMessage(3, path, six),
              Run::ResultMessage(3, path) + QStringLiteral("\n\na\nb\nc\nd\ne\n(and 1 more message in the report)"));
    EXPECT_TRUE(Run::ResultMessage(3, path, six + six).endsWith(QStringLiteral("(and 7 more messages in the report)")));
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
    TMainForm& m = MakeShownOn(project);
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
    EXPECT_EQ(recorder.LastText(), Run::ResultMessage(Run::kResultRefused, report,
                                                      {QStringLiteral("*** NUMBER OF FREQUENCY POINTS MUST BE 1 TO 1024 ***")}));
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

// A project whose side layers and soil below hold negative values: the engine refuses it with
// more than five messages; the user reads the first five of them and how many more, without the report.
TEST_F(MainFormTest, ARefusedRunSaysWhyWithTheEnginesOwnMessages)
{
    const QString project = CopyExample(QStringLiteral("halfspace-embedded-harmonic"), QStringLiteral("refused.tmx"));
    QByteArray deck = ReadBytes(project);
    for (const auto& [from, to] : {std::pair{"1 0.5 160 18 0.3 0.05", "1 0.5 -250 -18 0.3 -0.05"},
                                   std::pair{"2 1 200 19 0.3 0.05", "2 1 -200 -19 0.3 0.05"},
                                   std::pair{"BELOW=260 20 0.3 0.04", "BELOW=260 -20 0.3 -0.04"}}) {
        ASSERT_TRUE(deck.contains(from)) << from;
        deck.replace(from, to);
    }
    QFile file(project);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(deck);
    file.close();
    TMainForm& m = MakeShownOn(project);
    recorder.Clear();
    m.CompRunClick();
    ASSERT_EQ(recorder.Count(), 1);
    const QString text = recorder.LastText();
    const QString report = work.filePath(QStringLiteral("refused.tmo"));
    const QStringList errors = Run::ReadReportErrors(report);
    EXPECT_GE(errors.size(), 7);
    EXPECT_TRUE(errors.contains(QStringLiteral("*** SHEAR WAVE VELOCITY OF SIDE LAYER 1 MUST NOT BE NEGATIVE ***")));
    EXPECT_EQ(text, Run::ResultMessage(Run::kResultRefused, report, errors));
    EXPECT_TRUE(text.startsWith(Run::ResultMessage(Run::kResultRefused, report) + QStringLiteral("\n\n***")))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\n(and %1 more messages in the report)").arg(errors.size() - 5)))
        << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("MUST NOT BE NEGATIVE")), 5);
}

}  // namespace
