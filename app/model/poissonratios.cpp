#include "poissonratios.h"

#include "dataunit.h"
#include "entry/misc.h"
#include "projecttables.h"
#include "weakzones.h"

namespace PoissonRatios {

namespace {

bool Is(const TProgramData& d, const char* word) { return d.FoundationWord == QLatin1String(word); }

// The soil tables whose ratios the project file gives the analysis for the foundation type.
QList<TGridTable*> TablesInUse(const TProgramData& d)
{
    const TProjectTables& t = d.Tables();
    if (Is(d, "PILE")) return {t.D, t.pilecapsoil};
    if (Is(d, "MULTILAYER")) return {t.D, t.Multisoil};
    if (Is(d, "HALF-SPACE")) return {t.D1};
    return {};
}

}  // namespace

bool Allowed(long double ratio) { return ratio > -1.0L && ratio <= 0.5L; }

QString RefusalText()
{
    return QStringLiteral("Entry must be greater than -1 and less than or equal to 0.5: no soil has a Poisson's "
                          "ratio outside these limits. 0.5 is a soil that keeps its volume (saturated, undrained).");
}

void CheckEntry(long double ratio)
{
    if (!Allowed(ratio)) throw EAssignError(RefusalText());
}

int RatioColumn(const TProgramData& data, const TGridTable* table)
{
    const TProjectTables& t = data.Tables();
    if (table == t.D || table == t.Multisoil) return 2;
    if (table == t.D1 || table == t.pilecapsoil) return 3;
    return -1;
}

std::optional<TPlace> FirstRefused(const TProgramData& data)
{
    for (TGridTable* table : TablesInUse(data)) {
        const int column = RatioColumn(data, table);
        for (int r = 0; r < table->RowCount(); ++r)
            if (!Allowed(table->Cell(column, r)->GetAsFloat())) return TPlace{table, column, r};
    }
    if (!Allowed(data.TipPoisson)) return TPlace{};
    return std::nullopt;
}

QString Place(const TPlace& place)
{
    if (!place.table) return QStringLiteral("Soil Below The Footing: Poisson's ratio");
    return WeakZones::Place(WeakZones::TCell{place.table, place.column, place.row});
}

void InstallEntryChecks(TProgramData& data)
{
    const TProjectTables& t = data.Tables();
    for (TGridTable* table : {t.D, t.D1, t.pilecapsoil, t.Multisoil})
        if (auto* column = dynamic_cast<TFloatColumn*>(table->GetColumn(RatioColumn(data, table))))
            column->EntryCheck = [](int, long double value) { CheckEntry(value); };
}

}  // namespace PoissonRatios
