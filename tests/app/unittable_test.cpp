// Every grid column against the table of units (unittable.h): its template is the one written
// there, and a switch to English and back converts its values by that unit and nothing else.
#include "projectbuild.h"
#include "unittable.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

TEST(UnitTable, EveryGridColumnConvertsByTheUnitItsTableEntryNames)
{
    TProject project;
    std::set<std::pair<std::string, int>> listed;
    for (const units::TColumnUnit& u : units::kColumns) listed.insert({u.table, u.column});
    // Every column of the program is in the table.
    for (const TGridTable* table : project.Tables().All())
        for (int c = 0; c < table->ColumnCount(); ++c)
            EXPECT_TRUE(listed.count({table->Caption().toStdString(), c}))
                << "\"" << table->Caption().toStdString() << "\" column " << c << " ("
                << table->GetColumn(c)->GetCaptionLine(0).toStdString() << ") is not in tests/app/unittable.h";

    for (const units::TColumnUnit& u : units::kColumns) {
        const std::string what = std::string(u.table) + " column " + std::to_string(u.column);
        int index = -1;
        for (int i = 0; i < project.Tables().All().size(); ++i)
            if (project.Tables().All()[i]->Caption().toStdString() == u.table) index = i;
        ASSERT_GE(index, 0) << what;
        TGridTable* table = project.Tables().All()[index];
        ASSERT_LT(u.column, table->ColumnCount()) << what;
        auto* column = dynamic_cast<TFloatColumn*>(table->GetColumn(u.column));
        if (!column) {
            EXPECT_STRNE(u.conversion.why, "") << what << ": a column without values has no unit";
            continue;
        }
        EXPECT_EQ(column->UnitTemplate().toStdString(), u.unitTemplate) << what;
        EXPECT_EQ(std::string(u.conversion.why).empty(), units::Factor(u.conversion) != 1.0L) << what;
        // A value of 1 in SI becomes the unit's factor in English.
        TProject one;
        TGridTable* same = one.Tables().All()[index];
        same->Cell(u.column, 0)->SetAsFloat(1);
        one.SetUnits(1);
        EXPECT_NEAR(double(same->Cell(u.column, 0)->GetAsFloat() / units::Factor(u.conversion)), 1.0, 1e-15) << what;
    }

    // The rows of a moment load or a moment spectrum.
    for (const units::TRowColumnUnit& u : units::kMomentRowColumns) {
        TProject one;
        TGridTable* loads = one.Tables().TLoadtype->Caption().toStdString() == u.table ? one.Tables().TLoadtype
                                                                                       : one.Tables().Trandom;
        ASSERT_EQ(loads->Caption().toStdString(), u.table);
        loads->SetRowCount(1);
        loads->Cell(0, 0)->SetAsInteger(5);  // about y
        build::Values(loads->Cell(1, 0)->GetAsTable(), {1.0L});
        one.SetUnits(1);
        const TGridTable* values = loads->Cell(1, 0)->GetAsTable();
        EXPECT_EQ(static_cast<TFloatColumn*>(values->GetColumn(0))->UnitTemplate().toStdString(), u.unitTemplate);
        EXPECT_NEAR(double(values->Cell(0, 0)->GetAsFloat() / units::Factor(u.conversion)), 1.0, 1e-15) << u.table;
    }
}
