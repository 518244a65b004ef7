// The two harmonic loading forms (unit HarmonicBase): `THarmonicForm`, the frequencies, the
// forces and moments (or their coefficients) and the point they act at, with the equivalent
// loads at the centre of gravity.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// The point is given either from the centre of gravity (global coordinates) or from the centre
// of the base (local coordinates, z the other way); choosing the other reference converts the
// three coordinates with the project's C.B. and foundation position. The equivalent-loads
// button shows the loads moved to the centre of gravity; nothing is stored by it.
#pragma once

#include "forms/dataform.h"

class QPushButton;
class QRadioButton;

// Loads moved to the centre of gravity.
struct TEquivalentLoads {
    long double F[3] = {};  // unchanged forces
    long double M[3] = {};  // M − r × F
};

namespace HarmonicBase {

// The load point referred to the centre of gravity from one referred to the centre of base.
void BaseToGravity(const TProgramData& data, long double& x, long double& y, long double& z);
// The load point referred to the centre of base from one referred to the centre of gravity.
void GravityToBase(const TProgramData& data, long double& x, long double& y, long double& z);
// Forces and moments at the point r = (x, y, z) (from the C.G.) moved to the C.G.
TEquivalentLoads MoveToGravity(const long double force[3], const long double moment[3], long double x,
                               long double y, long double z);
// The message of the equivalent loads (or coefficients), its lines ended by line breaks.
QString EquivalentLoadsText(const TEquivalentLoads& loads, bool quadratic, int32_t unitSystem);

}  // namespace HarmonicBase

class THarmonicForm : public TDataForm {
    Q_OBJECT

public:
    TDataEdit* FreqEdit[3] = {};    // FreqMax, FreqMin, FreqStep
    TDataEdit* ForceEdit[3] = {};   // Fx, Fy, Fz (or their coefficients)
    TDataEdit* MomentEdit[3] = {};  // Mx, My, Mz (or their coefficients)
    TDataEdit* PointEdit[3] = {};   // LoadPointX, LoadPointY, LoadPointZ
    QRadioButton* RadioButton1 = nullptr;  // referred to the C.G. (LoadPointRef 0)
    QRadioButton* RadioButton2 = nullptr;  // referred to the C.B. (LoadPointRef 1)
    QPushButton* Button1 = nullptr;        // equivalent loads

    // The button's action: the message of the loads at the C.G.
    void ComputeEquivalentLoads();
    bool Quadratic() const { return m_quadratic; }

protected:
    THarmonicForm(TProject& project, QWidget* parent, bool quadratic);
    void Loaded() override;
    void Stored() override;

private:
    void SetPointCaptions(bool local);
    void PointReferenceChosen(bool local);
    void RadioButton1Click();
    void RadioButton2Click();
    bool m_quadratic;
    bool m_pointsLoaded = false;  // set at the end of the first activation
};
