#include "filenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <dirent.h>

namespace FileNames {

namespace {

bool IsUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);  // decoded on assignment
    (void)text;
    return !utf8.hasError();
}

// The bytes of a name, those that are no UTF-8 as \xNN.
QString Shown(const QByteArray& bytes)
{
    QString shown;
    qsizetype i = 0;
    while (i < bytes.size()) {
        // The longest run from i that decodes.
        qsizetype n = 4;
        while (n > 0 && (i + n > bytes.size() || !IsUtf8(bytes.mid(i, n)))) --n;
        if (n > 0) {
            shown += QString::fromUtf8(bytes.mid(i, n));
            i += n;
        } else {
            shown += QString::asprintf("\\x%02X", uint(uchar(bytes[i])));
            ++i;
        }
    }
    return shown;
}

// The raw names in `folder` that are no UTF-8 text.
QList<QByteArray> RawUndecodable(const QString& folder)
{
    QList<QByteArray> names;
    DIR* dir = ::opendir(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder).constData());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!IsUtf8(name)) names << name;
    }
    ::closedir(dir);
    return names;
}

}  // namespace

QStringList UndecodableNames(const QString& folder)
{
    QStringList names;
    for (const QByteArray& name : RawUndecodable(folder)) names << Shown(name);
    names.sort();
    return names;
}

namespace {

QString NotUtf8Text(const QString& path, bool run)
{
    if (!path.contains(QChar::ReplacementCharacter) || QFileInfo::exists(path)) return {};
    // The first name on the path that does not exist: one that is no UTF-8 in its folder?
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QStringList parts = absolute.split(QLatin1Char('/'));
    QString folder = QStringLiteral("/");
    for (const QString& part : parts) {
        if (part.isEmpty()) continue;
        const QString next = QDir(folder).filePath(part);
        if (!QFileInfo::exists(next)) {
            // The name stands for one that is there, as the program received it (its bytes that
            // are no UTF-8 became replacement characters).
            bool there = false;
            for (const QByteArray& raw : RawUndecodable(folder)) there = there || QString::fromUtf8(raw) == part;
            if (!there) return {};
            const QStringList undecodable = UndecodableNames(folder);
            if (run)
                return QStringLiteral("The project %1 cannot be run: the name \"%2\" in the folder %3 is not UTF-8 "
                                      "text (the file names there that are not: %4). The program reads and writes "
                                      "file names as UTF-8 only; give the file and its folders UTF-8 names to run it.")
                    .arg(QDir::toNativeSeparators(path), part, QDir::toNativeSeparators(folder),
                         undecodable.join(QStringLiteral(", ")));
            return QStringLiteral("The project %1 cannot be opened: the name \"%2\" in the folder %3 is not UTF-8 "
                                  "text (the file names there that are not: %4). The program reads and writes file "
                                  "names as UTF-8 only; give the file and its folders UTF-8 names to open it.")
                .arg(QDir::toNativeSeparators(path), part, QDir::toNativeSeparators(folder),
                     undecodable.join(QStringLiteral(", ")));
        }
        folder = next;
    }
    return {};
}

}  // namespace

QString NotUtf8Message(const QString& path) { return NotUtf8Text(path, false); }

QString NotUtf8RunMessage(const QString& path) { return NotUtf8Text(path, true); }

QString FolderNotice(const QString& folder)
{
    const QStringList names = UndecodableNames(folder);
    if (names.isEmpty()) return {};
    const bool one = names.size() == 1;
    return QStringLiteral("The folder %1 holds %2 not UTF-8 text: %3. %4 not listed here and cannot be opened, since "
                          "the program reads and writes file names as UTF-8 only; give %5 a UTF-8 name to open %6.")
        .arg(QDir::toNativeSeparators(folder),
             one ? QStringLiteral("a file or folder whose name is")
                 : QStringLiteral("%1 files or folders whose names are").arg(names.size()),
             names.join(QStringLiteral(", ")), one ? QStringLiteral("It is") : QStringLiteral("They are"),
             one ? QStringLiteral("it") : QStringLiteral("each"), one ? QStringLiteral("it") : QStringLiteral("them"));
}

}  // namespace FileNames
