// The readers inside the SOIL block (READ_SOIL itself is declared in readers.h).
#pragma once

namespace eng {

// The soil constants after CONS, in the layout of the foundation type and the
// soil profile.  Returns false when the rest of the block must be left to the
// keyword loop (no foundation type yet, or a count refused).
bool SOLCST();
// The soil under the base or the pile tips, after BELO.
void READ_SOIL_BELOW();
// The embedded side layers of a pile cap, after EMBE.
void READ_SIDE_LAYERS();

}  // namespace eng
