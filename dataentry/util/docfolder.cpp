#include "docfolder.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString g_projectFile;

}  // namespace

namespace DocFolder {

void SetProjectFile(const QString& path) { g_projectFile = path; }

QString StartFolder()
{
    const QFileInfo file(g_projectFile);
    if (!g_projectFile.isEmpty() && file.isAbsolute() && QFileInfo(file.absolutePath()).isDir())
        return file.absolutePath();
    return QDir::currentPath();
}

}  // namespace DocFolder
