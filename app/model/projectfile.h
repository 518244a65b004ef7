// Project files of the main program (unit ProjectFile): the writer of the project file (tmx),
// which is at the same time the engine's keyword input deck, of the mass file (tmm) and of the
// drawing-data file (tmt), and the reader of the project file.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// Layout of the files: lines end with CR LF, numbers use "." whatever the locale, and no line is
// longer than 80 columns (the engine reads 80 columns of a line; the title line alone may be
// longer, the engine keeps 80 characters of it). A row of values too long for one line goes on
// in the next lines: the engine takes one value after another whatever the line breaks, and so
// does the reader. The plane line of a battered pile holds the pile number, a blank and the
// plane word ("12 XZ  "); the reader also takes the older form without the blank ("12XZ  ").
//
// Saving checks the project first and refuses, with EProjectError, what would not read back as
// it was entered (a pile project whose soil table and pile-section table differ in rows, load
// tables whose rows differ from the number of points, ...). Each file is written under a
// temporary name beside it, every write, the flush to the disk and the close checked
// (util/safewrite.h), and renamed into place only when all three were written, so a failed save
// (a full disk, a file that may not be written) leaves the old files whole and raises EInOutError
// "The file PATH could not be written: REASON" with the system's reason.
//
// Reading fills a fresh project (data and tables) and raises on any fault; the caller keeps its
// current project (app/model/project.h). The "$" comment lines after the data of a hand-written
// project (TProgramData::KeptLines) are written again after the data on every save, so a run,
// which saves first, keeps them.
#pragma once

#include "util/exceptions.h"

#include <QByteArray>
#include <QString>

class TProgramData;

// A project that cannot be saved as it stands, or a project file that is not one.
class EProjectError : public Exception {
public:
    using Exception::Exception;
};

namespace ProjectFile {

// The longest line the writer produces (the engine reads no further).
inline constexpr int kLineWidth = 80;

// The title goes on the first line after "TITLE=" as typed; the engine reads the rest of that
// line up to column 80 as the title, separators and all, so 74 characters (UTF-8 bytes) of it
// reach the analysis and the report.
inline constexpr int kTitleWidth = kLineWidth - 6;

// The title as the engine will read it from the project file: line breaks become blanks, and
// only the first kTitleWidth bytes are kept.
QString TitleAsRead(const QString& title);

// Empty when the engine reads the title as it is; else the message that tells the user what of
// the title the analysis and the report will show.
QString TitleNotice(const QString& title);

// The three files of a project as they are written.
struct TProjectTexts {
    QByteArray Project;  // tmx
    QByteArray Mass;     // tmm
    QByteArray Drawing;  // tmt
};

// The path with its extension replaced (ext with its point, ".tmm"): the extension is the part
// of the file name from its last "." on; a name without a "." or whose only "." is its first
// character (".tmx", a hidden file) keeps its whole name and gets `ext` appended. The one rule
// for every file of a project: the run list (runlist.h) and the menus name the files written here.
QString ChangeFileExt(const QString& path, const QString& ext);

// The real text of the last three lines of the project and mass files: a blank or "-", one digit,
// ".", 14 digits, "E", the exponent's sign and 4 digits (23 characters; fifteen is
// " 1.50000000000000E+0001"). A value that is not finite is written as 0.
QString ExtendedText(long double x);

// Raises EProjectError when the project cannot be saved as it stands.
void CheckProject(const TProgramData& data);

// The texts of the three files (after CheckProject). Changes the project data as saving does:
// MassRowCount, MassFileName, DrawingFileName, Embedment, DrawWidth, the switches Battered,
// HalfSpaceWeakZone and SideCapWeakZone (only ever switched on), and a zero PileLength.
TProjectTexts BuildTexts(TProgramData& data);

// Fills `data` (a new project on its own tables) from the project file; raises
// EInOutError (missing file, truncated file, bad number) or EProjectError (not a project file,
// a keyword out of place, a count beyond a table's rows) with the text shown to the user.
void ReadProject(TProgramData& data, const QString& path);

// Writes the project file (the engine's input deck), the mass file and the drawing-data file
// beside it (after CheckProject; each under a temporary name, renamed into place when all three
// were written) and clears the tables' modified flags. Raises EProjectError or EInOutError.
void WriteFiles(TProgramData& data);

}  // namespace ProjectFile
