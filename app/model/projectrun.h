// One run of a project's analysis on the project's side (unit Run): the project's run lock and
// the run's outputs, shared by the main program's run (app/shell/run.h) and tremrun.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// - The lock: a run holds an exclusive lock on the project's lock file (the project file with
//   the extension ".tmlock", beside the report and the plot data) for its whole length, so
//   that a second run of the same project, by another running copy of Tremex3 or tremrun, is
//   refused before it writes anything. The lock file holds the holder's process id, host and
//   start time, which the refusal names. The system drops the lock when its process ends, also
//   after a crash; the lock file is removed when the run ends.
// - The outputs: the engine writes the report and the plot data into a temporary folder beside
//   the project (".NAME.tmrun-XXXXXX", under their own file names, so that the report names
//   its files as always); when the engine ends with result 0, 2 or 3 they are renamed into
//   place, else they are removed and the earlier report and plot data stay whole. Temporary
//   folders left by a run that crashed are removed when the lock is next taken.
//
//     TProjectRun run(projectFile);
//     run.Lock();                                   // ERunRefused, EOutputError
//     Run::WriteRunList(path, run.RunListLines(version));    // EOutputError before it
//     result = run.Finish(engine(13), engineMessage);        // 4 when a rename failed
//     ... run.FailureLines() say which file and why
#pragma once

#include "util/exceptions.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// Another running copy holds the project's lock; the message names its run.
class ERunRefused : public Exception {
public:
    using Exception::Exception;
};

// An output of the run (the lock file, the temporary folder, the report or the plot data)
// cannot be written; the message names the file and gives the system's reason.
class EOutputError : public EInOutError {
public:
    using EInOutError::EInOutError;
};

// A path of the run (its lock file, its temporary folder and outputs, a file of the run list)
// is longer than the system takes for a path, or a name on it longer than it takes for a name:
// the engine could not be handed it whole, so the run is refused before anything is written;
// the message names the file, its length and the limit.
class EPathLimit : public Exception {
public:
    using Exception::Exception;
};

class TProjectRun {
public:
    explicit TProjectRun(const QString& projectFile);
    // Removes what is left of the temporaries and releases the lock.
    ~TProjectRun();
    TProjectRun(const TProjectRun&) = delete;
    TProjectRun& operator=(const TProjectRun&) = delete;

    // Takes the project's lock (once; again after Release). Raises EPathLimit, before anything
    // is written, when a path of the run would be too long (see CheckPaths); ERunRefused when
    // another running copy holds it, EOutputError when the lock file cannot be made or written.
    void Lock();
    // Raises EPathLimit when a path the run writes or hands the engine (the lock file, the
    // temporary folder with the report and the plot data in it, the files of the run list) is
    // longer than the 4095 bytes of a path the system takes, or a name on it longer than the
    // names its folder takes (255 bytes on the usual file systems).
    void CheckPaths() const;
    bool Locked() const { return m_lock >= 0; }
    // Removes the temporaries and releases the lock now.
    void Release();

    // The run list of this run (Run::RunListLines) with the report and the plot data at their
    // temporary names. Takes the lock when it is not held yet, checks that the report and the
    // plot data can be replaced (an existing one that is not writable, or a folder of that
    // name, is not replaced), and makes the temporary folder. Raises as Lock, and EOutputError.
    QStringList RunListLines(const QString& version);

    // After the engine has returned `result` with its ITREMX_MESSAGE text: results 0, 2, 3 and 6
    // (Run::ResultKeepsOutputs) rename the outputs into place, any other removes them. Returns
    // the result of the run: the engine's, or 4 (Run::kResultOutputFailed) when an output could
    // not be put in place, or when the engine ran the analysis (0 or 6) and yet left no report
    // where the run list told it. Releases the lock.
    int32_t Finish(int32_t result, const QString& engineMessage);
    // After Finish: whether this run's report and plot data were put in place (else the
    // earlier ones, if any, are left as they were).
    bool ReportPlaced() const { return m_reportPlaced; }
    bool PlotPlaced() const { return m_plotPlaced; }
    // After Finish: what could not be written, one line each, naming the final files; the
    // engine's own messages for its result 4 (or 3 without a report).
    QStringList FailureLines() const { return m_failure; }

    QString ProjectFile() const { return m_project; }
    QString ReportPath() const { return m_report; }
    QString PlotPath() const { return m_plot; }
    // The project's lock file.
    static QString LockPathOf(const QString& projectFile);
    // The run that holds the lock of `projectFile` now, as its lock file tells it ("process
    // 1234 on host, since 2026-12-11 02:00:03"); empty when no run holds it. A lock of this
    // process counts as well.
    static QString Holder(const QString& projectFile);

private:
    QString RefusalText(const QString& holder) const;
    void RemoveTemporaries();
    void RemoveStaleTemporaries() const;
    QString TemporaryPath(const QString& finalPath) const;
    QString TemporaryFolderPattern() const;

    QString m_project;
    QString m_report;
    QString m_plot;
    QString m_lockPath;
    QString m_tempFolder;  // "" when none
    bool m_direct = false;  // the engine writes the final names (its own refusal of the run list)
    QStringList m_failure;
    bool m_reportPlaced = false;
    bool m_plotPlaced = false;
    int m_lock = -1;
};
