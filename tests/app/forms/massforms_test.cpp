// Tests of the mass forms and the pile properties form: the mass properties from the
// mass-component table against moments of inertia of boxes worked by hand, the C.G. and C.B.
// fields, the foundation position taken from a calculation, and the pile options.
#include "forms/massdataform.h"
#include "forms/massform.h"
#include "forms/pilecapform.h"
#include "forms/pilepropertiesform.h"
#include "forms/randomform.h"
#include "forms/transientform.h"
#include "forms_fixture.h"
#include "projecttables.h"
#include "table/table.h"
#include "table/tableform.h"

#include <QComboBox>
#include <QPushButton>

namespace {

class MassForms : public FormTest {
protected:
    // Rows of the mass-component table: mass, x, y, z, length, width, thickness.
    void Components(std::initializer_list<std::initializer_list<long double>> rows)
    {
        Tables().MassCal->SetRowCount(int(rows.size()));
        int r = 0;
        for (const auto& row : rows) build::Row(Tables().MassCal, r++, row);
    }
};

constexpr long double kTol = 1e-15L;

}  // namespace

TEST_F(MassForms, MassPropertiesOfBoxesByTheParallelAxisTheorem)
{
    struct Case {
        const char* name;
        std::vector<std::vector<long double>> rows;
        long double mass, cx, cy, cz, ixx, iyy, izz, pxy, pxz, pyz;
    };
    // Worked by hand: each box's own moments m(b² + c²)/12 plus m d² about the common C.G.
    // Two boxes: 12 at the origin (1 x 2 x 3) and 6 at (3, 1, 1.5) (2 x 2 x 1): C.G. (1, 1/3,
    // 1/2); Ixx = 13 + 12(1/9 + 1/4) + 2.5 + 6(4/9 + 1) = 28.5, Iyy = 10 + 12(1 + 1/4) + 2.5 +
    // 6(4 + 1) = 57.5, Izz = 5 + 12(1 + 1/9) + 4 + 6(4 + 4/9) = 49, Pxy = 12(-1)(-1/3) +
    // 6(2)(2/3) = 12, Pxz = 12(-1)(-1/2) + 6(2)(1) = 18, Pyz = 12(-1/3)(-1/2) + 6(2/3)(1) = 6.
    const Case cases[] = {
        {"point mass", {{10, 1, 2, 3, 0, 0, 0}}, 10, 1, 2, 3, 0, 0, 0, 0, 0, 0},
        {"two points on x", {{1, -1, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0, 0}}, 2, 0, 0, 0, 0, 2, 2, 0, 0, 0},
        {"one box", {{12, 0, 0, 0, 1, 2, 3}}, 12, 0, 0, 0, 13, 10, 5, 0, 0, 0},
        {"x-z product", {{1, 1, 0, 1, 0, 0, 0}, {1, -1, 0, -1, 0, 0, 0}}, 2, 0, 0, 0, 2, 4, 2, 0, 2, 0},
        {"two boxes", {{12, 0, 0, 0, 1, 2, 3}, {6, 3, 1, 1.5L, 2, 2, 1}}, 18, 1, 1.0L / 3, 0.5L, 28.5L, 57.5L, 49, 12,
         18, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGridTable& t = *Tables().MassCal;
        t.SetRowCount(int(c.rows.size()));
        for (int r = 0; r < int(c.rows.size()); ++r)
            for (int k = 0; k < 7; ++k) t.Cell(k, r)->SetAsFloat(c.rows[r][k]);
        const TMassProperties p = MassForm::Calculate(t, 9, 9, 9);
        EXPECT_TRUE(p.HasCentre);
        const long double got[10] = {p.Mass, p.CentreX, p.CentreY, p.CentreZ, p.Ixx, p.Iyy, p.Izz, p.Pxy, p.Pxz, p.Pyz};
        const long double want[10] = {c.mass, c.cx, c.cy, c.cz, c.ixx, c.iyy, c.izz, c.pxy, c.pxz, c.pyz};
        for (int i = 0; i < 10; ++i) EXPECT_NEAR(double(got[i]), double(want[i]), double(kTol * 100)) << i;
    }
    // No mass: the old centre stays and the moments are taken about it.
    Tables().MassCal->SetRowCount(0);
    const TMassProperties none = MassForm::Calculate(*Tables().MassCal, 1, 2, 3);
    EXPECT_FALSE(none.HasCentre);
    EXPECT_EQ(none.Mass, 0);
    EXPECT_EQ(none.CentreZ, 3);
    EXPECT_EQ(none.Ixx, 0);
}

TEST_F(MassForms, CalculationButtonFillsTheFieldsAndLeavingMovesTheFoundation)
{
    Components({{12, 0, 0, 0, 1, 2, 3}, {6, 3, 1, 1.5L, 2, 2, 1}});
    Data().Xc = 7;
    Data().Yc = 8;
    Data().Zc = 9;
    for (int kind = 0; kind < 2; ++kind) {
        SCOPED_TRACE(kind);
        TMassForm* form = kind == 0 ? static_cast<TMassForm*>(new TfrmMassdata(*project))
                                    : static_cast<TMassForm*>(new TfrmNCPileProperties(*project));
        Open(form);
        EXPECT_EQ(form->windowTitle(), kind == 0 ? QStringLiteral("Mass Data") : QStringLiteral("Pile Cap Properties"));
        // The local C.B. typed by the user: (2, 1, 2).
        Enter(form->CBLocalEdit[0], QStringLiteral("2"), form->CBLocalEdit[1]);
        Enter(form->CBLocalEdit[1], QStringLiteral("1"), form->CBLocalEdit[2]);
        Enter(form->CBLocalEdit[2], QStringLiteral("2"), form->MassEdit);
        modifiedCalls = 0;
        QTest::mouseClick(form->CalculateButton, Qt::LeftButton);
        EXPECT_TRUE(form->Calculated());
        EXPECT_EQ(modifiedCalls, 1);
        EXPECT_EQ(form->MassEdit->Number(), 18);
        const long double shown[6] = {28.5L, 57.5L, 49, 12, -18, -6};
        for (int i = 0; i < 6; ++i) EXPECT_NEAR(double(form->InertiaEdit[i]->Number()), double(shown[i]), 1e-12) << i;
        EXPECT_NEAR(double(form->CGEdit[1]->Number()), 1.0 / 3, 1e-15);
        // Global C.B.: (2 - 1, 1 - 1/3, -(2 - 0.5)).
        EXPECT_NEAR(double(form->CBGlobalEdit[0]->Number()), 1, 1e-15);
        EXPECT_NEAR(double(form->CBGlobalEdit[1]->Number()), 2.0 / 3, 1e-15);
        EXPECT_NEAR(double(form->CBGlobalEdit[2]->Number()), -1.5, 1e-15);
        EXPECT_NEAR(double(Data().MassCentreY), 1.0 / 3, 1e-15) << "the centre goes into the project at once";
        EXPECT_EQ(Data().Mass, 0) << "the mass waits for the form to be left";
        EXPECT_TRUE(form->close());
        EXPECT_EQ(Data().Mass, 18);
        EXPECT_NEAR(double(Data().Ixz), -18, 1e-12);
        EXPECT_EQ(Data().CBLocalZ, 2);
        EXPECT_NEAR(double(Data().Xc), 1, 1e-15);
        EXPECT_NEAR(double(Data().Zc), -1.5, 1e-15);
        EXPECT_EQ(Data().Zc, Data().CBGlobalZ);
        Flush();
        Data().Xc = 7;
        Data().Zc = 9;
        Data().Mass = 0;
    }
    EXPECT_EQ(recorder.Count(), 0);
}

TEST_F(MassForms, LeavingWithoutCalculationKeepsTheFoundationPosition)
{
    Data().Xc = 7;
    Data().CBGlobalX = 3;
    auto* form = Open(new TfrmMassdata(*project));
    EXPECT_EQ(LabelText(form->MassEdit), QStringLiteral("Total mass (self weight only) of the foundation (Mg)"));
    EXPECT_EQ(LabelText(form->InertiaEdit[0]), QStringLiteral("Mass moment of inertia about X-axis (Mg-m^2)"));
    EXPECT_TRUE(form->CGEdit[0]->isReadOnly());
    Enter(form->InertiaEdit[0], QStringLiteral("600"), form->MassEdit);
    EXPECT_TRUE(form->Deactivate());
    EXPECT_EQ(Data().Ixx, 600);
    EXPECT_EQ(Data().Xc, 7);
    project->SetUnits(1);
    form->FormActivate();
    EXPECT_EQ(LabelText(form->MassEdit), QStringLiteral("Total mass (self weight only) of the foundation (slug)"));
    EXPECT_EQ(LabelText(form->CBGlobalEdit[2]), QStringLiteral("Z-coord. of C.B. (ft)"));
}

TEST_F(MassForms, PileOptionsFollowTheCombosAndRoundTripThroughTheFlags)
{
    Data().FixedHead = 1;
    Data().EndBearing = 0;
    Data().Interaction = 1;
    QPointer<TfrmCPileProperties> form = Open(new TfrmCPileProperties(*project));
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("FIXED"));
    EXPECT_EQ(form->ComboBox2->currentText(), QStringLiteral("Floating Piles"));
    EXPECT_EQ(form->ComboBox3->currentText(), QStringLiteral("Yes"));
    EXPECT_EQ(LabelText(form->DataEdit[3]), QStringLiteral("Unit weight of pile (kN/m^3)"));
    EXPECT_EQ(LabelText(form->DataEdit[8]),
              QStringLiteral("Cross-sectional coefficient of rigidity for the effect of shear"));

    form->ComboBox1->setCurrentIndex(1);
    emit form->ComboBox1->activated(1);
    EXPECT_EQ(Data().FixedHead, 0) << "PINNED takes effect at once";
    EXPECT_EQ(Data().HeadConnectionText, QStringLiteral("PINNED"));
    form->ComboBox2->setCurrentIndex(1);
    emit form->ComboBox2->activated(1);
    form->ComboBox3->setCurrentIndex(1);
    emit form->ComboBox3->activated(1);
    Enter(form->DataEdit[7], QStringLiteral("12.5"), form->DataEdit[0]);
    Enter(form->DataEdit[0], QStringLiteral("-0.5"), form->DataEdit[1]);
    EXPECT_TRUE(form->close());
    Flush();
    EXPECT_EQ(Data().EndBearing, 1);
    EXPECT_EQ(Data().Interaction, 0);
    EXPECT_EQ(Data().PileLength, 12.5L);
    EXPECT_EQ(Data().Xc, -0.5L);
    EXPECT_GT(modifiedCalls, 0);

    form = Open(new TfrmCPileProperties(*project));
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("PINNED"));
    EXPECT_EQ(form->ComboBox2->currentText(), QStringLiteral("End-Bearing Piles"));
    EXPECT_EQ(form->ComboBox3->currentText(), QStringLiteral("No"));
    Enter(form->DataEdit[9], QStringLiteral("3e12"), form->DataEdit[0]);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("Entry must be less than or equal to 2147483647000"));
}

TEST_F(MassForms, ButtonsOpenTheTableEditors)
{
    TableForm::InstallEditor();
    auto* mass = Open(new TfrmNCPileProperties(*project));
    QTest::mouseClick(mass->InputButton, Qt::LeftButton);
    EXPECT_TRUE(Tables().MassCal->Editor()) << "the mass components";
    auto* transient = Open(new Tfrmtransient(*project));
    QTest::mouseClick(transient->Button1, Qt::LeftButton);
    EXPECT_TRUE(Tables().TLoadtype->Editor()) << "the transient loads";
    auto* random = Open(new Tfrmrandom(*project));
    QTest::mouseClick(random->Button1, Qt::LeftButton);
    EXPECT_TRUE(Tables().Trandom->Editor()) << "the random spectra";
    EXPECT_EQ(recorder.Count(), 0);
    for (TGridTable* t : Tables().All()) t->CloseEditors();
}
