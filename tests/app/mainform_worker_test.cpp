// The run of an analysis keeps the windows alive: the engine call runs on a worker thread (a
// slow stand-in of the engine library that sleeps a second), the progress bar moves and the
// main window repaints meanwhile, and no command runs until the call has returned. The run
// folder of names.dat, TAPE7 and TAPE8 (runfolder.h): the program's folder when it is free,
// else a private folder per running program.
#include "mainform_fixture.h"

#include "run.h"
#include "runlist.h"
#include "runfolder.h"
#include "util/docfolder.h"

#include <QAction>
#include <QFileDialog>
#include <QProgressBar>
#include <QTimer>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

namespace {

namespace fs = std::filesystem;

// Counts the paint events of a widget.
class TPaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

TEST_F(MainFormTest, TheRunSignalsItsStartAndItsResultWithTheReport)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("slow.tmx"));
    TMainForm& m = Make();
    m.OpenFileName(project);
    m.SetEngineLibraryPath(QStringLiteral(SLOW_ENGINE_PATH));
    TAnalysisRun& run = m.AnalysisRun();
    EXPECT_EQ(run.Result(), -1) << "no run yet";

    QStringList events;
    int32_t result = -9;
    QString report;
    bool runningAtStart = false, runListAtFinish = false;
    QObject::connect(&run, &TAnalysisRun::Started, [&] {
        events << QStringLiteral("started");
        runningAtStart = TAnalysisRun::EngineBusy();
    });
    QObject::connect(&run, &TAnalysisRun::Finished, [&](int32_t r, const QString& path) {
        events << QStringLiteral("finished");
        result = r;
        report = path;
        runListAtFinish = QFileInfo::exists(QDir(m.RunFolder()).filePath(QStringLiteral("names.dat")));
    });
    m.CompRunClick();

    EXPECT_EQ(events, (QStringList{QStringLiteral("started"), QStringLiteral("finished")}));
    EXPECT_FALSE(runningAtStart) << "Started comes before the engine call";
    EXPECT_EQ(result, Run::kResultCompleted);
    EXPECT_EQ(report, QDir::toNativeSeparators(QFileInfo(work.filePath(QStringLiteral("slow.tmo"))).absoluteFilePath()));
    EXPECT_EQ(run.Result(), result);
    EXPECT_EQ(run.ReportPath(), report);
    EXPECT_TRUE(runListAtFinish) << "the listeners see the run before its run list is removed";
    EXPECT_FALSE(QFileInfo::exists(QDir(m.RunFolder()).filePath(QStringLiteral("names.dat"))));
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});

    // An engine that cannot be loaded starts nothing: no signal, the message of the load.
    events.clear();
    recorder.Clear();
    m.SetEngineLibraryPath(work.filePath(QStringLiteral("libmissing.so")));
    m.CompRunClick();
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(recorder.Texts(), QStringList{QStringLiteral("Attempt to initialize DLL failed")});
    EXPECT_EQ(run.Result(), Run::kResultCompleted) << "the last run's outcome stays";
}

