// The data forms offered to the main window (unit RegisterForms).
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// RegisterForms gives the main window a maker for every data form: the child windows go into
// its MDI area, the quadratic harmonic form is a window of its own over the main window, the
// foundation options form brings the main window's Data menu up to date when it is left, and
// the control options edit the main window's text editor path.
#pragma once

class TMainForm;

namespace RegisterForms {

void RegisterForms(TMainForm& main);

}  // namespace RegisterForms
