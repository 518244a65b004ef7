// Files written whole or not at all: what a replaced file keeps (its permissions, a symbolic
// link to it), what a failure leaves (the old file, no temporary file), and the message. Full
// disks and read-only files through the main window: tests/app/faults.
#include "util/safewrite.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

}  // namespace
