#include "project.h"

#include "poissonratios.h"
#include "projectfile.h"
#include "weakzones.h"

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
}

void TProject::Open(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    try {
        auto tables = std::make_unique<TProjectTables>();
        auto data = std::make_unique<TProgramData>(*tables);
        ProjectFile::ReadProject(*data, absolute);
        TakeOver(std::move(tables), std::move(data));
    } catch (...) {
        // The project being read took the table identifiers over while it lived.
        m_tables->ClaimIdentifiers();
        throw;
    }
}

void TProject::Save()
{
    // A project without a name of its own goes through Save As.
    if (QFileInfo(m_data->FileName).fileName() == DataUnit::kNewFileName)
        throw EProjectError(QStringLiteral("The project has no name yet: save it with Save As."));
    ProjectFile::WriteFiles(*m_data);
    SetModified(false);
}

void TProject::SaveAs(const QString& path)
{
    const QString old[3] = {m_data->FileName, m_data->MassFileName, m_data->DrawingFileName};
    m_data->FileName = QFileInfo(path).absoluteFilePath();
    try {
        ProjectFile::WriteFiles(*m_data);
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