TEST_F(MainFormTest, TheEngineRunsOnAWorkerThreadWhileTheWindowsStayAlive)
{
    TMainForm& m = MakeShownRunning(QStringLiteral(SLOW_ENGINE_PATH));
    TDlgRunAnalysis* progress = m.ProgressWindow();
    const QString fileName = m.Data().FileName;

    TPaintCounter painted;
    m.installEventFilter(&painted);
    // What the user-interface thread sees while the engine runs.
    std::set<int> barValues;
    int samples = 0, paintsDuringRun = 0, paintsAtStart = -1;
    bool modal = true, runItemDisabled = true, progressShown = true;
    QTimer sampler;
    sampler.setInterval(40);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (!m.Running()) return;
        ++samples;
        if (paintsAtStart < 0) paintsAtStart = painted.paints;
        paintsDuringRun = painted.paints - paintsAtStart;
        barValues.insert(progress->ProgressBar()->value());
        modal = modal && QApplication::activeModalWidget() == progress;
        runItemDisabled = runItemDisabled && !m.Action(QStringLiteral("CompRun"))->isEnabled();
        progressShown = progressShown && progress->isVisible();
        m.update();
        // Neither a second run nor a command that changes the project runs now; the progress
        // window cannot be closed.
        m.Action(QStringLiteral("CompRun"))->trigger();
        m.CompRunClick();
        m.Action(QStringLiteral("FileNew"))->trigger();
        progress->reject();
        progress->close();
    });
    sampler.start();
    m.CompRunClick();
    sampler.stop();

    EXPECT_GE(samples, 10) << "the user-interface thread served its timers during the call";
    EXPECT_GE(barValues.size(), 4u) << "the bar moved on during the call";
    for (int v : barValues) EXPECT_TRUE(v >= 0 && v <= 100 && v % 10 == 0) << v;
    EXPECT_GE(paintsDuringRun, 1) << "the main window repainted during the call";
    EXPECT_TRUE(modal);
    EXPECT_TRUE(runItemDisabled);
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted}) << "one run, one completion message";
    EXPECT_EQ(m.Data().FileName, fileName);

    // The stand-in's report: it ran on another thread, in the run folder, and kept its scratch
    // file to itself.
    const QString report = QString::fromUtf8(ReadBytes(work.filePath(QStringLiteral("slow.tmo"))));
    EXPECT_TRUE(report.contains(QStringLiteral("thread: worker"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("folder: ") + m.RunFolder() + QLatin1Char('\n'))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("scratch: own"))) << report.toStdString();

    // After the call: the window is hidden and free again, the commands are back.
    EXPECT_FALSE(m.Running());
    EXPECT_FALSE(progress->isVisible());
    EXPECT_FALSE(progress->Running());
    EXPECT_FALSE(progress->isModal());
    EXPECT_TRUE(m.Action(QStringLiteral("CompRun"))->isEnabled());
    EXPECT_FALSE(QFileInfo::exists(QDir(m.RunFolder()).filePath(QStringLiteral("names.dat"))));
    recorder.Clear();
    m.CompRunClick();
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted}) << "the next run goes as the first";
}

// --- the run folder --------------------------------------------------------------------------

class RunFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        program = fs::path(work.filePath(QStringLiteral("program")).toStdString());
        runtime = fs::path(work.filePath(QStringLiteral("runtime")).toStdString());
        fs::create_directories(program);
        fs::create_directories(runtime);
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old) oldRuntime = old;
        hadRuntime = old != nullptr;
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    void TearDown() override
    {
        fs::permissions(program, fs::perms::owner_all, fs::perm_options::add);
        if (hadRuntime) setenv("XDG_RUNTIME_DIR", oldRuntime.c_str(), 1);
        else unsetenv("XDG_RUNTIME_DIR");
    }

    QTemporaryDir work;
    fs::path program, runtime;
    std::string oldRuntime;
    bool hadRuntime = false;
};

