// Battered piles: the 6 x 6 congruence transform and the rotation of a pile
// impedance into the cap axes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>

#include "batter.h"
#include "state.h"

namespace {

using eng::at;
using eng::cfloat;

// A symmetric complex 6 x 6 with distinct entries.
void symmetric_matrix(cfloat* K) {
  for (int c = 1; c <= 6; ++c) {
    for (int r = 1; r <= c; ++r) {
      const cfloat v(10.0f * r + c + (r == c ? 50.0f : 0.0f), 0.5f * r - 0.25f * c);
      at(K, 6, r, c) = v;
      at(K, 6, c, r) = v;
    }
  }
}

void rotation_z90(float* T) {
  // R rows (0, 1, 0), (-1, 0, 0), (0, 0, 1): a quarter turn about z.
  for (int k = 0; k < 36; ++k) T[k] = 0.0f;
  for (int b = 0; b < 6; b += 3) {
    at(T, 6, b + 1, b + 2) = 1.0f;
    at(T, 6, b + 2, b + 1) = -1.0f;
    at(T, 6, b + 3, b + 3) = 1.0f;
  }
}

void expect_near(cfloat a, cfloat b, float tol) {
  EXPECT_NEAR(a.real(), b.real(), tol);
  EXPECT_NEAR(a.imag(), b.imag(), tol);
}

TEST(Transform6x6, IdentityLeavesTheMatrix) {
  cfloat K[36], Kt[36];
  symmetric_matrix(K);
  float T[36] = {};
  for (int i = 1; i <= 6; ++i) at(T, 6, i, i) = 1.0f;
  const int n = 6;
  eng::TRANSFORM_6X6(K, T, Kt, n);
  for (int k = 0; k < 36; ++k) EXPECT_EQ(Kt[k], K[k]);
}

TEST(Transform6x6, QuarterTurnAboutZSwapsXAndY) {
  cfloat K[36], Kt[36];
  symmetric_matrix(K);
  float T[36];
  rotation_z90(T);
  const int n = 6;
  eng::TRANSFORM_6X6(K, T, Kt, n);
  // Hand rotation: x' = -y and y' = x for translations and rotations alike.
  expect_near(at(Kt, 6, 1, 1), at(K, 6, 2, 2), 1e-5f);
  expect_near(at(Kt, 6, 2, 2), at(K, 6, 1, 1), 1e-5f);
  expect_near(at(Kt, 6, 3, 3), at(K, 6, 3, 3), 1e-5f);
  expect_near(at(Kt, 6, 4, 4), at(K, 6, 5, 5), 1e-5f);
  expect_near(at(Kt, 6, 5, 5), at(K, 6, 4, 4), 1e-5f);
  expect_near(at(Kt, 6, 1, 2), -at(K, 6, 2, 1), 1e-5f);
  expect_near(at(Kt, 6, 1, 5), -at(K, 6, 2, 4), 1e-5f);
  expect_near(at(Kt, 6, 2, 4), -at(K, 6, 1, 5), 1e-5f);
  expect_near(at(Kt, 6, 1, 3), -at(K, 6, 2, 3), 1e-5f);
  expect_near(at(Kt, 6, 3, 6), at(K, 6, 3, 6), 1e-5f);
}

TEST(Transform6x6, TransformAndInverseGiveTheOriginal) {
  cfloat K[36], K1[36], K2[36];
  symmetric_matrix(K);
  // Rotation by 30 degrees about an oblique axis: R = Rz(30) * Rx(40).
  const float a = 0.5235988f, b = 0.6981317f;
  const float Rz[3][3] = {{std::cos(a), -std::sin(a), 0}, {std::sin(a), std::cos(a), 0}, {0, 0, 1}};
  const float Rx[3][3] = {{1, 0, 0}, {0, std::cos(b), -std::sin(b)}, {0, std::sin(b), std::cos(b)}};
  float T[36] = {}, Ti[36] = {};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      float v = 0.0f;
      for (int k = 0; k < 3; ++k) v += Rz[r][k] * Rx[k][c];
      for (int blk = 0; blk < 6; blk += 3) {
        at(T, 6, blk + r + 1, blk + c + 1) = v;
        at(Ti, 6, blk + c + 1, blk + r + 1) = v;  // the inverse of a rotation is its transpose
      }
    }
  }
  const int n = 6;
  eng::TRANSFORM_6X6(K, T, K1, n);
  eng::TRANSFORM_6X6(K1, Ti, K2, n);
  for (int k = 0; k < 36; ++k) expect_near(K2[k], K[k], 2e-4f * std::abs(K[k]) + 1e-4f);
}

