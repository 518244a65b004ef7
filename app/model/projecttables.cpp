#include "projecttables.h"

const QString TProjectTables::kForceSpectrum = QStringLiteral("F^2-F5/L3");
const QString TProjectTables::kMomentSpectrum = QStringLiteral("F^2-L2^2-F5/L3");

namespace {

QString S(const char* text) { return QString::fromLatin1(text); }

QStringList Lines(std::initializer_list<const char*> lines)
{
    QStringList list;
    for (const char* line : lines) list << QString::fromLatin1(line);
    return list;
}

const QStringList& LoadItems(bool random)
{
    // The random table's first item is spelt as the program has always shown it.
    static const QStringList transient = Lines({"Force in X-direction", "Force in Y-direction", "Force in Z-direction",
                                                "Moment about X-axis", "Moment about Y-axis", "Moment about Z-axis"});
    static const QStringList spectrum = Lines({"Force in X-directiin", "Force in Y-direction", "Force in Z-direction",
                                               "Moment about X-axis", "Moment about Y-axis", "Moment about Z-axis"});
    return random ? spectrum : transient;
}

// New rows of the soil tables start without a weak zone: a ratio of 1 is the soil as it is,
// while 0 would take all its stiffness away (and cannot be computed).
constexpr long double kNoWeakening = 1.0L;

}  // namespace

TGridTable* TProjectTables::Make(int32_t identifier, const QString& caption, int32_t maxRows, const QString& topLeft)
{
    auto table = std::make_unique<TGridTable>();
    table->SetIdentifier(identifier);
    table->SetCaption(caption);
    table->SetMaxRows(maxRows);
    table->SetMinRows(1);
    table->SetRowGroup(1);
    table->SetTopLeft(topLeft);
    table->SetHardwiredButton(identifier != kMassCal);
    TGridTable* raw = table.get();
    m_owned.push_back(std::move(table));
    return raw;
}

