#include "project.h"

#include "poissonratios.h"
#include "projectfile.h"
#include "projectrun.h"
#include "weakzones.h"

#include <QDir>
#include <QFileInfo>

TProject::TProject(QObject* parent) : QObject(parent)
{
    m_tables = std::make_unique<TProjectTables>();
    m_data = std::make_unique<TProgramData>(*m_tables);
    WeakZones::InstallEntryChecks(*m_data);
    PoissonRatios::InstallEntryChecks(*m_data);
}

TProject::~TProject()
{
    m_data.reset();
    m_tables.reset();
}

void TProject::TakeOver(std::unique_ptr<TProjectTables> tables, std::unique_ptr<TProgramData> data)
{
    emit AboutToReplace();
    m_data = std::move(data);
    m_tables = std::move(tables);
    m_tables->ClaimIdentifiers();
    WeakZones::InstallEntryChecks(*m_data);
    PoissonRatios::InstallEntryChecks(*m_data);
    SetModified(false);
}

void TProject::New()
{
    auto tables = std::make_unique<TProjectTables>();
    auto data = std::make_unique<TProgramData>(*tables);
    TakeOver(std::move(tables), std::move(data));
    m_files = {};
}

void TProject::Open(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    try {
        ProjectFile::RecoverSave(absolute);
        // Taken before the file is read: a change made while it is read then shows as a change
        // at the next save, never the other way round.
        const ProjectFile::TFilesState state = ProjectFile::FilesState(absolute);
        auto tables = std::make_unique<TProjectTables>();
        auto data = std::make_unique<TProgramData>(*tables);
        ProjectFile::ReadProject(*data, absolute);
        TakeOver(std::move(tables), std::move(data));
        m_files = state;
    } catch (...) {
        // The project being read took the table identifiers over while it lived.
        m_tables->ClaimIdentifiers();
        throw;
    }
}

void TProject::Write(const TSaveOptions& options)
{
    const QString file = m_data->FileName;
    ProjectFile::TWriteOptions write;
    write.Remove = options.Remove;
    write.BeforeWrite = [&options, &file] {
        if (!options.OwnRun) {
            const QString holder = TProjectRun::Holder(file);
            if (!holder.isEmpty())
                throw ERunRefused(QStringLiteral("Another running copy of Tremex3 or tremrun is running an analysis of "
                                                 "%1 (%2). The project was not saved, so that the report of that run "
                                                 "stays the report of the project file it ran; your changes are kept "
                                                 "here: save them when that run has ended.")
                                      .arg(QDir::toNativeSeparators(file), holder));
        }
        if (options.Expect && ProjectFile::FilesState(file) != *options.Expect)
            throw EFilesChanged(QStringLiteral("The project file %1 was changed on the disk while it was being saved.")
                                    .arg(QDir::toNativeSeparators(file)));
    };
    m_files = ProjectFile::WriteFiles(*m_data, write);
}

void TProject::Save(const TSaveOptions& options)
{
    // A project without a name of its own goes through Save As.
    if (QFileInfo(m_data->FileName).fileName() == DataUnit::kNewFileName)
        throw EProjectError(QStringLiteral("The project has no name yet: save it with Save As."));
    Write(options);
    SetModified(false);
}

void TProject::SaveAs(const QString& path, const TSaveOptions& options)
{
    const QString old[3] = {m_data->FileName, m_data->MassFileName, m_data->DrawingFileName};
    m_data->FileName = QFileInfo(path).absoluteFilePath();
    try {
        Write(options);
    } catch (...) {
        m_data->FileName = old[0];
        m_data->MassFileName = old[1];
        m_data->DrawingFileName = old[2];
        throw;
    }
    SetModified(false);
}

void TProject::SetUnits(int32_t system)
{
    m_data->SetUnits(system);
    emit UnitsChanged();
}

bool TProject::IsModified() const { return m_modified || m_tables->IsModified(); }

void TProject::SetModified(bool modified)
{
    m_data->SetModified(modified);
    m_modified = modified;
    emit ModifiedSet(modified);
}
