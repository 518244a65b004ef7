#include "dataunit.h"

#include "projecttables.h"
#include "util/numtext.h"

namespace {

// English units per SI unit used by the project's own values (the tables convert by their
// unit templates with the same three factors).
constexpr long double kForcePerSi = 224.8089237L;   // lbs per kN
constexpr long double kLengthPerSi = 3.280839895L;  // ft per m
constexpr long double kMassPerSi = 68.364249L;      // slug per Mg

}  // namespace

TProgramData::TProgramData(TProjectTables& tables, const TProjectHooks* hooks) : m_tables(&tables), m_hooks(hooks)
{
    if (m_hooks && m_hooks->CloseAllChildren) m_hooks->CloseAllChildren();
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
    if (m_hooks && m_hooks->SetModified) m_hooks->SetModified(modified);
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

        for (long double* v : {&Radius, &LengthX, &WidthY, &DrawWidth, &Xc, &Yc, &Zc, &CGLocalX, &CGLocalY, &CGLocalZ,
                               &CBLocalX, &CBLocalY, &CBLocalZ, &CBGlobalX, &CBGlobalY, &CBGlobalZ, &BaseDepth,
                               &BedrockDepth, &TipVs, &LoadPointX, &LoadPointY, &LoadPointZ, &PileLength})
            *v *= length;
        TipUnitWeight *= unitWeight;
        PileUnitWeight *= unitWeight;
        const long double forceFactor = QuadraticFlag == 1 ? mass * length : force;
        const long double momentFactor = QuadraticFlag == 1 ? mass * length * length : force * length;
        for (long double* v : {&Fx, &Fy, &Fz}) *v *= forceFactor;
        for (long double* v : {&Mx, &My, &Mz}) *v *= momentFactor;
        PileModulus *= force / (length * length);
        StaticLoad *= force;
        Mass *= mass;
        for (long double* v : {&Ixx, &Iyy, &Izz, &Ixy, &Ixz, &Iyz}) *v *= mass * length * length;
        UnitSystem = system;
    }
    m_tables->SetUnits(system);
    if (m_hooks && m_hooks->RefreshOpenForms) m_hooks->RefreshOpenForms();
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
