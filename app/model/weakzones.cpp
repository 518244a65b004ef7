#include "weakzones.h"

#include "dataunit.h"
#include "entry/misc.h"
#include "projecttables.h"
#include "util/messages.h"

#include <QStringList>

#include <cmath>

namespace WeakZones {

namespace {

bool IsPile(const TProgramData& d) { return d.FoundationWord == QLatin1String("PILE"); }
bool IsMultilayer(const TProgramData& d) { return d.FoundationWord == QLatin1String("MULTILAYER"); }
bool IsHalfSpace(const TProgramData& d) { return d.FoundationWord == QLatin1String("HALF-SPACE"); }

long double Ratio(const TGridTable* table, int column, int row) { return table->Cell(column, row)->GetAsFloat(); }

// The switch of a table's weak zone as the next save leaves it: on, or switched on by a row
// (the row `row` taken with the ratio `ratio`).
bool SwitchedOn(uint8_t on, const TGridTable* table, int column, int row, long double ratio)
{
    if (on == 1) return true;
    for (int r = 0; r < table->RowCount(); ++r)
        if (SwitchesOn(r == row ? ratio : Ratio(table, column, r))) return true;
    return false;
}

// ReachesAnalysis with the row's ratio given.
bool Reaches(const TProgramData& data, const TGridTable* table, int row, long double ratio)
{
    const TProjectTables& t = data.Tables();
    const int column = RatioColumn(data, table);
    if (column < 0 || row < 0 || row >= table->RowCount()) return false;
    if (table == t.D) {
        // Soil rows beyond the pile or shaft layers reach no layer.
        if (IsPile(data)) return row < t.PileData->RowCount() && !(ratio > kNoWeakZone);
        if (IsMultilayer(data)) return row < t.MultiElement->RowCount() && !(ratio > kNoWeakZoneMultilayer);
        return false;
    }
    if (table == t.D1)
        return IsHalfSpace(data) && SwitchedOn(data.HalfSpaceWeakZone, table, column, row, ratio) &&
               !(ratio > kNoWeakZone);
    return IsPile(data) && SwitchedOn(data.SideCapWeakZone, table, column, row, ratio) && !(ratio > kNoWeakZone);
}

}  // namespace

bool SwitchesOn(long double ratio) { return std::fabs(ratio) > 1e-7L && !(ratio > kNoWeakZone); }

int RatioColumn(const TProgramData& data, const TGridTable* table)
{
    const TProjectTables& t = data.Tables();
    if (table == t.D) return 4;
    if (table == t.D1 || table == t.pilecapsoil) return 5;
    return -1;
}

bool ReachesAnalysis(const TProgramData& data, const TGridTable* table, int row)
{
    const int column = RatioColumn(data, table);
    if (column < 0 || row < 0 || row >= table->RowCount()) return false;
    return Reaches(data, table, row, Ratio(table, column, row));
}

std::optional<TCell> FirstRefused(const TProgramData& data)
{
    const TProjectTables& t = data.Tables();
    for (TGridTable* table : {t.D, t.D1, t.pilecapsoil}) {
        const int column = RatioColumn(data, table);
        for (int r = 0; r < table->RowCount(); ++r)
            if (!(Ratio(table, column, r) > 0.0L) && ReachesAnalysis(data, table, r)) return TCell{table, column, r};
    }
    return std::nullopt;
}

QString RefusalText()
{
    return QStringLiteral("Entry must be greater than 0: a weak zone with a shear modulus ratio of 0 or less has no "
                          "stiffness. A ratio of 1 means no weak zone.");
}

QString Place(const TCell& cell)
{
    const TColumn* column = cell.table->GetColumn(cell.column);
    QStringList lines;
    for (int i = 0; i < column->CaptionLineCount(); ++i) lines << column->GetCaptionLine(i).trimmed();
    return cell.table->Caption().trimmed() + QStringLiteral(": ") +
           Messages::PlainCaption(lines.join(QLatin1Char(' '))) + QStringLiteral(", row ") +
           QString::number(cell.row + 1);
}

void CheckEntry(const TProgramData& data, const TGridTable* table, int row, long double value)
{
    if (!(value > 0.0L) && Reaches(data, table, row, value)) throw EAssignError(RefusalText());
}

void InstallEntryChecks(TProgramData& data)
{
    const TProjectTables& t = data.Tables();
    for (TGridTable* table : {t.D, t.D1, t.pilecapsoil})
        if (auto* column = dynamic_cast<TFloatColumn*>(table->GetColumn(RatioColumn(data, table))))
            column->EntryCheck = [&data, table](int row, long double value) { CheckEntry(data, table, row, value); };
}

}  // namespace WeakZones
