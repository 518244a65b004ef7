// The run of an analysis (unit Run): `TAnalysisRun`, one engine call at a time, as an object
// with Started and Finished signals that the main window connects to.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// A run writes the run list (app/model/runlist.h) in the run folder (app/model/runfolder.h),
// which becomes and stays the current folder, loads the engine library for this run only, and
// calls its entry on a worker thread while this thread goes on serving the windows in a nested
// event loop, so Run returns only when the engine has returned:
//
//     TAnalysisRun run;
//     connect(&run, &TAnalysisRun::Started, ...);            // show the progress window
//     connect(&run, &TAnalysisRun::Finished, this, [](int32_t result, const QString& report) {
//         ...                                                 // Run::ResultMessage(result, report)
//     });
//     run.Run(project.Data().FileName, TMainForm::GetVersion());   // raises when nothing ran
//
// Finished comes on this thread after the call, before the library is unloaded and the run list
// removed; Result() and ReportPath() keep the outcome of the last run.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class TDynamicLibrary;
class TProjectRun;
class TRunFolder;

class TAnalysisRun : public QObject {
    Q_OBJECT

public:
    explicit TAnalysisRun(QObject* parent = nullptr);
    ~TAnalysisRun() override;

    // Runs the saved project file through the engine (see above); returns the engine's result
    // (Run::kResultCompleted, ...). Raises, with nothing started and no signal emitted:
    // EInOutError when the run folder or the run list cannot be had; EDLLError with "Attempt to
    // initialize DLL failed" when the library or its entry cannot be loaded, and "Attempt to
    // reinitialize DLL" while a library of this object is still loaded; Exception when any run
    // of this program is busy (the engine's state is one static record).
    // The project's lock (app/model/projectrun.h) is taken first, unless Reserve took it;
    // ERunRefused when another running copy runs the project, EOutputError (a result-4 message)
    // when an output cannot be written; both before anything is written. Result 4: an output
    // could not be written, FailureLines() say which and why.
    int32_t Run(const QString& projectFile, const QString& version);
    // Takes the project's lock ahead of the run (before the project is saved), so that a run
    // refused for another copy changes nothing; raises as Run does. Release gives it back when
    // no run follows.
    void Reserve(const QString& projectFile);
    void Release();
    // After a run with result 4: which file could not be written and why, one line each.
    QStringList FailureLines() const { return m_failure; }

    // True from the start of the engine call until it has returned.
    bool Running() const { return m_running; }
    // True while any run of this program calls the engine.
    static bool EngineBusy();

    // The outcome of the last run: the engine's result (-1 before the first run) and the full
    // path of its report (native separators), as sent with Finished.
    int32_t Result() const { return m_result; }
    QString ReportPath() const { return m_reportPath; }

    // The folder of names.dat, TAPE7 and TAPE8, chosen on the first call. Raises EInOutError
    // when none can be had.
    QString RunFolder();
    // The engine library (default: libtremcalc.so in the program's folder).
    QString EngineLibraryPath() const { return m_enginePath; }
    void SetEngineLibraryPath(const QString& path) { m_enginePath = path; }

    // The full path of the report of a project file (native separators).
    static QString ReportPathOf(const QString& projectFile);

signals:
    // The engine is about to be called (the library is loaded, the run list written).
    void Started();
    // The engine has returned with `result`; `report` is the full path of the report.
    void Finished(int32_t result, const QString& report);

private:
    // Calls the engine's entry on a worker thread; returns its result once it has returned.
    int32_t CallEngine(int32_t (*entry)(int32_t));

    std::unique_ptr<TDynamicLibrary> m_engine;
    std::unique_ptr<TRunFolder> m_runFolder;
    std::unique_ptr<TProjectRun> m_project;
    QStringList m_failure;
    QString m_enginePath;
    QString m_reportPath;
    int32_t m_result = -1;
    bool m_running = false;
};
