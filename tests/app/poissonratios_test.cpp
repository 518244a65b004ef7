// Poisson's ratios of the soils: a ratio above 0.5 or at or below -1 (no soil has one) is
// refused where it is typed into a soil table, and found before a run exactly where the project
// file gives it to the analysis, which refuses it too.
#include "poissonratios.h"
#include "projectbuild.h"
#include "projectfile.h"

#include "engine_harness.h"
#include "entry/misc.h"

#include <gtest/gtest.h>

using namespace build;

namespace {

// The Poisson's ratio columns of the soil tables.
struct TRatioColumn {
    TGridTable* TProjectTables::*table;
    int column;
    const char* place;  // as the message names row 1
};
const TRatioColumn kColumns[] = {
    {&TProjectTables::D, 2, "Soil Properties: Poisson's ratio, row 1"},
    {&TProjectTables::D1, 3, "Soil Layer Data: Poisson's Ratio, row 1"},
    {&TProjectTables::pilecapsoil, 3, "Side Weakened Soil Parameters: Poisson's ratio, row 1"},
    {&TProjectTables::Multisoil, 2, "Soil Column Layer: Poisson's Ratio, row 1"},
};

const Foundation kFoundations[] = {Foundation::HalfSpace, Foundation::Pile, Foundation::Stratum,
                                   Foundation::Multilayer};

}  // namespace

TEST(PoissonRatios, EverySoilTableRefusesARatioNoSoilHasWhereItIsTyped)
{
    for (Foundation f : kFoundations) {
        TProject project;
        Fill(project, f, Load::Harmonic);
        for (const TRatioColumn& c : kColumns) {
            TGridTable* table = project.Tables().*c.table;
            SCOPED_TRACE(std::string(Name(f)) + ", " + table->Caption().toStdString());
            EXPECT_EQ(PoissonRatios::RatioColumn(project.Data(), table), c.column);
            if (table->RowCount() == 0) table->SetRowCount(1);
            table->Cell(c.column, 0)->SetAsFloat(0.3L);
            for (const char* text : {"0.6", "0.75", "1", "0.5000001", "0.5+1e-15", "-1", "-2", "1e300"}) {
                SCOPED_TRACE(text);
                try {
                    table->GetColumn(c.column)->SetText(0, QString::fromLatin1(text));
                    ADD_FAILURE() << "taken";
                } catch (const EAssignError& e) {
                    EXPECT_EQ(e.message(), PoissonRatios::RefusalText());
                }
                EXPECT_EQ(table->Cell(c.column, 0)->GetAsFloat(), 0.3L) << "the refused entry is not stored";
            }
            for (const char* text : {"0.5", "0.499", "0", "-0.5", "-0.999"}) {
                SCOPED_TRACE(text);
                EXPECT_NO_THROW(table->GetColumn(c.column)->SetText(0, QString::fromLatin1(text)));
                EXPECT_EQ(table->Cell(c.column, 0)->GetAsFloat(), Misc::EvaluateExpression(QString::fromLatin1(text)));
            }
        }
    }
    EXPECT_TRUE(PoissonRatios::RefusalText().contains(QStringLiteral("greater than -1 and less than or equal to 0.5")));
}

TEST(PoissonRatios, TheOtherColumnsOfTheSoilTablesAreNotChecked)
{
    TProject project;
    Fill(project, Foundation::Pile, Load::Harmonic);
    // The unit weight beside the ratio, and the weak-zone ratio (its own check allows 0.7).
    EXPECT_NO_THROW(project.Tables().D->GetColumn(1)->SetText(0, QStringLiteral("0.75")));
    EXPECT_NO_THROW(project.Tables().D->GetColumn(4)->SetText(0, QStringLiteral("0.75")));
    EXPECT_EQ(PoissonRatios::RatioColumn(project.Data(), project.Tables().PileData), -1);
}

