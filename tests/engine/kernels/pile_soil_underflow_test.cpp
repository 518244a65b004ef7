// The pile-soil kernel where K0 and K1 of its wave arguments fall below the
// range of single precision (strong damping or a wide weak zone at high
// frequency: the real part of the argument beyond about 87).  The reactions
// depend on K0 and K1 only through their ratio, which stays of order 1.
//
// The reference is independent of the kernel: the homogeneous reactions are
// rebuilt in long double from K1(z)/K0(z) summed from the asymptotic
// expansions of K0 and K1 (both share the factor sqrt(pi/2z)·e^-z, so the
// ratio never underflows).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "kernels/pile_soil.h"

namespace {

using eng::cfloat;
using cld = std::complex<long double>;
constexpr long double kPiL = std::numbers::pi_v<long double>;

cld to_l(cfloat z) { return {z.real(), z.imag()}; }
double rel(cfloat got, cld want) { return static_cast<double>(std::abs(to_l(got) - want) / std::abs(want)); }
bool finite(cfloat z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

// K1(z)/K0(z) from sum a_k(nu)/z^k, a_k(nu) = prod_j (4nu² - (2j-1)²)/(k!·8^k),
// summed to the smallest term (|z| >= 30 here: error below e^-60).
cld k1_over_k0(cld z) {
  cld t0 = 1.0L, t1 = 1.0L, s0 = 1.0L, s1 = 1.0L;
  for (int k = 1; k < 200; ++k) {
    const long double odd = static_cast<long double>((2 * k - 1) * (2 * k - 1));
    const cld n0 = t0 * (-odd) / (8.0L * k * z);
    const cld n1 = t1 * (4.0L - odd) / (8.0L * k * z);
    if (std::abs(n0) > std::abs(t0)) break;
    t0 = n0;
    t1 = n1;
    s0 += t0;
    s1 += t1;
  }
  return s1 / s0;
}

struct Reactions {
  cld su, sw, sr, st;
};

// Homogeneous reactions (no weak zone, equal radii) at a0 with nu < 0.5.
Reactions reference(long double a0, long double nu, long double D) {
  const cld g1(1.0L, D);
  const cld s = cld(0.0L, a0) / std::sqrt(g1);
  const long double eta = std::sqrt(2.0L * (1.0L - nu) / (1.0L - 2.0L * nu));
  const cld q = s / eta;
  const cld rq = k1_over_k0(q), rs = k1_over_k0(s);
  // N/M of the horizontal reaction divided by K0(q)·K0(s).
  const cld n = 4.0L * rq * rs + s * rq + q * rs;
  const cld m = q * rs + s * rq + q * s;
  Reactions r;
  r.su = -kPiL * a0 * a0 * n / m;
  r.sw = 2.0L * kPiL * g1 * s * rs;
  r.sr = kPiL * g1 * (1.0L + s / rs);
  r.st = 2.0L * kPiL * g1 * (2.0L + s / rs);
  return r;
}

struct Out {
  cfloat su, sw, srx, sry, st;
};
Out call(float a0, float nu, float D, float sw = 1.0f, float Dw = 0.0f, float t = 0.0f) {
  Out o;
  int hflag = 0;
  const float r = 1.0f;
  if (Dw == 0.0f) Dw = D;
  eng::PILE_SOIL_IMPEDANCE(a0, nu, D, sw, nu, Dw, t, r, r, r, r, o.su, o.sw, o.srx, o.sry, o.st, hflag, 0);
  return o;
}

// a0·D from well inside the range of single precision (where today's values
// must stay as they are) to far beyond it.
TEST(PileSoilUnderflow, HomogeneousReactionsMatchTheAsymptoticRatio) {
  struct Case {
    float a0, nu, D;
  } cases[] = {
      {1000.0f, 0.3f, 0.05f},  {2000.0f, 0.3f, 0.05f},  {3000.0f, 0.3f, 0.05f},  {3500.0f, 0.4f, 0.05f},
      {4000.0f, 0.3f, 0.05f},  {8000.0f, 0.25f, 0.05f}, {1.0e5f, 0.3f, 0.05f},   {300.0f, 0.3f, 1.0f},
      {400.0f, 0.3f, 1.0f},    {2000.0f, 0.45f, 0.3f},  {1.0e6f, 0.3f, 0.01f},   {480.0f, 0.3f, 10.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "a0 " << c.a0 << " nu " << c.nu << " D " << c.D);
    const Out o = call(c.a0, c.nu, c.D);
    const Reactions want = reference(c.a0, c.nu, c.D);
    ASSERT_TRUE(finite(o.su) && finite(o.sw) && finite(o.srx) && finite(o.st));
    EXPECT_LT(rel(o.su, want.su), 2e-4);
    EXPECT_LT(rel(o.sw, want.sw), 2e-4);
    EXPECT_LT(rel(o.srx, want.sr), 2e-4);
    EXPECT_LT(rel(o.sry, want.sr), 2e-4);
    EXPECT_LT(rel(o.st, want.st), 2e-4);
  }
}

// Incompressible layer: (4 K1(s) + s K0(s))/(s K0(s)).
TEST(PileSoilUnderflow, IncompressibleHorizontalReactionStaysFinite) {
  for (float a0 : {1000.0f, 4000.0f, 20000.0f}) {
    const float D = 0.05f;
    const Out o = call(a0, 0.5f, D);
    const cld g1(1.0L, D);
    const cld s = cld(0.0L, a0) / std::sqrt(g1);
    const cld want = -kPiL * a0 * a0 * (4.0L * k1_over_k0(s) + s) / s;
    ASSERT_TRUE(finite(o.su)) << a0;
    EXPECT_LT(rel(o.su, want), 2e-4) << a0;
  }
}

// A wide weak zone of the layer's own soil (shear ratio 1, same damping) is
// no weak zone: the vertical, rotational and torsional two-zone values are
// the homogeneous reaction at a0, also where a' = a0·(r + t)/r is so large
// that K0 and K1 of the outer arguments leave single precision's range
// (a'·D above about 175: t above about 435 for a0 = 8, D = 0.05).
TEST(PileSoilUnderflow, WideWeakZoneOfTheLayersOwnSoilGivesTheHomogeneousReaction) {
  struct Case {
    float a0, t;
  } cases[] = {{8.0f, 500.0f}, {10.0f, 725.0f}, {30.0f, 725.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "a0 " << c.a0 << " t " << c.t);
    const Out o = call(c.a0, 0.3f, 0.05f, 1.0f, 0.05f, c.t);
    const Reactions want = reference(c.a0, 0.3f, 0.05f);
    ASSERT_TRUE(finite(o.su) && finite(o.sw) && finite(o.srx) && finite(o.st));
    EXPECT_LT(rel(o.sw, want.sw), 1e-4);
    EXPECT_LT(rel(o.srx, want.sr), 1e-4);
    EXPECT_LT(rel(o.st, want.st), 1e-4);
  }
}

// The horizontal two-zone value of a wide zone tends to the stiffness of the
// annulus alone as the zone widens (the outer reaction, growing like a'²,
// drops out of the series connection): across the width where the outer
// reaction leaves single precision's range the values go on smoothly from
// those at t = 400, which single precision still computes directly.
TEST(PileSoilUnderflow, HorizontalValueOfAWideZoneGoesOnSmoothly) {
  for (float sw : {1.0f, 0.5f, 0.2f}) {
    for (float a0 : {8.0f, 12.0f}) {
      SCOPED_TRACE(testing::Message() << "a0 " << a0 << " sw " << sw);
      const cfloat inside = call(a0, 0.3f, 0.05f, sw, 0.05f, 400.0f * 8.0f / a0).su;
      ASSERT_TRUE(finite(inside));
      float prev = std::abs(inside);
      for (float t : {600.0f, 725.0f, 2000.0f}) {
        const Out o = call(a0, 0.3f, 0.05f, sw, 0.05f, t);
        ASSERT_TRUE(finite(o.su) && finite(o.sw) && finite(o.srx) && finite(o.sry) && finite(o.st)) << t;
        EXPECT_LT(rel(o.su, to_l(inside)), 5e-3) << t;
        EXPECT_GE(std::abs(o.su), prev) << t;  // and grows slowly with the width
        prev = std::abs(o.su);
      }
    }
  }
}

}  // namespace
