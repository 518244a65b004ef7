// Head impedance of one vertical pile (PILE) or of the multilayer shaft
// (MULT) at one circular frequency.
//
// The body is a chain of n elements, one per soil layer, from the head
// (element 1) to the tip (element n).  Each element is solved exactly in the
// frequency domain three times: as a bar in axial motion, as a bar in
// torsion and as a Timoshenko beam with rotary inertia and axial compression
// N.  The soil acts as distributed complex springs G*S per unit length from
// PILE_SOIL_IMPEDANCE; below the tip it is a rigid disc on a half-space
// (FOOTING_IMPEDANCE).  The chains are assembled in band storage and solved
// with COMPLEX_ELIMINATION for unit head motions.
//
// Guards (the closed forms divide by zero or overflow in these cases):
//   - n outside 1..30: nothing is computed and all twelve results are 0.0
//     (the foundation reader refuses such layer counts first);
//   - soil below the tip with Vs_b <= 0: the tip has a0 = 0 and, with G_b = 0,
//     no springs (a free tip), as a soil layer with no velocity has none;
//   - an axial or torsion element with k*L = 0 (no mass and no soil springs,
//     where sin(kL) = 0) takes its static terms EA*/L and -EA*/L; for
//     |Im kL| > 10 cot and 1/sin are formed from exp(2i*kL), so that long
//     elements in stiff soil do not overflow;
//   - a bending element is evaluated with circular and hyperbolic functions
//     scaled by their growth factors (no overflow for long elements).  The
//     single-precision closed form loses its digits when a wave number
//     lambda1, lambda2 is small (Delta ~ lambda^6 comes from cos*cosh - 1);
//     so it is used when both are at least 0.5, the same closed form in
//     double precision (terms rounded to single) when the larger is at least
//     0.03, and below that, or when Delta vanishes (a massless element
//     without springs), the static Timoshenko terms plus the first-order
//     effect of the springs, the rotary term and N.
#pragma once

#include "kernels/complex_types.h"

namespace eng {

// All arrays have 30 entries, entry j-1 for element/layer j.
//   profile   only its sign is used: negative for MULT (elements j > c are
//             soil columns), otherwise every element is the body
//   gp, nup   unit weight and Poisson's ratio of the body; grav the
//             gravitational constant; kappa the coefficient of rigidity;
//             E Young's modulus; N the static load (axial compression)
//   n, c      number of elements; adjacent layers of a MULT foundation
//   rhoG      shear modulus ratio (in/out) per layer
//   L, Vs, gam, nu, D   element length and soil layer values
//   r, A, I, J          section radius, area, moment of inertia, torsional
//                       constant per element
//   Vsb, gb, nub, Db    soil below the tip
//   omega     circular frequency (> 0)
//   k_*, c_*  out: stiffness Re H and damping Im H / omega of the six head
//             terms: vertical, torsional, lateral with the head rotation
//             held, rocking, coupling, lateral with the head rotation free
//   weak_*    weak shear ratio, Poisson's ratio, damping and thickness
//   Dp        material damping of the body; rhoD damping ratio per layer
//   omega_s, omega_p  shear and compression cut-off frequencies
void PILE_HEAD_IMPEDANCE(const int& profile, const float& gp, const float& nup,
                         const float& grav, const float& kappa, const float& E, const float& N,
                         const int& n, const int& c, const float* rhoG, const float* L,
                         const float* Vs, const float* gam, const float* nu, const float* D,
                         const float* r, const float* A, const float* I, const float* J,
                         const float& Vsb, const float& gb, const float& nub, const float& Db,
                         const float& omega, float& k_v, float& k_t, float& k_h, float& k_r,
                         float& k_c, float& k_hf, float& c_v, float& c_t, float& c_h,
                         float& c_r, float& c_c, float& c_hf, const float* weak_ratio,
                         const float* weak_nu, const float* weak_D, const float* weak_t,
                         const float& Dp, const float* rhoD, const float& omega_s,
                         const float& omega_p);

// Terms of one bar element (axial or torsion) with wave number k, complex
// rigidity EA (EA* or GJ*) and length L: d, the end force per unit motion of
// the same end, and o, per unit motion of the other end.
void bar_element(const cfloat& k, const cfloat& EA, float L, cfloat& d, cfloat& o);

// Terms e0, e1, em, e2, e3, e4 of one Timoshenko element.
//   P, R   lateral and rotational terms (omega^2 m - G Su, omega^2 m I/A - r^2 G Srx)
//   N      axial compression; s shear flexibility kappa/(G A)
//   EI     real rigidity E'*I; Dd its loss factor; L the length
// `static_only` forces the static terms with the first-order corrections.
void bending_element(const cfloat& P, const cfloat& R, float N, float s, float EI, float Dd,
                     float L, cfloat e[6], bool static_only = false);

}  // namespace eng
