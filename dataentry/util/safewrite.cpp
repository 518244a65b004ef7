#include "safewrite.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeWrite {

namespace {

// The file a write of `path` replaces: the end of a symbolic link, else the path itself.
QByteArray TargetOf(const QByteArray& path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* resolved = ::realpath(path.constData(), nullptr);
        if (resolved) {
            QByteArray target(resolved);
            std::free(resolved);
            return target;
        }
    }
    return path;
}

}  // namespace

QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString FailureText(const QString& path, int error)
{
    return QStringLiteral("The file ") + QDir::toNativeSeparators(path) + QStringLiteral(" could not be written: ") +
           SystemText(error);
}

int WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        data += n;
        left -= n;
    }
    return 0;
}

TFileWrite::TFileWrite(const QString& path) : m_path(path), m_target(TargetOf(QFile::encodeName(path)))
{
    // An old file that its user may not write is not replaced (renaming over it would).
    struct stat old {};
    const bool exists = ::stat(m_target.constData(), &old) == 0;
    if (exists && ::access(m_target.constData(), W_OK) != 0) Fail(errno);
    if (exists && S_ISDIR(old.st_mode)) Fail(EISDIR);
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        QByteArray temp = m_target + ".save-";
        for (int i = 0; i < 6; ++i) temp += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        m_fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) m_temp = temp;
        else if (errno != EEXIST) Fail(errno);
    }
    if (m_fd < 0) Fail(EEXIST);
    if (exists && ::fchmod(m_fd, old.st_mode & 07777) != 0) Fail(errno);
}

TFileWrite::~TFileWrite()
{
    if (m_fd >= 0) ::close(m_fd);
    if (!m_committed && !m_temp.isEmpty()) ::unlink(m_temp.constData());
}

void TFileWrite::Fail(int error)
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temp.isEmpty()) ::unlink(m_temp.constData());
    m_temp.clear();
    throw EInOutError(FailureText(m_path, error));
}

void TFileWrite::Write(const QByteArray& bytes)
{
    if (const int error = WriteAll(m_fd, bytes)) Fail(error);
}

void TFileWrite::Finish()
{
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        const int error = errno;
        ::unlink(m_temp.constData());
        m_temp.clear();
        throw EInOutError(FailureText(m_path, error));
    }
}

void TFileWrite::Commit()
{
    if (m_fd >= 0) Finish();
    if (::rename(m_temp.constData(), m_target.constData()) != 0) Fail(errno);
    m_committed = true;
}

void WriteWhole(const QString& path, const QByteArray& bytes)
{
    TFileWrite file(path);
    file.Write(bytes);
    file.Finish();
    file.Commit();
}

}  // namespace SafeWrite
