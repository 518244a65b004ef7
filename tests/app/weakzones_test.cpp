// Weak-zone ratios: new rows start without a weak zone, and a ratio that is not above 0 is
// refused exactly where the project file gives its row a weak zone of non-zero thickness.
#include "projectbuild.h"
#include "projectfile.h"
#include "weakzones.h"

#include "engine_harness.h"
#include "entry/misc.h"

#include <gtest/gtest.h>

using namespace build;


TEST(WeakZones, NewRowsOfEverySoilTableStartWithoutAWeakZone)
{
    TProject project;
    const TProjectTables& t = project.Tables();
    const struct {
        TGridTable* table;
        int column;
    } ratios[] = {{t.D, 4}, {t.D1, 5}, {t.pilecapsoil, 5}, {t.Multisoil, 4}};
    for (const auto& r : ratios) {
        r.table->SetRowCount(3);
        for (int row = 0; row < 3; ++row)
            EXPECT_EQ(r.table->Cell(r.column, row)->GetAsFloat(), 1.0L) << r.table->Caption().toStdString() << " " << row;
        // Every other column of a new row still starts at 0.
        for (int c = 0; c < r.table->ColumnCount(); ++c)
            if (c != r.column && r.table->GetColumn(c)->Visible()) {
                EXPECT_EQ(r.table->Cell(c, 2)->GetAsFloat(), 0.0L) << r.table->Caption().toStdString() << " " << c;
            }
    }
}

TEST(WeakZones, ARatioNotAbove0IsRefusedWhereItsRowHasAWeakZone)
{
    struct Case {
        const char* what;
        Foundation foundation;
        // Which table and row get the ratio, and the table's weak-zone switch before the save.
        TGridTable* TProjectTables::*table;
        int row;
        long double ratio;
        int switchOn;  // -1 leaves the project's switch as Fill makes it
        bool refused;
    } cases[] = {
        {"pile layer 0", Foundation::Pile, &TProjectTables::D, 0, 0.0L, -1, true},
        {"pile layer -0.2", Foundation::Pile, &TProjectTables::D, 2, -0.2L, -1, true},
        {"pile layer 1e-9", Foundation::Pile, &TProjectTables::D, 1, 1e-9L, -1, false},
        {"pile layer 1", Foundation::Pile, &TProjectTables::D, 1, 1.0L, -1, false},
        {"shaft layer 0", Foundation::Multilayer, &TProjectTables::D, 1, 0.0L, -1, true},
        // A half-space project's D rows are not written.
        {"half-space D 0", Foundation::HalfSpace, &TProjectTables::D, 0, 0.0L, -1, false},
        {"side layer 0 with the weak zone on", Foundation::HalfSpace, &TProjectTables::D1, 1, 0.0L, 1, true},
        // The other side layer (0.6) switches the weak zone on at the save.
        {"side layer 0, switched on by the other", Foundation::HalfSpace, &TProjectTables::D1, 1, 0.0L, 0, true},
        // A stratum's layers carry no weak zone.
        {"stratum layer 0", Foundation::Stratum, &TProjectTables::D1, 0, 0.0L, 1, false},
        {"cap side soil 0, weak zone on", Foundation::Pile, &TProjectTables::pilecapsoil, 0, 0.0L, 1, true},
        // Alone in its table, a ratio of 0 is how older projects left the cap without a weak zone.
        {"cap side soil 0, weak zone off", Foundation::Pile, &TProjectTables::pilecapsoil, 0, 0.0L, 0, false},
        {"cap side soil -1, weak zone off", Foundation::Pile, &TProjectTables::pilecapsoil, 0, -1.0L, 0, true},
    };
    for (const Case& c : cases) {
        TProject project;
        Fill(project, c.foundation, Load::Harmonic);
        TProgramData& d = project.Data();
        TGridTable* table = project.Tables().*c.table;
        const int column = WeakZones::RatioColumn(d, table);
        ASSERT_GE(column, 0) << c.what;
        if (c.table == &TProjectTables::D1 && c.switchOn == 0) {
            d.HalfSpaceWeakZone = 0;
        } else if (c.table == &TProjectTables::D1 && c.switchOn == 1) {
            d.HalfSpaceWeakZone = 1;
        } else if (c.table == &TProjectTables::pilecapsoil) {
            d.SideCapWeakZone = uint8_t(c.switchOn);
        }
        table->Cell(column, c.row)->SetAsFloat(c.ratio);
        const auto refused = WeakZones::FirstRefused(d);
        EXPECT_EQ(refused.has_value(), c.refused) << c.what;
        if (refused) {
            EXPECT_EQ(refused->table, table) << c.what;
            EXPECT_EQ(refused->row, c.row) << c.what;
        }
        // The check follows the file: a refused row is written with a weak zone of non-zero
        // thickness (its last value), and the engine is given the ratio.
        if (c.refused) {
            project.SaveAs(TempFolder("weak-zone-case") + QStringLiteral("/p.tmx"));
            const std::string deck = Text(ReadBytes(d.FileName));
            const std::string ratio = NumText::FloatToStrGeneral(c.ratio, 8).toStdString();
            const std::string thickness = c.table == &TProjectTables::D ? " 1" : " 0.1";
            const std::string row = std::to_string(c.row + 1) + " ";
            bool found = false;
            for (const std::string& line : harness::split_lines(deck))
                if (line.rfind(row, 0) == 0 && line.size() > thickness.size() &&
                    line.compare(line.size() - thickness.size(), thickness.size(), thickness) == 0 &&
                    line.find(" " + ratio + " ") != std::string::npos)
                    found = true;
            EXPECT_TRUE(found) << c.what << "\n" << deck;
        }
    }
}

