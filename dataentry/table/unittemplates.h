// Unit templates of the table columns (unit ColumnTypes): expansion into unit names and the
// factors between unit systems.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// A template is one side or "numerator/denominator" (split at the first "/"). A side is an
// optional force code, one separator character and an optional length code, or any other text
// (which carries no code). Force codes: F (= F0), F1, F2, F4, F5, F6, optionally followed by "^"
// and one exponent digit; length codes: L (= L0), L1, L2, L3 with the exponent digit in the
// code's fourth position (L2^3). Unit systems: 1 English, 2 SI, 3 no unit names; a system below 1
// counts as 1 and one above 3 as 3.
#pragma once

#include <QString>

namespace ColumnTypes {

// English units per SI unit of the ten slots.
inline constexpr long double kLbsPerKN = 224.8089237L;      // F0, F
inline constexpr long double kKipsPerKN = 0.2248089237L;    // F1
inline constexpr long double kTonsPerKN = 0.1124044745L;    // F2
inline constexpr long double kInPerM = 39.37007874L;        // L0, L
inline constexpr long double kInPerMm = 0.03937007874L;     // L1
inline constexpr long double kFtPerM = 3.280839895L;        // L2
inline constexpr long double kLbSec2InPerMg = 5.7101483L;   // F4
inline constexpr long double kSecPerSec = 1.0L;             // F5
inline constexpr long double kRadPerRad = 1.0L;             // L3
inline constexpr long double kSlugPerMg = 68.364249L;       // F6

// The template with every code replaced by the unit name of the system
// ("F/L2^3" gives "lbs/ft^3" in English, "kN/m^3" in SI, "F/L^3" in system 3).
QString ExpandUnitTemplate(const QString& unitTemplate, int unitSystem);

// English-per-SI factor of one side of a template. An exponent position without a digit raises
// EConvertError.
long double TemplateFactor(const QString& side);

// Factor by which a value in the template's units in system `from` is multiplied to give the
// value in system `to`; exactly 1 for the same system and whenever system 3 is involved.
long double UnitConversionFactor(int from, int to, const QString& unitTemplate);

}  // namespace ColumnTypes
