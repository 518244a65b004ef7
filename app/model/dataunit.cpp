#include "dataunit.h"

#include "projecttables.h"
#include "util/numtext.h"

#include <cmath>
#include <utility>
#include <vector>

namespace {

// English units per SI unit used by the project's own values (the tables convert by their
// unit templates with the same three factors).
constexpr long double kForcePerSi = 224.8089237L;   // lbs per kN
constexpr long double kLengthPerSi = 3.280839895L;  // ft per m
constexpr long double kMassPerSi = 68.364249L;      // slug per Mg

}  // namespace

TProgramData::TProgramData(TProjectTables& tables) : m_tables(&tables)
{
    FileName = DataUnit::kNewFileName;
    UnitSystem = 1;
    ProjectTitle = QStringLiteral("New Pile");
    SetUnits(2);
    LoadCode = 1;
    FoundationCode = 1;
    FoundationWord = QStringLiteral("HALF-SPACE");
    FixedHead = 1;
    MatrixFlag = 1;
    EndBearing = 0;
    Interaction = 1;
    Embedment = 0;
    m_tables->ResetRows();
    SetModified(false);
    Battered = 0;
    SideCapWeakZone = 0;
    HalfSpaceWeakZone = 1;
    LoadPointRef = 0;
}

void TProgramData::SetModified(bool modified)
{
    if (!modified) m_tables->SetModified(false);
}

void TProgramData::SetUnits(int32_t system)
{
    if (system > 2) system = 2;
    if (system < 1) system = 1;
    if (system != UnitSystem) {
        const bool english = system == 1;
        const long double force = english ? kForcePerSi : 1.0L / kForcePerSi;
        const long double length = english ? kLengthPerSi : 1.0L / kLengthPerSi;
        const long double mass = english ? kMassPerSi : 1.0L / kMassPerSi;
        const long double unitWeight = force / (length * length * length);
        const long double forceFactor = QuadraticFlag == 1 ? mass * length : force;
        const long double momentFactor = QuadraticFlag == 1 ? mass * length * length : force * length;

        std::vector<std::pair<long double*, long double>> values;
        for (long double* v : {&Radius, &LengthX, &WidthY, &DrawWidth, &Xc, &Yc, &Zc, &CGLocalX, &CGLocalY, &CGLocalZ,
                               &CBLocalX, &CBLocalY, &CBLocalZ, &CBGlobalX, &CBGlobalY, &CBGlobalZ, &BaseDepth,
                               &BedrockDepth, &TipVs, &LoadPointX, &LoadPointY, &LoadPointZ, &PileLength})
            values.emplace_back(v, length);
        values.emplace_back(&TipUnitWeight, unitWeight);
        values.emplace_back(&PileUnitWeight, unitWeight);
        for (long double* v : {&Fx, &Fy, &Fz}) values.emplace_back(v, forceFactor);
        for (long double* v : {&Mx, &My, &Mz}) values.emplace_back(v, momentFactor);
        values.emplace_back(&PileModulus, force / (length * length));
        values.emplace_back(&StaticLoad, force);
        values.emplace_back(&Mass, mass);
        for (long double* v : {&Ixx, &Iyy, &Izz, &Ixy, &Ixz, &Iyz}) values.emplace_back(v, mass * length * length);

        // Nothing changes unless every value, here and in the tables, stays a finite number.
        for (const auto& [v, factor] : values)
            if (!std::isfinite(*v * factor))
                throw Exception(QStringLiteral("The units were not switched: the value %1 of the project data is "
                                               "too large for the new units.")
                                    .arg(DataUnit::FormatValue(*v)));
        m_tables->CheckUnits(system);
        for (const auto& [v, factor] : values) *v *= factor;
        UnitSystem = system;
    }
    m_tables->SetUnits(system);
}

namespace DataUnit {

QString FormatValue(long double x) { return NumText::FloatToStrGeneral(x, 8); }

int32_t TextLength(const QString& s) { return static_cast<int32_t>(s.size()); }

int32_t FindComma(const QString& s)
{
    const qsizetype i = s.indexOf(QLatin1Char(','));
    return static_cast<int32_t>(i < 0 ? s.size() + 1 : i + 1);
}

int32_t FindBlank(const QString& s)
{
    const qsizetype i = s.indexOf(QLatin1Char(' '));
    return static_cast<int32_t>(i < 0 ? s.size() + 1 : i + 1);
}

}  // namespace DataUnit
