#include "projectrun.h"

#include "projectfile.h"
#include "runlist.h"
#include "util/safewrite.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

QByteArray Bytes(const QString& path) { return QFile::encodeName(path); }

// The run of the holder as its lock file tells it: "process 1234 on host, since 2026-12-11 02:00:03".
QString HolderText(int fd)
{
    QByteArray text(512, '\0');
    const ssize_t n = ::pread(fd, text.data(), text.size(), 0);
    text.truncate(n > 0 ? int(n) : 0);
    const QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() < 3) return QStringLiteral("a run that has not said who it is yet");
    return QStringLiteral("process %1 on %2, since %3").arg(lines[0], lines[1], lines[2]);
}

// Whether a run holds the lock file open as fd (another process's lock: a probe, not a lock).
bool IsHeld(int fd)
{
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

}  // namespace

TProjectRun::TProjectRun(const QString& projectFile)
    : m_project(projectFile),
      m_report(ProjectFile::ChangeFileExt(projectFile, QStringLiteral(".tmo"))),
      m_plot(ProjectFile::ChangeFileExt(projectFile, QStringLiteral(".tmq"))),
      m_lockPath(LockPathOf(projectFile))
{
}

TProjectRun::~TProjectRun() { Release(); }

QString TProjectRun::LockPathOf(const QString& projectFile)
{
    return ProjectFile::ChangeFileExt(projectFile, QStringLiteral(".tmlock"));
}

QString TProjectRun::TemporaryFolderPattern() const
{
    const QFileInfo project(m_report);
    return project.absolutePath() + QStringLiteral("/.") + project.completeBaseName() + QStringLiteral(".tmrun-XXXXXX");
}

void TProjectRun::CheckPaths() const
{
    // The system takes a path of at most PATH_MAX bytes with its closing zero; a longer one
    // would reach neither the engine nor the disk whole.
    constexpr qsizetype kPathBytes = PATH_MAX - 1;
    const QString folder = TemporaryFolderPattern();
    const QString inFolder = folder + QLatin1Char('/');
    const QStringList lines = Run::RunListLines(QString(), m_project);
    const std::pair<QString, const char*> paths[] = {
        {m_lockPath, "the lock file of the run"},
        {folder, "the temporary folder of the run"},
        {inFolder + QFileInfo(m_report).fileName(), "the report, at its temporary name,"},
        {inFolder + QFileInfo(m_plot).fileName(), "the plot data file, at its temporary name,"},
        {lines[4], "the run-notes file"},
        {lines[5], "the drawing-data file"},
        {lines[6], "the mass file"},
    };
    const QFileInfo project(m_report);
    long nameBytes = ::pathconf(Bytes(project.absolutePath()).constData(), _PC_NAME_MAX);
    if (nameBytes <= 0) nameBytes = NAME_MAX;
    const auto refuse = [](const QString& text) {
        throw EPathLimit(text + QStringLiteral(" The run was not started and nothing was written; move the project "
                                               "to a folder with a shorter path, or give it a shorter name."));
    };
    for (const auto& [path, what] : paths) {
        const qsizetype bytes = Bytes(QFileInfo(path).absoluteFilePath()).size();
        if (bytes > kPathBytes)
            refuse(QStringLiteral("The path of %1 would be %2 bytes long, longer than the %3 bytes the system takes "
                                  "for a path: %4.")
                       .arg(QLatin1String(what))
                       .arg(bytes)
                       .arg(kPathBytes)
                       .arg(path));
        for (const QString& name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            const qsizetype n = Bytes(name).size();
            if (n > nameBytes)
                refuse(QStringLiteral("The name \"%1\" of %2 would be %3 bytes long, longer than the %4 bytes the "
                                      "folder %5 takes for a name.")
                           .arg(name, QLatin1String(what))
                           .arg(n)
                           .arg(nameBytes)
                           .arg(project.absolutePath()));
        }
    }
}

