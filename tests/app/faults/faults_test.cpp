// Saves that fail under the user's files: each of the project file, the mass file and the
// drawing-data file made unwritable (read-only, also for root) or made to fail part-way through
// its write (a disk that fills up), through the real writer and the real main window (Save,
// Save As, and Run Analysis, which saves first). After each, the user's files are what they
// were byte for byte, no temporary file is left, the message names the file and the system's
// reason, the project stays modified under its old name and caption, and no run starts. And the
// main window closed while a run is in progress.
#include "mainform_fixture.h"
#include "projectbuild.h"
#include "smalldisk.h"

#include "progress.h"
#include "project.h"
#include "projectfile.h"
#include "run.h"
#include "runlist.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <map>

#include <csignal>
#include <sys/resource.h>

namespace {

using SmallDisk::Listing;
using SmallDisk::Snapshot;
using SmallDisk::TDisk;
using SmallDisk::TReadOnly;

constexpr qint64 kPage = 4096;

qint64 Pages(qint64 bytes) { return (bytes + kPage - 1) / kPage; }

// The three files of a project, in the order the writer writes them.
const char* const kExtensions[3] = {".tmm", ".tmt", ".tmx"};

QString FileOf(const QString& project, int k)
{
    return ProjectFile::ChangeFileExt(project, QString::fromLatin1(kExtensions[k]));
}

// A pile group of 500 piles with 30 mass components: its drawing-data and project files span
// several pages, so that a disk with room for part of one fails within that file.
void MakeLargeProject(const QString& path)
{
    TProject project;
    build::Fill(project, build::Foundation::Pile, build::Load::Harmonic);
    TGridTable* piles = project.Tables().Pilecoord;
    piles->SetRowCount(500);
    for (int r = 0; r < 500; ++r)
        build::Row(piles, r, {-11.234567L + (r % 25) * 1.0123457L, -22.345678L + (r / 25) * 1.0123457L, 0});
    TGridTable* masses = project.Tables().MassCal;
    masses->SetRowCount(30);
    for (int r = 0; r < 30; ++r)
        build::Row(masses, r, {1.2345678L + r, 0.12345678L, -0.23456789L, 0.5, 1.2345678L, 1.2345678L, 1});
    project.SaveAs(path);
}

enum class Command { Save, SaveAs, Run };
enum class Fault { Unwritable, DiskFull, SizeLimit };

const char* Name(Command c) { return c == Command::Save ? "Save" : c == Command::SaveAs ? "Save As" : "Run"; }
const char* Name(Fault f)
{
    return f == Fault::Unwritable ? "unwritable" : f == Fault::DiskFull ? "disk full" : "file size limit";
}

// A limit of the size of the files this process writes (what `prlimit --fsize` sets), for the
// life of the object: a write beyond it fails part-way, to the byte.
class TSizeLimit {
public:
    explicit TSizeLimit(qint64 bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        struct rlimit limit = m_old;
        limit.rlim_cur = rlim_t(bytes);
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    struct rlimit m_old {};
};

class FaultTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        // A write beyond the file size limit fails with EFBIG instead of ending the process, as in
        // the program (app/program/main.cpp).
        std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_TRUE(SmallDisk::PrivateMountsProblem().isEmpty())
            << "the fault tests need mounts of their own (root, or user namespaces): "
            << SmallDisk::PrivateMountsProblem().toStdString();
        // The sizes of the three files, from a save on an ordinary disk.
        staging = work.filePath(QStringLiteral("staging/large.tmx"));
        QDir().mkpath(work.filePath(QStringLiteral("staging")));
        MakeLargeProject(staging);
        for (int k = 0; k < 3; ++k) sizes[k] = QFileInfo(FileOf(staging, k)).size();
        ASSERT_GE(Pages(sizes[1]), 2) << "the drawing-data file spans pages";
        ASSERT_GE(Pages(sizes[2]), 2) << "the project file spans pages";
    }

    // The user's project `name` and, for Save As, the project it is saved over, on `disk`.
    QString Place(const QString& folder, const QString& name)
    {
        const QString path = folder + QLatin1Char('/') + name;
        for (int k = 0; k < 3; ++k) EXPECT_TRUE(QFile::copy(FileOf(staging, k), FileOf(path, k)));
        return path;
    }

