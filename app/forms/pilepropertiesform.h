// Pile properties (unit CPileProperties): `TfrmCPileProperties`, the pile material and length,
// the position of the pile cap base and the pile options.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/dataform.h"

class QComboBox;

class TfrmCPileProperties : public TDataForm {
    Q_OBJECT

public:
    explicit TfrmCPileProperties(TProject& project, QWidget* parent = nullptr);

    // Xc, Yc, Zc, PileUnitWeight, PilePoisson, PileDamping, PileModulus, PileLength,
    // ShearCoefficient, StaticLoad.
    TDataEdit* DataEdit[10] = {};
    QComboBox* ComboBox1 = nullptr;  // head connection
    QComboBox* ComboBox2 = nullptr;  // tip condition
    QComboBox* ComboBox3 = nullptr;  // interaction

protected:
    void Loaded() override;
    void Stored() override;

private:
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void FlagsFromTexts();
};
