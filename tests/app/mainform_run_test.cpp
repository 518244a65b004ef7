// Run Analysis through the real engine library: the run list, the failed load, the run of an
// example project, the plot data read back into the 18 graphs.
#include "mainform_fixture.h"

#include "about.h"
#include "dataunit.h"
#include "pltdata.h"
#include "project.h"
#include "forms/tipsoilform.h"
#include "poissonratios.h"
#include "projectfile.h"
#include "registerwindows.h"
#include "runlist.h"
#include "util/numtext.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QRegularExpression>

namespace {

TEST_F(MainFormTest, RunListHasSevenLinesWithCrLf)
{
    const QString path = work.filePath(QStringLiteral("names.dat"));
    Run::WriteRunList(path, QStringLiteral("3.0.11"), QStringLiteral("/jobs/my pump.v2/pump.tmx"));
    EXPECT_EQ(ReadBytes(path), QByteArray("3.0.11\r\n/jobs/my pump.v2/pump.tmx\r\n/jobs/my pump.v2/pump.tmo\r\n"
                                          "/jobs/my pump.v2/pump.tmq\r\n/jobs/my pump.v2/pump.tmr\r\n"
                                          "/jobs/my pump.v2/pump.tmt\r\n/jobs/my pump.v2/pump.tmm\r\n"));
    EXPECT_EQ(ProjectFile::ChangeFileExt(QStringLiteral("/a.b/pump"), QStringLiteral(".tmo")), QStringLiteral("/a.b/pump.tmo"));
}

// One rule names the files of a project for the writer, the run list and the menus: the
// extension is what follows the last "." of the file name, unless that "." opens the name.
TEST(ChangeFileExt, ReplacesTheExtensionOfTheFileNameOnly)
{
    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"/d/pump.tmx", "/d/pump.tmm"},
        {"/d/pump", "/d/pump.tmm"},             // no extension: appended
        {"/a.b/pump", "/a.b/pump.tmm"},         // a "." of the folder is no extension
        {"/d/.tmx", "/d/.tmx.tmm"},             // a hidden name is a name, not an extension
        {"/d/.pump.tmx", "/d/.pump.tmm"},
        {"pump.v2.tmx", "pump.v2.tmm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProjectFile::ChangeFileExt(QString::fromUtf8(c.path), QStringLiteral(".tmm")),
                  QString::fromUtf8(c.expected))
            << c.path;
}

TEST_F(MainFormTest, TheRunListNamesTheFilesTheProjectWasSavedAs)
{
    // A project whose name starts with a dot: the engine must read the mass and drawing files
    // the writer wrote, not files of another name.
    TProject project;
    const QString path = work.filePath(QStringLiteral(".tmx"));
    project.SaveAs(path);
    const QStringList lines = Run::RunListLines(QStringLiteral("3.0.11"), project.Data().FileName);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[1], path);
    EXPECT_EQ(lines[5], project.Data().DrawingFileName);
    EXPECT_EQ(lines[6], project.Data().MassFileName);
    EXPECT_EQ(lines[6], path + QStringLiteral(".tmm"));
    EXPECT_TRUE(QFileInfo::exists(lines[5]));
    EXPECT_TRUE(QFileInfo::exists(lines[6]));
}

TEST_F(MainFormTest, ANeverSavedProjectIsNotRun)
{
    TMainForm& m = Make();
    m.FormShow();
    QDir::setCurrent(work.path());
    m.CompRunClick();  // Save As opens and is cancelled
    EXPECT_EQ(saveTitles.size(), 1);
    EXPECT_EQ(recorder.Count(), 0);
    EXPECT_EQ(QDir::currentPath(), work.path()) << "the run stopped before it moved to the run folder";
}