    QString staging;
    qint64 sizes[3] = {};
};

TEST_F(FaultTest, ASaveThatFailsLeavesEveryFileWholeAndSaysWhichAndWhy)
{
    for (Command command : {Command::Save, Command::SaveAs, Command::Run}) {
        for (Fault fault : {Fault::Unwritable, Fault::DiskFull, Fault::SizeLimit}) {
            for (int k = 0; k < 3; ++k) {
                SCOPED_TRACE(std::string(Name(command)) + ", " + Name(fault) + ", " + kExtensions[k]);
                const QString folder = work.filePath(QStringLiteral("disk"));
                TDisk disk(folder, 1024);
                ASSERT_TRUE(disk.Problem().isEmpty()) << disk.Problem().toStdString();
                const QString project = Place(folder, QStringLiteral("pump.tmx"));
                const QString other = Place(folder, QStringLiteral("other.tmx"));
                // The files the command writes: the project's own, or those of the other name.
                const QString written = command == Command::SaveAs ? other : project;

                TMainForm& m = Make();
                m.CreateDialogs();
                m.OpenFileName(project);
                m.SetEngineLibraryPath(QStringLiteral(SLOW_ENGINE_PATH));
                m.Data().ProjectTitle = QStringLiteral("Changed before the disk filled");
                m.SetModified(true);
                const QString caption = m.windowTitle();
                bool started = false;
                QObject::connect(&m.AnalysisRun(), &TAnalysisRun::Started, [&] { started = true; });

                std::unique_ptr<TReadOnly> readOnly;
                std::unique_ptr<TSizeLimit> sizeLimit;
                QString reason;
                if (fault == Fault::Unwritable) {
                    readOnly = std::make_unique<TReadOnly>(FileOf(written, k));
                    ASSERT_TRUE(readOnly->Problem().isEmpty()) << readOnly->Problem().toStdString();
                    reason = QStringLiteral("Read-only file system");
                } else if (fault == Fault::DiskFull) {
                    // Room for the files written before this one and half of this one (none of
                    // the mass file, which fits one page).
                    qint64 room = Pages(sizes[k]) / 2 * kPage;
                    for (int i = 0; i < k; ++i) room += Pages(sizes[i]) * kPage;
                    ASSERT_EQ(disk.LeaveFree(room), room);
                    reason = QStringLiteral("No space left on device");
                }
                const std::map<QString, QByteArray> before = Snapshot(folder);
                if (fault == Fault::SizeLimit) {
                    // Room for the files written before this one and part of this one.
                    const qint64 earlier = k > 0 ? sizes[k - 1] : 0;
                    ASSERT_LT(earlier, sizes[k]);
                    sizeLimit = std::make_unique<TSizeLimit>((earlier + sizes[k]) / 2);
                    reason = QStringLiteral("File too large");
                }
                recorder.Clear();

                switch (command) {
                case Command::Save: m.Action(QStringLiteral("FileSave"))->trigger(); break;
                case Command::SaveAs:
                    saveAnswers << other;
                    // Yes to replacing the other project's files.
                    recorder.QueueAnswer(MessageSink::Answer::Yes);
                    m.Action(QStringLiteral("FileSaveAs"))->trigger();
                    break;
                case Command::Run: m.Action(QStringLiteral("CompRun"))->trigger(); break;
                }
                sizeLimit.reset();

                const std::map<QString, QByteArray> after = Snapshot(folder);
                EXPECT_TRUE(after == before) << "every file as it was, no temporary file left: " << Listing(before)
                                             << "before, " << Listing(after) << "after";
                ASSERT_EQ(recorder.Count(), command == Command::SaveAs ? 2 : 1)
                    << recorder.Texts().join(QStringLiteral(" | ")).toStdString();
                if (command == Command::Run && fault == Fault::DiskFull && k == 0) {
                    // A disk with no room at all already refuses the run's lock, which is taken
                    // before the save, so that a refused run changes nothing.
                    const QString lock = ProjectFile::ChangeFileExt(project, QStringLiteral(".tmlock"));
                    EXPECT_TRUE(recorder.LastText().endsWith(QStringLiteral("\n\nThe lock file ") + lock +
                                                             QStringLiteral(" of the run could not be written: ") +
                                                             reason))
                        << recorder.LastText().toStdString();
                } else {
                    EXPECT_EQ(recorder.LastText(), QStringLiteral("The file ") + FileOf(written, k) +
                                                       QStringLiteral(" could not be written: ") + reason);
                }
                EXPECT_TRUE(m.IsModified());
                EXPECT_EQ(m.Data().FileName, project);
                EXPECT_EQ(m.windowTitle(), caption);
                EXPECT_FALSE(started) << "no run starts after a failed save";
                EXPECT_FALSE(QFileInfo::exists(ProjectFile::ChangeFileExt(project, QStringLiteral(".tmo"))));

                // Once there is room again the same command saves.
                readOnly.reset();
                QFile::remove(folder + QStringLiteral("/filler"));
                recorder.Clear();
                if (command == Command::SaveAs) {
                    saveAnswers << other;
                    recorder.QueueAnswer(MessageSink::Answer::Yes);
                }
                if (command != Command::Run) {
                    m.Action(QString::fromLatin1(command == Command::Save ? "FileSave" : "FileSaveAs"))->trigger();
                    EXPECT_EQ(recorder.Count(), command == Command::SaveAs ? 1 : 0) << recorder.LastText().toStdString();
                    EXPECT_FALSE(m.IsModified());
                    EXPECT_TRUE(build::ReadBytes(written).startsWith("TITLE=Changed before the disk filled\r\n"));
                }
                main.reset();
            }
        }
    }
}

