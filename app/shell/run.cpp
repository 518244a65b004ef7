#include "run.h"

#include "projectfile.h"
#include "projectrun.h"
#include "runfolder.h"
#include "runlist.h"
#include "util/dynlib.h"
#include "util/exceptions.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <exception>

namespace {

// The wait cursor for the length of the engine call.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

// The worker thread's stack: the engine's own call depth, also where the system's default for
// threads is smaller than the main thread's.
constexpr uint kEngineStackSize = 64u * 1024u * 1024u;

// Set while any run of this program has the engine running: its state is one static record,
// so no second run starts before the first has returned.
bool g_engineBusy = false;

}  // namespace

TAnalysisRun::TAnalysisRun(QObject* parent) : QObject(parent) {}

TAnalysisRun::~TAnalysisRun() = default;

bool TAnalysisRun::EngineBusy() { return g_engineBusy; }

QString TAnalysisRun::ReportPathOf(const QString& projectFile)
{
    return QDir::toNativeSeparators(
        QFileInfo(ProjectFile::ChangeFileExt(projectFile, QStringLiteral(".tmo"))).absoluteFilePath());
}

QString TAnalysisRun::RunFolder()
{
    if (!m_runFolder)
        m_runFolder = std::make_unique<TRunFolder>(QCoreApplication::applicationDirPath().toStdString());
    try {
        return QString::fromStdString(m_runFolder->Path().string());
    } catch (const std::exception& e) {
        throw EInOutError(Exception::WhatText(e));
    }
}

int32_t TAnalysisRun::CallEngine(int32_t (*entry)(int32_t))
{
    // The engine runs on a thread of its own; this thread goes on serving the windows (the
    // progress bar ticks, the main window repaints) until the call has returned. The nested
    // loop keeps the caller's code in one piece (save, run, read the results) at the price of
    // re-entry: input to every window but the progress window is blocked, and the commands of
    // the main window refuse to run while Running().
    //
    // The loop ends when the engine has returned and only then: a request to end every event
    // loop of the thread (QCoreApplication::exit) would end an exec() at once, and this thread
    // would then wait for the engine without serving the windows. (QCoreApplication::quit and
    // the close of the last window first close every window, which the main window refuses
    // while the run lasts.)
    int32_t result = 0;
    bool returned = false;
    // The hand-over to the engine's thread and back is published through this flag as well:
    // QThread::start and QThread::wait order the two threads inside Qt, where a race checker
    // sees neither, and the engine's state, which the next run's thread reads, would look as if
    // two runs raced over it.
    std::atomic<int> handOver{0};
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create([entry, &result, &handOver] {
        while (handOver.load(std::memory_order_acquire) != 1) QThread::yieldCurrentThread();
        result = entry(Run::kEntryArgument);
        handOver.store(2, std::memory_order_release);
    }));
    worker->setStackSize(kEngineStackSize);
    connect(worker.get(), &QThread::finished, &loop, [&returned] { returned = true; }, Qt::QueuedConnection);
    m_running = true;
    g_engineBusy = true;
    handOver.store(1, std::memory_order_release);
    worker->start();
    if (worker->isRunning() || worker->isFinished()) {
        while (!returned) loop.processEvents(QEventLoop::WaitForMoreEvents);
        worker->wait();
        while (handOver.load(std::memory_order_acquire) != 2) QThread::yieldCurrentThread();
    } else {
        result = entry(Run::kEntryArgument);  // no thread could be made: the call blocks this one
    }
    g_engineBusy = false;
    m_running = false;
    return result;
}

void TAnalysisRun::Reserve(const QString& projectFile)
{
    if (m_running || g_engineBusy) throw Exception(QStringLiteral("An analysis is running."));
    if (m_project && m_project->ProjectFile() != projectFile) m_project.reset();
    if (!m_project) m_project = std::make_unique<TProjectRun>(projectFile);
    try {
        m_project->Lock();
    } catch (const EOutputError& e) {
        m_project.reset();
        throw EOutputError(Run::ResultMessage(Run::kResultOutputFailed, ReportPathOf(projectFile), {e.message()}));
    } catch (...) {
        m_project.reset();
        throw;
    }
}

void TAnalysisRun::Release()
{
    if (!m_running) m_project.reset();
}

int32_t TAnalysisRun::Run(const QString& projectFile, const QString& version)
{
    if (m_running || g_engineBusy) throw Exception(QStringLiteral("An analysis is running."));
    m_failure.clear();

    // The project's lock (taken before the save by Reserve, else now) and the run's outputs at
    // temporary names; the lock goes when this call returns, however it ends.
    Reserve(projectFile);
    struct TRelease {
        TAnalysisRun* run;
        ~TRelease() { run->m_project.reset(); }
    } release{this};
    QStringList lines;
    try {
        lines = m_project->RunListLines(version);
    } catch (const EOutputError& e) {
        throw EOutputError(Run::ResultMessage(Run::kResultOutputFailed, ReportPathOf(projectFile), {e.message()}));
    }

    // The run list in the run folder (see runfolder.h), which stays the current folder; the
    // engine is loaded from the program's folder.
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString folder = RunFolder();
    QDir::setCurrent(folder);
    const QString runList = QDir(folder).filePath(Run::kRunListName);
    Run::WriteRunList(runList, lines);

    // One library object, alive for this run only.
    if (m_engine) throw EDLLError(QStringLiteral("Attempt to reinitialize DLL"));
    using TEntry = int32_t (*)(int32_t);
    TEntry entry = nullptr;
    m_engine = std::make_unique<TDynamicLibrary>();
    try {
        m_engine->SetLibraryName(m_enginePath.isEmpty() ? QDir(programFolder).filePath(Run::kLibraryName)
                                                        : m_enginePath);
        m_engine->Open();
        entry = reinterpret_cast<TEntry>(m_engine->GetProc(Run::kEntryName));
    } catch (const EDLLError&) {
        entry = nullptr;
    }
    if (!entry) {
        // Nothing of the run is left: the run list here, the lock and the temporary folder
        // when this call returns.
        m_engine.reset();
        QFile::remove(runList);
        throw EDLLError(QStringLiteral("Attempt to initialize DLL failed"));
    }

    // The engine runs on a worker thread; the listeners of Started show the progress meanwhile.
    int32_t result = -1;
    {
        TWaitCursor wait;
        emit Started();
        result = CallEngine(entry);
    }
    // What the engine could not write, and the outputs put in place or removed; the engine's
    // text lives in the library, so it is read before the library goes.
    QString engineMessage;
    using TMessage = const char* (*)();
    try {
        if (auto message = reinterpret_cast<TMessage>(m_engine->GetProc(Run::kMessageEntryName)))
            engineMessage = QString::fromUtf8(message());
    } catch (const EDLLError&) {
        // an engine without the message entry says nothing more
    }
    result = m_project->Finish(result, engineMessage);
    m_failure = m_project->FailureLines();
    m_result = result;
    m_reportPath = ReportPathOf(projectFile);

    // On this thread after the call has returned; the listeners read the results before the
    // library goes.
    struct TCleanUp {
        TAnalysisRun* run;
        QString runList;
        ~TCleanUp()
        {
            run->m_engine.reset();
            QFile::remove(runList);
        }
    } cleanUp{this, runList};
    emit Finished(result, m_reportPath);
    return result;
}
