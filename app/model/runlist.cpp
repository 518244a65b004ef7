#include "runlist.h"

#include "projectfile.h"
#include "util/exceptions.h"

#include <QSaveFile>

namespace Run {

QStringList RunListLines(const QString& version, const QString& fileName)
{
    // The same names as the files the project writer wrote beside the project.
    QStringList lines{version, fileName};
    for (const char* ext : {".tmo", ".tmq", ".tmr", ".tmt", ".tmm"})
        lines << ProjectFile::ChangeFileExt(fileName, QString::fromLatin1(ext));
    return lines;
}

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
    default:
        return QStringLiteral("The analysis ended with result %1 and computed no results. See the report %2.")
            .arg(result)
            .arg(report);
    }
}

void WriteRunList(const QString& path, const QString& version, const QString& fileName)
{
    QByteArray text;
    for (const QString& line : RunListLines(version, fileName)) text += line.toUtf8() + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw EInOutError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

}  // namespace Run