QString TProjectRun::Holder(const QString& projectFile)
{
    const int fd = ::open(Bytes(LockPathOf(projectFile)).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return QString();
    const bool held = IsHeld(fd);
    const QString holder = held ? HolderText(fd) : QString();
    ::close(fd);
    return holder;
}

void TProjectRun::Lock()
{
    if (m_lock >= 0) return;
    CheckPaths();
    const QByteArray path = Bytes(m_lockPath);
    // The lock file of an ended run is removed by it: a lock taken on a file that has gone from
    // its name meanwhile is taken again on the new one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            const int error = errno;
            // The lock file of another user's run: refused while that run holds it; left by a
            // run that ended, it goes.
            const int other = error == EACCES ? ::open(path.constData(), O_RDONLY | O_CLOEXEC) : -1;
            if (other >= 0) {
                const bool held = IsHeld(other);
                const QString holder = held ? HolderText(other) : QString();
                ::close(other);
                if (held) throw ERunRefused(RefusalText(holder));
                if (::unlink(path.constData()) == 0) continue;
            }
            throw EOutputError(QStringLiteral("The lock file %1 of the run could not be written: %2")
                                   .arg(m_lockPath, SafeWrite::SystemText(error)));
        }
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
            const int error = errno;
            if (error == EAGAIN || error == EACCES) {
                const QString holder = HolderText(fd);
                ::close(fd);
                throw ERunRefused(RefusalText(holder));
            }
            ::close(fd);
            throw EOutputError(
                QStringLiteral("The lock file %1 of the run could not be locked: %2").arg(m_lockPath, SafeWrite::SystemText(error)));
        }
        struct stat held {}, named {};
        if (::fstat(fd, &held) != 0 || ::stat(path.constData(), &named) != 0 || held.st_ino != named.st_ino ||
            held.st_dev != named.st_dev) {
            ::close(fd);
            continue;
        }
        char host[256] = {};
        if (::gethostname(host, sizeof host - 1) != 0) std::strcpy(host, "unknown host");
        const QByteArray text = QByteArray::number(qint64(::getpid())) + '\n' + QByteArray(host) + '\n' +
                                QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")).toUtf8() +
                                '\n';
        const int error = ::ftruncate(fd, 0) != 0 ? errno : SafeWrite::WriteAll(fd, text);
        if (error != 0) {
            ::unlink(path.constData());
            ::close(fd);
            throw EOutputError(
                QStringLiteral("The lock file %1 of the run could not be written: %2").arg(m_lockPath, SafeWrite::SystemText(error)));
        }
        m_lock = fd;
        RemoveStaleTemporaries();
        // The deck and its mass file the engine reads are those of one save.
        ProjectFile::RecoverSave(m_project);
        return;
    }
    throw EOutputError(QStringLiteral("The lock file %1 of the run could not be locked: it keeps being replaced")
                           .arg(m_lockPath));
}

QString TProjectRun::RefusalText(const QString& holder) const
{
    return QStringLiteral("Another running copy of Tremex3 or tremrun is running an analysis of %1 (%2). This run "
                          "was not started and nothing was written; run it again when that run has ended.")
        .arg(m_project, holder);
}

void TProjectRun::Release()
{
    RemoveTemporaries();
    if (m_lock < 0) return;
    // Removed while still held, so that no other run takes a lock on a file without a name.
    ::unlink(Bytes(m_lockPath).constData());
    ::close(m_lock);
    m_lock = -1;
}

void TProjectRun::RemoveTemporaries()
{
    if (m_tempFolder.isEmpty()) return;
    std::error_code ec;
    fs::remove_all(fs::path(Bytes(m_tempFolder).toStdString()), ec);
    m_tempFolder.clear();
}

void TProjectRun::RemoveStaleTemporaries() const
{
    // Held by this run now: a temporary folder of this project is left from a run that ended
    // without tidying up.
    const QFileInfo project(m_report);
    const fs::path folder(Bytes(project.absolutePath()).toStdString());
    const std::string prefix = "." + Bytes(project.completeBaseName()).toStdString() + ".tmrun-";
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::error_code kind;
        if (!fs::is_directory(it->symlink_status(kind)) || kind) continue;
        std::error_code gone;
        fs::remove_all(it->path(), gone);
    }
}

