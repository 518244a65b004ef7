// Tests of the loading forms: harmonic and quadratic fields, the point of application and its
// reference, the equivalent loads at the centre of gravity against a moment transfer worked by
// hand, and the transient and random forms.
#include "forms/harmonicform.h"
#include "forms/quadform.h"
#include "forms/randomform.h"
#include "forms/transientform.h"
#include "forms_fixture.h"

#include <QPushButton>
#include <QRadioButton>

namespace {

class LoadingForms : public FormTest {};

}  // namespace

TEST_F(LoadingForms, HarmonicFieldsLoadEditAndStore)
{
    Data().FreqMax = 50;
    Data().Fx = 10;
    Data().My = 5;
    auto* form = Open(new Tfrmharmonic(*project));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Harmonic Loading Data, NonQuadratic"));
    EXPECT_EQ(form->FreqEdit[0]->text(), QStringLiteral("50"));
    EXPECT_EQ(LabelText(form->FreqEdit[0]), QStringLiteral("Maximum Frequency (Hz)"));
    EXPECT_EQ(LabelText(form->ForceEdit[0]), QStringLiteral("Force in X-direction (kN)"));
    EXPECT_EQ(LabelText(form->MomentEdit[0]), QStringLiteral("Moment about X-axis  (kN-m)"));
    EXPECT_EQ(LabelText(form->PointEdit[2]), QStringLiteral("Z-coordinate (m)"));
    Enter(form->FreqEdit[0], QStringLiteral("60"), form->FreqEdit[1]);
    Enter(form->ForceEdit[2], QStringLiteral("-25"), form->FreqEdit[0]);
    EXPECT_GT(modifiedCalls, 0);
    Enter(form->MomentEdit[1], QStringLiteral("3e9"), form->FreqEdit[0]);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("Entry must be less than or equal to 2147483647"));
    Type(form->MomentEdit[1], QStringLiteral("7"));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(Data().FreqMax, 60);
    EXPECT_EQ(Data().Fz, -25);
    EXPECT_EQ(Data().My, 7);
    EXPECT_EQ(Data().LoadPointRef, 0);

    project->SetUnits(1);
    auto* english = Open(new Tfrmharmonic(*project));
    EXPECT_EQ(LabelText(english->ForceEdit[0]), QStringLiteral("Force in X-direction (lbs)"));
    EXPECT_EQ(LabelText(english->MomentEdit[2]), QStringLiteral("Moment about Z-axis (lbs-ft)"));
    EXPECT_EQ(LabelText(english->FreqEdit[2]), QStringLiteral("Step frequency (incremental frequency) (Hz)"));
}

TEST_F(LoadingForms, PointReferenceConvertsOnlyAfterLoading)
{
    // The base centre at (0.5, -0.25, 1) in local axes and 1 below the C.G., which is at
    // (0.5, -0.25, 2) in local axes.
    Data().CBLocalX = 0.5L;
    Data().CBLocalY = -0.25L;
    Data().CBLocalZ = 1;
    Data().Xc = 0;
    Data().Yc = 0;
    Data().Zc = 1;
    Data().LoadPointX = 1;
    Data().LoadPointY = 2;
    Data().LoadPointZ = 3;
    Data().LoadPointRef = 1;
    auto* form = Open(new Tfrmharmonic(*project));
    EXPECT_TRUE(form->RadioButton2->isChecked());
    EXPECT_EQ(form->PointEdit[0]->text(), QStringLiteral("1")) << "checking the stored choice converts nothing";
    EXPECT_EQ(LabelText(form->PointEdit[0]), QStringLiteral("x-coordinate (m)"));

    Enter(form->PointEdit[2], QStringLiteral("4"), form->PointEdit[0]);
    QTest::mouseClick(form->RadioButton1, Qt::LeftButton);
    EXPECT_EQ(LabelText(form->PointEdit[0]), QStringLiteral("X-coordinate (m)"));
    EXPECT_EQ(form->PointEdit[0]->Number(), 0.5L);   // 1 - (0.5 - 0)
    EXPECT_EQ(form->PointEdit[1]->Number(), 2.25L);  // 2 - (-0.25 - 0)
    EXPECT_EQ(form->PointEdit[2]->Number(), -2);     // 2 above the C.G.: 2 - 4
    QTest::mouseClick(form->RadioButton2, Qt::LeftButton);
    EXPECT_EQ(form->PointEdit[0]->Number(), 1);
    EXPECT_EQ(form->PointEdit[1]->Number(), 2);
    EXPECT_EQ(form->PointEdit[2]->Number(), 4) << "back to the z that was typed";
    QTest::mouseClick(form->RadioButton1, Qt::LeftButton);
    EXPECT_TRUE(form->Deactivate());
    EXPECT_EQ(Data().LoadPointRef, 0);
    EXPECT_EQ(Data().LoadPointZ, -2);

    // A coordinate that does not evaluate keeps the point at its old reference.
    Type(form->PointEdit[1], QStringLiteral("2+"));
    QTest::mouseClick(form->RadioButton2, Qt::LeftButton);
    EXPECT_GE(recorder.Count(), 1);
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_EQ(LabelText(form->PointEdit[0]), QStringLiteral("X-coordinate (m)"));
    Type(form->PointEdit[1], QStringLiteral("2"));
    EXPECT_TRUE(form->Deactivate());
    EXPECT_EQ(Data().LoadPointRef, 0);
    EXPECT_EQ(Data().LoadPointX, 0.5L);
}

