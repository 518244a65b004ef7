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
//
// Several files that make one whole (a project file with its companions) are replaced as one
// with `TFileGroup`: no order of renames keeps such a set whole when the process is killed
// between two of them, so the group first writes a commit record (the journal) naming every
// rename and removal of the save, then does them, then removes the record. A record found
// complete later (its save was killed part-way) is carried out to its end by RecoverGroup; a
// save killed before its record was complete changed nothing but its temporary files, which
// RecoverGroup removes. So the files are always all of one save: the old ones or the new ones.
//
//     SafeWrite::TFileGroup group(journal, {mass, drawing, project});   // waits for another save
//     group.Add(mass).Write(massBytes);     // each written and flushed as TFileWrite does
//     group.Add(project).Write(projectBytes);
//     group.Remove(oldReport);              // goes with the commit
//     group.Commit();                       // the record, the renames, the removals
#pragma once

#include "util/exceptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace SafeWrite {

// The system's own text of the error `error` (an errno value): "No space left on device".
QString SystemText(int error);

// The message of a failed write of `path` for the system error `error` (an errno value).
QString FailureText(const QString& path, int error);

// Writes all of `bytes` to the open file `fd`, going on where a signal cut a write short: 0, or
// the errno value of the write that failed.
int WriteAll(int fd, const QByteArray& bytes);

// The file a write of `path` replaces: the end of a symbolic link, else `path` itself.
QString TargetOf(const QString& path);

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
    friend class TFileGroup;
    [[noreturn]] void Fail(int error);

    QString m_path;      // as given, for the messages
    QByteArray m_target; // the file replaced (the end of a symbolic link)
    QByteArray m_temp;
    int m_fd = -1;
    bool m_committed = false;
};

// Writes `bytes` to `path` whole or not at all (the steps above in one call).
void WriteWhole(const QString& path, const QByteArray& bytes);

class TFileGroup {
public:
    // Takes the lock of the group's commit record `journal` (a file beside the group's files,
    // there only while a save goes on or after one was killed): a save of the same group by
    // another running copy is waited for a few seconds, then EInOutError. Then puts right what
    // a save that ended part-way left (RecoverGroup). `files`: the files the group writes.
    TFileGroup(const QString& journal, const QStringList& files);
    // Without Commit: removes the temporary files and the record.
    ~TFileGroup();
    TFileGroup(const TFileGroup&) = delete;
    TFileGroup& operator=(const TFileGroup&) = delete;

    // The temporary file of the group's file `path` (one of `files`): renamed into place by
    // Commit, in the order of the calls.
    TFileWrite& Add(const QString& path);
    // A file removed with the commit (before the renames).
    void Remove(const QString& path);
    // Flushes every file, writes the commit record to the disk, removes the files of Remove,
    // renames the files into place and removes the record. A failure before the record is on
    // the disk leaves every old file whole; one after it (a rename the system refuses) leaves
    // the record, so that the next RecoverGroup completes the save. Raises EInOutError naming
    // the file and the reason.
    void Commit();

private:
    QString m_journal;
    QStringList m_files;
    QStringList m_remove;
    std::vector<std::unique_ptr<TFileWrite>> m_writes;
    int m_fd = -1;          // the record, locked while the group lives
    bool m_recorded = false; // the complete record is on the disk
    bool m_done = false;
};

// What a save of the group (`journal`, `files` as for TFileGroup) that ended part-way left:
// a complete commit record is carried out (its renames and removals) and removed, and the
// temporary files of the group's files that no save goes on with are removed. Does nothing
// while another running copy saves the group, and where the folder may not be written.
void RecoverGroup(const QString& journal, const QStringList& files);

// For the tests of the steps of a commit: called with the name of each step as it is reached
// ("written FILE" after each temporary file is flushed, "recorded" once the record is on the
// disk, "removed FILE", "renamed FILE", "done" once the record is gone), so that a test can
// end the process there. None by default.
using TStepHook = void (*)(const QString& step);
void SetStepHook(TStepHook hook);

}  // namespace SafeWrite
