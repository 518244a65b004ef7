// Random loading (unit Random): `Tfrmrandom`, the frequency range, points, observation period
// and the number of spectra; the spectra themselves are the table `Trandom`.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/dataform.h"

class QPushButton;

class Tfrmrandom : public TDataForm {
    Q_OBJECT

public:
    explicit Tfrmrandom(TProject& project, QWidget* parent = nullptr);

    TDataEdit* DataEdit1 = nullptr;  // RandomFreqMax
    TDataEdit* DataEdit2 = nullptr;  // RandomFreqMin
    TDataEdit* DataEdit3 = nullptr;  // PointCount
    TDataEdit* DataEdit4 = nullptr;  // ObservationPeriod
    TDataEdit* DataEdit5 = nullptr;  // LoadTypeCount
    QPushButton* Button1 = nullptr;  // "Data Button"
};
