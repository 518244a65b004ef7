// Pile-soil impedance kernel.
//
// PILE_SOIL_IMPEDANCE gives, for one soil layer at one frequency, the
// dimensionless complex soil reactions per unit length on a rigid circular
// section moving in the layer (plane-strain model, Novak type): horizontal
// translation Su, vertical translation Sw, rotation about x Srx and about y Sry,
// and torsion St.  With a weakened annulus of thickness t around the section
// (the WEAK soil option) the reactions come from a two-zone solution.
//
// Arguments, all by reference, in the order:
//   a0       dimensionless frequency omega·r/Vs of the layer (<= 0: five zero
//            reactions, nothing else happens)
//   nu, D    Poisson's ratio and material damping of the layer
//   weak_ratio, weak_nu, weak_D, weak_t
//            the four weak-zone values: shear modulus ratio, Poisson's ratio
//            (not used by the kernel), damping, thickness (0.0 = no weak zone;
//            the vertical reaction switches to its two-zone value only for
//            t > 0, the others for any t != 0)
//   r        reference radius (horizontal and vertical motion; defines a0)
//   rx, ry, rt  radii for rotation about x, about y and for torsion
//            (homogeneous values only)
//   Su, Sw, Srx, Sry, St  out: the reactions
//   hflag    in: > 0 below the shear cut-off (material damping only in Su)
//   vflag    in: > 0 below the compression cut-off (material damping only in Sw)
//            Both flags describe the profile, not the layer: callers pass
//            the same two to every layer and the kernel changes neither.
//
// The reactions need K0 and K1 of their wave arguments only through ratios;
// where the single-precision functions fall below the smallest normal float
// (real part of the argument beyond about 87: strong damping, or a wide weak
// zone at high frequency) those ratios come from exponentially scaled
// functions in double, so the reactions stay finite.  So they do where the
// single-precision series would lose more than about 1e-5 to cancellation
// (light damping: arguments close to the imaginary axis, |z| from about 6
// up to the series' ends; two-zone series whose terms exceed their sum 100
// times; the horizontal annulus of a wide zone at low frequency or near its
// resonance): there the same formulas are evaluated in double, and the
// results agree with an exact evaluation to about 1e-4 (5e-4 where the
// two-term asymptotic form of K0 and K1 above |z| = 9 sets the limit).  A reaction that
// overflows single precision itself (a0 near 1E19) is returned as it comes;
// the analysis driver refuses a non-finite impedance.
//
// The kernel reads no run state, allocates nothing and reports nothing.  The
// horizontal two-zone solution uses LEQT1C.
#pragma once

#include "kernels/complex_types.h"

namespace eng {

void PILE_SOIL_IMPEDANCE(const float& a0, const float& nu, const float& D,
                         const float& weak_ratio, const float& weak_nu, const float& weak_D,
                         const float& weak_t, const float& r, const float& rx, const float& ry,
                         const float& rt, cfloat& Su, cfloat& Sw, cfloat& Srx, cfloat& Sry,
                         cfloat& St, const int& hflag, const int& vflag);

}  // namespace eng
