// The results of a run through the real main window and the real engine, where they once passed
// for a success or were lost: a run whose equations of motion cannot be solved at its
// frequencies (its message, and plots of the frequencies solved only), a project in a deep folder
// (results written whole), a path too long for the system (refused before anything is written),
// a damaged engine library (refused, nothing left behind), and plot data cut at a line end.
#include "mainform_fixture.h"

#include "projectfile.h"
#include "run.h"

#include "engine_harness.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>

#include <set>

namespace {

const QString kGolden = QStringLiteral(TREMEX_SOURCE_DIR "/tests/engine/golden/expected/halfspace-harmonic");

// The names in a folder (hidden ones too).
std::set<QString> Names(const QString& folder)
{
    std::set<QString> names;
    for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        names.insert(name);
    return names;
}

class RunResultTest : public MainFormTest {
protected:
    // The harmonic example as `name` in `folder`, with the mass line `mass` when given.
    QString Place(const QString& folder, const QString& name, const QString& mass = QString())
    {
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + name;
        QByteArray deck = ReadBytes(QStringLiteral(TREMEX_SOURCE_DIR "/examples/halfspace-harmonic.tmx"));
        if (!mass.isEmpty()) deck.replace("200 600 1100 1500 0 0 0", mass.toUtf8());
        WriteBytes(path, deck);
        WriteBytes(ProjectFile::ChangeFileExt(path, QStringLiteral(".tmm")),
                   ReadBytes(QStringLiteral(TREMEX_SOURCE_DIR "/examples/halfspace-harmonic.tmm")));
        return path;
    }

