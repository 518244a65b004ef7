// Battered piles: TRANSFORM_6X6 and ROTATE_BATTER_STIFFNESS.
#include "batter.h"

#include <cmath>

#include "state.h"

namespace eng {

void TRANSFORM_6X6(const cfloat* K, const float* T, cfloat* Kt, const int& n) {
  constexpr int ld = 6;
  cfloat W[ld * ld];
  for (int c = 1; c <= n; ++c) {
    for (int r = 1; r <= n; ++r) {
      cfloat s(0.0f, 0.0f);
      for (int k = 1; k <= n; ++k) s += at(K, ld, r, k) * at(T, ld, k, c);
      at(W, ld, r, c) = s;
    }
  }
  for (int c = 1; c <= n; ++c) {
    for (int j = c; j <= n; ++j) {
      cfloat s(0.0f, 0.0f);
      for (int k = 1; k <= n; ++k) s += at(T, ld, k, c) * at(W, ld, k, j);
      at(Kt, ld, c, j) = s;
      at(Kt, ld, j, c) = s;
    }
  }
}

void batter_transformation(int i, float* T) {
  constexpr float pi = 3.1415927f;
  const float* a = g.foundation.direction_angles[i - 1];
  for (int k = 0; k < 36; ++k) T[k] = 0.0f;
  for (int r = 1; r <= 3; ++r) {
    for (int c = 1; c <= 3; ++c) {
      const float v = std::cos(pi * a[3 * (r - 1) + (c - 1)] / 180.0f);
      at(T, 6, r, c) = v;
      at(T, 6, r + 3, c + 3) = v;
    }
  }
}

void ROTATE_BATTER_STIFFNESS(const cfloat* K, const int& i, cfloat* Kg) {
  float T[36];
  batter_transformation(i, T);
  for (int k = 0; k < 36; ++k) Kg[k] = cfloat(0.0f, 0.0f);
  const int n = 6;
  TRANSFORM_6X6(K, T, Kg, n);
}

}  // namespace eng
