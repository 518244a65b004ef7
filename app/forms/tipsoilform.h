// Soil below the footing (unit Tipsoil): `TfrmTipsoil`, the soil under a footing or the pile
// tips.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/dataform.h"

class TfrmTipsoil : public TDataForm {
    Q_OBJECT

public:
    explicit TfrmTipsoil(TProject& project, QWidget* parent = nullptr);

    TDataEdit* DataEdit1 = nullptr;  // TipVs
    TDataEdit* DataEdit2 = nullptr;  // TipUnitWeight
    TDataEdit* DataEdit3 = nullptr;  // TipPoisson
    TDataEdit* DataEdit4 = nullptr;  // TipDamping
};
