// The frames of the main window's child windows (unit ChildFrames): where they open, and which
// keys they leave to the main window.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// Every child window of the MDI area (data forms, table editors, plot windows, the 2-D and 3-D
// views, the dialogs that live in the area) opens wholly inside the visible part of the area:
// where the area's own placement put it, moved in as far as needed, and shrunk only when it is
// larger than the area. A window lays itself out while it is being shown (a table editor sizes
// itself to its rows and columns, a form to its layout), so the place is checked when the window
// is first shown and once more after the events its showing posted:
//
// A frame's own window menu would also take Ctrl+F4, which the main window's Window > Close
// gives (so the key works the same from every child and the menu shows it): the frame leaves
// it to the main window.
//
//     ChildFrames::Install(mdiArea);   // once; covers every sub-window added later
#pragma once

#include <QRect>
#include <QSize>

class QMdiArea;
class QMdiSubWindow;

namespace ChildFrames {

// The geometry of a frame moved (and, when larger than the area, shrunk, though never below
// `minimum`) so that it lies inside `area`; the frame itself when it does already. A frame that
// cannot be made small enough keeps its top left corner at the area's.
QRect FitInside(const QRect& frame, const QRect& area, const QSize& minimum = QSize());

// Moves (and shrinks) a normal sub-window into the visible part of its area; nothing for a
// hidden, minimized or maximized one.
void Fit(QMdiSubWindow* sub);

// Gives a maximized sub-window the whole area again (a window that laid itself out for its normal
// size while it became maximized); nothing for any other.
void FillIfMaximized(QMdiSubWindow* sub);

// Takes from the frame's own window menu the keys of the main window's Window menu.
void LeaveKeysToMainWindow(QMdiSubWindow* sub);

// Watches the area: every sub-window added to it is fitted when it is first shown, and leaves
// the Window menu's keys to the main window.
void Install(QMdiArea* area);

}  // namespace ChildFrames
