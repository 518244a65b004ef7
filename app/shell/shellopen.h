// Opening a file in another program and watching that program's end (unit ShellOpen).
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// The text editor of the Computation menu and the desktop's opener (xdg-open, which runs the
// application the desktop has for the file's type, or fails with a status of its own when it has
// none: "no method available") are started without waiting for them, but not forgotten: the
// process is watched to its end, and one that cannot start, crashes or ends with a failure
// status is reported, so that the user learns that the file was not shown and why.
//
//     ShellOpen::StartWatched(ShellOpen::DesktopOpener(), {path}, [](const QString& reason) {
//         Messages::Information(nullptr, QStringLiteral("The file could not be shown: ") + reason);
//     });
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace ShellOpen {

// The desktop's opener, found on the PATH.
QString DesktopOpener();

// Starts `program` with `arguments` (its input, output and errors away from the program's own,
// so that it outlives this program unharmed) and returns at once; false when it cannot be
// started. When it crashes or ends with another status than 0, `failed` is called later on this
// thread with the reason, for example "the program xdg-open ended with the failure status 3
// (xdg-open: no method available for opening 'pump.tmo')": what it said last, when it wrote
// anything (its last line that begins with its name, else its last line), stands in parentheses.
bool StartWatched(const QString& program, const QStringList& arguments,
                  std::function<void(const QString& reason)> failed);

// The reason given when the program cannot be started at all.
QString NotStartedReason(const QString& program);

}  // namespace ShellOpen
