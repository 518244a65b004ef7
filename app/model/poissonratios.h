// Poisson's ratios of the soils (unit PoissonRatios): the range a soil's ratio may take, and
// the checks that refuse one outside it where it is typed and before a run.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// No isotropic elastic medium has a Poisson's ratio above 0.5 or at or below -1: beyond 0.5 the
// analysis would still give numbers (its footing terms 4/(1 - nu) grow without bound and divide
// by zero at 1), and at -1 a soil's Young's modulus 2(1 + nu)G vanishes. 0.5 itself is the
// incompressible soil (saturated, undrained), which the analysis computes as such; a negative
// ratio above -1 has a meaning and stays. The engine refuses the same ratios; these checks say
// so where the value is typed:
// - the Poisson's ratio columns of the soil tables: `D` 2 (the pile or shaft layers), `D1` 3
//   (the side layers of a footing), `pilecapsoil` 3 (the side soil of a pile cap), `Multisoil` 2
//   (the soil column below a shaft); every row of every foundation type, since no row has a
//   meaning for such a ratio;
// - the field of the soil below the footing or the pile tips (`TipPoisson`, which is the
//   stratum's soil for a STRATUM).
// The weak zone of a row takes the row's own ratio, so it needs no check of its own.
//
//     if (const auto place = PoissonRatios::FirstRefused(data))
//         Messages::Warning(this, PoissonRatios::RefusalText(), PoissonRatios::Place(data, *place));
#pragma once

#include <QString>
#include <optional>

class TGridTable;
class TProgramData;

namespace PoissonRatios {

// Whether a soil may have this Poisson's ratio: above -1 and at most 0.5.
bool Allowed(long double ratio);

// The invalid-entry message of a ratio that is not allowed.
QString RefusalText();

// Raises EAssignError with RefusalText when the ratio is not allowed.
void CheckEntry(long double ratio);

// The Poisson's ratio column of a soil table (D 2, D1 3, pilecapsoil 3, Multisoil 2); -1 for
// every other table.
int RatioColumn(const TProgramData& data, const TGridTable* table);

// Where a ratio of the project stands: a cell of a soil table, or (no table) the field of the
// soil below.
struct TPlace {
    TGridTable* table = nullptr;
    int column = 0;
    int row = 0;
};

// The first ratio that is not allowed among those the project file gives the analysis for the
// foundation type (in the order D, D1, pilecapsoil, Multisoil, top to bottom, then the soil
// below); none when there is none.
std::optional<TPlace> FirstRefused(const TProgramData& data);

// Where it is, for the message: the table, the column and the row, or the form and its field.
QString Place(const TPlace& place);

// Gives the Poisson's ratio columns of the data's tables the check of an entry (CheckEntry).
void InstallEntryChecks(TProgramData& data);

}  // namespace PoissonRatios
