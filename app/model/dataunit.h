// Project data of the main program (unit DataUnit): `TProgramData` and the small text routines
// of the project files.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// `TProgramData` holds every scalar setting of a project; the tabular input lives in the
// project tables (app/model/projecttables.h), which the data object addresses but does not own.
// Both belong to the project object (app/model/project.h). Stored values follow `UnitSystem`:
// forces in lbs or kN, lengths in ft or m, masses in slug or Mg, frequencies in Hz, times in
// seconds, angles in degrees.
//
// The data object knows no window and calls no one: the project (app/model/project.h) tells its
// owner through signals when the data is replaced, marked modified or switched to other units.
#pragma once

#include "util/exceptions.h"

#include <QString>
#include <cstdint>

class TProjectTables;

class TProgramData {
public:
    // A new project on the given tables: every default, the tables in SI with their minimum
    // rows, the tables not modified.
    explicit TProgramData(TProjectTables& tables);
    TProgramData(const TProgramData&) = delete;
    TProgramData& operator=(const TProgramData&) = delete;

    TProjectTables& Tables() const { return *m_tables; }

    // The unit-system switch: 1 English, 2 SI (other values are clamped to these); converts the
    // stored values and every project table (TProject::SetUnits also tells the open forms).
    void SetUnits(int32_t system);

    // false clears the modified flags of every table (the project keeps its own flag,
    // TProject::SetModified); true changes nothing here.
    void SetModified(bool modified);

    int32_t UnitSystem = 2;
    QString FileName;
    QString DrawingFileName;
    QString MassFileName;
    QString FoundationWord;
    QString LoadWord;
    int32_t FoundationCode = 1;
    QString ProjectTitle;
    long double LayerDepthTotal = 0;
    int32_t MassRowCount = 0;
    long double Mass = 0;
    long double Ixx = 0, Iyy = 0, Izz = 0;
    long double Ixy = 0, Ixz = 0, Iyz = 0;
    long double MassCentreX = 0, MassCentreY = 0, MassCentreZ = 0;
    long double Xc = 0, Yc = 0, Zc = 0;
    long double PileLength = 0;
    long double PileUnitWeight = 0;
    long double StaticLoad = 0;
    long double PilePoisson = 0;
    long double PileDamping = 0;
    long double ShearCoefficient = 0;
    long double BaseDepth = 0;
    long double BedrockDepth = 0;
    long double CGLocalX = 0, CGLocalY = 0, CGLocalZ = 0;
    long double CBGlobalX = 0, CBGlobalY = 0, CBGlobalZ = 0;
    long double CBLocalX = 0, CBLocalY = 0, CBLocalZ = 0;
    long double FreqMax = 0, FreqMin = 0, FreqStep = 0;
    long double Fx = 0, Fy = 0, Fz = 0;
    long double Mx = 0, My = 0, Mz = 0;
    long double LoadPointX = 0, LoadPointY = 0, LoadPointZ = 0;
    int32_t LoadPointRef = 0;
    long double TipVs = 0, TipUnitWeight = 0, TipDamping = 0, TipPoisson = 0;
    int32_t FixedHead = 1;
    int32_t ShapeCode = 0;
    int32_t EndBearing = 0;
    QString HeadConnectionText, TipConditionText, InteractionText;
    long double Radius = 0;
    long double LengthX = 0, WidthY = 0;
    long double DrawWidth = 0;
    long double Embedment = 0;
    long double PileModulus = 0;
    int32_t MatrixFlag = 1;
    int32_t LoadCode = 1;
    int32_t Interaction = 1;
    long double TimeStep = 0;
    long double RandomFreqMax = 0, RandomFreqMin = 0;
    long double ObservationPeriod = 0;
    int32_t PointCount = 0;
    int32_t LoadTypeCount = 0;
    int32_t QuadraticFlag = 0;
    uint8_t Battered = 0;
    uint8_t SideCapWeakZone = 0;
    uint8_t HalfSpaceWeakZone = 1;

private:
    TProjectTables* m_tables;
};

namespace DataUnit {

// The name of a project never saved.
inline const QString kNewFileName = QStringLiteral("NewData.tmx");

// Number text of the project files: at most 8 significant digits, "." as decimal point, the
// shortest text that shows the value ("62.8", "1E-7", "-1.2345678E12").
QString FormatValue(long double x);
// The length of a text.
int32_t TextLength(const QString& s);
// The 1-based position of the first "," in s, or its length + 1 when there is none.
int32_t FindComma(const QString& s);
// The 1-based position of the first blank in s, or its length + 1 when there is none.
int32_t FindBlank(const QString& s);

}  // namespace DataUnit