// One test for both runs: they share "names.dat" in the run folder.
TEST_F(MainFormTest, RunOfAnExampleThroughTheEngineLibrary)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("block.tmx"));
    const QString programFolder = QCoreApplication::applicationDirPath();
    TMainForm& m = Make();
    const QString runList = QDir(m.RunFolder()).filePath(QStringLiteral("names.dat"));
    m.CreateDialogs();
    m.FormShow();
    m.OpenFileName(project);
    EXPECT_FALSE(m.PlotDataRead());

    // A missing library: the run does not start and leaves nothing behind (no run list), the
    // next run tries again.
    m.SetEngineLibraryPath(work.filePath(QStringLiteral("libmissing.so")));
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{QStringLiteral("Attempt to initialize DLL failed")});
    EXPECT_FALSE(QFileInfo::exists(runList));
    EXPECT_FALSE(QFileInfo::exists(work.filePath(QStringLiteral("block.tmo"))));

    // The real engine in the program's folder.
    recorder.Clear();
    m.SetEngineLibraryPath(QString());
    ASSERT_TRUE(QFileInfo::exists(QDir(programFolder).filePath(QStringLiteral("libtremcalc.so"))));
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
    EXPECT_FALSE(QFileInfo::exists(runList)) << "the run list lives only for the run";
    EXPECT_EQ(QDir::currentPath(), QDir(m.RunFolder()).absolutePath()) << "the run folder stays current";
    EXPECT_FALSE(m.ProgressWindow()->isVisible());
    const QString report = work.filePath(QStringLiteral("block.tmo"));
    const QString plotData = work.filePath(QStringLiteral("block.tmq"));
    ASSERT_TRUE(QFileInfo::exists(report));
    ASSERT_TRUE(QFileInfo::exists(plotData));
    EXPECT_FALSE(ReadBytes(report).contains("FATAL")) << ReadBytes(report).left(2000).toStdString();
    EXPECT_TRUE(m.PlotDataRead());

    // The 18 graphs against the plot-data file, read here word by word on its own.
    QStringList words = QString::fromLatin1(ReadBytes(plotData)).split(QRegularExpression(QStringLiteral("\\s+")),
                                                                       Qt::SkipEmptyParts);
    const int n = words.takeFirst().toInt();
    ASSERT_GT(n, 1);
    auto value = [&](int k) { return NumText::StrToFloat(words[k]); };
    // Stiffness and damping records (9 words each per point), then the response records (7).
    ASSERT_GE(words.size(), n * 18 + n * 7);
    for (const char* name : {"pltRealKXX", "pltRealKYY", "pltRealKWW", "pltRealKPPX", "pltRealKPPY", "pltRealKZT",
                             "pltRealKXP", "pltRealKYP", "pltDampCXX", "pltDampCYY", "pltDampCWW", "pltDampCPPX",
                             "pltDampCPPY", "pltDampCZT", "pltDampCXP", "pltDampCYP", "pltDxyzR", "pltMxyzR"}) {
        TGraphPlot* p = m.Plot(QString::fromLatin1(name));
        ASSERT_NE(p, nullptr) << name;
        EXPECT_EQ(p->PointCount(), n) << name;
        EXPECT_EQ(p->Units(), 2) << name;
    }
    TGraphPlot* kxx = m.Plot(QStringLiteral("pltRealKXX"));
    TGraphPlot* cppx = m.Plot(QStringLiteral("pltDampCPPX"));
    TGraphPlot* kxp = m.Plot(QStringLiteral("pltRealKXP"));
    TGraphPlot* d = m.Plot(QStringLiteral("pltDxyzR"));
    TGraphPlot* r = m.Plot(QStringLiteral("pltMxyzR"));
    ASSERT_EQ(kxx->LineCount(), 3);
    EXPECT_EQ(kxx->Lines(2)->Name, QStringLiteral("Kww"));
    EXPECT_EQ(kxp->LineCount(), 1);
    EXPECT_EQ(r->Lines(2)->Name, QStringLiteral("About Z-Dir"));
    for (int j : {0, n / 2, n - 1}) {
        const int s = j * 18;  // stiffness record of point j; damping at s + 9
        const int resp = n * 18 + j * 7;
        EXPECT_DOUBLE_EQ(double(kxx->Points(0, j)->X), double(value(s) / 6.2832L)) << j;
        EXPECT_DOUBLE_EQ(double(kxx->Points(0, j)->Y), double(value(s + 1))) << j;
        EXPECT_DOUBLE_EQ(double(kxx->Points(2, j)->Y), double(value(s + 3))) << j;
        EXPECT_DOUBLE_EQ(double(kxp->Points(0, j)->Y), double(value(s + 7))) << j;
        EXPECT_DOUBLE_EQ(double(cppx->Points(1, j)->Y), double(value(s + 9 + 5))) << j;
        EXPECT_DOUBLE_EQ(double(d->Points(0, j)->X), double(value(resp) / 6.2832L)) << j;
        EXPECT_DOUBLE_EQ(double(d->Points(2, j)->Y), double(value(resp + 3))) << j;
        EXPECT_DOUBLE_EQ(double(r->Points(1, j)->Y), double(value(resp + 5))) << j;
    }
    // The deck runs from 6.28 to 314 rad/s; the graphs divide by 6.2832 (not 2 pi).
    EXPECT_NEAR(double(kxx->Points(0, 0)->X), 6.28 / 6.2832, 1e-6);
    EXPECT_NEAR(double(kxx->Points(0, n - 1)->X), 314 / 6.2832, 1e-4);
    EXPECT_GT(double(kxx->Points(0, 0)->Y), 0.0) << "a half-space is stiff at low frequency";

    // The Graphics menu opens the plots now.
    m.GraphicsMenuClick();
    EXPECT_TRUE(m.Action(QStringLiteral("GraphKxx"))->isEnabled());
    EXPECT_TRUE(m.Action(QStringLiteral("GraphDisplacement"))->isEnabled());
    m.Action(QStringLiteral("GraphKxx"))->trigger();
    EXPECT_NE(kxx->PlotWindow(), nullptr);

    // A second run starts afresh and closes the plot windows that showed the old data.
    recorder.Clear();
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
    EXPECT_EQ(kxx->PlotWindow(), nullptr);
    EXPECT_EQ(kxx->PointCount(), n);
}

}  // namespace

