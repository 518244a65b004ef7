// Foundation data form (unit Foundations): `TfrmFoundations`, the global position of the base
// of a footing and, for a stratum, its depths.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/dataform.h"

class TfrmFoundations : public TDataForm {
    Q_OBJECT

public:
    explicit TfrmFoundations(TProject& project, QWidget* parent = nullptr);

    TDataEdit* DataEdit1 = nullptr;  // Xc
    TDataEdit* DataEdit2 = nullptr;  // Yc
    TDataEdit* DataEdit3 = nullptr;  // Zc
    TDataEdit* DataEdit4 = nullptr;  // BaseDepth
    TDataEdit* DataEdit5 = nullptr;  // BedrockDepth

protected:
    void Loaded() override;
};
