// File names that are not UTF-8 text (unit FileNames).
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// Linux file names are bytes; the program holds names as text and reads and writes them as
// UTF-8, so a name whose bytes are no UTF-8 text (a name made on a system with another character
// set, "caf\xE9.tmx") cannot be named by it: the text would stand for other bytes. Such a file
// is not listed by the file dialogs and cannot be opened, saved or run. These routines find such
// names, so that the user is told why a file cannot be opened instead of nothing happening.
#pragma once

#include <QString>
#include <QStringList>

namespace FileNames {

// The names in `folder` whose bytes are not UTF-8 text, each with those bytes shown as \xNN
// ("caf\xE9.tmx"), sorted; empty when the folder holds none or cannot be read.
QStringList UndecodableNames(const QString& folder);

// Empty when `path` can stand for a file; else the message that the project cannot be opened
// because a name on the path is not UTF-8 text. `path` as the program received it (a name that
// was no UTF-8 holds replacement characters).
QString NotUtf8Message(const QString& path);
// The same for a project that is to be run (tremrun): "... cannot be run: ...".
QString NotUtf8RunMessage(const QString& path);

// The notice of a folder that holds names the file dialog cannot list; empty when it holds none.
QString FolderNotice(const QString& folder);

}  // namespace FileNames
