// Number types of the engine's kernels.
//
// The engine computes in single precision: reals are float, complex values are
// std::complex<float> (a pair of floats, real part first).  Accumulations that
// the algorithms call extended precision use long double.
//
// Matrices are stored by columns with an explicit leading dimension `ld`:
// element (i, j), 1-based as the algorithms number them, is a[(j - 1) * ld + (i - 1)].
#pragma once

#include <complex>

namespace eng {

using cfloat = std::complex<float>;

// Element (i, j) (1-based) of a column-major matrix with leading dimension ld.
template <class T>
inline T& at(T* a, int ld, int i, int j) {
  return a[(j - 1) * ld + (i - 1)];
}
template <class T>
inline const T& at(const T* a, int ld, int i, int j) {
  return a[(j - 1) * ld + (i - 1)];
}

}  // namespace eng
