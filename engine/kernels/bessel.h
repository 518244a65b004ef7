// Complex modified Bessel functions of orders 0 and 1.
//
//  BESSEL_K0, BESSEL_K1  second kind: ascending series with logarithmic terms
//                        (50 terms) for |z| <= 9.0, a two-term asymptotic
//                        form with a small real correction above;
//  BESSEL_I0, BESSEL_I1  first kind: 20-term ascending series.
//
// Single precision throughout.  The logarithmic terms of the second kind use
// the phase atan(Im z / Re z) (pi/2 when Re z = 0), not the full complex
// argument: for Re z < 0 they differ from the principal-branch functions.
// z = 0 is outside the domain of K0 and K1 (the result is then inf/NaN); the
// callers never pass it.  The functions keep no state and never fail.
#pragma once

#include "kernels/complex_types.h"

namespace eng {

cfloat BESSEL_K0(const cfloat& z);
cfloat BESSEL_K1(const cfloat& z);
// K0(z) and K1(z) at once: one series (or one asymptotic factor) for both,
// each value bit for bit what BESSEL_K0 and BESSEL_K1 give.
void BESSEL_K0_K1(const cfloat& z, cfloat& k0, cfloat& k1);
cfloat BESSEL_I0(const cfloat& z);
cfloat BESSEL_I1(const cfloat& z);

// Whether the single-precision series keep about 1e-5 relative accuracy at
// z.  Their terms reach about e^(|z| - |Re z|) (I0, I1) or e^(|z| + Re z)
// (K0, K1, |z| <= 9) times the sum, so close to the imaginary axis (light
// damping) and, for K0 and K1, towards the positive real axis their rounding
// grows with |z|: 1e-4 at about 7.5 in those exponents, 1e-2 at 12.  Callers
// that need more evaluate the same functions in double where these say no.
// The asymptotic form of K0 and K1 (|z| > 9) rounds nothing away and counts
// as holding; the range of the 20-term series of I0 and I1 ends at |z| = 14.
bool first_kind_series_holds(const cfloat& z);
bool second_kind_series_holds(const cfloat& z);

// Complex number to a non-negative integer power by repeated squaring, the
// way the run-time library forms z**n (z**0 = 1, also for z = 0).  Shared by
// the Bessel series and the pile-soil kernel.
cfloat CPOW_INT(const cfloat& z, int n);

}  // namespace eng
