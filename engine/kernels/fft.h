// Mixed-radix complex FFT of any length (Singleton's method).
#pragma once

#include "kernels/complex_types.h"

namespace eng {

// Longest transform whose work area always fits, whatever the prime factors
// of the length: the 1024-point transient tables.
constexpr int kFftMaxPoints = 1024;

// In-place discrete Fourier transform of data[0 .. n-1]:
//   data_k := sum over j of data_j * exp(+2*pi*i*j*k/n),   k = 0 .. n-1,
// positive exponent, not scaled, natural order in and out.  n = 1 returns the
// data unchanged.  Every n from 1 to kFftMaxPoints works; a longer transform
// works when its largest factor, its square-free part and the product of its
// square factors each fit into kFftMaxPoints.  n below 1, or a length whose
// tables do not fit, leaves the data unchanged (callers hold at most
// kFftMaxPoints values).  The work areas are the routine's own static storage.
void MIXED_RADIX_FFT(cfloat* data, const int& n);

}  // namespace eng