TEST(Transform6x6, NonSymmetricInputGivesTheUpperTriangleMirrored) {
  cfloat K[36];
  for (int k = 0; k < 36; ++k) K[k] = cfloat(static_cast<float>(k + 1), 0.0f);
  float T[36] = {};
  for (int i = 1; i <= 6; ++i) at(T, 6, i, i) = 1.0f;
  cfloat Kt[36];
  const int n = 6;
  eng::TRANSFORM_6X6(K, T, Kt, n);
  for (int c = 1; c <= 6; ++c) {
    for (int r = 1; r <= 6; ++r) {
      const int lo = std::min(r, c), hi = std::max(r, c);
      EXPECT_EQ(at(Kt, 6, r, c), at(K, 6, lo, hi));
    }
  }
}

// Direction angles as the BATT reader stores them.
void batter(int pile, bool xz, float theta) {
  float* a = eng::g.foundation.direction_angles[pile - 1];
  const float xzv[9] = {theta, 90, theta + 90, 90, 0, 90, 90 - theta, 90, theta};
  const float yzv[9] = {0, 90, 90, 90, theta, theta + 90, 90, 90 - theta, theta};
  for (int k = 0; k < 9; ++k) a[k] = xz ? xzv[k] : yzv[k];
}

void diagonal_matrix(cfloat* K) {
  for (int k = 0; k < 36; ++k) K[k] = cfloat(0.0f, 0.0f);
  for (int i = 1; i <= 6; ++i) at(K, 6, i, i) = cfloat(100.0f * i, 3.0f * i);
}

TEST(RotateBatterStiffness, ThirtyDegreesInXZ) {
  eng::reset_engine_state();
  batter(2, true, 30.0f);
  cfloat K[36], Kg[36];
  diagonal_matrix(K);
  const int pile = 2;
  eng::ROTATE_BATTER_STIFFNESS(K, pile, Kg);
  const float c = std::cos(0.5235988f), s = std::sin(0.5235988f);
  const cfloat K11 = at(K, 6, 1, 1), K33 = at(K, 6, 3, 3);
  const cfloat K44 = at(K, 6, 4, 4), K66 = at(K, 6, 6, 6);
  expect_near(at(Kg, 6, 1, 1), c * c * K11 + s * s * K33, 1e-3f);
  expect_near(at(Kg, 6, 3, 3), s * s * K11 + c * c * K33, 1e-3f);
  expect_near(at(Kg, 6, 1, 3), c * s * (K33 - K11), 1e-3f);
  expect_near(at(Kg, 6, 3, 1), c * s * (K33 - K11), 1e-3f);
  expect_near(at(Kg, 6, 2, 2), at(K, 6, 2, 2), 1e-3f);
  expect_near(at(Kg, 6, 4, 4), c * c * K44 + s * s * K66, 1e-3f);
  expect_near(at(Kg, 6, 4, 6), c * s * (K66 - K44), 1e-3f);
  expect_near(at(Kg, 6, 1, 4), cfloat(0.0f, 0.0f), 1e-3f);
}

TEST(RotateBatterStiffness, YZPlaneAndZeroAngle) {
  eng::reset_engine_state();
  batter(1, false, 20.0f);
  batter(3, true, 0.0f);
  cfloat K[36], Kg[36];
  diagonal_matrix(K);
  const float c = std::cos(0.3490659f), s = std::sin(0.3490659f);
  int pile = 1;
  eng::ROTATE_BATTER_STIFFNESS(K, pile, Kg);
  const cfloat K22 = at(K, 6, 2, 2), K33 = at(K, 6, 3, 3);
  expect_near(at(Kg, 6, 2, 2), c * c * K22 + s * s * K33, 1e-3f);
  expect_near(at(Kg, 6, 3, 3), s * s * K22 + c * c * K33, 1e-3f);
  expect_near(at(Kg, 6, 2, 3), c * s * (K33 - K22), 1e-3f);
  expect_near(at(Kg, 6, 1, 1), at(K, 6, 1, 1), 1e-3f);
  // A zero batter angle leaves K (up to the single-precision cos 90).
  pile = 3;
  eng::ROTATE_BATTER_STIFFNESS(K, pile, Kg);
  for (int k = 0; k < 36; ++k) expect_near(Kg[k], K[k], 1e-3f);
}

}  // namespace
