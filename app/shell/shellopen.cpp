#include "shellopen.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>

#include <memory>

namespace ShellOpen {

namespace {

// What the program said last (its output and errors go to one file): its last line that begins
// with its own name ("xdg-open: no method available ..."), else its last line; at most 300
// characters, empty when it wrote nothing.
QString LastLine(QFile& output, const QString& name)
{
    if (!output.open(QIODevice::ReadOnly)) return QString();
    const qint64 size = output.size();
    if (size > 4096) output.seek(size - 4096);
    const QStringList lines = QString::fromLocal8Bit(output.readAll()).split(QLatin1Char('\n'));
    QString last;
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = it->trimmed();
        if (line.isEmpty()) continue;
        if (line.startsWith(name + QLatin1Char(':'))) return line.left(300);
        if (last.isEmpty()) last = line.left(300);
    }
    return last;
}

}  // namespace

QString DesktopOpener() { return QStringLiteral("xdg-open"); }

QString NotStartedReason(const QString& program)
{
    return QStringLiteral("the program %1 could not be started").arg(program);
}

bool StartWatched(const QString& program, const QStringList& arguments,
                  std::function<void(const QString& reason)> failed)
{
    // The output goes to a file, not a pipe: an editor that goes on after this program has ended
    // would be killed by a broken pipe when it writes. The process object has no parent, so that
    // closing the program does not end an editor that is still open; it goes when the program
    // ends.
    auto output = std::make_shared<QTemporaryFile>();
    const bool logged = output->open();
    if (logged) output->close();
    auto* process = new QProcess;
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(logged ? output->fileName() : QProcess::nullDevice());
    const QString name = QFileInfo(program).fileName();
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed, output, logged, name](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || code != 0) {
                             QString reason = status != QProcess::NormalExit
                                                  ? QStringLiteral("the program %1 stopped before it had shown the file").arg(name)
                                                  : QStringLiteral("the program %1 ended with the failure status %2").arg(name).arg(code);
                             const QString said = logged ? LastLine(*output, name) : QString();
                             if (!said.isEmpty()) reason += QStringLiteral(" (") + said + QLatin1Char(')');
                             if (failed) failed(reason);
                         }
                         process->deleteLater();
                     });
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    return true;
}

}  // namespace ShellOpen
