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
//
// A printer that prints to a file writes the user's file whole or not at all through
// TFileOutput: the document goes to a temporary file of the system's temporary folder first and
// reaches the chosen file by the checked writer (util/safewrite.h) once it is complete:
//
//     PrintChoice::TFileOutput file(printer);
//     QPainter p(&printer); ... p.end();
//     file.Commit();                        // raises EInOutError naming the file and the reason
#pragma once

#include <QString>

#include <functional>
#include <memory>

class QPrinter;
class QTemporaryDir;
class QWidget;

namespace PrintChoice {

// false when the user cancels.
bool Choose(QWidget* parent, QPrinter& printer);

// Replaces the dialog (none: the dialog again).
using THook = std::function<bool(QWidget* parent, QPrinter& printer)>;
void SetHook(THook hook);

// The file of a printer that prints to one (else nothing), for the life of the object.
class TFileOutput {
public:
    explicit TFileOutput(QPrinter& printer);
    ~TFileOutput();  // the printer's own file name back, the temporary file gone
    TFileOutput(const TFileOutput&) = delete;
    TFileOutput& operator=(const TFileOutput&) = delete;

    // After the painter has ended: the printed document to the chosen file, whole or not at all.
    // Raises EInOutError when the document is not complete or cannot be written.
    void Commit();

private:
    QPrinter& m_printer;
    QString m_path;  // the chosen file; empty when the printer prints to no file
    QString m_temp;
    std::unique_ptr<QTemporaryDir> m_folder;
};

}  // namespace PrintChoice
