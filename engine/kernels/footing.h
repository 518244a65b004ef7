// Closed-form impedance of rigid footings and the cut-off frequencies of a
// layered soil profile.
#pragma once

#include "kernels/complex_types.h"

namespace eng {

// Dimensionless complex stiffness of a rigid footing on a visco-elastic
// half-space (complex shear modulus G*(1 + i*D)).
//   a0      dimensionless frequency omega*r0/Vs of translation
//   nu, D   Poisson's ratio and material damping of the soil
//   r0      radius that defines a0; rx, ry rocking radii; rt torsion radius
//   kh, kv  horizontal and vertical coefficients, per G*r0
//   krx, kry rocking coefficients about x and y, per G*rx^3 and G*ry^3
//   kt      torsional coefficient, per G*rt^3
// The coefficient set follows Poisson's ratio: below 0.4 one set, from 0.4 on
// the other.
void FOOTING_IMPEDANCE(const float& a0, const float& nu, const float& D, const float& r0,
                       const float& rx, const float& ry, const float& rt, cfloat& kh, cfloat& kv,
                       cfloat& krx, cfloat& kry, cfloat& kt);

// Dimensional complex stiffnesses of a footing embedded E deep in a soil
// stratum of depth H on a rigid base, at circular frequency omega (rad/s).
// Static stiffnesses with embedment and depth corrections, frequency factors
// that change at the stratum's shear and compression cut-off frequencies
// Vs/(4H) and Vp/(4H), and hysteretic damping beta = D/2.
//   Khh  horizontal (x and y)          Kvv  vertical
//   Khx  y translation with rotation about x, the matrix term (2,4): -e*Khh
//   Khy  x translation with rotation about y, the matrix term (1,5): +e*Khh
//        with e = (0.4*E/R - 0.03)*R the height of the lateral resultant
//        above the base (R = Rx for Khx, Ry for Khy)
//   Kxx, Kyy rocking about x and y     Ktt  torsion
// g is the run's gravitational constant (shear modulus G = Vs^2*gamma/g); it
// comes last so that the other arguments keep their usual positions.
// Below a cut-off the damping coefficient is 0.65*beta*rs/(1 - (1 - 2beta)*rs^2)
// (0.5*beta*rp/(...) for rocking); at the cut-off itself (rs or rp exactly 1)
// without material damping this is 0/0, and the value taken is the one the
// formula gives at the cut-off for every beta > 0: 0.325 (0.25 for rocking).
void STRATUM_IMPEDANCE(const float& omega, const float& E, const float& H, const float& nu,
                       const float& D, const float& gamma, const float& Vs, const float& Rh,
                       const float& Rv, const float& Rx, const float& Ry, const float& Rt,
                       cfloat& Khh, cfloat& Kvv, cfloat& Khx, cfloat& Khy, cfloat& Kxx,
                       cfloat& Kyy, cfloat& Ktt, const float& g);

// Largest layer count of each profile table.
constexpr int kCutoffMaxLayers = 30;

// Shear and compression cut-off circular frequencies (rad/s) of the whole
// soil profile of end-bearing piles, from thickness-weighted mean properties
// of the pile layers followed by the side layers.
//   end_bearing      the END-BEARING flag: 0 or negative gives 0.0 for both
//   n_layers         layer count, held as a real (rounded to nearest)
//   layer_h, layer_vs, layer_nu  thickness, shear-wave velocity and Poisson's
//                    ratio of layer i at index i*layer_stride (i from 0)
//   n_side, side_h, side_vs, side_nu, side_stride  the same for the side layers
//   vs_base          shear-wave velocity of the soil below the pile tips
// Counts are held to 0 .. kCutoffMaxLayers.  A profile without thickness, or
// one whose mean velocity is not below vs_base, has no cut-off: 0.0 for both.
void LAYER_CUTOFF_FREQUENCIES(const int& end_bearing, const float& n_layers,
                              const float* layer_h, const float* layer_vs,
                              const float* layer_nu, const int& layer_stride,
                              const float& n_side, const float* side_h, const float* side_vs,
                              const float* side_nu, const int& side_stride,
                              const float& vs_base, float& omega_s, float& omega_p);

}  // namespace eng