// Save As to a new name on a full disk leaves no empty files behind.
TEST_F(FaultTest, SaveAsOnAFullDiskLeavesNoNewFiles)
{
    const QString folder = work.filePath(QStringLiteral("disk"));
    TDisk disk(folder, 256);
    ASSERT_TRUE(disk.Problem().isEmpty()) << disk.Problem().toStdString();
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("pump.tmx"));
    TMainForm& m = Make();
    m.OpenFileName(project);
    EXPECT_EQ(disk.LeaveFree(0), 0);
    const QString caption = m.windowTitle();
    const QString massFile = m.Data().MassFileName;
    saveAnswers << folder + QStringLiteral("/new.tmx");
    m.Action(QStringLiteral("FileSaveAs"))->trigger();
    EXPECT_TRUE(Snapshot(folder).empty()) << Listing(Snapshot(folder));
    EXPECT_EQ(recorder.Texts(), QStringList{QStringLiteral("The file ") + folder +
                                            QStringLiteral("/new.tmm could not be written: No space left on device")});
    EXPECT_EQ(m.windowTitle(), caption);
    EXPECT_EQ(m.Data().FileName, project);
    EXPECT_EQ(m.Data().MassFileName, massFile);
    EXPECT_FALSE(m.IsModified());
}

// The main window closed by the window system while a run is in progress stays open, takes no
// command, and shows the end of the run as usual.
TEST_F(FaultTest, TheMainWindowStaysOpenUntilTheRunHasEnded)
{
    const QString other = CopyExample(QStringLiteral("single-pile-harmonic"), QStringLiteral("other.tmx"));
    TMainForm& m = MakeShownRunning(QStringLiteral(SLOW_ENGINE_PATH));
    const QString project = m.Data().FileName;
    int closes = 0;
    bool visibleDuringRun = true;
    QTimer closer;
    closer.setInterval(100);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!m.Running()) return;
        ++closes;
        // What Alt+F4 or the title bar's close button does: a close request through the window
        // system, as for any window.
        m.windowHandle()->close();
        m.close();
        openAnswers << other;
        m.Action(QStringLiteral("FileOpen"))->trigger();
        visibleDuringRun = visibleDuringRun && m.isVisible() && m.ProgressWindow()->isVisible();
    });
    closer.start();
    m.Action(QStringLiteral("CompRun"))->trigger();
    closer.stop();
    EXPECT_GE(closes, 3);
    EXPECT_TRUE(visibleDuringRun);
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(m.Data().FileName, project) << "no other project was opened during the run";
    EXPECT_EQ(recorder.Texts(), QStringList{QStringLiteral(
                                    "Computations are completed. Please, check output file for results or error messages.")});
    // Now the window closes.
    m.close();
    EXPECT_FALSE(m.isVisible());
}

