// The readers inside the LOAD block (READ_LOAD itself is declared in readers.h).
#pragma once

namespace eng {

// The load constants after CONS, for the load type already set: harmonic,
// random or transient (the transient records are Fourier-transformed here).
void READ_LOAD_CONSTANTS();

}  // namespace eng
