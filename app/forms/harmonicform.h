// Harmonic loading given as forces and moments (unit Harmonic): `Tfrmharmonic` (see
// forms/harmonicbase.h).
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/harmonicbase.h"

class Tfrmharmonic : public THarmonicForm {
    Q_OBJECT

public:
    explicit Tfrmharmonic(TProject& project, QWidget* parent = nullptr);
};
