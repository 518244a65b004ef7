// Mass forms of a footing and of a pile cap (unit MassForm): the common part `TMassForm` and the
// computation of mass properties from the mass-component table.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// The sixteen number fields: the mass, three moments and three products of inertia, the
// computed centre of gravity (C.G.) in local coordinates, the local centre of the base (C.B.)
// and the computed C.B. in global coordinates (measured from the C.G., z axis reversed). The
// calculation button fills the mass, inertia, C.G. and global C.B. fields from the table
// `MassCal`; leaving the form after a calculation also makes the global C.B. the foundation's
// Xc, Yc, Zc.
#pragma once

#include "forms/dataform.h"

class QPushButton;
class TGridTable;

// Mass properties of a set of rigid boxes.
struct TMassProperties {
    long double Mass = 0;
    bool HasCentre = false;           // Mass > 0: the centre below is the table's
    long double CentreX = 0, CentreY = 0, CentreZ = 0;
    long double Ixx = 0, Iyy = 0, Izz = 0;
    long double Pxy = 0, Pxz = 0, Pyz = 0;  // Σ m dx dy, Σ m dx dz, Σ m dy dz
};

namespace MassForm {

// From the rows of `MassCal` (mass, x, y, z, length in x, width in y, thickness in z): the total
// mass, its centre (when the mass is above 0; else the centre given) and the moments and
// products about that centre.
TMassProperties Calculate(const TGridTable& massCal, long double oldX, long double oldY, long double oldZ);

}  // namespace MassForm

class TMassForm : public TDataForm {
    Q_OBJECT

public:
    // True once the calculation button has run in this form.
    bool Calculated() const { return m_calculated; }

    TDataEdit* MassEdit = nullptr;
    TDataEdit* InertiaEdit[6] = {};   // Ixx, Iyy, Izz, Ixy, Ixz, Iyz
    TDataEdit* CGEdit[3] = {};        // computed C.G. (local)
    TDataEdit* CBLocalEdit[3] = {};   // C.B. (local)
    TDataEdit* CBGlobalEdit[3] = {};  // computed C.B. (global)
    QPushButton* CalculateButton = nullptr;  // "Calculate mass moment of inertia"
    QPushButton* InputButton = nullptr;      // "Input all the mass components"

    // The calculation button's action.
    void CalculateMassProperties();

protected:
    TMassForm(TProject& project, QWidget* parent, const QString& caption, const QString& massCaption,
              const QString& massGroupCaption);
    void Stored() override;

private:
    bool m_calculated = false;
};
