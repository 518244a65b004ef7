// The folder the program's file dialogs (open, save, export, bitmap) start in: the folder of the
// open project. The main window names the project whenever its file name changes; the current
// folder does not serve, since a run of the engine moves it to the run folder, and at start it
// is wherever the program was started from (a menu of the desktop starts it in the home folder,
// a shell anywhere), where no user keeps projects.
#pragma once

#include <QString>

namespace DocFolder {

// The project file now open (an absolute path; a relative name, such as that of a new project
// without a name of its own, names no folder and leaves the last one in place). At start the
// main window names the project used last (its list of recent files), so that a new project's
// dialogs open where the user worked last.
void SetProjectFile(const QString& path);
// The folder of the open project, or of the last project that had one, when it exists; else the
// user's documents folder, when it exists; else the home folder.
QString StartFolder();

}  // namespace DocFolder
