// The FOUN block reader and its helpers.
//
// READ_FOUNDATION reads the whole block in its fixed order: foundation type,
// plan geometry, MASS, layer count or parabolic profile, head fixity and pile
// positions, CONS, ELEM, pile tip condition, BATT and INTE.  The values go to
// g.run and g.foundation (state_foundation.h).  Each helper reads the values
// after its sub-keyword, from the foundation type and options already set.
#pragma once

namespace eng {

void READ_FOUNDATION();            // after FOUN (also declared in readers.h)
void READ_GEOMETRY();              // after CIRC or RECT: dimensions, equivalent radii
void READ_FOUNDATION_CONSTANTS();  // after CONS
void READ_ELEMENTS();              // after ELEM
void READ_BATTER();                // after BATT (PILE only)

}  // namespace eng
