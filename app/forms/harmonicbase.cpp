#include "forms/harmonicbase.h"

#include "dataunit.h"
#include "util/messages.h"
#include "util/numtext.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace HarmonicBase {

// The local axes are those of the mass components (z up); the global ones start at the centre
// of gravity (z down), where the centre of the base is (Xc, Yc, Zc). With the base centre at
// (CBLocalX, CBLocalY, CBLocalZ) in local axes, the centre of gravity is at (CBLocalX - Xc,
// CBLocalY - Yc, CBLocalZ + Zc) there, so a local z lies (CBLocalZ + Zc) - z below it. That map
// of z is its own inverse, and the engine makes the same for a deck's local point.
void BaseToGravity(const TProgramData& d, long double& x, long double& y, long double& z)
{
    x = x - (d.CBLocalX - d.Xc);
    y = y - (d.CBLocalY - d.Yc);
    z = (d.CBLocalZ + d.Zc) - z;
}

void GravityToBase(const TProgramData& d, long double& x, long double& y, long double& z)
{
    x = x + (d.CBLocalX - d.Xc);
    y = y + (d.CBLocalY - d.Yc);
    z = (d.CBLocalZ + d.Zc) - z;
}

TEquivalentLoads MoveToGravity(const long double force[3], const long double moment[3], long double x,
                               long double y, long double z)
{
    TEquivalentLoads e;
    for (int i = 0; i < 3; ++i) e.F[i] = force[i];
    e.M[0] = moment[0] - y * force[2] + z * force[1];
    e.M[1] = moment[1] - z * force[0] + x * force[2];
    e.M[2] = moment[2] - x * force[1] + y * force[0];
    return e;
}

QString EquivalentLoadsText(const TEquivalentLoads& loads, bool quadratic, int32_t unitSystem)
{
    const bool si = unitSystem == 2;
    const QString forceUnit = quadratic ? (si ? QStringLiteral(" Mg-m") : QStringLiteral(" slug-ft"))
                                        : (si ? QStringLiteral(" kN") : QStringLiteral(" lbs"));
    const QString momentUnit = quadratic ? (si ? QStringLiteral(" Mg-m^2") : QStringLiteral(" slug-ft^2"))
                                         : (si ? QStringLiteral(" kN-m") : QStringLiteral(" lbs-ft"));
    const char* forceNames[3] = {"Fx: ", "Fy: ", "Fz: "};
    const char* momentNames[3] = {"Mx: ", "My: ", "Mz: "};
    const char* coefForceNames[3] = {"Fcx: ", "Fcy: ", "Fcz: "};
    const char* coefMomentNames[3] = {"Mcx: ", "Mcy: ", "Mcz: "};
    QString text = quadratic ? QStringLiteral("Equivalent Coeffs.") : QStringLiteral("Equivalent Loads.");
    text += QStringLiteral("\n\n");
    for (int i = 0; i < 3; ++i)
        text += QLatin1String(quadratic ? coefForceNames[i] : forceNames[i]) +
                NumText::FloatToStrGeneral(loads.F[i], 15) + forceUnit + QLatin1Char('\n');
    for (int i = 0; i < 3; ++i)
        text += QLatin1String(quadratic ? coefMomentNames[i] : momentNames[i]) +
                NumText::FloatToStrGeneral(loads.M[i], 15) + momentUnit + QLatin1Char('\n');
    return text;
}

}  // namespace HarmonicBase

