// Run Analysis when an output cannot be written, through the real main window and engine: a
// report, plot-data or scratch file that cannot be created (a folder in its place) or that
// fails in the middle of the run (the process's file-size limit, lowered when the engine
// starts: a write beyond it fails as on a full disk). The message says that the output could
// not be written and names the file and the system's reason, never "Computations are
// completed"; the earlier report and plot data stay whole byte for byte; no plots pass for new
// ones. And a run of a project that another copy runs is refused before anything is saved.
#include "mainform_fixture.h"

#include "engine_harness.h"
#include "pltdata.h"
#include "projectrun.h"
#include "run.h"
#include "runlist.h"
#include "tremrun_child.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {

QStringList FolderNames(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST_F(MainFormTest, AnOutputThatCannotBeWrittenIsSaidWithItsFileAndReasonAndTheEarlierOnesStay)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("block.tmx"));
    const QString report = work.filePath(QStringLiteral("block.tmo"));
    const QString plot = work.filePath(QStringLiteral("block.tmq"));
    TMainForm& m = MakeShownOn(project);
    const QString runFolder = m.RunFolder();

    struct Case {
        const char* what;
        long long limit;     // file-size limit while the engine runs, < 0 for none
        QString folder;      // made a folder in place of this file
        QString named;       // the file the message names, with the reason after it
        const char* reason;
    } cases[] = {
        {"report cut short", 20000, {}, report, "File too large"},
        {"plot data cut short", 5000, {}, plot, "File too large"},
        {"scratch file cut short", 600, {}, QDir(runFolder).filePath(QStringLiteral("TAPE")), "File too large"},
        {"report cannot be made", -1, report, report, "Is a directory"},
        {"plot data cannot be made", -1, plot, plot, "Is a directory"},
        {"scratch file cannot be made", -1, QDir(runFolder).filePath(QStringLiteral("TAPE7")),
         QDir(runFolder).filePath(QStringLiteral("TAPE7")), "Is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // An earlier good run, read into the plots.
        recorder.Clear();
        m.CompRunClick();
        ASSERT_EQ(recorder.Texts(), QStringList{kCompleted});
        ASSERT_TRUE(m.PlotDataRead());
        QByteArray earlierReport, earlierPlot;
        if (!c.folder.isEmpty()) {
            QFile::remove(c.folder);
            ASSERT_TRUE(QDir().mkdir(c.folder));
        }
        if (c.folder != report) earlierReport = ReadBytes(report);
        if (c.folder != plot) earlierPlot = ReadBytes(plot);
        const QStringList names = FolderNames(work.path());

        std::unique_ptr<harness::FileSizeLimit> limit;
        QMetaObject::Connection started, finished;
        if (c.limit >= 0) {
            started = QObject::connect(m.findChild<TAnalysisRun*>(), &TAnalysisRun::Started,
                                       [&] { limit = std::make_unique<harness::FileSizeLimit>(c.limit); });
            finished = QObject::connect(m.findChild<TAnalysisRun*>(), &TAnalysisRun::Finished, [&] { limit.reset(); });
        }
        recorder.Clear();
        m.CompRunClick();
        limit.reset();
        QObject::disconnect(started);
        QObject::disconnect(finished);

        ASSERT_EQ(recorder.Count(), 1);
        const QString text = recorder.LastText();
        EXPECT_TRUE(text.startsWith(Run::ResultMessage(Run::kResultOutputFailed, report))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("Computations are completed")));
        EXPECT_TRUE(text.contains(c.named)) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(c.reason))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral(".tmrun-"))) << "the message names the final files";
        if (c.folder != report) {
            EXPECT_EQ(ReadBytes(report), earlierReport);
        }
        if (c.folder != plot) {
            EXPECT_EQ(ReadBytes(plot), earlierPlot);
        }
        EXPECT_EQ(FolderNames(work.path()), names) << "no lock or temporary is left";
        if (c.folder == report || c.folder == plot) {
            // Found before the engine was called: the run did not start, the plots of the
            // earlier run stay with its files.
            EXPECT_TRUE(m.PlotDataRead());
        } else {
            EXPECT_FALSE(m.PlotDataRead());
            EXPECT_EQ(PointsShown(m), 0) << "the plots of the earlier run do not pass for this one's";
        }
        if (!c.folder.isEmpty()) QDir().rmdir(c.folder);
    }
    // The same project runs again.
    recorder.Clear();
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
}