// Before a run: a ratio of 0.6 in each place the project file gives the analysis is found and
// named, and the engine refuses the saved deck for it; in a table the foundation type does not
// write it is no obstacle, and the saved deck runs.
TEST(PoissonRatios, ARatioNoSoilHasIsFoundBeforeARunWhereTheAnalysisGetsIt)
{
    struct Case {
        Foundation foundation;
        TGridTable* TProjectTables::*table;  // none: the field of the soil below
        bool refused;
        const char* engine;  // the engine's name of the place
    } cases[] = {
        {Foundation::HalfSpace, &TProjectTables::D1, true, "POISSONS RATIO OF SIDE LAYER 1"},
        {Foundation::HalfSpace, nullptr, true, "POISSONS RATIO OF THE HALF-SPACE"},
        {Foundation::HalfSpace, &TProjectTables::D, false, ""},
        {Foundation::HalfSpace, &TProjectTables::pilecapsoil, false, ""},
        {Foundation::Pile, &TProjectTables::D, true, "POISSONS RATIO OF LAYER 1"},
        {Foundation::Pile, &TProjectTables::pilecapsoil, true, "POISSONS RATIO OF SIDE LAYER 1"},
        {Foundation::Pile, nullptr, true, "POISSONS RATIO OF THE SOIL BELOW"},
        {Foundation::Pile, &TProjectTables::D1, false, ""},
        {Foundation::Pile, &TProjectTables::Multisoil, false, ""},
        {Foundation::Stratum, nullptr, true, "POISSONS RATIO OF THE STRATUM"},
        {Foundation::Stratum, &TProjectTables::D1, false, ""},
        {Foundation::Multilayer, &TProjectTables::D, true, "POISSONS RATIO OF LAYER 1"},
        {Foundation::Multilayer, &TProjectTables::Multisoil, true, "POISSONS RATIO OF LAYER 3"},
        {Foundation::Multilayer, nullptr, true, "POISSONS RATIO OF THE SOIL BELOW"},
        {Foundation::Multilayer, &TProjectTables::D1, false, ""},
    };
    for (const Case& c : cases) {
        TProject project;
        Fill(project, c.foundation, Load::Harmonic);
        TProgramData& d = project.Data();
        TGridTable* table = c.table ? project.Tables().*c.table : nullptr;
        SCOPED_TRACE(std::string(Name(c.foundation)) + ", " +
                     (table ? table->Caption().toStdString() : std::string("soil below")));
        EXPECT_FALSE(PoissonRatios::FirstRefused(d).has_value()) << "the project as filled";
        if (table) {
            if (table->RowCount() == 0) table->SetRowCount(1);
            table->Cell(PoissonRatios::RatioColumn(d, table), 0)->SetAsFloat(0.6L);
        } else {
            d.TipPoisson = 0.6L;
        }
        const auto refused = PoissonRatios::FirstRefused(d);
        ASSERT_EQ(refused.has_value(), c.refused);
        if (refused) {
            EXPECT_EQ(refused->table, table);
            EXPECT_EQ(refused->row, 0);
            if (!table) {
                EXPECT_EQ(PoissonRatios::Place(*refused), QStringLiteral("Soil Below The Footing: Poisson's ratio"));
            }
        }
        // What the analysis makes of the saved project.
        project.SaveAs(TempFolder("poisson-case") + QStringLiteral("/p.tmx"));
        harness::RunOptions options;
        options.mass_file = Text(ReadBytes(d.MassFileName));
        const harness::EngineRun run = harness::run_engine(Text(ReadBytes(d.FileName)), options);
        if (c.refused) {
            EXPECT_EQ(run.result, 3);
            EXPECT_NE(run.report.find(" *** " + std::string(c.engine) + " MUST BE ABOVE -1 AND AT MOST 0.5, NOT 0.6 ***"),
                      std::string::npos)
                << run.report.substr(run.report.size() > 1500 ? run.report.size() - 1500 : 0);
        } else {
            EXPECT_EQ(run.result, 0) << run.report.substr(run.report.size() > 1500 ? run.report.size() - 1500 : 0);
        }
    }
}

TEST(PoissonRatios, TheMessageNamesTableColumnAndRow)
{
    for (const TRatioColumn& c : kColumns) {
        TProject project;
        TGridTable* table = project.Tables().*c.table;
        if (table->RowCount() == 0) table->SetRowCount(1);
        EXPECT_EQ(PoissonRatios::Place({table, c.column, 0}), QString::fromLatin1(c.place));
    }
    TProject project;
    Fill(project, Foundation::Pile, Load::Harmonic);
    project.Tables().D->Cell(2, 2)->SetAsFloat(-1);
    const auto place = PoissonRatios::FirstRefused(project.Data());
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(PoissonRatios::Place(*place), QStringLiteral("Soil Properties: Poisson's ratio, row 3"));
}

TEST(PoissonRatios, HalfAndNegativeRatiosAboveMinus1AreKept)
{
    for (long double nu : {0.5L, -0.5L, -0.999L}) {
        TProject project;
        Fill(project, Foundation::Multilayer, Load::Harmonic);
        TProjectTables& t = project.Tables();
        t.D->Cell(2, 0)->SetAsFloat(nu);
        t.Multisoil->Cell(2, 0)->SetAsFloat(nu);
        project.Data().TipPoisson = nu;
        EXPECT_FALSE(PoissonRatios::FirstRefused(project.Data()).has_value()) << double(nu);
    }
}