QString TProjectRun::TemporaryPath(const QString& finalPath) const
{
    return m_tempFolder + QLatin1Char('/') + QFileInfo(finalPath).fileName();
}

QStringList TProjectRun::RunListLines(const QString& version)
{
    Lock();
    m_failure.clear();
    QStringList lines = Run::RunListLines(version, m_project);
    // A report or plot-data name that is the project's own: the engine refuses such a run list
    // before it opens anything, so it is given as it is.
    m_direct = m_report == m_project || m_plot == m_project;
    if (m_direct) return lines;

    // An existing report or plot data file that this user may not write, or a folder of that
    // name, is not replaced by the run.
    for (const auto& [path, what] : {std::pair{m_report, "report"}, std::pair{m_plot, "plot data file"}}) {
        const QByteArray bytes = Bytes(path);
        struct stat st {};
        int error = 0;
        if (::lstat(bytes.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                error = EISDIR;
            else if (::access(bytes.constData(), W_OK) != 0)
                error = errno;
        }
        if (error != 0)
            throw EOutputError(QStringLiteral("The %1 %2 could not be written: %3")
                                   .arg(QLatin1String(what), path, SafeWrite::SystemText(error)));
    }

    RemoveTemporaries();
    QByteArray pattern = Bytes(TemporaryFolderPattern());
    if (!::mkdtemp(pattern.data()))
        throw EOutputError(QStringLiteral("The temporary folder %1 of the run could not be made: %2")
                               .arg(QFile::decodeName(pattern), SafeWrite::SystemText(errno)));
    m_tempFolder = QFile::decodeName(pattern);
    lines[2] = TemporaryPath(m_report);
    lines[3] = TemporaryPath(m_plot);
    return lines;
}

int32_t TProjectRun::Finish(int32_t result, const QString& engineMessage)
{
    m_failure.clear();
    m_reportPlaced = m_plotPlaced = false;
    // The engine's messages name the temporary files: the user knows the final ones.
    for (QString line : engineMessage.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!m_tempFolder.isEmpty()) {
            line.replace(TemporaryPath(m_report), m_report);
            line.replace(TemporaryPath(m_plot), m_plot);
        }
        m_failure << line.trimmed();
    }
    const bool keep = Run::ResultKeepsOutputs(result);
    // An analysis that ran has written its report: without it the engine wrote elsewhere than
    // it was told (a name it could not take whole), and the run has no results. (A run without
    // plot data is one whose engine wrote none; the earlier plot data then stay.)
    if ((result == Run::kResultCompleted || result == Run::kResultUnsolved) && !m_direct) {
        const QString temporary = m_tempFolder.isEmpty() ? m_report : TemporaryPath(m_report);
        if (::access(Bytes(temporary).constData(), F_OK) != 0) {
            m_failure << QStringLiteral("The engine did not write the report %1 of the run.").arg(m_report);
            result = Run::kResultOutputFailed;
        }
    }
    if (keep && result != Run::kResultOutputFailed && !m_tempFolder.isEmpty()) {
        // The plot data first: a report in place always has its plot data beside it.
        for (const auto& [path, what] : {std::pair{m_plot, "plot data file"}, std::pair{m_report, "report"}}) {
            const QByteArray from = Bytes(TemporaryPath(path));
            if (::access(from.constData(), F_OK) != 0) continue;
            // The new file keeps the permissions the user gave the earlier one, where it can
            // (the results go in place either way).
            struct stat earlier {};
            if (::stat(Bytes(path).constData(), &earlier) == 0 && S_ISREG(earlier.st_mode))
                ::chmod(from.constData(), earlier.st_mode & 07777);
            if (::rename(from.constData(), Bytes(path).constData()) != 0) {
                m_failure << QStringLiteral("The %1 %2 could not be written: %3")
                                 .arg(QLatin1String(what), path, SafeWrite::SystemText(errno));
                result = Run::kResultOutputFailed;
                break;
            }
            (path == m_plot ? m_plotPlaced : m_reportPlaced) = true;
        }
    }
    if (result == Run::kResultOutputFailed && m_failure.isEmpty())
        m_failure << QStringLiteral("The engine did not say which output could not be written.");
    Release();
    return result;
}
