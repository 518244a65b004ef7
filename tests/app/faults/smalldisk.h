// Small file systems of the fault tests: a tmpfs of a few pages mounted on a folder, which a
// test fills to leave a given room (a disk that is full, or fills part-way through a write), and
// files or folders made read-only by a read-only bind mount (unwritable also for root, whom
// permission bits do not stop).
//
// The mounts live in a mount namespace of the test process alone (PrivateMounts, called first
// thing in main, while the process has one thread): as root, a mount namespace of its own; as
// another user, a user namespace in which the user is root. They go when the process ends,
// however it ends.
#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <string>

namespace SmallDisk {

// Empty when the process now has mounts of its own; else why not.
QString PrivateMounts();
// The result of the PrivateMounts call in main.
QString PrivateMountsProblem();

// A tmpfs of `kilobytes` mounted on `folder` (made when missing) for the life of the object.
class TDisk {
public:
    TDisk(const QString& folder, int kilobytes);
    ~TDisk();
    TDisk(const TDisk&) = delete;
    TDisk& operator=(const TDisk&) = delete;

    // Empty when mounted, else why not.
    QString Problem() const { return m_problem; }
    QString Folder() const { return m_folder; }
    // Fills the disk with a filler file so that `bytes` (rounded down to whole pages) stay free;
    // returns the bytes left free.
    qint64 LeaveFree(qint64 bytes);
    qint64 Free() const;

private:
    QString m_folder;
    QString m_problem;
    bool m_mounted = false;
};

// `path` (a file or a folder) read-only for the life of the object.
class TReadOnly {
public:
    explicit TReadOnly(const QString& path);
    ~TReadOnly();
    TReadOnly(const TReadOnly&) = delete;
    TReadOnly& operator=(const TReadOnly&) = delete;
    QString Problem() const { return m_problem; }

private:
    QByteArray m_path;
    QString m_problem;
    bool m_mounted = false;
};

// Every file of `folder` with its bytes, the filler of a full disk left out: what a fault must
// leave as it was.
std::map<QString, QByteArray> Snapshot(const QString& folder);
// The names and sizes of a snapshot, for messages.
std::string Listing(const std::map<QString, QByteArray>& files);

}  // namespace SmallDisk
