// The printer chooser of every print command (unit PrintChoice): plots, the amplitude chart, the
// printed soil-pile profile and the 3-D view ask for their printer here.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// Choose runs the platform's print dialog on the printer. The dialog always offers "Print to
// File (PDF)" beside the installed printers, so printing works on a machine without a printer;
// no print command is disabled for want of one. Without an installed printer the dialog starts
// on the PDF file, named after the printer's document name (set it before asking).
//
//     QPrinter printer(QPrinter::HighResolution);
//     printer.setDocName(caption);
//     if (PrintChoice::Choose(this, printer)) ... print ...
//
// Tests replace the dialog (SetHook); the hook gets the printer as the dialog would.
#pragma once

#include <functional>

class QPrinter;
class QWidget;

namespace PrintChoice {

// false when the user cancels.
bool Choose(QWidget* parent, QPrinter& printer);

// Replaces the dialog (none: the dialog again).
using THook = std::function<bool(QWidget* parent, QPrinter& printer)>;
void SetHook(THook hook);

}  // namespace PrintChoice
