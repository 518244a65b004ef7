// Files written whole or not at all (unit SafeWrite).
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// A file is written under a temporary name beside it (same folder, so the rename stays on one
// file system); every step is checked: each write (a full disk, a file-size limit), the flush to
// the disk and the close, where a network file system may report what the writes did not. Only
// when all that succeeded does Commit rename the temporary file over the old one; until then,
// and whenever a step fails, the old file stays as it was, and the temporary file is removed.
// The file keeps the permissions of the file it replaces (a new file gets the usual ones, after
// the user's umask); an old file that its user may not write is not replaced. A symbolic link
// stays: the file it points to is replaced.
//
//     SafeWrite::TFileWrite project(path);
//     project.Write(bytes);                 // raises EInOutError naming the file and the reason
//     project.Finish();                     // flushed to the disk and closed
//     project.Commit();                     // renamed into place
//
// The message of a failure is "The file PATH could not be written: REASON", REASON the system's
// own text ("No space left on device").
#pragma once

#include "util/exceptions.h"

#include <QByteArray>
#include <QString>

namespace SafeWrite {

// The system's own text of the error `error` (an errno value): "No space left on device".
QString SystemText(int error);

// The message of a failed write of `path` for the system error `error` (an errno value).
QString FailureText(const QString& path, int error);

// Writes all of `bytes` to the open file `fd`, going on where a signal cut a write short: 0, or
// the errno value of the write that failed.
int WriteAll(int fd, const QByteArray& bytes);

class TFileWrite {
public:
    // Creates the temporary file beside `path`; raises EInOutError when it cannot be made.
    explicit TFileWrite(const QString& path);
    ~TFileWrite();  // removes the temporary file unless committed
    TFileWrite(const TFileWrite&) = delete;
    TFileWrite& operator=(const TFileWrite&) = delete;

    void Write(const QByteArray& bytes);
    // Flushes the file to the disk and closes it.
    void Finish();
    // Renames the finished file into place.
    void Commit();

    QString Path() const { return m_path; }

private:
    [[noreturn]] void Fail(int error);

    QString m_path;      // as given, for the messages
    QByteArray m_target; // the file replaced (the end of a symbolic link)
    QByteArray m_temp;
    int m_fd = -1;
    bool m_committed = false;
};

// Writes `bytes` to `path` whole or not at all (the steps above in one call).
void WriteWhole(const QString& path, const QByteArray& bytes);

}  // namespace SafeWrite
