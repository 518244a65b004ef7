// Pile groups: static and dynamic interaction factors, the group set-up and
// the cap impedance, and the in-place inversion of the group matrices.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

#include "kernels/group_factors.h"
#include "pile_group.h"
#include "state.h"

namespace {

using eng::at;
using eng::cfloat;

void expect_close(cfloat a, cfloat b, float rel, const char* what = "") {
  const float tol = rel * std::max(std::abs(b), 1e-20f);
  EXPECT_NEAR(a.real(), b.real(), tol) << what;
  EXPECT_NEAR(a.imag(), b.imag(), tol) << what;
}

// ---------------------------------------------------------------------------
// Static factors

TEST(StaticInteractionFactors, HandValuesOfTheFits) {
  float a;
  // LD 10, s 3, log K = 3, soft base, no taper, nu 0.5: the P value
  // 0.72 - 0.244 ln 3 of the slenderness-10 fit.
  eng::STATIC_INTERACTION_FACTORS(a, 3.0f, 10.0f, 1000.0f, 1.0f, 0.5f, 1.0f);
  EXPECT_NEAR(a, 0.4519386f, 1e-5f);
  // Far branch (s = 12) with the Poisson correction for nu 0.3.
  eng::STATIC_INTERACTION_FACTORS(a, 12.0f, 10.0f, 1000.0f, 1.0f, 0.3f, 1.0f);
  EXPECT_NEAR(a, 0.1468436f, 1e-5f);
  // A stiff base (EbEs 1000) gives the Q value of the slenderness-25 fit.
  eng::STATIC_INTERACTION_FACTORS(a, 3.0f, 25.0f, 1000.0f, 1000.0f, 0.5f, 1.0f);
  EXPECT_NEAR(a, 0.0557627f, 1e-5f);
  // No spacing: 1.
  eng::STATIC_INTERACTION_FACTORS(a, 0.0f, 25.0f, 1000.0f, 1.0f, 0.3f, 1.0f);
  EXPECT_EQ(a, 1.0f);
}

TEST(StaticInteractionFactors, SlendernessInterpolation) {
  struct Case { float s, K, EbEs, nu, taper; };
  for (const Case c : {Case{3, 1000, 1, 0.3f, 1}, Case{6, 50, 30, 0.4f, 1.5f},
                       Case{12, 1e5f, 5, 0.2f, 2.5f}}) {
    float f10, f25, f50, f100, mid, at50;
    eng::STATIC_INTERACTION_FACTORS(f10, c.s, 10, c.K, c.EbEs, c.nu, c.taper);
    eng::STATIC_INTERACTION_FACTORS(f25, c.s, 25, c.K, c.EbEs, c.nu, c.taper);
    eng::STATIC_INTERACTION_FACTORS(f50, c.s, 50, c.K, c.EbEs, c.nu, c.taper);
    eng::STATIC_INTERACTION_FACTORS(f100, c.s, 100, c.K, c.EbEs, c.nu, c.taper);
    eng::STATIC_INTERACTION_FACTORS(mid, c.s, 17.5f, c.K, c.EbEs, c.nu, c.taper);
    EXPECT_NEAR(mid, 0.5f * (f10 + f25), 1e-6f);
    eng::STATIC_INTERACTION_FACTORS(mid, c.s, 75.0f, c.K, c.EbEs, c.nu, c.taper);
    EXPECT_NEAR(mid, 0.5f * (f50 + f100), 1e-6f);
    eng::STATIC_INTERACTION_FACTORS(at50, c.s, 49.999f, c.K, c.EbEs, c.nu, c.taper);
    EXPECT_NEAR(at50, f50, 1e-4f);  // continuous across the fit boundaries
    float beyond;
    eng::STATIC_INTERACTION_FACTORS(beyond, c.s, 400.0f, c.K, c.EbEs, c.nu, c.taper);
    EXPECT_EQ(beyond, f100);
  }
}

TEST(LateralInteractionFactors, PowerFitsAndFreeLength) {
  float a1, a2, a3;
  eng::LATERAL_INTERACTION_FACTORS(2.0f, 1000.0f, 0.0f, 0.0f, a1, a2, a3);
  EXPECT_NEAR(a1, 0.4781202f, 2e-6f);
  EXPECT_NEAR(a2, 0.2511432f, 2e-6f);
  EXPECT_NEAR(a3, 0.1144979f, 2e-6f);
  const float half_pi = 1.5707964f;
  eng::LATERAL_INTERACTION_FACTORS(2.0f, 1000.0f, half_pi, 0.0f, a1, a2, a3);
  EXPECT_NEAR(a1, 0.2865714f, 2e-6f);
  EXPECT_NEAR(a2, 0.1130097f, 2e-6f);
  EXPECT_NEAR(a3, 0.0485923f, 2e-6f);
  // Beyond s = 5 the first factor falls off as 5/s.
  eng::LATERAL_INTERACTION_FACTORS(10.0f, 1000.0f, 0.0f, 0.0f, a1, a2, a3);
  EXPECT_NEAR(a1, 0.1230270f, 2e-6f);
  // 45 degrees: the mean of both directions; hd = 2 scales by 0.75.
  float b1, b2, b3, c1, c2, c3;
  eng::LATERAL_INTERACTION_FACTORS(3.0f, 200.0f, 0.0f, 0.0f, a1, a2, a3);
  eng::LATERAL_INTERACTION_FACTORS(3.0f, 200.0f, half_pi, 0.0f, b1, b2, b3);
  eng::LATERAL_INTERACTION_FACTORS(3.0f, 200.0f, 0.7853982f, 2.0f, c1, c2, c3);
  EXPECT_NEAR(c1, 0.75f * 0.5f * (a1 + b1), 1e-6f);
  EXPECT_NEAR(c2, 0.75f * 0.5f * (a2 + b2), 1e-6f);
  EXPECT_NEAR(c3, 0.75f * 0.5f * (a3 + b3), 1e-6f);
  eng::LATERAL_INTERACTION_FACTORS(0.0f, 200.0f, 0.3f, 2.0f, a1, a2, a3);
  EXPECT_EQ(a1, 1.0f);
  EXPECT_EQ(a3, 1.0f);
}

// ---------------------------------------------------------------------------
// Frequency-dependent factors

TEST(Interpolate3Point, AnchorsAndExtension) {
  float y;
  const float x[] = {2, 5, 10, 0, 12, 3.5f};
  const float want[] = {1, 4, 14, -1, 18, 2.5f};  // through (2,1), (5,4), (10,14)
  for (int k = 0; k < 6; ++k) {
    eng::INTERPOLATE_3POINT(1.0f, 4.0f, 14.0f, x[k], y);
    EXPECT_NEAR(y, want[k], 1e-5f) << x[k];
  }
}

TEST(VerticalFactorAtFrequency, ZeroFrequencyFarSpacingAndHighFrequency) {
  cfloat a;
  // a0 = 0: amplitude 1, phase only the offset -0.0936.
  eng::VERTICAL_FACTOR_AT_FREQUENCY(0.0f, 4.0f, 0.5f, a);
  expect_close(a, 0.5f * std::exp(cfloat(0.0f, 0.0936f)), 1e-5f);
  // s = 12: amplitude exp(-0.6 a).
  eng::VERTICAL_FACTOR_AT_FREQUENCY(0.5f, 12.0f, 1.0f, a);
  EXPECT_NEAR(std::abs(a), std::exp(-0.3f), 1e-5f);
  // a0 beyond 1: anchors at a = 1, extra decay and phase s (a0 - 1).
  cfloat a1, a2;
  eng::VERTICAL_FACTOR_AT_FREQUENCY(1.0f, 3.0f, 1.0f, a1);
  eng::VERTICAL_FACTOR_AT_FREQUENCY(1.5f, 3.0f, 1.0f, a2);
  expect_close(a2, a1 * std::exp(-0.05f * 3.0f * 0.5f) * std::exp(cfloat(0.0f, -1.5f)), 1e-4f);
}

TEST(LateralFactorAtFrequency, ZeroFrequencyAndFarSpacing) {
  cfloat h, m, r;
  eng::LATERAL_FACTOR_AT_FREQUENCY(0.0f, 4.0f, 0.0f, 0.4f, 0.2f, 0.1f, 0.3f, 0.15f, 0.05f, h,
                                   m, r);
  expect_close(h, 0.4f * std::exp(cfloat(0.0f, 0.0757f)), 1e-5f, "H");
  expect_close(m, 0.2f * std::exp(cfloat(0.0f, 0.05157f)), 1e-5f, "M");
  expect_close(r, 0.1f * std::exp(cfloat(0.0f, 0.02596f)), 1e-5f, "R");
  // Across the pair line only the 90-degree fits count.
  eng::LATERAL_FACTOR_AT_FREQUENCY(0.0f, 4.0f, 1.5707964f, 0.4f, 0.2f, 0.1f, 0.3f, 0.15f, 0.05f,
                                   h, m, r);
  expect_close(h, 0.3f * std::exp(cfloat(0.0f, 0.0757f)), 1e-5f, "H90");
  // s = 12: amplitudes of s = 10, the horizontal ones decay by exp(-d a 2).
  cfloat h10, m10, r10;
  const float a0 = 0.6f;
  eng::LATERAL_FACTOR_AT_FREQUENCY(a0, 10.0f, 0.0f, 1, 1, 1, 1, 1, 1, h10, m10, r10);
  eng::LATERAL_FACTOR_AT_FREQUENCY(a0, 12.0f, 0.0f, 1, 1, 1, 1, 1, 1, h, m, r);
  EXPECT_NEAR(std::abs(h), std::abs(h10) * std::exp(-0.028f * a0 * 2.0f), 1e-5f);
  EXPECT_NEAR(std::abs(m), std::abs(m10), 1e-6f);
  EXPECT_NEAR(std::abs(r), std::abs(r10), 1e-6f);
}

// ---------------------------------------------------------------------------
// Inversion

// A diagonally dominant complex matrix (Gauss-Jordan without pivoting).
std::vector<cfloat> test_matrix(int n, int lda, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<cfloat> a(static_cast<size_t>(lda) * n, cfloat(7.0f, 7.0f));  // padding
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i <= n; ++i) at(a.data(), lda, i, j) = cfloat(u(gen), u(gen));
    at(a.data(), lda, j, j) += cfloat(2.0f * n, 0.5f * n);
  }
  return a;
}

