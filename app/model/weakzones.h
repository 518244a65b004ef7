// Weak zones of the soil tables (unit WeakZones): which weak-zone ratios reach the analysis as a
// weak zone, and the check that refuses a ratio that is not above 0 there.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// A weak zone is an annulus of weakened soil around a pile, the shaft of a multilayer
// foundation, or the side of an embedded footing or pile cap; its shear modulus is the soil's
// times the row's weak-zone ratio. A ratio of 1 means no weak zone; a ratio of 0 or below would
// leave the annulus without stiffness (a negative stiffness or an embedment lost, reported as a
// complete run), so the program refuses it wherever the project file gives that row a weak zone
// of non-zero thickness:
// - PILE: every row of `D` that is a pile layer (thickness 1 pile radius);
// - MULTILAYER: every row of `D` that is a shaft layer adjacent to the soil (1 radius);
// - HALF-SPACE: every row of `D1` while the side layers carry their weak zones (0.1 radius);
// - PILE with side soil of the cap: every row of `pilecapsoil` while the cap's weak zone is on
//   (0.1 radius).
// A row whose ratio means no weak zone (above 0.999999, for MULTILAYER above 0.99999) is written
// with a thickness of 0 and so never refused. The column `Multisoil` 4 of the soil below a shaft
// is a modulus ratio of the layer, not a weak zone.
//
//     if (const auto cell = WeakZones::FirstRefused(data))
//         Messages::Warning(this, WeakZones::RefusalText(), WeakZones::Place(*cell));
#pragma once

#include <QString>
#include <optional>

class TGridTable;
class TProgramData;

namespace WeakZones {

// Ratios above these are written without a weak zone.
inline constexpr long double kNoWeakZone = 0.999999L;
inline constexpr long double kNoWeakZoneMultilayer = 0.99999L;

// Whether a row with this ratio switches its table's weak zone on when the project is saved
// (the side layers of a footing and the side soil of a pile cap): a ratio that gives the row a
// weak zone. 0, which older projects left in rows without one, and a ratio that means none, do
// not.
bool SwitchesOn(long double ratio);

// The weak-zone column of a soil table (D 4, D1 5, pilecapsoil 5); -1 for every other table.
int RatioColumn(const TProgramData& data, const TGridTable* table);

// Whether the row's ratio reaches the analysis as a weak zone of non-zero thickness when the
// project is saved now (the rules above, with the switches as the save sets them).
bool ReachesAnalysis(const TProgramData& data, const TGridTable* table, int row);

// A cell of a project table.
struct TCell {
    TGridTable* table = nullptr;
    int column = 0;
    int row = 0;
};

// The first weak-zone ratio that is not above 0 and reaches the analysis as a weak zone (in the
// order D, D1, pilecapsoil, top to bottom); none when there is none.
std::optional<TCell> FirstRefused(const TProgramData& data);

// The invalid-entry message of such a ratio, and where it is: the table, the column and the row.
QString RefusalText();
QString Place(const TCell& cell);

// Raises EAssignError with RefusalText when `value` is refused for the row of the table.
void CheckEntry(const TProgramData& data, const TGridTable* table, int row, long double value);

// Gives the weak-zone columns of the data's tables the check of an entry (CheckEntry), so that
// a ratio refused before a run is refused where it is typed too. The checks refer to `data`:
// the project that owns both installs them and drops the two together.
void InstallEntryChecks(TProgramData& data);

}  // namespace WeakZones