THarmonicForm::THarmonicForm(TProject& project, QWidget* parent, bool quadratic)
    : TDataForm(project, parent), m_quadratic(quadratic)
{
    using namespace DataForm;
    setWindowTitle(quadratic ? QStringLiteral("Harmonic Loading Data, Quadratic")
                             : QStringLiteral("Harmonic Loading Data, NonQuadratic"));
    // The quadratic form's fields have no change handler of their own; a typed coefficient is
    // still a change of the project, so both forms mark it.
    auto* layout = new QVBoxLayout(this);
    if (quadratic) {
        auto* note = new QLabel(QStringLiteral("Note: Force (or Moment) is equal to the  Force (Moment)  Coefficient \n"
                                               "times the square of the frequency."),
                                this);
        layout->addWidget(note);
    }
    auto* columns = new QHBoxLayout;
    layout->addLayout(columns);
    auto* left = new QGridLayout;
    auto* right = new QGridLayout;
    columns->addLayout(left, 1);
    columns->addSpacing(16);
    columns->addLayout(right, 1);

    const QString hz = QStringLiteral("Hz");
    const char* freqs[3] = {"Maximum Frequency", "Minimum Frequency", "Step frequency (incremental frequency)"};
    long double TProgramData::*freqFields[3] = {&TProgramData::FreqMax, &TProgramData::FreqMin, &TProgramData::FreqStep};
    for (int i = 0; i < 3; ++i) FreqEdit[i] = AddNumber(left, i, 0, QString::fromLatin1(freqs[i]), hz, freqFields[i]);

    const char* forces[3] = {"Force in X-direction", "Force in Y-direction", "Force in Z-direction"};
    const char* coefForces[3] = {"Force Coefficient in X-direction", "Force Coefficient in Y-direction",
                                 "Force Coefficient in Z-direction"};
    const char* moments[3] = {"Moment about X-axis ", "Moment about Y-axis", "Moment about Z-axis"};
    const char* coefMoments[3] = {"Moment Coefficient about X-axis ", "Moment Coefficient about Y-axis",
                                  "Moment Coefficient about Z-axis"};
    long double TProgramData::*forceFields[3] = {&TProgramData::Fx, &TProgramData::Fy, &TProgramData::Fz};
    long double TProgramData::*momentFields[3] = {&TProgramData::Mx, &TProgramData::My, &TProgramData::Mz};
    const QString forceUnits = quadratic ? QStringLiteral("F6-L2") : QStringLiteral("F");
    const QString momentUnits = quadratic ? QStringLiteral("F6-L2^2") : QStringLiteral("F-L2");
    for (int i = 0; i < 3; ++i)
        ForceEdit[i] = AddNumber(right, i, 0, QString::fromLatin1(quadratic ? coefForces[i] : forces[i]), forceUnits,
                                 forceFields[i]);
    for (int i = 0; i < 3; ++i) {
        const bool limited = i > 0;  // about Y and Z: the 32-bit range
        MomentEdit[i] = AddNumber(right, 3 + i, 0, QString::fromLatin1(quadratic ? coefMoments[i] : moments[i]),
                                  momentUnits, momentFields[i], limited ? kIntMin : kNoMin, limited ? kIntMax : kNoMax);
    }
    right->setColumnStretch(0, 1);
    left->setColumnStretch(0, 1);

    auto* group = new QGroupBox(QStringLiteral("Point of Application of Load"), this);
    auto* gl = new QGridLayout(group);
    long double TProgramData::*pointFields[3] = {&TProgramData::LoadPointX, &TProgramData::LoadPointY,
                                                 &TProgramData::LoadPointZ};
    const char* points[3] = {"X-coordinate", "Y-coordinate", "Z-coordinate"};
    for (int i = 0; i < 3; ++i)
        PointEdit[i] = AddNumber(gl, i, 0, QString::fromLatin1(points[i]), QStringLiteral("L2"), pointFields[i]);
    RadioButton1 = new QRadioButton(QStringLiteral("Referred to the Center of Gravity (Global Coordinates)"), group);
    RadioButton2 = new QRadioButton(QStringLiteral("Referred to the Center of Base (local coordinates)"), group);
    RadioButton1->setChecked(true);
    gl->addWidget(RadioButton1, 3, 0, 1, 2);
    gl->addWidget(RadioButton2, 4, 0, 1, 2);
    left->addWidget(group, 3, 0, 1, 2);
    left->setRowStretch(4, 1);

    Button1 = new QPushButton(quadratic ? QStringLiteral("Equivalent Coefs. at Center of Gravity")
                                        : QStringLiteral("Equivalent Loads at Center of Gravity"),
                              this);
    right->addWidget(Button1, 6, 0, 1, 2);
    right->setRowStretch(7, 1);
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
        if (on) PointReferenceChosen(false);
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (on) PointReferenceChosen(true);
    });
    connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { ComputeEquivalentLoads(); }); });
    SetClientSize(760, 320);
}