// The progress window stays while the run lasts, whatever would end it: the window system's
// close (Alt+F4, the title bar's button), Escape, and the dialog's own ends (accept, reject,
// done). Once it went, the main window would take commands again mid-run.
TEST_F(FaultTest, TheProgressWindowStaysUntilTheRunHasEnded)
{
    TMainForm& m = MakeShownRunning(QStringLiteral(SLOW_ENGINE_PATH));
    TDlgRunAnalysis* progress = m.ProgressWindow();
    int tries = 0;
    bool shownDuringRun = true, modalDuringRun = true;
    QTimer closer;
    closer.setInterval(100);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!m.Running()) return;
        switch (tries++ % 5) {
        case 0: progress->windowHandle()->close(); break;
        case 1: QTest::keyClick(progress, Qt::Key_Escape); break;
        case 2: progress->accept(); break;
        case 3: progress->reject(); break;
        case 4: progress->done(QDialog::Accepted); break;
        }
        shownDuringRun = shownDuringRun && progress->isVisible();
        modalDuringRun = modalDuringRun && QApplication::activeModalWidget() == progress;
    });
    closer.start();
    m.Action(QStringLiteral("CompRun"))->trigger();
    closer.stop();
    EXPECT_GE(tries, 5);
    EXPECT_TRUE(shownDuringRun);
    EXPECT_TRUE(modalDuringRun);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(recorder.Texts(), QStringList{QStringLiteral(
                                    "Computations are completed. Please, check output file for results or error messages.")});
}

// A request to end every event loop of the thread while the run lasts does not end the run's
// own loop before the engine has returned: the windows are served to the end of the run, which
// is shown as usual.
TEST_F(FaultTest, TheRunServesTheWindowsUntilTheEngineHasReturnedWhateverEndsTheEventLoops)
{
    TMainForm& m = MakeShownRunning(QStringLiteral(SLOW_ENGINE_PATH));
    int ticksDuringRun = 0, ticksAfterExit = 0;
    bool exitAsked = false;
    QTimer ticker;
    ticker.setInterval(50);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!m.Running()) return;
        ++ticksDuringRun;
        if (exitAsked) ++ticksAfterExit;
        if (ticksDuringRun == 3) {
            exitAsked = true;
            QCoreApplication::exit(0);
        }
    });
    ticker.start();
    m.Action(QStringLiteral("CompRun"))->trigger();
    ticker.stop();
    // The thread's event loops may run again (the request stays until an application loop ends).
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();

    ASSERT_TRUE(exitAsked);
    EXPECT_GE(ticksAfterExit, 5) << "the windows were served after the request";
    EXPECT_FALSE(m.Running());
    EXPECT_EQ(recorder.Texts(), QStringList{QStringLiteral(
                                    "Computations are completed. Please, check output file for results or error messages.")});
}

}  // namespace

namespace {

// The run list on a full disk: not written at all (a list cut short would send the engine's
// outputs to other names), with the file and the reason.
TEST_F(FaultTest, ARunListThatCannotBeWrittenIsNotLeftHalfWritten)
{
    const QString folder = work.filePath(QStringLiteral("disk"));
    TDisk disk(folder, 64);
    ASSERT_TRUE(disk.Problem().isEmpty()) << disk.Problem().toStdString();
    const QString list = folder + QStringLiteral("/names.dat");
    Run::WriteRunList(list, TMainForm::GetVersion(), QStringLiteral("/jobs/pump.tmx"));
    const QByteArray old = build::ReadBytes(list);
    ASSERT_FALSE(old.isEmpty());
    EXPECT_EQ(disk.LeaveFree(0), 0);
    const std::string message = TestSupport::MessageOf(
        [&] { Run::WriteRunList(list, TMainForm::GetVersion(), QStringLiteral("/jobs/a-much-longer-name/pump.tmx")); });
    EXPECT_EQ(message, "The file " + list.toStdString() + " could not be written: No space left on device");
    EXPECT_EQ(build::ReadBytes(list), old);
    EXPECT_EQ(Snapshot(folder).size(), 1u);
}

}  // namespace
