// Battered piles: the 6 x 6 congruence transform and the rotation of a pile's
// head impedance from its own axes into the cap's axes.
//
// Degrees of freedom: 1..3 translations x, y, z; 4..6 rotations about x, y, z.
// Matrices are column-major with leading dimension 6 (complex_types.h).
#pragma once

#include "kernels/complex_types.h"

namespace eng {

// Kt = T^T K T for a complex K and a real T, both n x n (n <= 6) with leading
// dimension 6.  The work product W = K T is summed in increasing k; only the
// triangle c <= j of T^T W is computed and mirrored, so Kt is symmetric even
// for a non-symmetric K.  Kt may be K itself.
void TRANSFORM_6X6(const cfloat* K, const float* T, cfloat* Kt, const int& n);

// Transformation T = diag(R, R) of pile i (1-based) from the nine direction
// angles g.foundation.direction_angles[i-1] (degrees): R(r, c) is the cosine
// of angle 3(r-1)+c, converted with pi = 3.1415927.  T is 6 x 6, leading
// dimension 6.
void batter_transformation(int i, float* T);

// Kg = T^T K T with T the transformation of pile i (see above); K is the
// pile's impedance in its own axes, Kg the same in global axes.
void ROTATE_BATTER_STIFFNESS(const cfloat* K, const int& i, cfloat* Kg);

}  // namespace eng
