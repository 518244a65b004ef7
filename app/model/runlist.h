// Run list of an analysis (unit Run): the run list "names.dat" the engine reads, the engine's
// entry and its results, and the message for a result. No window and no engine call here: the
// run itself is `TAnalysisRun` (app/shell/run.h); tremrun uses the same run list.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace Run {

// The engine's entry and its one argument.
inline const QString kEntryName = QStringLiteral("_ITREMX");
constexpr int kEntryArgument = 13;
inline const QString kRunListName = QStringLiteral("names.dat");
inline const QString kLibraryName = QStringLiteral("libtremcalc.so");

// Results of the engine's entry: the analysis ran; it stopped at STOP; the input was refused
// (the report's "*** FATAL ERROR IN INPUT DATA ***" page, also for a run list or deck that could
// not be opened); an output (report, plot data, scratch file) could not be written, the
// engine's ITREMX_MESSAGE says which and why; the analysis ran but the response could not be
// computed at some (or all) of its frequencies, the report marks and lists them and the plot
// data hold the others, the engine's ITREMX_MESSAGE says how many. Any other value is a call
// the engine did not take.
constexpr int32_t kResultCompleted = 0;
constexpr int32_t kResultStopped = 2;
constexpr int32_t kResultRefused = 3;
constexpr int32_t kResultOutputFailed = 4;
constexpr int32_t kResultUnsolved = 6;
// Whether the run of a result put its report and plot data in place (completed, stopped,
// refused, unsolved).
bool ResultKeepsOutputs(int32_t result);
// The engine's text of what its last call could not write (see engine/entry.h).
inline const QString kMessageEntryName = QStringLiteral("ITREMX_MESSAGE");

// The message after a run with the engine's result, naming the report (full path). After
// result 4 the errors (below) are the lines that say which file could not be written and why;
// after result 6 the engine's line that says at how many frequencies (the message gives the
// counts in words instead of the line).
QString ResultMessage(int32_t result, const QString& report);
// The same with the engine's own error messages of the run: the first kErrorsShown of them, one a
// line, and how many more the report holds.
constexpr int kErrorsShown = 5;
QString ResultMessage(int32_t result, const QString& report, const QStringList& errors);

// The engine's error messages in the text of a report, in the report's order. An error is written
// after an empty line and ends with a line that says the run will not go on ("PROGRAM WILL NOT
// EXECUTE", "PROGRAM WILL TERMINATE", "ANALYSIS TERMINATED", "CANNOT EXECUTE T HIS PROBLEM SET");
// each message line before such a line, trimmed, is one entry (the closing lines are not).
QStringList ReportErrors(const QString& reportText);
// ReportErrors of the report file at `path`; none when it cannot be read.
QStringList ReadReportErrors(const QString& path);

// The seven lines of the run list: the version, the project file, and the same path with the
// extensions (ProjectFile::ChangeFileExt) tmo (report), tmq (plot data), tmr (run notes), tmt (drawing data), tmm (mass).
QStringList RunListLines(const QString& version, const QString& fileName);

// Writes the run list at `path` (replacing an old one), each line ended by CR LF; raises
// EInOutError with the system's text when the file cannot be written.
void WriteRunList(const QString& path, const QString& version, const QString& fileName);
// The same with the lines given (TProjectRun::RunListLines).
void WriteRunList(const QString& path, const QStringList& lines);

}  // namespace Run
