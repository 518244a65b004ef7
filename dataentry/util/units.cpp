#include "util/units.h"

#include <cmath>
#include <numbers>

qsizetype TCategory::IndexOfSymbol(const QString& symbol) const
{
    for (qsizetype i = 0; i < m_units.Count(); ++i)
        if (m_units[i]->Symbol == symbol) return i;
    return -1;
}

void TCategory::AddUnit(const QString& symbol, const QString& name, long double factor)
{
    if (IndexOfSymbol(symbol) >= 0)
        throw eNameError(symbol + QStringLiteral(" already exists. A unit's symbol must be unique."));
    m_units.Add(new TUnit(symbol, name, factor));
    if (m_units.Count() == 1) SetBase(0);
}

void TCategory::SetBase(qsizetype i)
{
    if (i != -1) {
        TUnit* base = m_units.GetItem(i);
        const long double f = base->Factor;
        for (qsizetype k = 0; k < m_units.Count(); ++k)
            if (k != i) m_units[k]->Factor /= f;
        base->Factor = 1.0L;
    }
    m_base = i;
}

void TCategory::DeleteUnit(qsizetype i)
{
    const qsizetype count = m_units.Count();
    const qsizetype last = count - 1;
    if (m_base == i) m_base = -1;
    if (m_base > i) --m_base;
    for (qsizetype* index : {&m_from, &m_to}) {
        if (*index > i)
            --*index;
        else if (*index == i && i == last && count > 1)
            --*index;
    }
    m_units.Delete(i);
}

TCategory* TCategories::AddCategory(const QString& name)
{
    for (qsizetype i = 0; i < m_categories.Count(); ++i)
        if (m_categories[i]->Name() == name)
            throw eNameError(name + QStringLiteral(" already exists."));
    auto* category = new TCategory(name);
    m_categories.Add(category);
    return category;
}

TCategory* TCategories::GetCategory(qsizetype i) const
{
    if (i < 0 || i >= m_categories.Count())
        throw Exception(QStringLiteral("%1 Out of Range 0-%2").arg(i).arg(m_categories.Count()));
    return m_categories[i];
}

namespace Units {

namespace {

struct UnitDef {
    const char* symbol;
    const char* name;
    long double factor;
};

// Adds the units, makes `baseSymbol` the base (with the from and to indices), and deletes the
// placeholder (the first unit) when asked. The first unit added becomes the base for the moment
// and gets the factor 1, so the factors are given in one unit whose factor is 1: the first unit
// (millimetres, bits) or, after a placeholder, the base itself. Setting the base turns them into
// sizes in base units.
void AddCategory(TCategories& categories, const char* name, std::initializer_list<UnitDef> units,
                 const char* baseSymbol, bool dropPlaceholder)
{
    TCategory* c = categories.AddCategory(QString::fromLatin1(name));
    for (const UnitDef& u : units) c->AddUnit(QString::fromLatin1(u.symbol), QString::fromLatin1(u.name), u.factor);
    const qsizetype base = c->IndexOfSymbol(QString::fromLatin1(baseSymbol));
    c->SetBase(base);
    c->SetFromIndex(base);
    c->SetToIndex(base);
    if (dropPlaceholder) c->DeleteUnit(0);
}

}  // namespace

void BuildUnitCategories(TCategories& categories)
{
    const long double pi = std::numbers::pi_v<long double>;
    // In millimetres.
    AddCategory(categories, "Length",
                {{"mm", "millimeters", 1.0L},
                 {"cm", "centimeters", 10.0L},
                 {"m", "meters", 1000.0L},
                 {"km", "kilometers", 1e6L},
                 {"in", "inches", 25.4L},
                 {"ft", "feet", 304.8L},
                 {"yd", "yards", 914.4L},
                 {"f", "fathoms", 1828.8L},
                 {"mi", "miles, statute", 1609344.0L},
                 {"nmi", "nautical miles, U.S.", 1852000.0L},
                 {"league", "leagues, statute", 4828032.0L},
                 {"au", "astronomical units", 1.4959789e14L}},
                "m", false);
    AddCategory(categories, "Time",
                {{"PH s", "seconds", 1.0L},
                 {"ns", "nanoseconds", 1e-9L},
                 {"ms", "milliseconds", 0.001L},
                 {"s", "seconds", 1.0L},
                 {"mn", "minutes", 60.0L},
                 {"hr", "hours", 3600.0L},
                 {"day", "days", 86400.0L},
                 {"wk", "weeks", 604800.0L},
                 {"mth", "months", 2629800.0L},
                 {"yr", "years", 31557600.0L},
                 {"dec", "decades", 315576000.0L},
                 {"cen", "centuries", 3155760000.0L},
                 {"mnm", "millenia", 31557600000.0L},
                 {"eon", "eons", 3.15576e16L}},
                "s", true);
    AddCategory(categories, "Force",
                {{"N", "newtons", 1.0L},
                 {"kN", "kilonewtons", 1000.0L},
                 {"amu", "atomic mass units", 1.6284334591e-26L},
                 {"mg", "milligrams", 9.80665e-6L},
                 {"g", "grams force", 0.00980665L},
                 {"kg", "kilograms force", 9.80665L},
                 {"tn", "metric tons", 9806.65L},
                 {"oz", "ounces force", 0.278016703710424L},
                 {"lb", "pounds force", 4.44826725936678L},
                 {"kip", "kilopounds", 4448.26725936678L},
                 {"ton", "U.S. Tons force, short", 8896.53451873356L}},
                "N", false);
    AddCategory(categories, "Temperature",
                {{"C", "Celsius", 1.0L}, {"F", "Fahrenheit", 1.0L}, {"K", "Kelvin", 1.0L}, {"R", "Rankine", 1.0L}},
                "C", false);
    AddCategory(categories, "Angle",
                {{"PH rev", "place holder", 360.0L},
                 {"rad", "radians", 180.0L / pi},
                 {"sec", "seconds", 1.0L / 3600.0L},
                 {"min", "minutes", 1.0L / 60.0L},
                 {"gr", "grades", 0.9L},
                 {"deg", "degrees", 1.0L},
                 {"quad", "quadrants", 90.0L},
                 {"rev", "revolutions", 360.0L}},
                "deg", true);
    // In bits.
    AddCategory(categories, "Computer Bits",
                {{"b", "bits", 1.0L},
                 {"Kb", "kilobits", 1024.0L},
                 {"Mb", "megabits", std::ldexp(1.0L, 20)},
                 {"Gb", "gigabits", std::ldexp(1.0L, 30)},
                 {"Tb", "terabits", std::ldexp(1.0L, 40)},
                 {"B", "bytes", 8.0L},
                 {"KB", "kilobytes", std::ldexp(1.0L, 13)},
                 {"MB", "megabytes", std::ldexp(1.0L, 23)},
                 {"GB", "gigabytes", std::ldexp(1.0L, 33)},
                 {"TB", "terabytes", std::ldexp(1.0L, 43)}},
                "B", false);
}

TCategories& Categories()
{
    static TCategories table;
    static const bool built = (BuildUnitCategories(table), true);
    (void)built;
    return table;
}

}  // namespace Units
