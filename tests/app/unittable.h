// What every grid column and every number field of the data forms converts by when the unit
// system is switched: a unit (force^f x length^l x mass^m, English per SI), the square of one
// (a spectral density), or nothing, and then why (a ratio, an angle, a count, a choice, a time,
// a frequency). The tests hold every column and every field of the program against this table,
// so that one without a unit template is a decision written here, not an accident.
#pragma once

#include "table/unittemplates.h"

#include <cmath>

namespace units {

struct TConversion {
    int force = 0, length = 0, mass = 0;  // the unit's exponents; all 0: not converted
    const char* why = "";                  // why nothing converts, for a value without a unit
};

inline constexpr TConversion Length{0, 1, 0};
inline constexpr TConversion Area{0, 2, 0};
inline constexpr TConversion Length4{0, 4, 0};  // moment of inertia of a section, polar moment
inline constexpr TConversion Velocity{0, 1, 0};  // length per second
inline constexpr TConversion UnitWeight{1, -3, 0};
inline constexpr TConversion Modulus{1, -2, 0};
inline constexpr TConversion Force{1, 0, 0};
inline constexpr TConversion Moment{1, 1, 0};
inline constexpr TConversion Mass{0, 0, 1};
inline constexpr TConversion MassLength{0, 1, 1};      // unbalanced mass x eccentricity
inline constexpr TConversion MassLength2{0, 2, 1};     // mass moment of inertia
inline constexpr TConversion ForceSpectrum{2, 0, 0};   // force squared x s/rad
inline constexpr TConversion MomentSpectrum{2, 2, 0};  // (force x length) squared x s/rad
inline constexpr TConversion Ratio{0, 0, 0, "a ratio"};
inline constexpr TConversion Angle{0, 0, 0, "an angle"};
inline constexpr TConversion Count{0, 0, 0, "a count"};
inline constexpr TConversion Choice{0, 0, 0, "a choice from a list"};
inline constexpr TConversion Rows{0, 0, 0, "a table of its own, converted by its columns"};
inline constexpr TConversion Time{0, 0, 0, "a time in seconds in both systems"};
inline constexpr TConversion Frequency{0, 0, 0, "a frequency in Hz in both systems"};

// English per SI: the factor the switch to English multiplies the value by.
inline long double Factor(const TConversion& c)
{
    return std::pow(ColumnTypes::kLbsPerKN, c.force) * std::pow(ColumnTypes::kFtPerM, c.length) *
           std::pow(ColumnTypes::kSlugPerMg, c.mass);
}

// A grid column: the table, the column, its unit template and what it converts by.
struct TColumnUnit {
    const char* table;
    int column;
    const char* unitTemplate;
    TConversion conversion;
};

inline const TColumnUnit kColumns[] = {
    {"Pile Data", 0, "L2", Length},
    {"Pile Data", 1, "L2", Length},
    {"Pile Data", 2, "L2", Length},
    {"Pile Data", 3, "L2^2", Area},
    {"Pile Data", 4, "L2^4", Length4},
    {"Pile Data", 5, "L2^4", Length4},
    {"Pile Data", 6, "L2^4", Length4},
    {"Side Weakened Soil Parameters", 0, "L2", Length},
    {"Side Weakened Soil Parameters", 1, "L2/SEC", Velocity},
    {"Side Weakened Soil Parameters", 2, "F/L2^3", UnitWeight},
    {"Side Weakened Soil Parameters", 3, "", Ratio},  // Poisson's ratio
    {"Side Weakened Soil Parameters", 4, "", Ratio},  // material damping
    {"Side Weakened Soil Parameters", 5, "", Ratio},  // weak zone shear moduli ratio
    {"Soil Column Layer", 0, "L2/SEC", Velocity},
    {"Soil Column Layer", 1, "F/L2^3", UnitWeight},
    {"Soil Column Layer", 2, "", Ratio},
    {"Soil Column Layer", 3, "", Ratio},
    {"Soil Column Layer", 4, "", Ratio},
    {"Soil Column Layer", 5, "", Ratio},
    {"Pile Coordinations", 0, "L2", Length},
    {"Pile Coordinations", 1, "L2", Length},
    {"Pile Coordinations", 2, "", Angle},
    {"Pile Coordinations", 3, "", Choice},  // the batter plane
    {"Load Amplitude", 0, "F", Force},      // a moment load's rows: "F-L2" (kRowColumns)
    {"Random Loading data", 0, "", Choice},
    {"Random Loading data", 1, "", Rows},
    {"Soil Layer Data", 0, "L2", Length},
    {"Soil Layer Data", 1, "L2/SEC", Velocity},
    {"Soil Layer Data", 2, "F/L2^3", UnitWeight},
    {"Soil Layer Data", 3, "", Ratio},
    {"Soil Layer Data", 4, "", Ratio},
    {"Soil Layer Data", 5, "", Ratio},
    {"Mass Components including equipment, and self weight of footing ", 0, "F6", Mass},
    {"Mass Components including equipment, and self weight of footing ", 1, "L2", Length},
    {"Mass Components including equipment, and self weight of footing ", 2, "L2", Length},
    {"Mass Components including equipment, and self weight of footing ", 3, "L2", Length},
    {"Mass Components including equipment, and self weight of footing ", 4, "L2", Length},
    {"Mass Components including equipment, and self weight of footing ", 5, "L2", Length},
    {"Mass Components including equipment, and self weight of footing ", 6, "L2", Length},
    {"Random Spectrum Data", 0, "F^2-F5/L3", ForceSpectrum},  // a moment spectrum's rows: kRowColumns
    {"Transient Loading Data", 0, "", Choice},
    {"Transient Loading Data", 1, "", Rows},
    {"Soil Properties", 0, "L2/SEC", Velocity},
    {"Soil Properties", 1, "F/L2^3", UnitWeight},
    {"Soil Properties", 2, "", Ratio},
    {"Soil Properties", 3, "", Ratio},
    {"Soil Properties", 4, "", Ratio},
    {"Battered Pile Data", 0, "", Choice},
    {"Battered Pile Data", 1, "DEGREES", Angle},
    {"Multi-Layer Foundation", 0, "L2", Length},
    {"Multi-Layer Foundation", 1, "L2", Length},
    {"Multi-Layer Foundation", 2, "L2", Length},
    {"Multi-Layer Foundation", 3, "L2^2", Area},
    {"Multi-Layer Foundation", 4, "L2^4", Length4},
    {"Multi-Layer Foundation", 5, "L2^4", Length4},
    {"Multi-Layer Foundation", 6, "L2^4", Length4},  // torsional coefficient: the polar moment
};

// The columns of the load and spectrum rows whose item is a moment (about x, y or z).
struct TRowColumnUnit {
    const char* table;  // the table of the rows
    const char* unitTemplate;
    TConversion conversion;
};
inline const TRowColumnUnit kMomentRowColumns[] = {
    {"Transient Loading Data", "F-L2", Moment},
    {"Random Loading data", "F^2-L2^2-F5/L3", MomentSpectrum},
};

}  // namespace units
