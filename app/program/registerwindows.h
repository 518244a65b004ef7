// The windows of the main program and how they are wired to the main window (unit
// RegisterWindows): the composition root of the program.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// The data forms (app/forms/) and the views (views/) know the main window only as a
// `TChildHost` (app/ui/childhost.h). This is the one place that knows both sides: it gives the
// main window a maker for every child window and connects the windows' signals to it (the
// foundation options form brings the Data menu up to date when it is left, the control options
// edit the main window's text editor path, the 3-D view's close hides the 3-D tool bar).
//
//     TMainForm main;
//     RegisterWindows::RegisterAll(main);
//     main.CreateDialogs();
#pragma once

class TMainForm;

namespace RegisterWindows {

// The data forms: child windows in the MDI area; the quadratic harmonic form is a window of its
// own over the main window.
void RegisterForms(TMainForm& main);
// The top view, the two side views and the footing amplitude dialog.
void RegisterViews(TMainForm& main);
// The 3-D view of the main window's current project; its close signal reaches the main window.
void RegisterBlockView(TMainForm& main);
// All of the above (to be called once before the main window makes its dialogs).
void RegisterAll(TMainForm& main);

}  // namespace RegisterWindows
