// The project data object and the project tables: defaults of a new project, the unit-system
// switch of the data and of every table, the text routines and the table definitions.
#include "projectbuild.h"
#include "projectfile.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace build;

namespace {

void ExpectRelative(long double actual, long double expected, const char* what)
{
    if (expected == 0)
        EXPECT_EQ(actual, 0.0L) << what;
    else
        EXPECT_NEAR(static_cast<double>(actual / expected), 1.0, 1e-15) << what;
}

// Every value of every table, in order (sub-tables included).
void CollectCells(const TGridTable* table, std::vector<long double>& values)
{
    for (int r = 0; r < table->RowCount(); ++r)
        for (int c = 0; c < table->ColumnCount(); ++c) {
            const TColumn* column = table->GetColumn(c);
            if (dynamic_cast<const TTableColumn*>(column)) {
                if (const TGridTable* sub = table->Cell(c, r)->GetAsTable()) CollectCells(sub, values);
            } else if (dynamic_cast<const TFloatColumn*>(column)) {
                values.push_back(table->Cell(c, r)->GetAsFloat());
            } else {
                values.push_back(table->Cell(c, r)->GetAsInteger());
            }
        }
}

std::vector<long double> AllCells(const TProject& project)
{
    std::vector<long double> values;
    for (const TGridTable* table : project.Tables().All()) CollectCells(table, values);
    return values;
}

}  // namespace

TEST(ProgramData, NewProjectDefaults)
{
    int closed = 0;
    int refreshed = 0;
    std::vector<bool> modified;
    TProject project;
    QObject::connect(&project, &TProject::AboutToReplace, [&] { ++closed; });
    QObject::connect(&project, &TProject::UnitsChanged, [&] { ++refreshed; });
    QObject::connect(&project, &TProject::ModifiedSet, [&](bool m) { modified.push_back(m); });
    const TProgramData& d = project.Data();
    EXPECT_EQ(d.UnitSystem, 2);
    EXPECT_EQ(d.FileName, "NewData.tmx");
    EXPECT_EQ(d.ProjectTitle, "New Pile");
    EXPECT_EQ(d.FoundationWord, "HALF-SPACE");
    EXPECT_EQ(d.FoundationCode, 1);
    EXPECT_EQ(d.LoadCode, 1);
    EXPECT_EQ(d.MatrixFlag, 1);
    EXPECT_EQ(d.FixedHead, 1);
    EXPECT_EQ(d.Interaction, 1);
    EXPECT_EQ(d.EndBearing, 0);
    EXPECT_EQ(d.HalfSpaceWeakZone, 1);
    EXPECT_EQ(d.Battered, 0);
    EXPECT_EQ(d.SideCapWeakZone, 0);
    EXPECT_EQ(d.LoadPointRef, 0);
    EXPECT_EQ(d.ShapeCode, 0);
    EXPECT_TRUE(d.LoadWord.isEmpty());
    EXPECT_FALSE(project.IsModified());
    for (const TGridTable* table : project.Tables().All()) {
        EXPECT_EQ(table->RowCount(), table->MinRows()) << table->Caption().toStdString();
        EXPECT_EQ(table->UnitSystem(), 2) << table->Caption().toStdString();
    }

    // A project never saved is not written under its provisional name.
    EXPECT_THROW(project.Save(), EProjectError);
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("NewData.tmx")));

    // New after edits: a fresh project again, the child windows closed.
    Fill(project, Foundation::Pile, Load::Transient);
    project.SetModified(true);
    project.New();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(refreshed, 0) << "a new project is made in SI, not switched to it";
    EXPECT_EQ(modified, (std::vector<bool>{true, false}));
    EXPECT_EQ(project.Data().FoundationWord, "HALF-SPACE");
    EXPECT_EQ(project.Tables().PileData->RowCount(), 1);
    EXPECT_FALSE(project.IsModified());
}

