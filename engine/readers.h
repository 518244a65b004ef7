// The readers of the input blocks, called from the keyword loop.
#pragma once

namespace eng {

void READ_FOUNDATION();  // FOUN block
void READ_SOIL();        // SOIL block
void READ_LOAD();        // LOAD block
void READ_GRAVITY();     // GRAV
void READ_TITLE(int& status);  // TITL
void READ_MASS();        // MASS inside FOUN
void SET_UNIT_LABELS();

}  // namespace eng
