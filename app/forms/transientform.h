// Transient loading (unit Transient): `Tfrmtransient`, the time points and the number of loads;
// the loads themselves are the table `TLoadtype`.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/dataform.h"

class QPushButton;

class Tfrmtransient : public TDataForm {
    Q_OBJECT

public:
    explicit Tfrmtransient(TProject& project, QWidget* parent = nullptr);

    TDataEdit* DataEdit1 = nullptr;  // PointCount
    TDataEdit* DataEdit2 = nullptr;  // TimeStep
    TDataEdit* DataEdit3 = nullptr;  // LoadTypeCount
    QPushButton* Button1 = nullptr;  // "Data Button"
};