TEST_F(RunFolderTest, TheProgramFolderServesOneCopyTheOthersGetPrivateFolders)
{
    fs::path second;
    {
        TRunFolder a(program);
        EXPECT_EQ(a.Path(), program);
        EXPECT_FALSE(a.IsPrivate());
        TRunFolder b(program);  // a second copy of the program, running meanwhile
        TRunFolder c(program);
        second = b.Path();
        EXPECT_TRUE(b.IsPrivate());
        EXPECT_EQ(second.parent_path(), runtime) << second;
        EXPECT_NE(c.Path(), second) << "each copy has a folder of its own";
        EXPECT_TRUE(fs::is_directory(second));
        std::ofstream(second / "TAPE7") << "scratch\n";
        struct stat st {};
        ASSERT_EQ(::stat(second.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << "a private folder is the user's own";
    }
    EXPECT_FALSE(fs::exists(second)) << "a private folder goes with its program, scratch files and all";
    TRunFolder d(program);
    EXPECT_EQ(d.Path(), program) << "a copy that ended left the program's folder free";
}

// Runs `check` in a child process as the user "nobody" (root writes every folder); gives the
// child's exit code.
template <class Check>
int AsUserNobody(Check check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
        ::_exit(check());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 101;
    return WEXITSTATUS(status);
}

TEST_F(RunFolderTest, AProgramFolderThatCannotBeWrittenIsNotUsed)
{
    // A run file left in the program's folder by another user, which this one cannot replace.
    std::ofstream(program / "TAPE8") << "x\n";
    fs::permissions(program / "TAPE8", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const bool root = ::geteuid() == 0;
    if (root) {
        for (const fs::path& p : {fs::path(work.path().toStdString()), program, runtime})
            ASSERT_EQ(::chown(p.c_str(), 65534, 65534), 0) << p;
    }
    auto check = [this]() -> int {
        {
            TRunFolder a(program);
            if (a.Path() == program || !a.IsPrivate()) return 1;
            if (a.Path().parent_path() != runtime) return 2;
        }
        fs::remove(program / "TAPE8");
        {
            TRunFolder b(program);
            if (b.Path() != program) return 3;  // the folder is free and writable now
        }
        fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
        {
            TRunFolder c(program);
            if (c.Path() == program || !c.IsPrivate()) return 4;
        }
        return 0;
    };
    EXPECT_EQ(root ? AsUserNobody(check) : check(), 0) << "the number of the failed check";
}

TEST_F(RunFolderTest, WithoutARuntimeFolderTheCacheFolderServes)
{
    unsetenv("XDG_RUNTIME_DIR");
    const fs::path cache = fs::path(work.filePath(QStringLiteral("cache")).toStdString());
    const char* oldCache = std::getenv("XDG_CACHE_HOME");
    const std::string saved = oldCache ? oldCache : "";
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    TRunFolder a(program);
    TRunFolder b(program);
    EXPECT_EQ(a.Path(), program);
    EXPECT_EQ(b.Path().parent_path(), cache / "tremex");
    if (oldCache) setenv("XDG_CACHE_HOME", saved.c_str(), 1);
    else unsetenv("XDG_CACHE_HOME");
}

// A copy of the program in a child process that takes a private run folder (its program folder
// cannot be had) and then either dies at once without tidying up, or (with `hold`, the read end
// of a pipe) runs until that pipe is closed and then dies the same way. Gives the child and its
// folder (empty when it got none).
std::pair<pid_t, fs::path> ChildWithPrivateFolder(const fs::path& program, const int* hold = nullptr)
{
    int report[2];
    if (::pipe(report) != 0) return {-1, {}};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        if (hold) ::close(hold[1]);
        TRunFolder folder(program);
        const std::string path = folder.Path().string() + "\n";
        std::ofstream(folder.Path() / "TAPE7") << "scratch\n";
        if (::write(report[1], path.data(), path.size()) != static_cast<ssize_t>(path.size())) ::_exit(1);
        ::close(report[1]);
        char c;
        if (hold)
            while (::read(hold[0], &c, 1) > 0) {}
        ::kill(::getpid(), SIGKILL);  // as a crash: no destructor runs
        ::_exit(2);
    }
    ::close(report[1]);
    std::string line;
    char c;
    while (child > 0 && ::read(report[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(report[0]);
    return {child, line};
}

TEST_F(RunFolderTest, PrivateFoldersLeftByEndedProgramsGoThoseOfRunningOnesStay)
{
    const fs::path nowhere = program / "missing";  // no program folder: every copy runs privately
    int hold[2];
    ASSERT_EQ(::pipe(hold), 0);
    struct Release {  // the running copy ends with the test, whatever happens
        int* fd;
        ~Release()
        {
            if (*fd >= 0) ::close(*fd);
        }
    } release{&hold[1]};
    const auto [running, runningFolder] = ChildWithPrivateFolder(nowhere, hold);
    ::close(hold[0]);
    const auto [crashed, crashedFolder] = ChildWithPrivateFolder(nowhere);
    int status = 0;
    ASSERT_EQ(::waitpid(crashed, &status, 0), crashed);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(crashedFolder.parent_path(), runtime);
    ASSERT_EQ(runningFolder.parent_path(), runtime);
    ASSERT_TRUE(fs::exists(crashedFolder / "TAPE7")) << "a crashed program leaves its folder";

    // Things that look like stale folders but are not to be touched: a link of the pattern to
    // a stale folder elsewhere, a folder with no lock file (one being made), a folder whose
    // name does not fit the pattern, a plain file, and a folder whose lock is a fifo.
    const fs::path outside = fs::path(work.filePath(QStringLiteral("outside")).toStdString());
    fs::create_directories(outside);
    std::ofstream(outside / TRunFolder::kLockName) << "";
    std::ofstream(outside / "names.dat") << "keep\n";
    fs::create_directory_symlink(outside, runtime / "tremex-rundir-Link01");
    fs::create_directories(runtime / "tremex-rundir-NoLock");
    fs::create_directories(runtime / "tremex-rundir-Longer1");
    std::ofstream(runtime / "tremex-rundir-Longer1" / TRunFolder::kLockName) << "";
    std::ofstream(runtime / "tremex-rundir-File01") << "keep\n";
    fs::create_directories(runtime / "tremex-rundir-Fifo01");
    ASSERT_EQ(::mkfifo((runtime / "tremex-rundir-Fifo01" / TRunFolder::kLockName).c_str(), 0600), 0);

    {
        TRunFolder mine(nowhere);
        ASSERT_EQ(mine.Path().parent_path(), runtime);  // claims its folder
        ASSERT_TRUE(mine.IsPrivate());
        EXPECT_FALSE(fs::exists(crashedFolder)) << "the folder of the crashed program went on claiming one";
        EXPECT_TRUE(fs::exists(runningFolder / "TAPE7")) << "the folder of a running program stays";
        EXPECT_TRUE(fs::exists(mine.Path() / TRunFolder::kLockName));
        EXPECT_TRUE(fs::is_symlink(runtime / "tremex-rundir-Link01"));
        EXPECT_TRUE(fs::exists(outside / "names.dat")) << "a link is never followed";
        EXPECT_TRUE(fs::exists(runtime / "tremex-rundir-NoLock"));
        EXPECT_TRUE(fs::exists(runtime / "tremex-rundir-Longer1" / TRunFolder::kLockName));
        EXPECT_TRUE(fs::is_regular_file(runtime / "tremex-rundir-File01"));
        EXPECT_TRUE(fs::exists(runtime / "tremex-rundir-Fifo01")) << "a lock that is no file is no lock";

        ::close(hold[1]);  // the running program ends too, without tidying up
        hold[1] = -1;
        ASSERT_EQ(::waitpid(running, &status, 0), running);
        EXPECT_TRUE(fs::exists(runningFolder));
        EXPECT_EQ(TRunFolder::RemoveStaleFolders(runtime), 1) << "only its folder goes; this program's stays";
        EXPECT_FALSE(fs::exists(runningFolder));
        EXPECT_TRUE(fs::exists(mine.Path() / TRunFolder::kLockName));
    }
}

}  // namespace

namespace {

// After a run the current folder is the run folder; the file dialogs still start beside the
// project.
TEST_F(MainFormTest, FileDialogsStartInTheProjectsFolderAfterARun)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("dialogs.tmx"));
    TMainForm& m = Make();
    m.CreateDialogs();
    m.OpenFileName(project);
    m.CompRunClick();
    ASSERT_TRUE(m.PlotDataRead());
    const QString projectFolder = QFileInfo(project).absolutePath();
    ASSERT_NE(QDir::currentPath(), projectFolder);
    EXPECT_EQ(DocFolder::StartFolder(), projectFolder);

    // The plot window's Save dialog, as the user gets it.
    m.GraphicsMenuClick();
    m.Action(QStringLiteral("GraphKxx"))->trigger();
    TPlotForm* plot = m.Plot(QStringLiteral("pltRealKXX"))->PlotWindow();
    ASSERT_NE(plot, nullptr);
    TPlotForm::SetSaveFileNameHook(nullptr);
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            shown = dialog->directory().absolutePath();
            dialog->reject();
        }
    });
    plot->PlotSaveClick();
    EXPECT_EQ(shown, projectFolder);

    // A new project has no folder of its own: the dialogs stay beside the project before it,
    // not in the run folder that the run left current.
    m.FileNewClick();
    EXPECT_EQ(DocFolder::StartFolder(), projectFolder);
}

}  // namespace