    // A folder whose path with "/" and `file` is `length` characters long.
    QString DeepFolder(qsizetype length, const QString& file)
    {
        QString dir = work.path() + QStringLiteral("/deep") + QString::number(length);
        while (dir.size() + 1 + 201 + file.size() + 1 < length) dir += QLatin1Char('/') + QString(200, QLatin1Char('d'));
        dir += QLatin1Char('/') + QString(length - dir.size() - 2 - file.size(), QLatin1Char('n'));
        return dir;
    }
};

// A mass of 3E38 in the harmonic example: no frequency can be solved, and the window says the run
// failed at all of them instead of "Computations are completed"; the plots of an earlier run are
// gone (the engine once printed the loads as the response and the window plotted them). With 1E35
// nine of the fifty are solved: the message counts the others and the plots hold the nine.
TEST_F(RunResultTest, ARunThatFailsAtItsFrequenciesSaysSoAndPlotsTheOthersOnly)
{
    const QString project = Place(work.path(), QStringLiteral("heavy.tmx"));
    const QString report = QDir::toNativeSeparators(work.filePath(QStringLiteral("heavy.tmo")));
    TMainForm& m = MakeShownOn(project);
    m.CompRunClick();
    ASSERT_EQ(recorder.Texts(), QStringList{kCompleted});
    ASSERT_EQ(m.Plot(QStringLiteral("pltDxyzR"))->PointCount(), 50);

    struct Case {
        const char* mass;
        QString message;
        int points;
    } cases[] = {
        {"3E38 600 1100 1500 0 0 0",
         QStringLiteral("The run failed at all 50 of its frequencies: the response could not be computed at any of "
                        "them (the equations of motion could not be solved), so the run gave no response. The report ") +
             report + QStringLiteral(" lists those frequencies."),
         0},
        {"1E35 600 1100 1500 0 0 0",
         QStringLiteral("The run failed at 41 of its 50 frequencies: the response could not be computed there (the "
                        "equations of motion could not be solved). The report ") +
             report + QStringLiteral(" lists those frequencies; its results and the plots hold the other 9 frequencies only."),
         9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mass);
        Place(work.path(), QStringLiteral("heavy.tmx"), QString::fromLatin1(c.mass));
        m.OpenFileName(project);
        recorder.Clear();
        m.CompRunClick();
        EXPECT_EQ(recorder.Texts(), QStringList{c.message});
        EXPECT_EQ(m.AnalysisRun().Result(), 6) << "the engine's result for frequencies without a response";
        EXPECT_TRUE(m.PlotDataRead());
        for (const char* name : {"pltDxyzR", "pltMxyzR", "pltRealKXX", "pltDampCPPY"})
            EXPECT_EQ(m.Plot(QString::fromLatin1(name))->PointCount(), c.points) << name;
        EXPECT_TRUE(ReadBytes(work.filePath(QStringLiteral("heavy.tmo"))).contains("NOT SOLVED"));
    }
}

// A project in a folder whose path makes it 234, 300 and 1000 characters long, with an old report
// of 4 bytes: the run puts the new report and plot data in its place, whole, and they are those
// of the same project run from a short folder (the stored copies of the example, the folder and
// the time masked). The window once said "Computations are completed" and kept the old report,
// or blamed names that the cut at 256 characters had made alike.
TEST_F(RunResultTest, AProjectInADeepFolderIsRunWhole)
{
    TMainForm& m = MakeShownOn(Place(work.path(), QStringLiteral("start.tmx")));
    for (const qsizetype length : {234, 300, 1000}) {
        SCOPED_TRACE(length);
        const QString dir = DeepFolder(length, QStringLiteral("project.tmx"));
        const QString project = Place(dir, QStringLiteral("project.tmx"));
        ASSERT_EQ(project.size(), length);
        WriteBytes(dir + QStringLiteral("/project.tmo"), "old\n");
        m.OpenFileName(project);
        recorder.Clear();
        m.CompRunClick();
        EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
        EXPECT_EQ(harness::masked(ReadBytes(dir + QStringLiteral("/project.tmo")).toStdString(), dir.toStdString()),
                  ReadBytes(kGolden + QStringLiteral(".tmo")).toStdString());
        EXPECT_EQ(ReadBytes(dir + QStringLiteral("/project.tmq")), ReadBytes(kGolden + QStringLiteral(".tmq")));
        EXPECT_EQ(m.Plot(QStringLiteral("pltDxyzR"))->PointCount(), 50);
        EXPECT_EQ(Names(dir), (std::set<QString>{"project.tmm", "project.tmo", "project.tmq", "project.tmt",
                                                 "project.tmx"}))
            << "no lock or temporary is left";
    }
}

// A project whose run would need a path longer than the system takes: refused before anything is
// written (the project is not even saved), with the path, its length and the limit.
TEST_F(RunResultTest, APathTooLongForTheSystemIsRefusedBeforeAnythingIsWritten)
{
    const QString dir = DeepFolder(4085, QStringLiteral("p.tmx"));
    const QString project = Place(dir, QStringLiteral("p.tmx"));
    TMainForm& m = MakeShownOn(project);
    m.Data().ProjectTitle = QStringLiteral("Changed");
    m.SetModified(true);
    const std::set<QString> before = Names(dir);
    const QByteArray deck = ReadBytes(project);
    recorder.Clear();
    m.CompRunClick();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_TRUE(recorder.LastText().startsWith(
        QStringLiteral("The path of the report, at its temporary name, would be 4101 bytes long, longer than the 4095 "
                       "bytes the system takes for a path: ") +
        dir + QStringLiteral("/.p.tmrun-XXXXXX/p.tmo. The run was not started and nothing was written")))
        << recorder.LastText().toStdString();
    EXPECT_EQ(Names(dir), before);
    EXPECT_EQ(ReadBytes(project), deck);
    EXPECT_TRUE(m.IsModified());
}

// An engine library cut to 10,000 bytes: "Attempt to initialize DLL failed", as for a missing one,
// and no lock, temporary folder or run list is left (the window once died on the run and left
// all three). The whole library then runs.
TEST_F(RunResultTest, ADamagedEngineLibraryIsRefusedAndLeavesNothingBehind)
{
    const QString project = Place(work.path(), QStringLiteral("block.tmx"));
    TMainForm& m = MakeShownOn(project);
    const QByteArray engine = ReadBytes(QCoreApplication::applicationDirPath() + QStringLiteral("/libtremcalc.so"));
    ASSERT_GT(engine.size(), 10000);
    const QString cut = work.filePath(QStringLiteral("engine/libtremcalc.so"));
    QDir().mkpath(work.filePath(QStringLiteral("engine")));
    WriteBytes(cut, engine.left(10000));
    m.SetEngineLibraryPath(cut);
    const QString runList = QDir(m.RunFolder()).filePath(QStringLiteral("names.dat"));
    recorder.Clear();
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{QStringLiteral("Attempt to initialize DLL failed")});
    EXPECT_EQ(Names(work.path()),
              (std::set<QString>{"block.tmm", "block.tmt", "block.tmx", "engine", "settings"}))
        << "no lock, temporary folder or report";
    EXPECT_FALSE(QFileInfo::exists(runList));
    m.SetEngineLibraryPath(QString());
    recorder.Clear();
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
}

// The plot data of a run cut at a line end (the first 101 of its 151 lines) or given a wrong count
// and then opened: cut short or damaged, not out of date (the project did not change).
TEST_F(RunResultTest, PlotDataCutAtALineEndAreCutShortNotOutOfDate)
{
    const QString project = Place(work.path(), QStringLiteral("block.tmx"));
    TMainForm& m = MakeShownOn(project);
    m.CompRunClick();
    const QString plot = work.filePath(QStringLiteral("block.tmq"));
    const QByteArray good = ReadBytes(plot);
    ASSERT_EQ(good.count('\n'), 151);
    qsizetype at = 0;
    for (int i = 0; i < 101; ++i) at = good.indexOf('\n', at) + 1;
    const struct {
        const char* what;
        QByteArray text;
        QString says;
    } cases[] = {
        {"101 of 151 lines", good.left(at), QStringLiteral("it was cut short")},
        {"the count 25", "          25" + good.mid(12), QStringLiteral("Its count of points (25) does not match")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(plot, c.text);
        recorder.Clear();
        m.OpenFileName(project);
        ASSERT_EQ(recorder.Count(), 1);
        EXPECT_TRUE(recorder.LastText().contains(c.says)) << recorder.LastText().toStdString();
        EXPECT_FALSE(recorder.LastText().contains(QStringLiteral("out of date")));
        EXPECT_FALSE(m.PlotDataRead());
        EXPECT_EQ(PointsShown(m), 0);
    }
}

}  // namespace
