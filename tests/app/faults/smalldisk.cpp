#include "smalldisk.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace SmallDisk {

namespace {

QString g_problem = QStringLiteral("PrivateMounts was not called");

QString Reason(const char* what) { return QString::fromLatin1(what) + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)); }

bool WriteText(const char* path, const QByteArray& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    return ::close(fd) == 0 && ok;
}

constexpr qint64 kPage = 4096;

}  // namespace

QString PrivateMounts()
{
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWNS) != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return g_problem = Reason("unshare");
        if (!WriteText("/proc/self/setgroups", "deny") ||
            !WriteText("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1") ||
            !WriteText("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1"))
            return g_problem = Reason("user namespace map");
    }
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return g_problem = Reason("mount --make-rprivate /");
    return g_problem = QString();
}

QString PrivateMountsProblem() { return g_problem; }

TDisk::TDisk(const QString& folder, int kilobytes) : m_folder(folder)
{
    if (!g_problem.isEmpty()) {
        m_problem = g_problem;
        return;
    }
    QDir().mkpath(folder);
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0777";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) != 0)
        m_problem = Reason("mount tmpfs");
    else
        m_mounted = true;
}

TDisk::~TDisk()
{
    if (m_mounted) ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

qint64 TDisk::Free() const
{
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(m_folder).constData(), &st) != 0) return -1;
    return qint64(st.f_bavail) * qint64(st.f_frsize);
}

qint64 TDisk::LeaveFree(qint64 bytes)
{
    const QByteArray filler = QFile::encodeName(m_folder + QStringLiteral("/filler"));
    const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    // Up to the last page, then back to leave the room asked for.
    const QByteArray block(int(kPage), 'f');
    off_t size = ::lseek(fd, 0, SEEK_END);
    for (;;) {
        const ssize_t n = ::write(fd, block.constData(), size_t(block.size()));
        if (n <= 0) break;
        size += n;
    }
    size -= size % kPage;
    const qint64 pages = bytes / kPage;
    if (::ftruncate(fd, size > pages * kPage ? size - pages * kPage : 0) != 0) {
        ::close(fd);
        return -1;
    }
    ::close(fd);
    return Free();
}

TReadOnly::TReadOnly(const QString& path) : m_path(QFile::encodeName(path))
{
    if (!g_problem.isEmpty()) {
        m_problem = g_problem;
        return;
    }
    if (::mount(m_path.constData(), m_path.constData(), nullptr, MS_BIND, nullptr) != 0) {
        m_problem = Reason("mount --bind");
        return;
    }
    m_mounted = true;
    if (::mount(nullptr, m_path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        m_problem = Reason("mount -o remount,bind,ro");
}

TReadOnly::~TReadOnly()
{
    if (m_mounted) ::umount2(m_path.constData(), MNT_DETACH);
}

std::map<QString, QByteArray> Snapshot(const QString& folder)
{
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (name == QStringLiteral("filler")) continue;
        QFile file(folder + QLatin1Char('/') + name);
        files[name] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    return files;
}

std::string Listing(const std::map<QString, QByteArray>& files)
{
    std::string text;
    for (const auto& [name, bytes] : files) text += name.toStdString() + " (" + std::to_string(bytes.size()) + ") ";
    return text;
}

}  // namespace SmallDisk
