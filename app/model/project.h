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
// data or the tables are valid until the next New or Open; the child windows that hold such
// references are closed (hook CloseAllChildren) just before the new project takes over.
//
//     TProject project(hooks);          // a new project
//     project.Open("/jobs/pump.tmx");   // raises with the message to show; nothing changed then
//     project.Tables().D->Cell(0, 0)->SetAsFloat(150);
//     project.SetUnits(1);              // English
//     project.Save();                   // the three files, each renamed into place
#pragma once

#include "dataunit.h"
#include "projecttables.h"

#include <memory>

class TProject {
public:
    explicit TProject(TProjectHooks hooks = {});
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;
    ~TProject();

    TProgramData& Data() const { return *m_data; }
    TProjectTables& Tables() const { return *m_tables; }

    // A new project ("NewData.tmx", "New Pile", SI, HALF-SPACE).
    void New();
    // Reads the project file (a relative path is taken from the current folder and kept as an
    // absolute path). Raises EInOutError or EProjectError with the text to show; the current
    // project is then unchanged.
    void Open(const QString& path);
    // Writes the three files under FileName; raises (the project stays modified) when the
    // project cannot be saved or a file cannot be written, and EProjectError while the project
    // is still named "NewData.tmx" (the main window then goes to Save As).
    void Save();
    // Save under another name (made absolute); on failure the old name is kept.
    void SaveAs(const QString& path);
    // The unit-system switch of the whole project (1 English, 2 SI).
    void SetUnits(int32_t system);

    // The project's modified state: its own flag or a change in a table.
    bool IsModified() const;
    void SetModified(bool modified);

private:
    void TakeOver(std::unique_ptr<TProjectTables> tables, std::unique_ptr<TProgramData> data);

    TProjectHooks m_userHooks;
    TProjectHooks m_hooks;  // the user's hooks, with the modified flag kept here as well
    bool m_modified = false;
    std::unique_ptr<TProjectTables> m_tables;
    std::unique_ptr<TProgramData> m_data;
};
