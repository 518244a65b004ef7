// Pile-group kernels: static and frequency-dependent interaction factors of a
// pile pair.  The group flexibility matrices are inverted by inverse.h.
//
// All reals are 32-bit, complex values std::complex<float>.  The routines
// read no run state and allocate nothing.
#pragma once

#include "kernels/complex_types.h"
#include "kernels/inverse.h"

namespace eng {

// Static vertical interaction factor of two piles from curve fits.
//   s      spacing over diameter (s <= 0 gives 1.0)
//   LD     slenderness L/d
//   K      pile-soil stiffness ratio Ep*A / (E_soil*pi*d^2/4)
//   EbEs   modulus of the soil below the tips over the mean soil modulus
//   nu     mean Poisson's ratio of the soil
//   taper  radius of the last element over that of the first
void STATIC_INTERACTION_FACTORS(float& alpha, const float& s, const float& LD, const float& K,
                                const float& EbEs, const float& nu, const float& taper);

// The three static lateral interaction factors of a pair (horizontal,
// coupling, rotation) for loading at `angle` (radians) to the pair line.
//   s   spacing over diameter (s == 0 gives 1.0, 1.0, 1.0)
//   K   flexural stiffness ratio Ep*I / (E_soil*pi*d^4/64)
//   hd  free length over diameter (0 without a free length)
void LATERAL_INTERACTION_FACTORS(const float& s, const float& K, const float& angle,
                                 const float& hd, float& a1, float& a2, float& a3);

// Piecewise linear through (2, y1), (5, y2), (10, y3); the end segments
// extend beyond 2 and 10.
void INTERPOLATE_3POINT(const float& y1, const float& y2, const float& y3, const float& x,
                        float& y);

// Vertical interaction factor at the dimensionless frequency a0 = omega*d/Vs
// from its static value.
void VERTICAL_FACTOR_AT_FREQUENCY(const float& a0, const float& s, const float& alpha_static,
                                  cfloat& alpha);

// Lateral interaction factors at a0: A1..A3 are the static factors for
// loading along the pair line, B1..B3 across it; `angle` is the angle of the
// loading direction to the pair line (radians).
void LATERAL_FACTOR_AT_FREQUENCY(const float& a0, const float& s, const float& angle,
                                 const float& A1, const float& A2, const float& A3,
                                 const float& B1, const float& B2, const float& B3,
                                 cfloat& horizontal, cfloat& coupling, cfloat& rotation);

// The frequency-dependent factors of many pairs at one frequency, in parts:
// what depends on a0 alone once per frequency (PAIR_FACTOR_FREQUENCY), the
// six lateral terms of a pair once for both loading planes
// (LATERAL_PAIR_TERMS), and each plane's factors from them
// (LATERAL_PLANE_FACTORS).  The single-call routines above are these parts
// called in a row.

// Anchors, decay and phase offset of one frequency-dependent lateral factor.
struct LateralAnchors {
  float y1, y2, y3;  // amplitude at s = 2, 5, 10
  float p1, p2, p3;  // phase at s = 2, 5, 10
  float d;           // decay rate
  float c0;          // phase offset
  float g;           // phase growth beyond a0 = 1
};

struct PairFactorFrequency {
  float a0, a;             // a0 and min(a0, 1)
  LateralAnchors anchors[6];  // horizontal 0 and 90 degrees, coupling 0, 90, rotation 0, 90
  float va;                // the vertical factor's min(a0, 1)
  float e1, e2, e3;        // its amplitude anchors at s = 2, 5, 10
  float p1, p2, p3;        // its phase anchors
};

void PAIR_FACTOR_FREQUENCY(const float& a0, PairFactorFrequency& f);

// VERTICAL_FACTOR_AT_FREQUENCY(f.a0, s, alpha_static, alpha).
void VERTICAL_PAIR_FACTOR(const PairFactorFrequency& f, const float& s, const float& alpha_static,
                          cfloat& alpha);

// The six terms static * W * exp(-i Phi) of a pair: horizontal along and
// across the pair line (A1, B1), coupling (A2, B2), rotation (A3, B3).
void LATERAL_PAIR_TERMS(const PairFactorFrequency& f, const float& s, const float& A1,
                        const float& A2, const float& A3, const float& B1, const float& B2,
                        const float& B3, cfloat terms[6]);

// The factors of LATERAL_FACTOR_AT_FREQUENCY for loading at `angle` to the
// pair line, from the pair's six terms.
void LATERAL_PLANE_FACTORS(const cfloat terms[6], const float& angle, cfloat& horizontal,
                           cfloat& coupling, cfloat& rotation);

}  // namespace eng
