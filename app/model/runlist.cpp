#include "runlist.h"

#include "projectfile.h"
#include "util/exceptions.h"
#include "util/safewrite.h"

#include <QFile>
#include <QRegularExpression>

namespace Run {

QStringList RunListLines(const QString& version, const QString& fileName)
{
    // The same names as the files the project writer wrote beside the project.
    QStringList lines{version, fileName};
    for (const char* ext : {".tmo", ".tmq", ".tmr", ".tmt", ".tmm"})
        lines << ProjectFile::ChangeFileExt(fileName, QString::fromLatin1(ext));
    return lines;
}

bool ResultKeepsOutputs(int32_t result)
{
    return result == kResultCompleted || result == kResultStopped || result == kResultRefused ||
           result == kResultUnsolved;
}

namespace {

// After result 6: how many frequencies had no response, of how many, from the engine's line
// "*** RESPONSE NOT COMPUTED AT n OF N FREQUENCIES: ... ***".
bool UnsolvedCounts(const QStringList& lines, int& failed, int& total)
{
    static const QRegularExpression counts(QStringLiteral("RESPONSE NOT COMPUTED AT (\\d+) OF (\\d+) FREQUENCIES"));
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = counts.match(line);
        if (m.hasMatch()) {
            failed = m.captured(1).toInt();
            total = m.captured(2).toInt();
            return failed > 0 && total >= failed;
        }
    }
    return false;
}

QString UnsolvedMessage(const QString& report, const QStringList& lines)
{
    int failed = 0, total = 0;
    if (!UnsolvedCounts(lines, failed, total))
        return QStringLiteral("The run failed at some of its frequencies: the response could not be computed there "
                              "(the equations of motion could not be solved). The report %1 lists those "
                              "frequencies; its results and the plots hold the other frequencies only.")
            .arg(report);
    if (failed == total)
        return QStringLiteral("The run failed at all %1 of its frequencies: the response could not be computed at "
                              "any of them (the equations of motion could not be solved), so the run gave no "
                              "response. The report %2 lists those frequencies.")
            .arg(total)
            .arg(report);
    return QStringLiteral("The run failed at %1 of its %2 frequencies: the response could not be computed there "
                          "(the equations of motion could not be solved). The report %3 lists those frequencies; "
                          "its results and the plots hold the other %4 frequencies only.")
        .arg(failed)
        .arg(total)
        .arg(report)
        .arg(total - failed);
}

}  // namespace

QString ResultMessage(int32_t result, const QString& report)
{
    switch (result) {
    case kResultCompleted:
        return QStringLiteral("Computations are completed. Please, check output file for results or error messages.");
    case kResultStopped:
        return QStringLiteral("The analysis stopped at a STOP in the input data and computed no results. "
                              "The report %1 shows the input read up to it.")
            .arg(report);
    case kResultRefused:
        return QStringLiteral("The analysis refused the input data (*** FATAL ERROR IN INPUT DATA ***) and computed "
                              "no results. The report %1 says what is wrong.")
            .arg(report);
    case kResultOutputFailed:
        return QStringLiteral("The output of the analysis could not be written, so the run gave no results; the "
                              "earlier report %1 and its plot data are left as they were.")
            .arg(report);
    case kResultUnsolved: return UnsolvedMessage(report, {});
    default:
        return QStringLiteral("The analysis ended with result %1 and computed no results. See the report %2.")
            .arg(result)
            .arg(report);
    }
}

QString ResultMessage(int32_t result, const QString& report, const QStringList& errors)
{
    if (result == kResultUnsolved) return UnsolvedMessage(report, errors);
    QString text = ResultMessage(result, report);
    if (errors.isEmpty()) return text;
    text += QStringLiteral("\n\n") + errors.mid(0, kErrorsShown).join(QLatin1Char('\n'));
    const qsizetype more = errors.size() - kErrorsShown;
    if (more == 1) text += QStringLiteral("\n(and 1 more message in the report)");
    if (more > 1) text += QStringLiteral("\n(and %1 more messages in the report)").arg(more);
    return text;
}

namespace {

// The lines that close an error message: the run does not go on.
bool ClosesAnError(const QString& line)
{
    for (const char* end : {"PROGRAM WILL NOT EXECUTE", "PROGRAM WILL TERMINATE", "ANALYSIS TERMINATED",
                            "CANNOT EXECUTE T HIS PROBLEM SET", "WILL CONTINUE TO PROCESS DATA"})
        if (line.contains(QLatin1String(end))) return true;
    return false;
}

}  // namespace

QStringList ReportErrors(const QString& reportText)
{
    QStringList lines = reportText.split(QLatin1Char('\n'));
    for (QString& line : lines) line = line.trimmed();  // also the CR of a CR LF line end
    QStringList errors;
    qsizetype messageStart = 0;  // the first line after the last empty or closing line
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.isEmpty()) {
            messageStart = i + 1;
        } else if (ClosesAnError(line)) {
            for (qsizetype k = messageStart; k < i; ++k) errors << lines[k];
            messageStart = i + 1;
        }
    }
    return errors;
}

QStringList ReadReportErrors(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return ReportErrors(QString::fromLatin1(file.readAll()));
}

void WriteRunList(const QString& path, const QString& version, const QString& fileName)
{
    WriteRunList(path, RunListLines(version, fileName));
}

void WriteRunList(const QString& path, const QStringList& lines)
{
    QByteArray text;
    for (const QString& line : lines) text += line.toUtf8() + "\r\n";
    // Whole or not at all: a run list cut short on a full disk would send the engine's outputs
    // to other names.
    SafeWrite::WriteWhole(path, text);
}

}  // namespace Run
