// The thirteen grid tables of a project (unit ProjectTables): `TProjectTables`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// Every tabular input of a project lives in one of these tables; the project object
// (app/model/project.h) owns them, the project data (app/model/dataunit.h), the file writer and
// reader and the data forms address them by the names below and their columns by number,
// counted from 0.
//
// Two of the tables are templates only: every row of `TLoadtype` owns a sub-table made from
// `Dtransient` (Identifier 8), every row of `Trandom` one made from `Tspectrum` (Identifier 13).
// Sub-tables find their template by Identifier among the live tables, so a second set of project
// tables (a project being read) takes the identifiers over while it lives; `ClaimIdentifiers`
// gives them back to a set that stays.
#pragma once

#include "table/columntypes.h"
#include "table/table.h"

#include <QList>
#include <cstdint>
#include <memory>
#include <vector>

class TProjectTables {
public:
    // Identifiers of the tables.
    static constexpr int32_t kPileData = 3;
    static constexpr int32_t kPilecapsoil = 4;
    static constexpr int32_t kMultisoil = 5;
    static constexpr int32_t kPilecoord = 7;
    static constexpr int32_t kDtransient = 8;
    static constexpr int32_t kTrandom = 9;
    static constexpr int32_t kD1 = 11;
    static constexpr int32_t kMassCal = 12;
    static constexpr int32_t kTspectrum = 13;
    static constexpr int32_t kTLoadtype = 14;
    static constexpr int32_t kD = 15;
    static constexpr int32_t kTBattered = 16;
    static constexpr int32_t kMultiElement = 19;

    // Row limits of the load tables and their templates: what the engine's tables hold.
    static constexpr int32_t kMaxTransientPoints = 1024;
    static constexpr int32_t kMaxTransientLoads = 10;
    static constexpr int32_t kMaxRandomPoints = 200;
    static constexpr int32_t kMaxSpectra = 100;
    // Rows a table without a limit of its own may take from a project file; more are refused
    // rather than allocated.
    static constexpr int32_t kUnlimitedRows = 65536;

    // Builds the thirteen tables with their definitions, each with its minimum rows, in SI units.
    TProjectTables();
    TProjectTables(const TProjectTables&) = delete;
    TProjectTables& operator=(const TProjectTables&) = delete;
    ~TProjectTables();

    TGridTable* PileData = nullptr;
    TGridTable* pilecapsoil = nullptr;
    TGridTable* Multisoil = nullptr;
    TGridTable* Pilecoord = nullptr;
    TGridTable* Dtransient = nullptr;
    TGridTable* Trandom = nullptr;
    TGridTable* D1 = nullptr;
    TGridTable* MassCal = nullptr;
    TGridTable* Tspectrum = nullptr;
    TGridTable* TLoadtype = nullptr;
    TGridTable* D = nullptr;
    TGridTable* TBattered = nullptr;
    TGridTable* MultiElement = nullptr;

    // The thirteen tables in the order above.
    const QList<TGridTable*>& All() const { return m_all; }
    // The table with the identifier, none when absent.
    TGridTable* ByIdentifier(int32_t identifier) const;

    // The row limit used when a count comes from a file: MaxRows, or kUnlimitedRows without one.
    static int32_t RowLimit(const TGridTable* table);

    // The radius of the multilayer foundation's shaft in layer `row` of MultiElement, as the
    // engine computes with it: the mean of the layer's x and y radii (its vertical and torsional
    // terms take that radius); 0 for a row the table does not have.
    long double ShaftRadius(int row) const;

    // Gives every table its own identifier again (see above).
    void ClaimIdentifiers();
    // Every table: SetUnits; the amplitudes of moment loads first take the moment template;
    // raises, with no table changed, when a value of one would not be finite in the new system.
    void SetUnits(int unitSystem);
    // Load types and spectrum directions 4 to 6 of TLoadtype and Trandom are moments about x,
    // y and z: the amplitude sub-tables of such rows convert and show their values with the
    // moment template "F-L2", the others with the force template "F" of their template table.
    // A spectrum holds the spectral density of its amplitude, which converts by the square of
    // the amplitude's factor: force squared x s/rad (kForceSpectrum, its template table's), or
    // force x length squared x s/rad (kMomentSpectrum).
    static const QString kForceSpectrum;
    static const QString kMomentSpectrum;
    static constexpr int32_t kFirstMomentCode = 4;
    static constexpr int32_t kLastMomentCode = 6;
    void MarkMomentAmplitudes();
    // The same for one row's table of values, of load type or direction `code`.
    void MarkMomentAmplitude(const TGridTable* loads, int32_t code, TGridTable* values) const;
    // Raises the message of the first value that would not be finite in the new system.
    void CheckUnits(int unitSystem) const;
    // Every table: 0 rows, then its MinRows rows.
    void ResetRows();
    // Every table set to 0 rows.
    void ClearRows();
    // Every table below its MinRows raised to MinRows.
    void RaiseToMinRows();
    // true when some table reports a change.
    bool IsModified() const;
    void SetModified(bool modified);

private:
    TGridTable* Make(int32_t identifier, const QString& caption, int32_t maxRows, const QString& topLeft);
    QList<TGridTable*> m_all;
    std::vector<std::unique_ptr<TGridTable>> m_owned;
};