TProjectTables::TProjectTables()
{
    // The two templates come first, so that the tables made from them find them.
    // The load tables and their templates hold what the engine takes: 1024 transient points and 10
    // transient loads, 200 random points and 100 spectra.
    Dtransient = Make(kDtransient, S("Load Amplitude"), kMaxTransientPoints, S("Number"));
    Dtransient->AddFloatColumn(Lines({"Load Amplitude"}), S("F"));
    Tspectrum = Make(kTspectrum, S("Random Spectrum Data"), kMaxRandomPoints, S("Number"));
    // A spectral density: the square of its amplitude per circular frequency (force squared x
    // s/rad; a moment spectrum's rows take the moment's square, MarkMomentAmplitudes).
    Tspectrum->AddFloatColumn(Lines({"Spectrum Data"}), kForceSpectrum);

    PileData = Make(kPileData, S("Pile Data"), 200, S("Layer No."));
    PileData->AddFloatColumn(Lines({"Layer ", "depth, "}), S("L2"));
    PileData->AddFloatColumn(Lines({"Radius of pile", "(X-dir.) "}), S("L2"));
    PileData->AddFloatColumn(Lines({"Radius of pile", "(Y-dir.)"}), S("L2"));
    PileData->AddFloatColumn(Lines({"Cross-sectional", "area, "}), S("L2^2"));
    PileData->AddFloatColumn(Lines({"Moment of inertia", "(X-dir.)"}), S("L2^4"));
    PileData->AddFloatColumn(Lines({"Moment of inertia", "(Y-dir.)"}), S("L2^4"));
    PileData->AddFloatColumn(Lines({"Torsional polar moment", "of inertia (Z-dir.)"}), S("L2^4"));

    pilecapsoil = Make(kPilecapsoil, S("Side Weakened Soil Parameters"), 20, S("Layer #"));
    pilecapsoil->AddFloatColumn(Lines({"Thickness of", "layer, "}), S("L2"));
    pilecapsoil->AddFloatColumn(Lines({"Shear wave", "velocity, "}), S("L2/SEC"));
    pilecapsoil->AddFloatColumn(Lines({"Unit weight", ""}), S("F/L2^3"));
    pilecapsoil->AddFloatColumn(Lines({"Poisson's", "ratio"}));
    pilecapsoil->AddFloatColumn(Lines({"Material", "damping"}));
    pilecapsoil->AddFloatColumn(Lines({"Weak zone", "shear moduli ratio"}))->SetDefaultValue(kNoWeakening);

    Multisoil = Make(kMultisoil, S("Soil Column Layer"), 20, S("Layer #"));
    Multisoil->AddFloatColumn(Lines({"Shear Wave", "velocity,"}), S("L2/SEC"));
    Multisoil->AddFloatColumn(Lines({"Unit Weight", ""}), S("F/L2^3"));
    Multisoil->AddFloatColumn(Lines({"Poisson's", "Ratio"}));
    Multisoil->AddFloatColumn(Lines({"Material", "Damping"}));
    Multisoil->AddFloatColumn(Lines({"Weak Zone Shear ", "Modulus Ratio"}))->SetDefaultValue(kNoWeakening);
    Multisoil->AddFloatColumn(Lines({"Material Damping", "Ratio"}), QString(), false);

    Pilecoord = Make(kPilecoord, S("Pile Coordinations"), 500, S("Pile #"));
    Pilecoord->AddFloatColumn(Lines({"X-coord."}), S("L2"));
    Pilecoord->AddFloatColumn(Lines({"Y-coord."}), S("L2"));
    Pilecoord->AddFloatColumn(Lines({"Battered Angle", "(degrees)"}));
    Pilecoord->AddEnumColumn(Lines({"Battered Plane", "(Z-vertical axis)"}), Lines({"XZ-Plane", "YZ-Plane"}));

    Trandom = Make(kTrandom, S("Random Loading data"), kMaxSpectra, S("Number"));
    Trandom->AddEnumColumn(Lines({"Spectrum Coordinates"}), LoadItems(true));
    Trandom->AddTableColumn(Lines({"Enter Data"}), kTspectrum);

    D1 = Make(kD1, S("Soil Layer Data"), 20, QString());
    D1->AddFloatColumn(Lines({"Thickness", ""}), S("L2"));
    D1->AddFloatColumn(Lines({"Shear Wave", "Velocity,"}), S("L2/SEC"));
    D1->AddFloatColumn(Lines({"Unit Weight", ""}), S("F/L2^3"));
    D1->AddFloatColumn(Lines({"Poisson's", "Ratio"}));
    D1->AddFloatColumn(Lines({"Material", "Damping"}));
    D1->AddFloatColumn(Lines({"Weak Zone Shear", "Modulus Ratio"}))->SetDefaultValue(kNoWeakening);

    MassCal = Make(kMassCal, S("Mass Components including equipment, and self weight of footing "), 30, S("Mass #"));
    MassCal->AddFloatColumn(Lines({"Mass"}), S("F6"));
    MassCal->AddFloatColumn(Lines({"x-Coord."}), S("L2"));
    MassCal->AddFloatColumn(Lines({"y-Coord."}), S("L2"));
    MassCal->AddFloatColumn(Lines({"z-Coord."}), S("L2"));
    MassCal->AddFloatColumn(Lines({"Length ", "(x-direction)"}), S("L2"));
    MassCal->AddFloatColumn(Lines({"Width ", "(y-direction)"}), S("L2"));
    MassCal->AddFloatColumn(Lines({"Thickness", "(z-direction)"}), S("L2"));

    TLoadtype = Make(kTLoadtype, S("Transient Loading Data"), kMaxTransientLoads, S("Number"));
    TLoadtype->AddEnumColumn(Lines({"Load type"}), LoadItems(false));
    TLoadtype->AddTableColumn(Lines({"Load amplitude"}), kDtransient);

    D = Make(kD, S("Soil Properties"), 20, S("Layer"));
    D->AddFloatColumn(Lines({"Shear wave", "velocity, "}), S("L2/SEC"));
    D->AddFloatColumn(Lines({"Unit weight", ""}), S("F/L2^3"));
    D->AddFloatColumn(Lines({"Poisson's", "ratio"}));
    D->AddFloatColumn(Lines({"Material", "damping"}));
    D->AddFloatColumn(Lines({"Weak zone shear", "modulus ratio"}))->SetDefaultValue(kNoWeakening);
    // The advice under the soil table, with every set of tables (a new or opened project too);
    // "\r" separates its lines.
    D->SetComments(S("Weak Zone Shear Moduli Ratio is suggested to be:\r- 0.25 to 0.50 for machine "
                     "foundations,\r- less than 0.25 for seismic response.\rA value of 1 indicates no "
                     "reduction will be considered\rA value of 0 may generate numerical errors."));

    TBattered = Make(kTBattered, S("Battered Pile Data"), 0, S("Number"));
    TBattered->AddEnumColumn(Lines({"Batter Plane", "(Z-vertical axis)"}), Lines({"XZ-Plane", "YZ-Plane"}));
    TBattered->AddFloatColumn(Lines({"Batter Angle", "", ""}), S("DEGREES"));

    MultiElement = Make(kMultiElement, S("Multi-Layer Foundation"), 20, S("Layer #"));
    MultiElement->AddFloatColumn(Lines({"Layer Depth", ""}), S("L2"));
    MultiElement->AddFloatColumn(Lines({"Radius of Foundation", "(X), "}), S("L2"));
    MultiElement->AddFloatColumn(Lines({"Radius of Foundation", "(Y), "}), S("L2"));
    MultiElement->AddFloatColumn(Lines({"Cross-Section", "Area"}), S("L2^2"));
    MultiElement->AddFloatColumn(Lines({"Moment of Inertia", "(X), "}), S("L2^4"));
    MultiElement->AddFloatColumn(Lines({"Moment of Inertia", "(Y),"}), S("L2^4"));
    // The polar moment of the shaft's section, a length^4 as the pile's.
    MultiElement->AddFloatColumn(Lines({"Torsional", "Coefficient"}), S("L2^4"));

    m_all = {PileData, pilecapsoil, Multisoil, Pilecoord, Dtransient, Trandom, D1,
             MassCal,  Tspectrum,   TLoadtype, D,         TBattered,  MultiElement};
    // A row's table of values takes its units when it is made (a new row, another item), so
    // that its header shows them before any switch.
    for (TGridTable* loads : {TLoadtype, Trandom})
        if (auto* values = dynamic_cast<TTableColumn*>(loads->GetColumn(1)))
            values->OnSubTableMade = [this, loads](int, int item, TGridTable* sub) { MarkMomentAmplitude(loads, item, sub); };
    SetUnits(2);
    ResetRows();
    SetModified(false);
}

