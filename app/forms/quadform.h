// Harmonic loading given as coefficients times the square of the frequency (unit Quadratic):
// `TfrmQuad` (see forms/harmonicbase.h). A window of its own beside the main window, not a
// child window.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/harmonicbase.h"

class TfrmQuad : public THarmonicForm {
    Q_OBJECT

public:
    explicit TfrmQuad(TProject& project, QWidget* parent = nullptr);
};
