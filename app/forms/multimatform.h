// Foundation properties of a multilayer foundation (unit Multimat): `TfrmMultimat`.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/dataform.h"

class TfrmMultimat : public TDataForm {
    Q_OBJECT

public:
    explicit TfrmMultimat(TProject& project, QWidget* parent = nullptr);

    // Xc, Yc, Zc, PileUnitWeight, PilePoisson, PileDamping, PileModulus, PileLength,
    // ShearCoefficient, StaticLoad.
    TDataEdit* DataEdit[10] = {};
};
