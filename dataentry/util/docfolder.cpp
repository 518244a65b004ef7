#include "docfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString g_projectFile;

}  // namespace

namespace DocFolder {

void SetProjectFile(const QString& path)
{
    // A new project without a name of its own keeps the folder of the project before it: after
    // a run the current folder is the run folder, where no user keeps projects.
    if (QFileInfo(path).isAbsolute()) g_projectFile = path;
}

QString StartFolder()
{
    const QFileInfo file(g_projectFile);
    if (!g_projectFile.isEmpty() && file.isAbsolute() && QFileInfo(file.absolutePath()).isDir())
        return file.absolutePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
    return QDir::homePath();
}

}  // namespace DocFolder
