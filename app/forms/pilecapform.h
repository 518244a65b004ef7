// Pile cap properties (unit NCPileProperties): `TfrmNCPileProperties`, the combined mass of a
// pile cap and its equipment (see forms/massform.h).
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/massform.h"

class TfrmNCPileProperties : public TMassForm {
    Q_OBJECT

public:
    explicit TfrmNCPileProperties(TProject& project, QWidget* parent = nullptr);
};