TEST(WeakZones, TheMessageNamesTableColumnAndRowAndSaysWhat1Means)
{
    TProject project;
    Fill(project, Foundation::Pile, Load::Harmonic);
    project.Tables().D->Cell(4, 1)->SetAsFloat(0);
    const auto cell = WeakZones::FirstRefused(project.Data());
    ASSERT_TRUE(cell.has_value());
    EXPECT_EQ(WeakZones::Place(*cell), QStringLiteral("Soil Properties: Weak zone shear modulus ratio, row 2"));
    EXPECT_TRUE(WeakZones::RefusalText().contains(QStringLiteral("greater than 0")));
    EXPECT_TRUE(WeakZones::RefusalText().contains(QStringLiteral("A ratio of 1 means no weak zone")));
}

TEST(WeakZones, AnEntryThatIsNotAbove0IsRefusedWhereItIsTyped)
{
    TProject project;
    Fill(project, Foundation::Pile, Load::Harmonic);
    TGridTable* soil = project.Tables().D;
    EXPECT_THROW(soil->GetColumn(4)->SetText(0, QStringLiteral("1-1")), EAssignError);
    EXPECT_EQ(soil->Cell(4, 0)->GetAsFloat(), 1.0L) << "the refused entry is not stored";
    soil->GetColumn(4)->SetText(0, QStringLiteral("0.5"));
    EXPECT_EQ(soil->Cell(4, 0)->GetAsFloat(), 0.5L);
    // A stratum's side layers have no weak zone: any entry is taken.
    TProject stratum;
    Fill(stratum, Foundation::Stratum, Load::Harmonic);
    stratum.Tables().D1->GetColumn(5)->SetText(0, QStringLiteral("0"));
    EXPECT_EQ(stratum.Tables().D1->Cell(5, 0)->GetAsFloat(), 0.0L);
}

TEST(WeakZones, ANewPileProjectWithTheDefaultRatiosRunsWithoutWeakZonesOrSideSoil)
{
    // A pile project built as through the forms, the ratios left at their default.
    TProject project;
    Fill(project, Foundation::Pile, Load::Harmonic);
    TProjectTables& t = project.Tables();
    t.D->SetRowCount(0);
    t.D->SetRowCount(3);
    for (int r = 0; r < 3; ++r) Row(t.D, r, {150.0L + 20 * r, 18, 0.4L, 0.05L});
    t.pilecapsoil->SetRowCount(0);
    t.pilecapsoil->SetRowCount(1);  // the empty row of a new project
    EXPECT_FALSE(WeakZones::FirstRefused(project.Data()).has_value());
    project.SaveAs(TempFolder("weak-zone-default") + QStringLiteral("/p.tmx"));
    const std::string deck = Text(ReadBytes(project.Data().FileName));
    EXPECT_EQ(deck.find("SIDE-CAP"), std::string::npos) << "the empty side soil row switches no weak zone on\n" << deck;
    EXPECT_EQ(deck.find("EMBEDDED"), std::string::npos) << deck;
    EXPECT_NE(deck.find("\r\n1 150 18 0.4 0.05 1 0.4 0.1 0\r\n"), std::string::npos) << deck;
    harness::RunOptions options;
    options.mass_file = Text(ReadBytes(project.Data().MassFileName));
    const harness::EngineRun run = harness::run_engine(deck, options);
    EXPECT_EQ(run.result, 0) << run.report;
    const size_t kxx = run.report.find("HORIZONTAL TRANSLATION (KXX) ..");
    ASSERT_NE(kxx, std::string::npos) << run.report;
    EXPECT_GT(std::stod(run.report.substr(kxx + 31, 13)), 0.0) << run.report.substr(kxx, 60);
}

TEST(WeakZones, AMultilayerProjectWithSoilAlongEveryShaftLayerSavesWithItsUnusedSoilColumnRow)
{
    // The soil column's one row of a new project holds its defaults (a ratio of 1): it is the
    // empty row the writer expects when no shaft layer lies below the soil layers.
    TProject project;
    Fill(project, Foundation::Multilayer, Load::Harmonic);
    TProjectTables& t = project.Tables();
    t.D->SetRowCount(3);
    Row(t.D, 2, {200, 18, 0.35L, 0.05L, 1});
    t.Multisoil->SetRowCount(0);
    t.Multisoil->SetRowCount(1);
    const QString path = TempFolder("weak-zone-multilayer") + QStringLiteral("/m.tmx");
    EXPECT_NO_THROW(project.SaveAs(path));
    // A value typed into that row is data of a layer that does not exist: still refused.
    t.Multisoil->Cell(0, 0)->SetAsFloat(220);
    EXPECT_THROW(project.SaveAs(path), EProjectError);
}