TEST_F(MainFormTest, ARunOfAProjectAnotherCopyRunsIsRefusedBeforeTheSave)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("block.tmx"));
    TMainForm& m = MakeShownOn(project);
    m.CompRunClick();
    ASSERT_EQ(recorder.Texts(), QStringList{kCompleted});
    const QStringList names = FolderNames(work.path());
    QMap<QString, QByteArray> files;
    for (const QString& name : names) files[name] = ReadBytes(work.filePath(name));

    // A change not saved yet, and another copy's run of the project.
    m.Project().Data().FreqMax = m.Project().Data().FreqMax / 2;
    m.Project().SetModified(true);
    recorder.Clear();
    {
        TProjectRun other(project);
        other.Lock();
        m.CompRunClick();
        ASSERT_EQ(recorder.Count(), 1);
        const QString text = recorder.LastText();
        EXPECT_TRUE(text.startsWith(QStringLiteral("Another running copy of Tremex3 or tremrun is running an analysis of ") +
                                    project))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("(process %1 on ").arg(::getpid()))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral(", since "))) << text.toStdString();
        for (const QString& name : names) EXPECT_EQ(ReadBytes(work.filePath(name)), files[name]) << name.toStdString();
        EXPECT_TRUE(m.Project().IsModified()) << "the change was not saved";
        EXPECT_TRUE(m.PlotDataRead()) << "the plots of the last run stay";
    }
    // That run ended: this one goes.
    recorder.Clear();
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
    EXPECT_EQ(FolderNames(work.path()), names);
}

// Two running copies: this window runs the project with the slow stand-in engine while a
// tremrun process runs the same project; tremrun is refused (status 5), names this run and
// writes nothing; this run ends as usual.
TEST_F(MainFormTest, TremrunIsRefusedWhileTheWindowRunsTheProject)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("block.tmx"));
    TMainForm& m = Make();
    m.OpenFileName(project);
    m.SetEngineLibraryPath(QStringLiteral(SLOW_ENGINE_PATH));
    QFile old(work.filePath(QStringLiteral("block.tmo")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    ASSERT_EQ(old.write("the earlier report\n"), 19);
    old.close();

    int status = -1;
    QByteArray err;
    QStringList namesDuring, namesBefore;
    QByteArray reportDuring;
    QObject::connect(&m.AnalysisRun(), &TAnalysisRun::Started, [&] {
        QTimer::singleShot(200, [&] {
            namesBefore = FolderNames(work.path());
            // Not QProcess: a child made by fork and exec, as a user's second copy would be.
            const Outcome other = Tremrun({project.toStdString()});
            status = other.status;
            err = QByteArray::fromStdString(other.err);
            namesDuring = FolderNames(work.path());
            reportDuring = ReadBytes(work.filePath(QStringLiteral("block.tmo")));
        });
    });
    m.CompRunClick();

    EXPECT_EQ(status, 5) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("(process %1 on ").arg(::getpid()).toUtf8())) << err.toStdString();
    EXPECT_EQ(namesDuring, namesBefore) << "the refused run wrote nothing";
    EXPECT_EQ(reportDuring, QByteArray("the earlier report\n"));
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});
    EXPECT_TRUE(ReadBytes(work.filePath(QStringLiteral("block.tmo"))).startsWith("stand-in engine"))
        << "the window's run put its report in place";
}

}  // namespace
