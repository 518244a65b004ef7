// Mass data of a footing (unit Massdata): `TfrmMassdata`, the combined mass of the footing and
// its equipment (see forms/massform.h).
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/massform.h"

class TfrmMassdata : public TMassForm {
    Q_OBJECT

public:
    explicit TfrmMassdata(TProject& project, QWidget* parent = nullptr);
};
