// The folder the program's file dialogs (open, save, export, bitmap) start in: the folder of the
// open project. The main window names the project whenever its file name changes; the current
// folder does not serve, since a run of the engine moves it to the run folder.
#pragma once

#include <QString>

namespace DocFolder {

// The project file now open (an absolute path; a relative name, such as that of a new project
// without a name of its own, names no folder and leaves the last one in place).
void SetProjectFile(const QString& path);
// The folder of the open project, or of the last project that had one, when it exists; else the
// current folder.
QString StartFolder();

}  // namespace DocFolder