TEST(ProgramData, UnitSwitchFactorsAndClamping)
{
    TProject project;
    TProgramData& d = project.Data();
    d.Radius = 1;
    d.Mass = 1;
    d.TipUnitWeight = 1;
    d.PileModulus = 1;
    d.Fx = 1;
    d.Mx = 1;
    d.Ixy = 1;
    d.PilePoisson = 0.3L;
    d.FreqMax = 10;
    d.MassCentreX = 2;
    d.Embedment = 3;
    project.Tables().D->Cell(0, 0)->SetAsFloat(100);
    project.Tables().D->Cell(2, 0)->SetAsFloat(0.3L);

    d.SetUnits(2);  // the system in force: nothing converts
    EXPECT_EQ(d.Radius, 1.0L);
    d.SetUnits(0);  // acts as 1
    EXPECT_EQ(d.UnitSystem, 1);
    ExpectRelative(d.Radius, 3.280839895L, "length");
    ExpectRelative(d.Mass, 68.364249L, "mass");
    ExpectRelative(d.TipUnitWeight, 224.8089237L / (3.280839895L * 3.280839895L * 3.280839895L), "unit weight");
    ExpectRelative(d.PileModulus, 224.8089237L / (3.280839895L * 3.280839895L), "modulus");
    ExpectRelative(d.Fx, 224.8089237L, "force");
    ExpectRelative(d.Mx, 224.8089237L * 3.280839895L, "moment");
    ExpectRelative(d.Ixy, 68.364249L * 3.280839895L * 3.280839895L, "product of inertia");
    EXPECT_EQ(d.PilePoisson, 0.3L);
    EXPECT_EQ(d.FreqMax, 10.0L);
    EXPECT_EQ(d.MassCentreX, 2.0L);
    EXPECT_EQ(d.Embedment, 3.0L);
    ExpectRelative(project.Tables().D->Cell(0, 0)->GetAsFloat(), 328.0839895L, "table velocity");
    EXPECT_EQ(project.Tables().D->Cell(2, 0)->GetAsFloat(), 0.3L);
    for (const TGridTable* table : project.Tables().All()) EXPECT_EQ(table->UnitSystem(), 1);

    d.SetUnits(7);  // acts as 2
    EXPECT_EQ(d.UnitSystem, 2);
    ExpectRelative(d.Radius, 1, "length back");

    // Quadratic loads are coefficients: mass times length, and mass times length squared.
    d.QuadraticFlag = 1;
    d.Fx = 1;
    d.Mx = 1;
    d.SetUnits(1);
    ExpectRelative(d.Fx, 68.364249L * 3.280839895L, "force coefficient");
    ExpectRelative(d.Mx, 68.364249L * 3.280839895L * 3.280839895L, "moment coefficient");
}

TEST(ProgramData, UnitSwitchOfAWholeProjectEnglishSiEnglish)
{
    for (Foundation f : {Foundation::HalfSpace, Foundation::Pile, Foundation::Stratum, Foundation::Multilayer}) {
        SCOPED_TRACE(Name(f));
        TProject project;
        Fill(project, f, f == Foundation::Pile ? Load::Transient : Load::Random, true);
        project.SetUnits(1);  // the values stand for English ones from here on
        const TProgramData& d = project.Data();
        std::vector<long double> fields;
        for (long double TProgramData::*m :
             {&TProgramData::Radius, &TProgramData::LengthX, &TProgramData::WidthY, &TProgramData::Xc,
              &TProgramData::Zc, &TProgramData::PileLength, &TProgramData::PileUnitWeight, &TProgramData::PileModulus,
              &TProgramData::StaticLoad, &TProgramData::Mass, &TProgramData::Iyz, &TProgramData::TipVs,
              &TProgramData::TipUnitWeight, &TProgramData::BaseDepth, &TProgramData::CGLocalY,
              &TProgramData::CBGlobalX, &TProgramData::TimeStep, &TProgramData::RandomFreqMax})
            fields.push_back(d.*m);
        const std::vector<long double> cells = AllCells(project);

        project.SetUnits(2);
        const std::vector<long double> si = AllCells(project);
        project.SetUnits(1);
        const std::vector<long double> back = AllCells(project);
        ASSERT_EQ(back.size(), cells.size());
        for (size_t i = 0; i < cells.size(); ++i) ExpectRelative(back[i], cells[i], "cell");
        size_t i = 0;
        for (long double TProgramData::*m :
             {&TProgramData::Radius, &TProgramData::LengthX, &TProgramData::WidthY, &TProgramData::Xc,
              &TProgramData::Zc, &TProgramData::PileLength, &TProgramData::PileUnitWeight, &TProgramData::PileModulus,
              &TProgramData::StaticLoad, &TProgramData::Mass, &TProgramData::Iyz, &TProgramData::TipVs,
              &TProgramData::TipUnitWeight, &TProgramData::BaseDepth, &TProgramData::CGLocalY,
              &TProgramData::CBGlobalX, &TProgramData::TimeStep, &TProgramData::RandomFreqMax})
            ExpectRelative(d.*m, fields[i++], "field");

        EXPECT_NE(si, cells);
    }
}

TEST(ProgramData, DimensionlessColumnsKeepTheirValuesInEveryTable)
{
    TProject project;
    TProjectTables& t = project.Tables();
    struct Column {
        TGridTable* table;
        int column;
    };
    const Column dimensionless[] = {{t.D, 2},         {t.D, 3},         {t.D, 4},          {t.D1, 3},
                                    {t.D1, 4},        {t.D1, 5},        {t.pilecapsoil, 3}, {t.pilecapsoil, 4},
                                    {t.pilecapsoil, 5}, {t.Multisoil, 2}, {t.Multisoil, 3},  {t.Multisoil, 4},
                                    {t.Multisoil, 5}, {t.Pilecoord, 2}, {t.TBattered, 1}};
    for (const Column& c : dimensionless) c.table->Cell(c.column, 0)->SetAsFloat(0.35L);
    project.SetUnits(1);
    project.SetUnits(2);
    project.SetUnits(1);
    for (const Column& c : dimensionless)
        EXPECT_EQ(c.table->Cell(c.column, 0)->GetAsFloat(), 0.35L) << c.table->Caption().toStdString() << " " << c.column;
}