namespace {

TEST_F(MainFormTest, AWeakZoneRatioOf0IsShownInItsTableAndNothingRuns)
{
    // The single-pile example with its three ratios set to 0 gave a negative KXX as a complete run.
    const QString project = CopyExample(QStringLiteral("single-pile-harmonic"), QStringLiteral("pile.tmx"));
    TMainForm& m = MakeShownOn(project);
    for (int r = 0; r < 3; ++r) m.Tables().D->Cell(4, r)->SetAsFloat(0);
    const QByteArray saved = ReadBytes(project);
    m.CompRunClick();
    ASSERT_EQ(recorder.Count(), 1) << recorder.Texts().join(QLatin1Char('\n')).toStdString();
    const MessageRecorder::Message message = recorder.Messages().first();
    EXPECT_EQ(message.kind, MessageSink::Kind::Warning);
    EXPECT_EQ(message.place, QStringLiteral("Soil Properties: Weak zone shear modulus ratio, row 1"));
    EXPECT_TRUE(message.text.contains(QStringLiteral("A ratio of 1 means no weak zone"))) << message.text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(work.filePath(QStringLiteral("pile.tmo")))) << "nothing ran";
    EXPECT_EQ(ReadBytes(project), saved) << "nothing was saved";
    // The table is shown for the entry.
    EXPECT_NE(m.Tables().D->Editor(), nullptr);

    // With the ratios at 1 (no weak zone) the run goes on.
    recorder.Clear();
    for (int r = 0; r < 3; ++r) m.Tables().D->Cell(4, r)->SetAsFloat(1);
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
}

