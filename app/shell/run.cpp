#include "runlist.h"

#include "mainform.h"
#include "progress.h"
#include "projectfile.h"
#include "runfolder.h"
#include "util/dynlib.h"
#include "util/exceptions.h"
#include "util/messages.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#include <cstdint>
#include <exception>
#include <memory>

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

// Set while any window of this program has the engine running: its state is one static record,
// so no second run starts before the first has returned.
bool g_engineBusy = false;

}  // namespace

QString TMainForm::RunFolder()
{
    if (!m_runFolder)
        m_runFolder = std::make_unique<TRunFolder>(QCoreApplication::applicationDirPath().toStdString());
    try {
        return QString::fromStdString(m_runFolder->Path().string());
    } catch (const std::exception& e) {
        throw EInOutError(QString::fromLocal8Bit(e.what()));
    }
}

int32_t TMainForm::CallEngine(int32_t (*entry)(int32_t))
{
    // The engine runs on a thread of its own; this thread goes on serving the windows (the
    // progress bar ticks, the main window repaints) until the call has returned. Input to every
    // window but the progress window is blocked, and the commands refuse to run meanwhile.
    int32_t result = 0;
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create([entry, &result] { result = entry(Run::kEntryArgument); }));
    worker->setStackSize(kEngineStackSize);
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    m_running = true;
    g_engineBusy = true;
    Action(QStringLiteral("CompRun"))->setEnabled(false);
    worker->start();
    if (worker->isRunning() || worker->isFinished()) {
        loop.exec();
        worker->wait();
    } else {
        result = entry(Run::kEntryArgument);  // no thread could be made: the call blocks this one
    }
    Action(QStringLiteral("CompRun"))->setEnabled(true);
    g_engineBusy = false;
    m_running = false;
    return result;
}

void TMainForm::CompRunClick()
{
    if (m_running || g_engineBusy) return;  // one run at a time: the engine's state is one static record
    // 1-2: the project is saved first; a project that still has no name is not run.
    if (!FileSaveClick()) return;
    if (QFileInfo(Data().FileName).fileName() == DataUnit::kNewFileName) return;

    // 3-4: the run list in the run folder (see runfolder.h), which stays the current folder;
    // the engine is loaded from the program's folder.
    const QString programFolder = QCoreApplication::applicationDirPath();
    QString runList;
    try {
        const QString folder = RunFolder();
        QDir::setCurrent(folder);
        runList = QDir(folder).filePath(Run::kRunListName);
        Run::WriteRunList(runList, GetVersion(), Data().FileName);
    } catch (const Exception& e) {
        Messages::Error(this, e.message());
        return;
    }

    // 5-6: one library object, alive for this run only.
    if (m_engine) {
        Messages::Information(this, QStringLiteral("Attempt to reinitialize DLL"));
        return;
    }
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
        m_engine.reset();
        Messages::Information(this, QStringLiteral("Attempt to initialize DLL failed"));
        return;
    }

    // 7-9: the engine runs on a worker thread; the progress window shows and ticks meanwhile.
    int32_t result = -1;
    {
        TWaitCursor wait;
        if (m_progress) {
            m_progress->SetRunning(true);
            m_progress->show();
            m_progress->raise();
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            m_progress->repaint();
        }
        result = CallEngine(entry);
        if (m_progress) {
            m_progress->hide();
            m_progress->SetRunning(false);
        }
    }

    // 10-13, on this thread after the call has returned.
    TakeRunResult(result);
    m_engine.reset();
    QFile::remove(runList);
}

void TMainForm::TakeRunResult(int32_t result)
{
    const QString report = QDir::toNativeSeparators(
        QFileInfo(ProjectFile::ChangeFileExt(Data().FileName, QStringLiteral(".tmo"))).absoluteFilePath());
    if (result != Run::kResultCompleted) {
        // No results of this run: the plots of an earlier run would pass for them.
        ClearPlotData();
        Messages::Information(this, Run::ResultMessage(result, report));
        return;
    }
    Messages::Information(this, Run::ResultMessage(result, report));
    const QString plotFile = ProjectFile::ChangeFileExt(Data().FileName, QStringLiteral(".tmq"));
    if (QFileInfo::exists(plotFile)) {
        try {
            m_plotDataRead = ReadPlotData(plotFile);
        } catch (const Exception& e) {
            Messages::Error(this, e.message());
        }
    }
}