// The factors of many pairs from their parts (per frequency, per pair, per
// plane) have the bits of the single-call routines, on every branch in a0
// (0.25, 0.5, 0.6, 0.9, 1 and beyond) and in s (2, 5, 10 and beyond).
TEST(PairFactorsInParts, SameBitsAsTheSingleCallRoutines) {
  auto same = [](const cfloat& a, const cfloat& b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  const float a0s[] = {0.0f, 0.01f, 0.2f, 0.25f, 0.3f, 0.5f, 0.55f, 0.6f, 0.75f, 0.9f, 0.95f, 1.0f, 1.7f, 3.2f};
  const float ss[] = {1.5f, 2.0f, 3.3f, 5.0f, 7.1f, 10.0f, 12.5f, 41.0f};
  const float angles[] = {0.0f, 0.35f, 1.1f, 1.5707964f};
  const float A1 = 0.31f, A2 = 0.22f, A3 = 0.13f, B1 = 0.27f, B2 = 0.16f, B3 = 0.07f;
  for (const float a0 : a0s) {
    eng::PairFactorFrequency f;
    eng::PAIR_FACTOR_FREQUENCY(a0, f);
    for (const float s : ss) {
      cfloat v_ref, v;
      eng::VERTICAL_FACTOR_AT_FREQUENCY(a0, s, 0.43f, v_ref);
      eng::VERTICAL_PAIR_FACTOR(f, s, 0.43f, v);
      EXPECT_TRUE(same(v, v_ref)) << a0 << " " << s;
      cfloat terms[6];
      eng::LATERAL_PAIR_TERMS(f, s, A1, A2, A3, B1, B2, B3, terms);
      for (const float beta : angles) {
        cfloat h_ref, m_ref, r_ref, h, m, r;
        eng::LATERAL_FACTOR_AT_FREQUENCY(a0, s, beta, A1, A2, A3, B1, B2, B3, h_ref, m_ref, r_ref);
        eng::LATERAL_PLANE_FACTORS(terms, beta, h, m, r);
        EXPECT_TRUE(same(h, h_ref) && same(m, m_ref) && same(r, r_ref)) << a0 << " " << s << " " << beta;
      }
    }
  }
}

TEST(InvertComplexMatrix, ProductWithTheOriginalIsIdentity) {
  for (const int n : {1, 7, 300}) {
    const int lda = n + 3;
    const std::vector<cfloat> a = test_matrix(n, lda, 17u + n);
    std::vector<cfloat> inv = a;
    eng::INVERT_COMPLEX_MATRIX(inv.data(), lda, n);
    float worst = 0.0f;
    for (int j = 1; j <= n; ++j) {
      for (int i = 1; i <= n; ++i) {
        std::complex<double> s = 0.0;
        for (int k = 1; k <= n; ++k) {
          s += std::complex<double>(at(a.data(), lda, i, k)) *
               std::complex<double>(at(inv.data(), lda, k, j));
        }
        worst = std::max(worst, static_cast<float>(std::abs(s - (i == j ? 1.0 : 0.0))));
      }
      // Rows beyond n of the leading dimension are not touched.
      for (int i = n + 1; i <= lda; ++i) EXPECT_EQ(at(inv.data(), lda, i, j), cfloat(7.0f, 7.0f));
    }
    EXPECT_LT(worst, 2e-6f) << "order " << n;
  }
}

// The step-by-step Gauss-Jordan of the description, one element at a time.
void reference_inverse(std::vector<cfloat>& a, int lda, int n) {
  for (int k = 1; k <= n; ++k) {
    const cfloat p = at(a.data(), lda, k, k);
    at(a.data(), lda, k, k) = cfloat(1.0f, 0.0f);
    for (int j = 1; j <= n; ++j) at(a.data(), lda, k, j) = at(a.data(), lda, k, j) / p;
    for (int i = 1; i <= n; ++i) {
      if (i == k) continue;
      const cfloat t = at(a.data(), lda, i, k);
      at(a.data(), lda, i, k) = cfloat(0.0f, 0.0f);
      for (int j = 1; j <= n; ++j) {
        const cfloat r = at(a.data(), lda, k, j);
        cfloat& x = at(a.data(), lda, i, j);
        x = cfloat(x.real() - (t.real() * r.real() - t.imag() * r.imag()),
                   x.imag() - (t.real() * r.imag() + t.imag() * r.real()));
      }
    }
  }
}

TEST(InvertComplexMatrix, SameBitsAsTheElementwiseAlgorithm) {
  for (const int n : {3, 7, 37, 70, 150}) {
    const int lda = n + 1;
    std::vector<cfloat> fast = test_matrix(n, lda, 5u + n);
    std::vector<cfloat> ref = fast;
    std::vector<cfloat> stepwise = fast;
    eng::INVERT_COMPLEX_MATRIX(fast.data(), lda, n);
    reference_inverse(ref, lda, n);
    const int slice = 5;  // several row slices
    eng::invert_complex_matrix_stepwise(stepwise.data(), lda, n, slice);
    for (size_t k = 0; k < ref.size(); ++k) {
      ASSERT_EQ(fast[k], ref[k]) << "order " << n;
      ASSERT_EQ(stepwise[k], ref[k]) << "order " << n;
    }
  }
}

TEST(InvertComplexMatrix, HandTwoByTwo) {
  // [[1, i], [2, 3]]^-1 = [[3, -i], [-2, 1]] / (3 - 2i).
  cfloat a[4] = {cfloat(1, 0), cfloat(2, 0), cfloat(0, 1), cfloat(3, 0)};
  const int lda = 2, n = 2;
  eng::INVERT_COMPLEX_MATRIX(a, lda, n);
  const cfloat det(3.0f, -2.0f);
  expect_close(a[0], cfloat(3, 0) / det, 1e-6f);
  expect_close(a[1], cfloat(-2, 0) / det, 1e-6f);
  expect_close(a[2], cfloat(0, -1) / det, 1e-6f);
  expect_close(a[3], cfloat(1, 0) / det, 1e-6f);
}

// ---------------------------------------------------------------------------
// Group set-up

// Piles of diameter 1 (mean radius 0.5), length 20, in two soil layers.
void group_deck(const std::vector<std::pair<float, float>>& piles) {
  eng::reset_engine_state();
  auto& g = eng::g;
  g.run.foundation_type = 1;
  g.run.interaction = 1;
  g.run.head_fixity = 1;
  g.run.gravity = 9.8f;
  g.run.n_piles = static_cast<int>(piles.size());
  for (size_t i = 0; i < piles.size(); ++i) {
    g.foundation.pile_x[i] = piles[i].first;
    g.foundation.pile_y[i] = piles[i].second;
  }
  g.run.n_layers = 2;
  g.foundation.pile_length = 20.0f;
  g.foundation.youngs_modulus = 2.5e7f;
  for (int k = 0; k < 2; ++k) {
    g.foundation.layer_depth[k] = 10.0f;
    g.foundation.radius_x[k] = g.foundation.radius_y[k] = 0.5f;
    g.driver.mean_radius[k] = 0.5f;
    g.foundation.section_area[k] = 0.785398f;
    g.foundation.inertia_x[k] = g.foundation.inertia_y[k] = 0.0490874f;
    g.foundation.torsional_stiffness[k] = 0.0981748f;
  }
  // Layer moduli E = 2(1 + nu) gamma/g Vs^2.
  g.soil.layer.velocity[0] = 100.0f;
  g.soil.layer.velocity[1] = 200.0f;
  for (int k = 0; k < 2; ++k) {
    g.soil.layer.unit_weight[k] = 19.6f;
    g.soil.layer.poisson[k] = 0.25f;
  }
  g.soil.reference_velocity = 200.0f;
  g.soil.below = {400.0f, 19.6f, 0.3f, 0.02f};
}

TEST(SetupPileGroup, PairTablesOfTwoPilesOnTheXAxis) {
  group_deck({{0.0f, 0.0f}, {3.0f, 0.0f}});
  eng::SETUP_PILE_GROUP();
  const auto& p = eng::g.piles;
  // Hand values: E1 = 2.5*2*1e4 = 5e4, E2 = 2e5, mean 1.25e5, nu 0.25;
  // Kv = 2.5e7*0.785398/(1.25e5*pi/4) = 200, Eb/E = 2*1.3*2*16e4/1.25e5 = 6.656,
  // Kh from layer 2: 2.5e7*0.0490874/(2e5*pi/64) = 125.
  float alpha;
  eng::STATIC_INTERACTION_FACTORS(alpha, 3.0f, 20.0f, 200.0f, 6.656f, 0.25f, 1.0f);
  EXPECT_NEAR(p.spacing(1, 2), alpha, 1e-5f);
  EXPECT_FLOAT_EQ(p.spacing(2, 1), 3.0f);
  EXPECT_FLOAT_EQ(p.angle(1, 2), 0.0f);
  EXPECT_FLOAT_EQ(p.angle(2, 1), 1.5707964f);
  float a1, a2, a3;
  eng::LATERAL_INTERACTION_FACTORS(3.0f, 125.0f, 0.0f, 0.0f, a1, a2, a3);
  EXPECT_NEAR(p.lateral1(1, 2), a1, 1e-5f);
  EXPECT_NEAR(p.lateral2(1, 2), a2, 1e-5f);
  EXPECT_NEAR(p.lateral3(1, 2), a3, 1e-5f);
  eng::LATERAL_INTERACTION_FACTORS(3.0f, 125.0f, 1.5707964f, 0.0f, a1, a2, a3);
  EXPECT_NEAR(p.lateral1(2, 1), a1, 1e-5f);
  EXPECT_NEAR(p.lateral3(2, 1), a3, 1e-5f);
  EXPECT_EQ(p.spacing(1, 1), 0.0f);  // the diagonal is never written
}

TEST(SetupPileGroup, BatteredPileAndFreeLength) {
  group_deck({{0.0f, 0.0f}, {0.0f, 4.0f}});
  auto& g = eng::g;
  g.foundation.pile_length = 30.0f;
  g.run.battered = 1;
  const float theta = 10.0f;
  const float xz[9] = {theta, 90, theta + 90, 90, 0, 90, 90 - theta, 90, theta};
  for (int k = 0; k < 9; ++k) g.foundation.direction_angles[1][k] = xz[k];
  g.soil.layer.velocity[0] = 0.0f;  // a free length of 10 above the soil: hd = 10
  eng::SETUP_PILE_GROUP();
  EXPECT_NEAR(g.piles.work_x[1], 30.0f * std::tan(0.1745329f) / 3.0f, 1e-5f);
  EXPECT_NEAR(g.piles.work_y[1], 4.0f, 1e-6f);
  EXPECT_FLOAT_EQ(g.foundation.pile_x[1], 0.0f);  // the coordinates as read stay
  const float dx = 1.7632698f;
  EXPECT_NEAR(g.piles.spacing(2, 1), std::sqrt(dx * dx + 16.0f), 1e-4f);
  EXPECT_NEAR(g.piles.angle(1, 2), std::atan(4.0f / dx), 1e-5f);
  float a1, a2, a3, b1, b2, b3;
  const float s = g.piles.spacing(2, 1);
  eng::LATERAL_INTERACTION_FACTORS(s, 125.0f, 0.0f, 0.0f, a1, a2, a3);
  eng::LATERAL_INTERACTION_FACTORS(s, 125.0f, 0.0f, 10.0f, b1, b2, b3);
  EXPECT_NEAR(b1, a1 * (1.0f - 10.0f / 8.0f), 1e-6f);
  EXPECT_NEAR(g.piles.lateral1(1, 2), b1, 1e-6f);
}

// ---------------------------------------------------------------------------
// Cap impedance

// A single-pile head impedance with the couplings the driver sets.
void pile_matrix(cfloat* K) {
  for (int k = 0; k < 36; ++k) K[k] = cfloat(0.0f, 0.0f);
  at(K, 6, 1, 1) = at(K, 6, 2, 2) = cfloat(2.0e5f, 3.0e4f);
  at(K, 6, 3, 3) = cfloat(1.0e6f, 2.0e5f);
  at(K, 6, 4, 4) = at(K, 6, 5, 5) = cfloat(4.0e5f, 2.0e4f);
  at(K, 6, 6, 6) = cfloat(5.0e4f, 1.0e3f);
  at(K, 6, 1, 5) = at(K, 6, 5, 1) = cfloat(-1.5e5f, -1.0e4f);
  at(K, 6, 2, 4) = at(K, 6, 4, 2) = cfloat(1.5e5f, 1.0e4f);
}

TEST(PileGroupImpedance, OnePileAtTheOriginIsThePile) {
  group_deck({{0.0f, 0.0f}});
  cfloat Kp[36], Kc[36];
  pile_matrix(Kp);
  const float omega = 20.0f;
  eng::PILE_GROUP_IMPEDANCE(Kp, Kc, omega);
  for (int k = 0; k < 36; ++k) EXPECT_EQ(Kc[k], Kp[k]) << k;
}

TEST(PileGroupImpedance, OnePileMovedToItsPositionAndTheCentreOfGravity) {
  group_deck({{2.0f, -1.0f}});
  eng::g.foundation.zc = 1.5f;
  cfloat Kp[36], Kc[36];
  pile_matrix(Kp);
  const float omega = 5.0f, X = 2.0f, Y = -1.0f, h = 1.5f;
  eng::PILE_GROUP_IMPEDANCE(Kp, Kc, omega);
  const cfloat k11 = at(Kp, 6, 1, 1), k15 = at(Kp, 6, 1, 5), k55 = at(Kp, 6, 5, 5);
  const cfloat k33 = at(Kp, 6, 3, 3), k66 = at(Kp, 6, 6, 6), k22 = at(Kp, 6, 2, 2);
  expect_close(at(Kc, 6, 1, 5), k15 - h * k11, 1e-6f);
  expect_close(at(Kc, 6, 3, 4), -Y * k33, 1e-6f);
  expect_close(at(Kc, 6, 5, 3), X * k33, 1e-6f);
  expect_close(at(Kc, 6, 5, 5), h * h * k11 + k55 + X * X * k33 - 2.0f * h * k15, 1e-6f);
  expect_close(at(Kc, 6, 6, 6), X * X * k22 + Y * Y * k11 + k66, 1e-6f);
  expect_close(at(Kc, 6, 4, 5), -X * Y * k33, 1e-6f);
  EXPECT_EQ(at(Kc, 6, 1, 2), cfloat(0.0f, 0.0f));
  EXPECT_EQ(at(Kc, 6, 3, 6), cfloat(0.0f, 0.0f));
}

// Interaction path of two piles with given pair factors, against the closed
// form of a symmetric pair: the sums of K = G^-1 over the pair are twice the
// inverse of (own flexibility + pair flexibility).
TEST(PileGroupImpedance, TwoInteractingPilesAgainstTheClosedForm) {
  group_deck({{-1.5f, 0.0f}, {1.5f, 0.0f}});
  auto& p = eng::g.piles;
  p.spacing(1, 2) = 0.4f;  // alpha_V
  p.spacing(2, 1) = 3.0f;  // s
  p.angle(1, 2) = 0.0f;
  p.angle(2, 1) = 1.5707964f;
  p.lateral1(1, 2) = 0.3f;
  p.lateral2(1, 2) = 0.2f;
  p.lateral3(1, 2) = 0.1f;
  p.lateral1(2, 1) = 0.25f;
  p.lateral2(2, 1) = 0.15f;
  p.lateral3(2, 1) = 0.05f;
  cfloat Kp[36], F[36], Kc[36];
  pile_matrix(Kp);
  std::copy(Kp, Kp + 36, F);
  int six = 6;
  eng::INVERT_COMPLEX_MATRIX(F, six, six);

  for (const float omega : {5.0f, 30.0f}) {
    for (const int fixity : {0, 1}) {
      eng::g.run.head_fixity = fixity;
      eng::PILE_GROUP_IMPEDANCE(Kp, Kc, omega);
      // Pair factors at this frequency.
      cfloat cV(0.4f, 0.0f), cH(0.3f, 0.0f), cM(0.2f, 0.0f), cR(0.1f, 0.0f), cHy(0.25f, 0.0f);
      const float a0 = omega * 1.0f / 200.0f;
      if (omega > 10.0f) {
        eng::VERTICAL_FACTOR_AT_FREQUENCY(a0, 3.0f, 0.4f, cV);
        eng::LATERAL_FACTOR_AT_FREQUENCY(a0, 3.0f, 0.0f, 0.3f, 0.2f, 0.1f, 0.25f, 0.15f, 0.05f,
                                         cH, cM, cR);
        cfloat m, r;
        eng::LATERAL_FACTOR_AT_FREQUENCY(a0, 3.0f, 1.5707964f, 0.3f, 0.2f, 0.1f, 0.25f, 0.15f,
                                         0.05f, cHy, m, r);
      }
      const cfloat F33 = at(F, 6, 3, 3), F11 = at(F, 6, 1, 1), F15 = at(F, 6, 1, 5),
                   F55 = at(F, 6, 5, 5), F22 = at(F, 6, 2, 2);
      const float x = 1.5f;
      // Vertical: Szz = 2/(F33 (1 + c)), Sxx = x^2 (Szz - coupling) ...
      const cfloat kself = F33 * (1.0f + cV), kanti = F33 * (1.0f - cV);
      expect_close(at(Kc, 6, 3, 3), 2.0f / kself, 1e-5f, "Kzz");
      // Rocking about y from the antisymmetric mode: sum x_i x_j K_ij = 2 x^2 / (F33 (1 - c)).
      if (fixity == 0) {
        expect_close(at(Kc, 6, 5, 5), 2.0f * x * x / kanti, 1e-5f, "Kryy pinned");
        expect_close(at(Kc, 6, 1, 1), 2.0f / (F11 * (1.0f + cH)), 1e-5f, "Kxx pinned");
        expect_close(at(Kc, 6, 2, 2), 2.0f / (F22 * (1.0f + cHy)), 1e-5f, "Kyy pinned");
        EXPECT_EQ(at(Kc, 6, 1, 5), cfloat(0.0f, 0.0f));
      } else {
        // 2 x 2 block (A + C) of the symmetric mode.
        const cfloat a = F11 * (1.0f + cH), b = F15 * (1.0f + cM), d = F55 * (1.0f + cR);
        const cfloat det = a * d - b * b;
        expect_close(at(Kc, 6, 1, 1), 2.0f * d / det, 1e-4f, "Kxx fixed");
        expect_close(at(Kc, 6, 1, 5), -2.0f * b / det, 1e-4f, "Kxr fixed");
        expect_close(at(Kc, 6, 5, 5), 2.0f * a / det + 2.0f * x * x / kanti, 1e-4f,
                     "Kryy fixed");
      }
      // Torsion: the piles' own terms plus the lateral terms about the centre.
      EXPECT_GT(at(Kc, 6, 6, 6).real(), 2.0f * at(Kp, 6, 6, 6).real());
    }
  }
}

TEST(PileGroupImpedance, FarApartPilesActAlone) {
  const float far = 2.0e4f;  // s = 40000 diameters
  group_deck({{-far, 0.0f}, {far, 0.0f}});
  eng::SETUP_PILE_GROUP();
  cfloat Kp[36], Ki[36], Ks[36];
  pile_matrix(Kp);
  for (const float omega : {5.0f, 40.0f}) {
    eng::g.run.interaction = 1;
    eng::PILE_GROUP_IMPEDANCE(Kp, Ki, omega);
    eng::g.run.interaction = 0;
    eng::PILE_GROUP_IMPEDANCE(Kp, Ks, omega);
    for (const int d : {1, 2, 3, 4, 6}) expect_close(at(Ki, 6, d, d), at(Ks, 6, d, d), 2e-3f);
    expect_close(at(Ks, 6, 3, 3), 2.0f * at(Kp, 6, 3, 3), 1e-6f);
    expect_close(at(Ks, 6, 1, 1), 2.0f * at(Kp, 6, 1, 1), 1e-6f);
    expect_close(at(Ks, 6, 1, 5), 2.0f * at(Kp, 6, 1, 5), 1e-6f);
  }
}

TEST(PileGroupImpedance, SquareGroupIsSymmetricInXAndY) {
  for (const int fixity : {0, 1}) {
    group_deck({{-2, -2}, {2, -2}, {-2, 2}, {2, 2}, {0, 0}});
    eng::g.run.head_fixity = fixity;
    eng::SETUP_PILE_GROUP();
    cfloat Kp[36], Kc[36];
    pile_matrix(Kp);
    const float omega = 50.0f;
    eng::PILE_GROUP_IMPEDANCE(Kp, Kc, omega);
    expect_close(at(Kc, 6, 2, 2), at(Kc, 6, 1, 1), 1e-5f, "x/y");
    expect_close(at(Kc, 6, 4, 4), at(Kc, 6, 5, 5), 1e-5f, "rx/ry");
    expect_close(at(Kc, 6, 2, 4), -at(Kc, 6, 1, 5), 1e-5f, "couplings");
    const float scale = std::abs(at(Kc, 6, 3, 3));
    for (const auto& rc : {std::pair{3, 4}, {3, 5}, {4, 5}, {1, 6}, {2, 6}}) {
      EXPECT_LT(std::abs(at(Kc, 6, rc.first, rc.second)), 1e-5f * scale)
          << rc.first << "," << rc.second;
    }
    // Interaction lowers the group's vertical stiffness below the sum.
    EXPECT_LT(at(Kc, 6, 3, 3).real(), 5.0f * at(Kp, 6, 3, 3).real());
  }
}

TEST(PileGroupImpedance, StaticFactorsUpToTenRadiansPerSecond) {
  group_deck({{0, 0}, {3, 0}, {0, 3}});
  eng::SETUP_PILE_GROUP();
  cfloat Kp[36], K5[36], K10[36], K10p[36];
  pile_matrix(Kp);
  const float w5 = 5.0f, w10 = 10.0f, w10p = 10.001f;
  eng::PILE_GROUP_IMPEDANCE(Kp, K5, w5);
  eng::PILE_GROUP_IMPEDANCE(Kp, K10, w10);
  eng::PILE_GROUP_IMPEDANCE(Kp, K10p, w10p);
  for (int k = 0; k < 36; ++k) EXPECT_EQ(K10[k], K5[k]);
  EXPECT_GT(std::abs(at(K10p, 6, 3, 3) - at(K10, 6, 3, 3)), 1e-3f * std::abs(at(K10, 6, 3, 3)));
}

// The largest group: 500 piles with fixed heads, lateral matrices of order
// 1000.  With the static factors the group is softer than the sum of its
// piles; at 40 rad/s the strongly interacting group has a negative real
// vertical term (checked against a double-precision solve with pivoting).
TEST(PileGroupImpedance, FiveHundredPilesWithFixedHeads) {
  std::vector<std::pair<float, float>> piles;
  for (int i = 0; i < 500; ++i) piles.emplace_back(3.0f * (i % 25), 3.0f * (i / 25));
  group_deck(piles);
  eng::SETUP_PILE_GROUP();
  cfloat Kp[36], Kc[36];
  pile_matrix(Kp);
  for (const float omega : {5.0f, 40.0f}) {
    eng::PILE_GROUP_IMPEDANCE(Kp, Kc, omega);
    for (int k = 0; k < 36; ++k) {
      EXPECT_TRUE(std::isfinite(Kc[k].real()) && std::isfinite(Kc[k].imag())) << k;
    }
    if (omega < 10.0f) {
      EXPECT_GT(at(Kc, 6, 3, 3).real(), 0.0f);
      EXPECT_LT(at(Kc, 6, 3, 3).real(), 500.0f * at(Kp, 6, 3, 3).real());
      EXPECT_GT(at(Kc, 6, 1, 1).real(), 0.0f);
      EXPECT_LT(at(Kc, 6, 1, 1).real(), 500.0f * at(Kp, 6, 1, 1).real());
    } else {
      expect_close(at(Kc, 6, 3, 3), cfloat(-6.60657e7f, 1.50201e8f), 1e-4f);
    }
  }
}

TEST(PileGroupImpedance, BatteredPilesEnterRotated) {
  group_deck({{0.0f, 0.0f}, {3.0f, 0.0f}});
  auto& g = eng::g;
  g.run.interaction = 0;
  g.run.battered = 1;
  const float theta = 30.0f;
  const float xz[9] = {theta, 90, theta + 90, 90, 0, 90, 90 - theta, 90, theta};
  for (int k = 0; k < 9; ++k) g.foundation.direction_angles[0][k] = xz[k];
  // Pile 2 was left without angles: it counts as vertical.
  cfloat Kp[36], Kc[36];
  for (int k = 0; k < 36; ++k) Kp[k] = cfloat(0.0f, 0.0f);
  for (int i = 1; i <= 6; ++i) at(Kp, 6, i, i) = cfloat(100.0f * i, 1.0f * i);
  const float omega = 5.0f;
  eng::PILE_GROUP_IMPEDANCE(Kp, Kc, omega);
  const float c = std::cos(0.5235988f), s = std::sin(0.5235988f);
  const cfloat k11 = at(Kp, 6, 1, 1), k33 = at(Kp, 6, 3, 3);
  expect_close(at(Kc, 6, 1, 1), c * c * k11 + s * s * k33 + k11, 1e-5f);
  expect_close(at(Kc, 6, 3, 3), s * s * k11 + c * c * k33 + k33, 1e-5f);
  expect_close(at(Kc, 6, 2, 2), 2.0f * at(Kp, 6, 2, 2), 1e-5f);
}

}  // namespace