TEST(ProgramData, TextRoutines)
{
    EXPECT_EQ(DataUnit::FindComma(QStringLiteral("2.5,3")), 4);
    EXPECT_EQ(DataUnit::FindComma(QStringLiteral("25")), 3);
    EXPECT_EQ(DataUnit::FindBlank(QString()), 1);
    EXPECT_EQ(DataUnit::FindBlank(QStringLiteral("12 5")), 3);
    EXPECT_EQ(DataUnit::TextLength(QStringLiteral("HALF-SPACE")), 10);
    EXPECT_EQ(DataUnit::FormatValue(0.1L + 0.2L), "0.3");
    EXPECT_EQ(DataUnit::FormatValue(123456789.0L), "1.2345679E8");
}

TEST(ProjectTables, Definitions)
{
    TProject project;
    const TProjectTables& t = project.Tables();
    struct Expected {
        TGridTable* table;
        int32_t identifier;
        const char* caption;
        int32_t maxRows;
        const char* topLeft;
        int columns;
    };
    const Expected tables[] = {
        {t.PileData, 3, "Pile Data", 200, "Layer No.", 7},
        {t.pilecapsoil, 4, "Side Weakened Soil Parameters", 20, "Layer #", 6},
        {t.Multisoil, 5, "Soil Column Layer", 20, "Layer #", 6},
        {t.Pilecoord, 7, "Pile Coordinations", 500, "Pile #", 4},
        {t.Dtransient, 8, "Load Amplitude", 1024, "Number", 1},
        {t.Trandom, 9, "Random Loading data", 100, "Number", 2},
        {t.D1, 11, "Soil Layer Data", 20, "", 6},
        {t.MassCal, 12, "Mass Components including equipment, and self weight of footing ", 30, "Mass #", 7},
        {t.Tspectrum, 13, "Random Spectrum Data", 200, "Number", 1},
        {t.TLoadtype, 14, "Transient Loading Data", 10, "Number", 2},
        {t.D, 15, "Soil Properties", 20, "Layer", 5},
        {t.TBattered, 16, "Battered Pile Data", 0, "Number", 2},
        {t.MultiElement, 19, "Multi-Layer Foundation", 20, "Layer #", 7},
    };
    ASSERT_EQ(t.All().size(), 13);
    for (const Expected& e : tables) {
        SCOPED_TRACE(e.caption);
        EXPECT_EQ(e.table->Identifier(), e.identifier);
        EXPECT_EQ(e.table->Caption(), e.caption);
        EXPECT_EQ(e.table->MaxRows(), e.maxRows);
        EXPECT_EQ(e.table->TopLeft(), e.topLeft);
        EXPECT_EQ(e.table->ColumnCount(), e.columns);
        EXPECT_EQ(e.table->MinRows(), 1);
        EXPECT_EQ(e.table->HardwiredButton(), e.table != t.MassCal);
        EXPECT_EQ(t.ByIdentifier(e.identifier), e.table);
    }
    EXPECT_FALSE(t.Multisoil->GetColumn(5)->Visible());
    // The last caption line carries the units of the current system.
    auto units = [](const TGridTable* table, int column) {
        const TColumn* c = table->GetColumn(column);
        return c->GetCaptionLine(c->CaptionLineCount() - 1).toStdString();
    };
    EXPECT_EQ(units(t.D, 0), "velocity,  (m/SEC)  ");
    EXPECT_EQ(units(t.D, 1), " (kN/m^3)  ");
    EXPECT_EQ(units(t.PileData, 4), "(X-dir.) (m^4)  ");
    EXPECT_EQ(units(t.MassCal, 0), "Mass (Mg)  ");
    EXPECT_EQ(units(t.D, 2), "ratio");
    EXPECT_EQ(static_cast<TEnumColumn*>(t.Trandom->GetColumn(0))->Items().first(), "Force in X-directiin");
    EXPECT_EQ(static_cast<TEnumColumn*>(t.Pilecoord->GetColumn(3))->Items(), QStringList({"XZ-Plane", "YZ-Plane"}));
    project.SetUnits(1);
    EXPECT_EQ(units(t.D, 0), "velocity,  (ft/SEC)  ");
    EXPECT_EQ(units(t.MassCal, 0), "Mass (slug)  ");

    // A new load or spectrum row has its own table of values with one row.
    for (TGridTable* loads : {t.TLoadtype, t.Trandom}) {
        loads->SetRowCount(2);
        TGridTable* first = loads->Cell(1, 0)->GetAsTable();
        TGridTable* second = loads->Cell(1, 1)->GetAsTable();
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_NE(first, second);
        EXPECT_EQ(second->RowCount(), 1);
        EXPECT_EQ(second->TemplateTable(), loads == t.TLoadtype ? t.Dtransient : t.Tspectrum);
        EXPECT_EQ(second->UnitSystem(), 1);
    }
}
