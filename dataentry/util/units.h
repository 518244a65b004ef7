// Table of unit categories (unit units): `TUnit`, `TCategory`, `TCategories`, `eNameError`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
#pragma once

#include "util/exceptions.h"
#include "util/hvlconst.h"

#include <QString>

// A unit name or symbol that is already taken.
class eNameError : public Exception {
public:
    using Exception::Exception;
};

// One unit: its factor is its size in base units of its category.
class TUnit {
public:
    TUnit(const QString& symbol, const QString& name, long double factor)
        : Symbol(symbol), Name(name), Factor(factor) {}
    virtual ~TUnit() = default;

    QString Symbol;
    QString Name;
    long double Factor;
    bool Active = true;   // set when the unit is added
    bool Marked = false;  // cleared when the unit is added
};

// One category of units with its base unit and two further unit indices (the units converted
// from and to), kept in step with the base by the table builder and with deletions.
class TCategory {
public:
    explicit TCategory(const QString& name) : m_name(name) {}
    virtual ~TCategory() = default;

    QString Name() const { return m_name; }
    qsizetype UnitCount() const { return m_units.Count(); }
    TUnit* Unit(qsizetype i) const { return m_units.GetItem(i); }
    qsizetype IndexOfSymbol(const QString& symbol) const;

    qsizetype BaseIndex() const { return m_base; }
    qsizetype FromIndex() const { return m_from; }
    qsizetype ToIndex() const { return m_to; }
    void SetFromIndex(qsizetype i) { m_from = i; }
    void SetToIndex(qsizetype i) { m_to = i; }

    // Appends a unit; an existing symbol raises eNameError. The first unit becomes the base.
    void AddUnit(const QString& symbol, const QString& name, long double factor);
    // Makes unit i the base: every other factor is divided by unit i's, which becomes 1.
    // For -1 only the index changes.
    void SetBase(qsizetype i);
    // Removes and frees unit i, keeping the stored indices in step.
    void DeleteUnit(qsizetype i);

    int32_t Tag = 1;          // set to 1 when the category is added
    long double Value = 1.0L;  // set to 1.0 when the category is added

private:
    QString m_name;
    TObjectList<TUnit> m_units;
    qsizetype m_base = -1;
    qsizetype m_from = -1;
    qsizetype m_to = -1;
};

class TCategories {
public:
    TCategories() = default;
    virtual ~TCategories() = default;

    qsizetype Count() const { return m_categories.Count(); }
    // Appends a new category; an existing name raises eNameError "<name> already exists.".
    TCategory* AddCategory(const QString& name);
    // Category i; outside 0..Count-1 raises Exception "<i> Out of Range 0-<Count>".
    TCategory* GetCategory(qsizetype i) const;

private:
    TObjectList<TCategory> m_categories;
};

namespace Units {

// Fills the list with the program's six categories (Length, Time, Force, Temperature, Angle,
// Computer Bits).
void BuildUnitCategories(TCategories& categories);

// The one global table, built on first use and freed when the program ends.
TCategories& Categories();

}  // namespace Units
