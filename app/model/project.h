// The project of the main program (unit Project): `TProject`, owner of the project data and the
// project tables.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// The main window holds one `TProject` for its lifetime and reaches the data through Data() and
// the tables through Tables(). New and Open build a whole new project (data and tables) beside
// the current one and put it in place only when it is complete: a file that cannot be read
// leaves the current project, its tables and its modified state as they were. References to the
// data or the tables are valid until the next New or Open; AboutToReplace comes just before the
// new project takes over, so that the windows that hold such references close first.
//
// The project reads and writes its files through the file module (app/model/projectfile.h) and
// tells its owner what happened through signals; it calls no window:
//
//     TProject project;                 // a new project
//     connect(&project, &TProject::AboutToReplace, ...);   // close the child windows
//     project.Open("/jobs/pump.tmx");   // raises with the message to show; nothing changed then
//     project.Tables().D->Cell(0, 0)->SetAsFloat(150);
//     project.SetUnits(1);              // English; UnitsChanged follows
//     project.Save();                   // the three files, each renamed into place
//
// Files changed by others. The project remembers what its files held when it last read or
// wrote them (FilesAsKnown, ProjectFile::TFilesState). A save given TSaveOptions::Expect
// replaces the files only while they are in that state, checked under the save's lock, and
// raises EFilesChanged otherwise; the main window asks the user first (reload, overwrite or
// cancel) and passes what it showed him. A save refuses, with ERunRefused, a project file that
// another running copy analyses (its run lock is held, app/model/projectrun.h): that run's
// report would no longer be the report of the project file.
#pragma once

#include "dataunit.h"
#include "projectfile.h"
#include "projecttables.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

// The files on the disk are no longer in the state the save was to replace.
class EFilesChanged : public Exception {
public:
    using Exception::Exception;
};

// How a save treats the files it replaces.
struct TSaveOptions {
    // The state of the files the save may replace (ProjectFile::FilesState); none: whatever
    // they hold.
    std::optional<ProjectFile::TFilesState> Expect;
    // The run lock of the file saved is held by this copy (the save before its own run).
    bool OwnRun = false;
    // Files removed with the save (ProjectFile::TWriteOptions::Remove).
    QStringList Remove;
};

class TProject : public QObject {
    Q_OBJECT

public:
    explicit TProject(QObject* parent = nullptr);
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;
    ~TProject() override;

    TProgramData& Data() const { return *m_data; }
    TProjectTables& Tables() const { return *m_tables; }

    // A new project ("NewData.tmx", "New Pile", SI, HALF-SPACE).
    void New();
    // Reads the project file (a relative path is taken from the current folder and kept as an
    // absolute path), after putting right what a killed save of it left (ProjectFile::
    // RecoverSave). Raises EInOutError or EProjectError with the text to show; the current
    // project is then unchanged.
    void Open(const QString& path);
    // Writes the three files under FileName; raises (the project stays modified) when the
    // project cannot be saved or a file cannot be written, and EProjectError while the project
    // is still named "NewData.tmx" (the main window then goes to Save As); EFilesChanged and
    // ERunRefused as told above, with every file as it was.
    void Save(const TSaveOptions& options = {});
    // Save under another name (made absolute); on failure the old name is kept.
    void SaveAs(const QString& path, const TSaveOptions& options = {});
    // What the project's files held when this project last read or wrote them (nothing for a
    // new project).
    const ProjectFile::TFilesState& FilesAsKnown() const { return m_files; }
    // The unit-system switch of the whole project (1 English, 2 SI); UnitsChanged follows unless
    // the switch raised.
    void SetUnits(int32_t system);

    // The project's modified state: its own flag or a change in a table.
    bool IsModified() const;
    // Sets the project's own flag (false also clears the tables' flags); ModifiedSet follows on
    // every call.
    void SetModified(bool modified);

signals:
    // New or Open is about to put another data object and other tables in place.
    void AboutToReplace();
    // SetModified was called (also by New, Open and Save with false).
    void ModifiedSet(bool modified);
    // The units were switched: the values and the tables are in the new units.
    void UnitsChanged();

private:
    void TakeOver(std::unique_ptr<TProjectTables> tables, std::unique_ptr<TProgramData> data);
    // Writes the files under the data's FileName with the checks of `options`.
    void Write(const TSaveOptions& options);

    bool m_modified = false;
    ProjectFile::TFilesState m_files;
    std::unique_ptr<TProjectTables> m_tables;
    std::unique_ptr<TProgramData> m_data;
};
