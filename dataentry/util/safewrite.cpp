#include "safewrite.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <thread>
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

// The letters of the random part of a temporary name.
const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr int kRandomLetters = 6;
const QByteArray kTempMark = ".save-";

TStepHook g_stepHook = nullptr;

void Step(const QString& step)
{
    if (g_stepHook) g_stepHook(step);
}

// The commit record: a first line, one line per removal and per rename (paths percent-encoded,
// so that any byte of a name stays as it is), and a last line; a record without its last line
// was cut short before its save began to rename, and so changed nothing.
const QByteArray kRecordHead = "TREMEX save record 1\n";
const QByteArray kRecordEnd = "end\n";

QByteArray Encoded(const QByteArray& path) { return path.toPercentEncoding("/"); }

struct TRecord {
    QList<QByteArray> Removals;
    QList<QPair<QByteArray, QByteArray>> Renames;  // temporary file, file replaced
};

// The complete record held by the open file `fd`; false when it is empty or cut short.
bool ReadRecord(int fd, TRecord& record)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size <= 0 || st.st_size > 1 << 20) return false;
    QByteArray text(qsizetype(st.st_size), '\0');
    qsizetype got = 0;
    while (got < text.size()) {
        const ssize_t n = ::pread(fd, text.data() + got, size_t(text.size() - got), off_t(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += n;
    }
    if (!text.startsWith(kRecordHead) || !text.endsWith(kRecordEnd)) return false;
    const QList<QByteArray> lines = text.mid(kRecordHead.size(), text.size() - kRecordHead.size() - kRecordEnd.size())
                                        .split('\n');
    for (const QByteArray& line : lines) {
        if (line.isEmpty()) continue;
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 2 && words[0] == "remove")
            record.Removals << QByteArray::fromPercentEncoding(words[1]);
        else if (words.size() == 3 && words[0] == "rename")
            record.Renames << qMakePair(QByteArray::fromPercentEncoding(words[1]), QByteArray::fromPercentEncoding(words[2]));
        else
            return false;
    }
    return true;
}

QByteArray FolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// The folder entries of renames and removals reach the disk (where the file system can say).
void SyncFolder(const QByteArray& path)
{
    const int fd = ::open(FolderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Opens and locks the record `path` (made when missing, if `create`), waiting up to `waitMs`
// while another process holds it. -1 with `error` when it cannot be had (EAGAIN: held).
int LockRecord(const QByteArray& path, bool create, int waitMs, int& error)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (int attempt = 0; attempt < 100000; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
        if (fd < 0) {
            error = errno;
            return -1;
        }
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
            const int e = errno;
            ::close(fd);
            if (e != EAGAIN && e != EACCES) {
                error = e;
                return -1;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                error = EAGAIN;
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        // The holder before removed the record while it held it: the lock is on a file that
        // has no name any more.
        struct stat held {}, named {};
        const bool same = ::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 &&
                          held.st_ino == named.st_ino && held.st_dev == named.st_dev;
        if (same) return fd;
        ::close(fd);
        if (!create && ::access(path.constData(), F_OK) != 0) {
            error = ENOENT;
            return -1;
        }
    }
    error = EAGAIN;
    return -1;
}

// Whether `name` is a temporary name of the file `base` ("BASE.save-XXXXXX").
bool IsTemporaryOf(const QByteArray& name, const QByteArray& base)
{
    const QByteArray lead = base + kTempMark;
    if (name.size() != lead.size() + kRandomLetters || !name.startsWith(lead)) return false;
    for (qsizetype i = lead.size(); i < name.size(); ++i)
        if (!std::strchr(kLetters, name[i]) || name[i] == '\0') return false;
    return true;
}

// The temporary files of the group's files, in their folders (of a symbolic link: its end's).
QList<QByteArray> Temporaries(const QStringList& files)
{
    QList<QByteArray> found;
    for (const QString& file : files) {
        const QByteArray target = TargetOf(QFile::encodeName(file));
        const QByteArray folder = FolderOf(target);
        const QByteArray base = target.mid(target.lastIndexOf('/') + 1);
        DIR* dir = ::opendir(folder.constData());
        if (!dir) continue;
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (IsTemporaryOf(name, base)) found << (folder == "/" ? folder + name : folder + '/' + name);
        }
        ::closedir(dir);
    }
    return found;
}

// Under the record's lock: a complete record is carried out; then the temporary files of the
// group that are left are removed, unless a rename of the record could not be done now
// (`superseded` false: its temporary file is kept for a later try). True when nothing is left
// to do.
bool Recover(int fd, const QStringList& files, bool superseded)
{
    TRecord record;
    bool whole = true;
    if (ReadRecord(fd, record)) {
        for (const QByteArray& path : record.Removals) ::unlink(path.constData());
        std::set<QByteArray> folders;
        for (const auto& [temp, target] : record.Renames) {
            struct stat st {};
            if (::lstat(temp.constData(), &st) != 0) continue;  // renamed before the save ended
            if (::rename(temp.constData(), target.constData()) != 0) whole = false;
            folders.insert(target);
        }
        for (const QByteArray& folder : folders) SyncFolder(folder);
    }
    if (!whole && !superseded) return false;
    for (const QByteArray& temp : Temporaries(files)) ::unlink(temp.constData());
    return true;
}

}  // namespace