TEST_F(MainFormTest, APoissonsRatioNoSoilHasIsShownWhereItIsAndNothingRuns)
{
    // The half-space example with its ratios at 0.6 ran with result 0 and a stiffness no soil has.
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("footing.tmx"));
    TMainForm& m = MakeShownOn(project);
    RegisterWindows::RegisterForms(m);
    m.Tables().D1->Cell(3, 0)->SetAsFloat(0.6L);
    const QByteArray saved = ReadBytes(project);
    m.CompRunClick();
    ASSERT_EQ(recorder.Count(), 1) << recorder.Texts().join(QLatin1Char('\n')).toStdString();
    MessageRecorder::Message message = recorder.Messages().first();
    EXPECT_EQ(message.kind, MessageSink::Kind::Warning);
    EXPECT_EQ(message.place, QStringLiteral("Soil Layer Data: Poisson's Ratio, row 1"));
    EXPECT_EQ(message.text, PoissonRatios::RefusalText());
    EXPECT_FALSE(QFileInfo::exists(work.filePath(QStringLiteral("footing.tmo")))) << "nothing ran";
    EXPECT_EQ(ReadBytes(project), saved) << "nothing was saved";
    EXPECT_NE(m.Tables().D1->Editor(), nullptr) << "the table is shown for the entry";

    // The soil below: its form opens.
    recorder.Clear();
    m.Tables().D1->Cell(3, 0)->SetAsFloat(0.33L);
    m.Data().TipPoisson = 0.75L;
    m.CompRunClick();
    ASSERT_EQ(recorder.Count(), 1) << recorder.Texts().join(QLatin1Char('\n')).toStdString();
    message = recorder.Messages().first();
    EXPECT_EQ(message.place, QStringLiteral("Soil Below The Footing: Poisson's ratio"));
    EXPECT_NE(qobject_cast<TfrmTipsoil*>(m.Child(TChildKind::Tipsoil)), nullptr);
    EXPECT_FALSE(QFileInfo::exists(work.filePath(QStringLiteral("footing.tmo"))));

    // 0.5, the incompressible soil, runs.
    recorder.Clear();
    m.CloseAllChildren();
    m.Data().TipPoisson = 0.5L;
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
}

TEST_F(MainFormTest, ProgressWindowAndAboutBox)
{
    TMainForm& m = Make();
    m.CreateDialogs();
    TDlgRunAnalysis* progress = m.ProgressWindow();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->windowTitle(), QStringLiteral("Tremex, Run Analysis"));
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(progress->ProgressBar()->value(), 50);
    EXPECT_EQ(progress->TimerRun()->interval(), 100);
    // 50, 60, ..., 100, then back to 0.
    for (int expected : {60, 70, 80, 90, 100, 0, 10}) {
        progress->TimerRunTimer();
        EXPECT_EQ(progress->ProgressBar()->value(), expected);
    }
    ASSERT_NE(m.AboutBox(), nullptr);
    EXPECT_EQ(m.AboutBox()->VersionLabel()->text(), QStringLiteral("Version 3.0.11"));
    EXPECT_FALSE(m.AboutBox()->isVisible());
}

}  // namespace

// A run saves the project first: the comment lines of a bundled example are still there after it.
TEST_F(MainFormTest, ARunKeepsTheCommentsOfAHandWrittenProject)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("commented.tmx"));
    QStringList comments;
    for (const QByteArray& line : ReadBytes(project).split('\n'))
        if (line.startsWith('$')) comments << QString::fromUtf8(line);
    ASSERT_GE(comments.size(), 3);
    TMainForm& m = Make();
    m.CreateDialogs();
    m.OpenFileName(project);
    m.Data().ProjectTitle = QStringLiteral("Compressor block, second try");
    m.SetModified(true);
    m.CompRunClick();
    ASSERT_EQ(recorder.Texts(), QStringList{QStringLiteral(
                                    "Computations are completed. Please, check output file for results or error messages.")});
    const QByteArray after = ReadBytes(project);
    EXPECT_TRUE(after.startsWith("TITLE=Compressor block, second try\r\n"));
    QStringList kept;
    for (const QByteArray& line : after.split('\n'))
        if (line.startsWith('$')) kept << QString::fromUtf8(line).chopped(1);  // CR LF now
    EXPECT_EQ(kept, comments);
}
