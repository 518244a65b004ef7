// File dialogs of the main program (Open, Save As, the plot, bitmap and amplitude exports, the
// text editor's Browse): one helper that every file dialog runs through.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// A file dialog opens at the size the user last gave any file dialog of the program (the value
// "File Dialog Size" of the program's settings: organisation "Halvane", application "TREMEX",
// group "3.0.11"), and at least so wide that every column of its detail view (Name, Size, Type,
// Date Modified) reads in full once the folder is listed; when it closes, its size is stored.
// Another folder listed later fits the columns again without resizing the dialog.
//
//     QFileDialog dialog(this, title, folder, filter);
//     dialog.setAcceptMode(QFileDialog::AcceptSave);
//     if (FileDialog::Exec(dialog) != QDialog::Accepted) return;
//
// A platform's own dialog (where a desktop provides one) sizes itself; the helper then only
// runs it.
#pragma once

#include <QSize>
#include <QString>

class QFileDialog;
class QWidget;

namespace FileDialog {

// The settings value that holds the size.
inline const QString kSizeValue = QStringLiteral("File Dialog Size");

// Gives the dialog the remembered size and the column fitting, and stores its size when it
// closes; for callers that show the dialog themselves. Exec calls it.
void Prepare(QFileDialog& dialog);
// Prepare, then the modal dialog; returns its result.
int Exec(QFileDialog& dialog);

// Fits the detail view's columns to their texts (the Name column up to a limit) and, when
// `growDialog`, widens the dialog, within the screen, until every column shows in full.
void FitColumns(QFileDialog& dialog, bool growDialog);

// The size stored by the last file dialog that closed (invalid when none was).
QSize RememberedSize();

// A file to open: a modal dialog as QFileDialog::getOpenFileName gives one, through Exec.
QString OpenFileName(QWidget* parent, const QString& caption, const QString& folder, const QString& filter);
// A file to write; `confirmOverwrite` false leaves the question of an existing file to the caller.
QString SaveFileName(QWidget* parent, const QString& caption, const QString& folder, const QString& filter,
                     bool confirmOverwrite = true);

}  // namespace FileDialog