QString TargetOf(const QString& path) { return QFile::decodeName(TargetOf(QFile::encodeName(path))); }

void SetStepHook(TStepHook hook) { g_stepHook = hook; }

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
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        QByteArray temp = m_target + kTempMark;
        for (int i = 0; i < kRandomLetters; ++i)
            temp += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
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

TFileGroup::TFileGroup(const QString& journal, const QStringList& files) : m_journal(journal), m_files(files)
{
    int error = 0;
    // Another copy's save of the same files takes a moment: it is waited for.
    m_fd = LockRecord(QFile::encodeName(journal), true, 5000, error);
    const QString named = files.isEmpty() ? journal : files.constFirst();
    if (m_fd < 0 && error == EAGAIN)
        throw EInOutError(QStringLiteral("The file ") + QDir::toNativeSeparators(files.isEmpty() ? journal : files.constLast()) +
                          QStringLiteral(" could not be written: another running copy of the program is saving it at "
                                         "this moment. Save it again in a moment."));
    // The record cannot be made where the files cannot: the message names the first of them.
    if (m_fd < 0) throw EInOutError(FailureText(named, error));
    // What an earlier save left is put right first; this save then replaces every file anyway.
    Recover(m_fd, files, true);
    if (::ftruncate(m_fd, 0) != 0) {
        const int e = errno;
        ::unlink(QFile::encodeName(journal).constData());
        ::close(m_fd);
        m_fd = -1;
        throw EInOutError(FailureText(named, e));
    }
}

TFileGroup::~TFileGroup()
{
    // A save whose record is on the disk is completed by the next RecoverGroup: its temporary
    // files stay.
    if (!m_done && m_recorded)
        for (auto& write : m_writes) write->m_committed = true;
    m_writes.clear();
    if (m_fd >= 0) {
        if (!m_recorded) ::unlink(QFile::encodeName(m_journal).constData());
        ::close(m_fd);
    }
}

TFileWrite& TFileGroup::Add(const QString& path)
{
    m_writes.push_back(std::make_unique<TFileWrite>(path));
    return *m_writes.back();
}

void TFileGroup::Remove(const QString& path) { m_remove << path; }

void TFileGroup::Commit()
{
    for (auto& write : m_writes) {
        if (write->m_fd >= 0) write->Finish();
        Step(QStringLiteral("written ") + write->Path());
    }
    QByteArray record = kRecordHead;
    for (const QString& path : m_remove) record += "remove " + Encoded(QFile::encodeName(path)) + '\n';
    for (const auto& write : m_writes) record += "rename " + Encoded(write->m_temp) + ' ' + Encoded(write->m_target) + '\n';
    record += kRecordEnd;
    const QString first = m_files.isEmpty() ? m_journal : m_files.constFirst();
    int error = ::ftruncate(m_fd, 0) != 0 ? errno : 0;
    if (error == 0 && ::lseek(m_fd, 0, SEEK_SET) < 0) error = errno;
    if (error == 0) error = WriteAll(m_fd, record);
    if (error == 0 && ::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) error = errno;
    if (error != 0) {
        ::ftruncate(m_fd, 0);
        throw EInOutError(FailureText(first, error));
    }
    SyncFolder(QFile::encodeName(m_journal));
    m_recorded = true;
    Step(QStringLiteral("recorded"));

    for (const QString& path : m_remove) {
        if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT) {
            // Nothing is renamed yet: the save stops here, its old files whole.
            const int e = errno;
            ::ftruncate(m_fd, 0);
            ::fsync(m_fd);
            m_recorded = false;
            throw EInOutError(QStringLiteral("The file ") + QDir::toNativeSeparators(path) +
                              QStringLiteral(" could not be deleted: ") + SystemText(e));
        }
        Step(QStringLiteral("removed ") + path);
    }
    std::set<QByteArray> folders;
    for (auto& write : m_writes) {
        if (::rename(write->m_temp.constData(), write->m_target.constData()) != 0)
            throw EInOutError(FailureText(write->m_path, errno));  // the record stays for the next open
        write->m_committed = true;
        folders.insert(write->m_target);
        Step(QStringLiteral("renamed ") + write->Path());
    }
    for (const QByteArray& folder : folders) SyncFolder(folder);
    const QByteArray journal = QFile::encodeName(m_journal);
    ::unlink(journal.constData());
    SyncFolder(journal);
    m_done = true;
    ::close(m_fd);
    m_fd = -1;
    Step(QStringLiteral("done"));
}

void RecoverGroup(const QString& journal, const QStringList& files)
{
    const QByteArray path = QFile::encodeName(journal);
    struct stat st {};
    const bool recorded = ::lstat(path.constData(), &st) == 0;
    if (!recorded && Temporaries(files).isEmpty()) return;
    int error = 0;
    const int fd = LockRecord(path, true, 0, error);
    if (fd < 0) return;  // a save goes on, or the folder may not be written
    if (Recover(fd, files, false)) ::unlink(path.constData());
    ::close(fd);
}

}  // namespace SafeWrite