// Wherever the local origin is, choosing the global reference shows the point as seen from the
// C.G. (z down), and choosing the local one again gives back what was typed. Each case places
// the C.G. and the C.B. in local axes (z up); the project holds the C.B. in local axes and as
// seen from the C.G. (Xc, Yc, Zc), as the mass form leaves them.
TEST_F(LoadingForms, SwitchingThePointReferenceKeepsThePointWhereItIs)
{
    struct Case {
        const char* what;
        long double g[3], b[3], p[3];
    } cases[] = {
        {"local origin at the base", {0, 0, 1}, {0, 0, 0}, {0.5L, -0.25L, 2}},
        {"base 0.75 above the origin", {0.25L, -0.5L, 1.5L}, {0.125L, -0.25L, 0.75L}, {1, 2, 3}},
        {"origin above the base", {1, 2, -3}, {1.5L, 2.5L, -4.25L}, {0, 0, 0}},
        {"decimal places", {0.3L, 0.7L, 2.6L}, {0.1L, 0.2L, 1.3L}, {-0.4L, 1.1L, 0.9L}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Data().CBLocalX = c.b[0];
        Data().CBLocalY = c.b[1];
        Data().CBLocalZ = c.b[2];
        Data().Xc = c.b[0] - c.g[0];
        Data().Yc = c.b[1] - c.g[1];
        Data().Zc = c.g[2] - c.b[2];
        Data().LoadPointX = c.p[0];
        Data().LoadPointY = c.p[1];
        Data().LoadPointZ = c.p[2];
        Data().LoadPointRef = 1;
        auto* form = Open(new Tfrmharmonic(*project));
        const long double global[3] = {c.p[0] - c.g[0], c.p[1] - c.g[1], c.g[2] - c.p[2]};
        for (int round = 0; round < 2; ++round) {
            QTest::mouseClick(form->RadioButton1, Qt::LeftButton);
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(double(form->PointEdit[i]->Number()), double(global[i]), 1e-15) << i;
            QTest::mouseClick(form->RadioButton2, Qt::LeftButton);
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(double(form->PointEdit[i]->Number()), double(c.p[i]), 1e-15) << i;
        }
        // The two conversions are each other's inverse.
        long double x = c.p[0], y = c.p[1], z = c.p[2];
        HarmonicBase::BaseToGravity(Data(), x, y, z);
        HarmonicBase::GravityToBase(Data(), x, y, z);
        EXPECT_NEAR(double(x), double(c.p[0]), 1e-15);
        EXPECT_NEAR(double(y), double(c.p[1]), 1e-15);
        EXPECT_NEAR(double(z), double(c.p[2]), 1e-15);
        delete form;
    }
}

TEST_F(LoadingForms, EquivalentLoadsMoveTheMomentsToTheCentreOfGravity)
{
    // By hand: r x F for r = (1, 2, 3), F = (10, 20, -5) is (2(-5) - 3(20), 3(10) - 1(-5),
    // 1(20) - 2(10)) = (-70, 35, 0); M - r x F with M = (1, 2, 3) is (71, -33, 3).
    const long double f[3] = {10, 20, -5}, m[3] = {1, 2, 3};
    const TEquivalentLoads e = HarmonicBase::MoveToGravity(f, m, 1, 2, 3);
    EXPECT_EQ(e.M[0], 71);
    EXPECT_EQ(e.M[1], -33);
    EXPECT_EQ(e.M[2], 3);
    EXPECT_EQ(e.F[2], -5);

    struct Case {
        const char* name;
        int units;
        bool quadratic;
        int ref;
        const char* point[3];
        const char* message;
    };
    const Case cases[] = {
        {"at the C.G. nothing moves", 2, false, 0, {"0", "0", "0"},
         "Equivalent Loads.\n\nFx: 10 kN\nFy: 20 kN\nFz: -5 kN\nMx: 1 kN-m\nMy: 2 kN-m\nMz: 3 kN-m\n"},
        {"global point", 2, false, 0, {"1", "2", "3"},
         "Equivalent Loads.\n\nFx: 10 kN\nFy: 20 kN\nFz: -5 kN\nMx: 71 kN-m\nMy: -33 kN-m\nMz: 3 kN-m\n"},
        // The C.B. at (0.5, 0, 1) in local axes and 1 above the C.G. (Zc -1) puts the C.G. at
        // (0.5, 0, 0) in local axes, so the local point (0.5, 2, -1) is (0, 2, 1) from the C.G.
        // (z down): Mx - y Fz + z Fy = 1 + 10 + 20, My - z Fx + x Fz = 2 - 10,
        // Mz - x Fy + y Fx = 3 + 20.
        {"local point", 2, false, 1, {"0.5", "2", "-1"},
         "Equivalent Loads.\n\nFx: 10 kN\nFy: 20 kN\nFz: -5 kN\nMx: 31 kN-m\nMy: -8 kN-m\nMz: 23 kN-m\n"},
        {"English", 1, false, 0, {"0", "0", "0"},
         "Equivalent Loads.\n\nFx: 10 lbs\nFy: 20 lbs\nFz: -5 lbs\nMx: 1 lbs-ft\nMy: 2 lbs-ft\nMz: 3 lbs-ft\n"},
        {"quadratic SI", 2, true, 0, {"1", "2", "3"},
         "Equivalent Coeffs.\n\nFcx: 10 Mg-m\nFcy: 20 Mg-m\nFcz: -5 Mg-m\nMcx: 71 Mg-m^2\nMcy: -33 Mg-m^2\n"
         "Mcz: 3 Mg-m^2\n"},
        {"quadratic English", 1, true, 0, {"0", "0", "0"},
         "Equivalent Coeffs.\n\nFcx: 10 slug-ft\nFcy: 20 slug-ft\nFcz: -5 slug-ft\nMcx: 1 slug-ft^2\n"
         "Mcy: 2 slug-ft^2\nMcz: 3 slug-ft^2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        project->SetUnits(c.units);
        Data().CBLocalX = 0.5L;
        Data().CBLocalY = 0;
        Data().CBLocalZ = 1;
        Data().Xc = Data().Yc = 0;
        Data().Zc = -1;
        Data().LoadPointRef = c.ref;
        THarmonicForm* form = c.quadratic ? static_cast<THarmonicForm*>(new TfrmQuad(*project))
                                          : static_cast<THarmonicForm*>(new Tfrmharmonic(*project));
        Open(form);
        const char* forces[3] = {"10", "20", "-5"};
        const char* moments[3] = {"1", "2", "3"};
        for (int i = 0; i < 3; ++i) {
            Enter(form->ForceEdit[i], QString::fromLatin1(forces[i]), form->FreqEdit[0]);
            Enter(form->MomentEdit[i], QString::fromLatin1(moments[i]), form->FreqEdit[0]);
            Enter(form->PointEdit[i], QString::fromLatin1(c.point[i]), form->FreqEdit[0]);
        }
        recorder.Clear();
        const long double before = Data().Mx;
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        ASSERT_EQ(recorder.Count(), 1);
        EXPECT_EQ(recorder.LastText(), QString::fromLatin1(c.message));
        EXPECT_EQ(Data().Mx, before) << "nothing is stored by the button";
        EXPECT_EQ(form->MomentEdit[0]->text(), QStringLiteral("1"));
        delete form;
    }
}

TEST_F(LoadingForms, QuadraticFormIsAWindowOfItsOwnWithCoefficientUnits)
{
    QWidget owner;
    auto* form = new TfrmQuad(*project, &owner);
    EXPECT_TRUE(form->isWindow());
    Open(form);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Harmonic Loading Data, Quadratic"));
    EXPECT_EQ(LabelText(form->ForceEdit[1]), QStringLiteral("Force Coefficient in Y-direction (Mg-m)"));
    EXPECT_EQ(LabelText(form->MomentEdit[0]), QStringLiteral("Moment Coefficient about X-axis  (Mg-m^2)"));
    EXPECT_EQ(form->Button1->text(), QStringLiteral("Equivalent Coefs. at Center of Gravity"));
    Enter(form->ForceEdit[0], QStringLiteral("0.02"), form->FreqEdit[0]);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(Data().Fx, 0.02L);
}

TEST_F(LoadingForms, TransientAndRandomShareTheCountsAndRoundWholeNumbers)
{
    Data().PointCount = 16;
    Data().LoadTypeCount = 0;
    auto* transient = Open(new Tfrmtransient(*project));
    EXPECT_EQ(transient->windowTitle(), QStringLiteral("Transient Loading Data"));
    EXPECT_EQ(transient->DataEdit1->text(), QStringLiteral("16"));
    Enter(transient->DataEdit1, QStringLiteral("2.5"), transient->DataEdit2);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("Entry must be an integer."));
    EXPECT_FALSE(transient->Deactivate()) << "the field that took the focus back is still invalid";
    Type(transient->DataEdit1, QStringLiteral("32"));
    Enter(transient->DataEdit2, QStringLiteral("1/100"), transient->DataEdit3);
    Enter(transient->DataEdit3, QStringLiteral("2"), transient->DataEdit1);
    EXPECT_TRUE(transient->close());
    Flush();
    EXPECT_EQ(Data().PointCount, 32);
    EXPECT_EQ(Data().LoadTypeCount, 2);
    EXPECT_EQ(Data().TimeStep, 0.01L);

    auto* random = new Tfrmrandom(*project);
    EXPECT_EQ(random->DataEdit5->text(), QStringLiteral("1")) << "one spectrum at first";
    EXPECT_EQ(random->DataEdit5->MinVal(), 1);
    Open(random);
    EXPECT_EQ(random->DataEdit3->text(), QStringLiteral("32"));
    EXPECT_EQ(random->DataEdit5->text(), QStringLiteral("2"));
    EXPECT_EQ(LabelText(random->DataEdit1), QStringLiteral("Maximum frequency (Hz)"));
    Enter(random->DataEdit5, QStringLiteral("0"), random->DataEdit1);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("Entry must be greater than or equal to 1"));
    EXPECT_EQ(random->DataEdit5->text(), QStringLiteral("2")) << "what it held, not the bound";
    Enter(random->DataEdit4, QStringLiteral("300"), random->DataEdit1);
    EXPECT_TRUE(random->Deactivate());
    EXPECT_EQ(Data().LoadTypeCount, 2);
    EXPECT_EQ(Data().ObservationPeriod, 300);
}

TEST_F(LoadingForms, QuadraticFormStoresWhenAnotherWindowIsActivated)
{
    auto* form = Open(new TfrmQuad(*project));
    Enter(form->MomentEdit[0], QStringLiteral("0.75"), form->FreqEdit[0]);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(Data().Mx, 0.75L) << "leaving the window stores its values";
    Data().Mx = 2;
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_EQ(form->MomentEdit[0]->Number(), 2) << "coming back loads them";
}
