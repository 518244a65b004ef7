// Files written whole or not at all: what a replaced file keeps (its permissions, a symbolic
// link to it), what a failure leaves (the old file, no temporary file), and the message. Full
// disks and read-only files through the main window: tests/app/faults. A group of files
// replaced as one: what a commit record left by a save that ended part-way comes to (a save
// killed at each step of its commit: tests/app/faults/killedsave_test.cpp).
#include "util/safewrite.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Folder(const char* name)
{
    const QString folder = QStringLiteral(TEST_TMP_DIR "/safewrite-") + QString::fromLatin1(name);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

mode_t Mode(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st.st_mode & 07777;
}

TEST(SafeWrite, AReplacedFileKeepsItsPermissionsAndItsLink)
{
    const QString folder = Folder("keeps");
    const QString path = folder + QStringLiteral("/pump.tmx");
    SafeWrite::WriteWhole(path, "old\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    SafeWrite::WriteWhole(path, "new\r\n");
    EXPECT_EQ(Bytes(path), "new\r\n");
    EXPECT_EQ(Mode(path), mode_t(0640));

    // A link to the project: the file it points to is replaced, the link stays.
    const QString link = folder + QStringLiteral("/link.tmx");
    ASSERT_TRUE(QFile::link(path, link));
    SafeWrite::WriteWhole(link, "through the link\r\n");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(Bytes(path), "through the link\r\n");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2) << "no temporary file left";
}

TEST(SafeWrite, AFailedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    const QString folder = Folder("fails");
    const QString path = folder + QStringLiteral("/pump.tmx");
    SafeWrite::WriteWhole(path, "old\r\n");
    // Written but not committed: the old file stays, the temporary file goes.
    {
        SafeWrite::TFileWrite file(path);
        file.Write("half");
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
    EXPECT_EQ(Bytes(path), "old\r\n");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // A folder in the file's place; a folder that does not exist.
    QDir().mkdir(folder + QStringLiteral("/drawing.tmt"));
    const struct {
        QString path;
        const char* reason;
    } cases[] = {{folder + QStringLiteral("/drawing.tmt"), "Is a directory"},
                 {folder + QStringLiteral("/missing/pump.tmx"), "No such file or directory"}};
    for (const auto& c : cases) {
        QString message;
        try {
            SafeWrite::WriteWhole(c.path, "x");
        } catch (const EInOutError& e) {
            message = e.message();
        }
        EXPECT_EQ(message, QStringLiteral("The file ") + c.path + QStringLiteral(" could not be written: ") +
                               QString::fromLatin1(c.reason));
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// The files of a folder with their bytes.
std::map<QString, QByteArray> Listing(const QString& folder)
{
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        files[name] = Bytes(folder + QLatin1Char('/') + name);
    return files;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// What a save of the group "a.one" + "a.two" killed part-way left, put right by RecoverGroup:
// a record without its last line (cut short before the renames began) or none at all leaves
// the old files and removes the temporary files; a whole record is carried out, also when some
// of its renames were done; a name that is only like a temporary one stays.
TEST(SafeWriteGroup, WhatAKilledSaveLeftBecomesTheOldFilesOrTheNewOnes)
{
    const QByteArray head = "TREMEX save record 1\n";
    const struct {
        const char* what;
        QByteArray record;   // none: no record file
        bool oneRenamed;     // the first rename was done before the save ended
        bool newFiles;       // the new files are in place afterwards
    } cases[] = {
        {"no record", QByteArray(), false, false},
        {"an empty record", QByteArray(""), false, false},
        {"a record cut short", head + "rename %TEMP1% %FILE1%\n", false, false},
        {"a whole record", head + "rename %TEMP1% %FILE1%\nrename %TEMP2% %FILE2%\nend\n", false, true},
        {"a whole record, one rename done", head + "rename %TEMP1% %FILE1%\nrename %TEMP2% %FILE2%\nend\n", true, true},
        {"a whole record with a removal", head + "remove %OTHER%\nrename %TEMP1% %FILE1%\nrename %TEMP2% %FILE2%\nend\n",
         false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = Folder("group");
        const QString one = folder + QStringLiteral("/a b.one"), two = folder + QStringLiteral("/a b.two");
        const QString temp1 = one + QStringLiteral(".save-Ab12Cd"), temp2 = two + QStringLiteral(".save-xY34zW");
        const QString other = folder + QStringLiteral("/a b.other"), journal = folder + QStringLiteral("/a b.rec");
        Write(one, "old one");
        Write(two, "old two");
        Write(other, "another job's");
        Write(folder + QStringLiteral("/a b.one.save-toolong"), "not a temporary file of the group");
        if (c.oneRenamed) Write(one, "new one");
        else Write(temp1, "new one");
        Write(temp2, "new two");
        if (!c.record.isNull()) {
            QByteArray record = c.record;
            const auto encoded = [](const QString& path) { return QFile::encodeName(path).toPercentEncoding("/"); };
            record.replace("%TEMP1%", encoded(temp1)).replace("%TEMP2%", encoded(temp2));
            record.replace("%FILE1%", encoded(one)).replace("%FILE2%", encoded(two)).replace("%OTHER%", encoded(other));
            Write(journal, record);
        }

        SafeWrite::RecoverGroup(journal, {one, two});

        std::map<QString, QByteArray> expected{{QStringLiteral("a b.one"), c.newFiles ? "new one" : "old one"},
                                               {QStringLiteral("a b.two"), c.newFiles ? "new two" : "old two"},
                                               {QStringLiteral("a b.one.save-toolong"), "not a temporary file of the group"}};
        if (!c.record.contains("remove")) expected[QStringLiteral("a b.other")] = "another job's";
        EXPECT_EQ(Listing(folder), expected);
    }
}

// A save that goes on (another copy's, here another open file of this process) is not touched
// by RecoverGroup; a second save of the group waits for it and gives up with a message.
TEST(SafeWriteGroup, ASaveThatGoesOnIsLeftAloneAndWaitedFor)
{
    const QString folder = Folder("live");
    const QString one = folder + QStringLiteral("/p.one"), two = folder + QStringLiteral("/p.two");
    const QString journal = folder + QStringLiteral("/p.rec");
    SafeWrite::WriteWhole(one, "old one");
    SafeWrite::WriteWhole(two, "old two");
    {
        SafeWrite::TFileGroup group(journal, {one, two});
        group.Add(one).Write("new one");
        group.Add(two).Write("new two");
        const auto during = Listing(folder);
        EXPECT_EQ(during.size(), 5u) << "two files, two temporary files, the record";
        SafeWrite::RecoverGroup(journal, {one, two});
        EXPECT_EQ(Listing(folder), during) << "left alone";
        std::string message;
        try {
            SafeWrite::TFileGroup second(journal, {one, two});
        } catch (const EInOutError& e) {
            message = e.message().toStdString();
        }
        EXPECT_EQ(message, "The file " + two.toStdString() +
                               " could not be written: another running copy of the program is saving it at this "
                               "moment. Save it again in a moment.");
        group.Commit();
    }
    EXPECT_EQ(Listing(folder), (std::map<QString, QByteArray>{{QStringLiteral("p.one"), "new one"},
                                                              {QStringLiteral("p.two"), "new two"}}));
}

// A rename that fails once the record is on the disk (a folder put in the file's place, which
// nobody may replace by a file): the record and the temporary file stay, and the next
// RecoverGroup, once the rename can be done, puts the new files in place.
TEST(SafeWriteGroup, ARenameRefusedAfterTheRecordIsDoneByTheNextRecovery)
{
    const QString folder = Folder("refused");
    const QString one = folder + QStringLiteral("/p.one"), two = folder + QStringLiteral("/p.two");
    const QString journal = folder + QStringLiteral("/p.rec");
    SafeWrite::WriteWhole(one, "old one");
    SafeWrite::WriteWhole(two, "old two");
    {
        SafeWrite::TFileGroup group(journal, {one, two});
        group.Add(one).Write("new one");
        group.Add(two).Write("new two");
        ASSERT_TRUE(QFile::remove(two));
        ASSERT_TRUE(QDir().mkdir(two));
        ASSERT_TRUE(QFile::copy(one, two + QStringLiteral("/keeps the folder")));
        std::string message;
        try {
            group.Commit();
        } catch (const EInOutError& e) {
            message = e.message().toStdString();
        }
        EXPECT_EQ(message, "The file " + two.toStdString() + " could not be written: Is a directory");
    }
    EXPECT_EQ(Bytes(one), "new one");
    EXPECT_TRUE(QFileInfo::exists(journal));
    SafeWrite::RecoverGroup(journal, {one, two});
    EXPECT_TRUE(QFileInfo(two).isDir()) << "still refused: the record waits";
    EXPECT_TRUE(QFileInfo::exists(journal));
    ASSERT_TRUE(QDir(two).removeRecursively());
    SafeWrite::RecoverGroup(journal, {one, two});
    EXPECT_EQ(Listing(folder), (std::map<QString, QByteArray>{{QStringLiteral("p.one"), "new one"},
                                                              {QStringLiteral("p.two"), "new two"}}));
}

}  // namespace