TProjectTables::~TProjectTables()
{
    // The tables with sub-tables go before their templates.
    TLoadtype->SetRowCount(0);
    Trandom->SetRowCount(0);
}

TGridTable* TProjectTables::ByIdentifier(int32_t identifier) const
{
    for (TGridTable* table : m_all)
        if (table->Identifier() == identifier) return table;
    return nullptr;
}

long double TProjectTables::ShaftRadius(int row) const
{
    if (row < 0 || row >= MultiElement->RowCount() || MultiElement->ColumnCount() < 3) return 0;
    return 0.5L * (MultiElement->Cell(1, row)->GetAsFloat() + MultiElement->Cell(2, row)->GetAsFloat());
}

int32_t TProjectTables::RowLimit(const TGridTable* table)
{
    return table->MaxRows() > 0 ? table->MaxRows() : kUnlimitedRows;
}

void TProjectTables::ClaimIdentifiers()
{
    static const int32_t identifiers[] = {kPileData,  kPilecapsoil, kMultisoil, kPilecoord, kDtransient,
                                          kTrandom,   kD1,          kMassCal,   kTspectrum, kTLoadtype,
                                          kD,         kTBattered,   kMultiElement};
    for (int i = 0; i < m_all.size(); ++i) m_all[i]->SetIdentifier(identifiers[i]);
}

void TProjectTables::MarkMomentAmplitude(const TGridTable* loads, int32_t code, TGridTable* values) const
{
    auto* column = values && values->ColumnCount() > 0 ? dynamic_cast<TFloatColumn*>(values->GetColumn(0)) : nullptr;
    if (!column) return;
    const bool moment = code >= kFirstMomentCode && code <= kLastMomentCode;
    if (loads == Trandom)
        column->SetUnitTemplate(moment ? kMomentSpectrum : kForceSpectrum);
    else
        column->SetUnitTemplate(moment ? S("F-L2") : S("F"));
}

void TProjectTables::MarkMomentAmplitudes()
{
    for (TGridTable* loads : {TLoadtype, Trandom})
        for (int r = 0; r < loads->RowCount(); ++r)
            MarkMomentAmplitude(loads, loads->Cell(0, r)->GetAsInteger(), loads->Cell(1, r)->GetAsTable());
}

void TProjectTables::CheckUnits(int unitSystem) const
{
    for (const TGridTable* table : m_all) table->CheckUnits(unitSystem);
}

void TProjectTables::SetUnits(int unitSystem)
{
    MarkMomentAmplitudes();
    // All tables or none.
    CheckUnits(unitSystem);
    for (TGridTable* table : m_all) table->SetUnits(unitSystem);
}

void TProjectTables::ResetRows()
{
    for (TGridTable* table : m_all) {
        table->SetRowCount(0);
        table->SetRowCount(table->MinRows());
    }
}

void TProjectTables::ClearRows()
{
    for (TGridTable* table : m_all) table->SetRowCount(0);
}

void TProjectTables::RaiseToMinRows()
{
    for (TGridTable* table : m_all)
        if (table->RowCount() < table->MinRows()) table->SetRowCount(table->MinRows());
}

bool TProjectTables::IsModified() const
{
    for (const TGridTable* table : m_all)
        if (table->IsModified()) return true;
    return false;
}

void TProjectTables::SetModified(bool modified)
{
    for (TGridTable* table : m_all) table->SetModified(modified);
}