void THarmonicForm::SetPointCaptions(bool local)
{
    const char* upper[3] = {"X-coordinate", "Y-coordinate", "Z-coordinate"};
    const char* lower[3] = {"x-coordinate", "y-coordinate", "z-coordinate"};
    for (int i = 0; i < 3; ++i) PointEdit[i]->SetCaption(QString::fromLatin1(local ? lower[i] : upper[i]));
}

void THarmonicForm::Loaded()
{
    const bool local = Data().LoadPointRef == 1;
    {
        // Checking the stored choice converts nothing.
        const bool loadedBefore = m_pointsLoaded;
        m_pointsLoaded = false;
        (local ? RadioButton2 : RadioButton1)->setChecked(true);
        m_pointsLoaded = loadedBefore;
    }
    SetPointCaptions(local);
    m_pointsLoaded = true;
}

void THarmonicForm::Stored() { Data().LoadPointRef = RadioButton2->isChecked() ? 1 : 0; }

void THarmonicForm::PointReferenceChosen(bool local)
{
    try {
        if (local) RadioButton2Click();
        else RadioButton1Click();
    } catch (const Exception& e) {
        // A coordinate that does not evaluate: the point keeps its old reference, so that the
        // stored reference always matches the coordinates.
        Messages::Information(this, e.message());
        const bool loaded = m_pointsLoaded;
        m_pointsLoaded = false;
        (local ? RadioButton1 : RadioButton2)->setChecked(true);
        m_pointsLoaded = loaded;
    }
}

void THarmonicForm::RadioButton1Click()
{
    SetPointCaptions(false);
    if (!m_pointsLoaded) return;
    long double x = PointEdit[0]->Number(), y = PointEdit[1]->Number(), z = PointEdit[2]->Number();
    HarmonicBase::BaseToGravity(Data(), x, y, z);
    PointEdit[0]->SetNumber(x);
    PointEdit[1]->SetNumber(y);
    PointEdit[2]->SetNumber(z);
    MarkModified();
}

void THarmonicForm::RadioButton2Click()
{
    SetPointCaptions(true);
    if (!m_pointsLoaded) return;
    long double x = PointEdit[0]->Number(), y = PointEdit[1]->Number(), z = PointEdit[2]->Number();
    HarmonicBase::GravityToBase(Data(), x, y, z);
    PointEdit[0]->SetNumber(x);
    PointEdit[1]->SetNumber(y);
    PointEdit[2]->SetNumber(z);
    MarkModified();
}

void THarmonicForm::ComputeEquivalentLoads()
{
    const long double force[3] = {ForceEdit[0]->Number(), ForceEdit[1]->Number(), ForceEdit[2]->Number()};
    const long double moment[3] = {MomentEdit[0]->Number(), MomentEdit[1]->Number(), MomentEdit[2]->Number()};
    long double x = PointEdit[0]->Number(), y = PointEdit[1]->Number(), z = PointEdit[2]->Number();
    if (RadioButton2->isChecked()) HarmonicBase::BaseToGravity(Data(), x, y, z);
    const TEquivalentLoads loads = HarmonicBase::MoveToGravity(force, moment, x, y, z);
    Messages::Information(this, HarmonicBase::EquivalentLoadsText(loads, m_quadratic, Data().UnitSystem));
}
