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
// The three files are one whole: the engine takes the mass components from the mass file and
// everything else from the project file. A save killed between two of its renames would leave
// a new mass file beside an old project file, so a save goes through a commit record beside the
// project (NAME.tmsave, SafeWrite::TFileGroup): the record is written once every temporary file
// is on the disk, the renames follow, the record goes last. RecoverSave, run at every open, save
// and run of the project, carries out a record that a killed save left, so that the new files
// are all in place, and removes the temporary files of a save killed before its record; the
// files are then always those of one save. The record also keeps two running copies from
// saving the same project at the same moment.
//
// What the files hold is told by FilesState: a hash of each file's bytes. The main window keeps
// the state of the files as it last read or wrote them and compares it with the files on the
// disk before it saves over them (another copy, or a text editor, may have changed them).
//
// Reading fills a fresh project (data and tables) and raises on any fault; the caller keeps its
// current project (app/model/project.h). The "$" comment lines after the data of a hand-written
// project (TProgramData::KeptLines) are written again after the data on every save, so a run,
// which saves first, keeps them.
#pragma once

#include "util/exceptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

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

// What the three files of a project hold on the disk, in the order project file, mass file,
// drawing-data file: for each a SHA-256 hash of its bytes, or nothing (an empty hash) when there
// is no such file. A file that cannot be read gets a text of its own in place of a hash.
//
// A hash of the bytes, not the file's size, time and inode: a text editor may keep the size
// ("6,4" made "7,4") and the inode (a write in place), and a change within the clock's step
// keeps the time; every save of the program makes a new inode, even when it writes the same
// bytes again. The files are small, and reading them is quick beside the save.
struct TFilesState {
    std::array<QByteArray, 3> Hash;
    bool operator==(const TFilesState&) const = default;
    // Whether the project file is there.
    bool HasProject() const { return !Hash[0].isEmpty(); }
};

// The files of the project `projectFile` as they are now.
TFilesState FilesState(const QString& projectFile);
// The files as a save that wrote `texts` left them.
TFilesState StateOf(const TProjectTexts& texts);

// The commit record of a save of the project (NAME.tmsave beside it, beside the end of a
// symbolic link for a linked project file).
QString SaveRecordPathOf(const QString& projectFile);
// Puts right what a save of the project that was killed part-way left: its commit record is
// carried out, its temporary files are removed (see above). Quiet; does nothing while another
// copy saves the project, or where the folder cannot be written.
void RecoverSave(const QString& projectFile);

// What a save does beyond writing the three files.
struct TWriteOptions {
    // Called once the save holds the commit record's lock (no other copy saves the project
    // meanwhile) and a killed save was put right, before anything is written: raising stops
    // the save with every file as it was. The main window checks there that the files on the
    // disk are still what it expects.
    std::function<void()> BeforeWrite;
    // Files removed with the save, as part of it (the report and plot data of another
    // analysis under the new name of a Save As).
    QStringList Remove;
};

// Writes the project file (the engine's input deck), the mass file and the drawing-data file
// beside it (after CheckProject; each under a temporary name, renamed into place when all three
// were written, through the commit record) and clears the tables' modified flags. Raises
// EProjectError or EInOutError. Returns the state of the files it wrote.
TFilesState WriteFiles(TProgramData& data, const TWriteOptions& options = {});

}  // namespace ProjectFile
