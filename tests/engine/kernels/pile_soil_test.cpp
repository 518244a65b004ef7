// Tests of the pile-soil impedance kernel.
//
// References are independent of the kernel's single-precision Bessel series:
// Novak's closed forms in J and Y (C++17 special functions) for undamped soil,
// extended-precision Bessel series for damped soil, and, for the weak-zone
// (two-zone) vertical, rotational and torsional values, a direct numerical
// integration of the inner-zone differential equations whose power-series
// solution the Part describes.
#include "kernels/pile_soil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace {

using eng::cfloat;
using cld = std::complex<long double>;
constexpr double kPi = std::numbers::pi;
constexpr long double kEulerL = 0.57721566490153286060651209L;

// ---------------------------------------------------------------------------
// Extended-precision modified Bessel functions (principal branch), by their
// ascending series; accurate to better than 1e-10 for |z| <= 10, Re z >= 0.
void bessel_ref(cld z, cld& i0, cld& i1, cld& k0, cld& k1) {
  const cld w = z / 2.0L;
  const cld w2 = w * w;
  const cld lg = std::log(w) + kEulerL;  // ln(z/2) + gamma
  cld t0 = 1.0L;                         // w^2k/(k!)^2
  cld t1 = w;                            // w^(2k+1)/(k!(k+1)!)
  long double hk = 0.0L;                 // H_k
  i0 = t0;
  i1 = t1;
  cld s0 = 0.0L;  // sum w^2k/(k!)^2 H_k
  cld s1 = t1 * (1.0L);  // sum w^(2k+1)/(k!(k+1)!) (H_k + H_(k+1)), k = 0 term: H_0 + H_1 = 1
  for (int k = 1; k < 200; ++k) {
    t0 *= w2 / static_cast<long double>(k * k);
    t1 *= w2 / static_cast<long double>(k * (k + 1));
    hk += 1.0L / k;
    i0 += t0;
    i1 += t1;
    s0 += t0 * hk;
    s1 += t1 * (2.0L * hk + 1.0L / (k + 1));
    if (std::abs(t0) < 1e-30L * std::abs(i0) && std::abs(t1) < 1e-30L * std::abs(i1)) break;
  }
  k0 = -lg * i0 + s0;
  // K1 = 1/z + ln(z/2) I1 - 1/2 sum w^(2k+1)/(k!(k+1)!) (psi(k+1) + psi(k+2)),
  // psi(k+1) + psi(k+2) = H_k + H_(k+1) - 2 gamma.
  k1 = 1.0L / z + (lg - kEulerL) * i1 - 0.5L * (s1 - 2.0L * kEulerL * i1);
}
cld K0L(cld z) { cld a, b, c, d; bessel_ref(z, a, b, c, d); return c; }
cld K1L(cld z) { cld a, b, c, d; bessel_ref(z, a, b, c, d); return d; }

cld to_l(cfloat z) { return {z.real(), z.imag()}; }
double rel(cfloat got, cld want) { return static_cast<double>(std::abs(to_l(got) - want) / std::abs(want)); }

// ---------------------------------------------------------------------------
// Homogeneous reactions in extended precision.
struct Reactions { cld su, sw, srx, sry, st; };

cld s_arg(long double a, long double D) { return cld(0.0L, a) / std::sqrt(cld(1.0L, D)); }

cld su_ref(long double ah, long double nu, long double D) {
  const cld s = s_arg(ah, D);
  if (nu >= 0.5L) return -std::numbers::pi_v<long double> * ah * ah * (4.0L * K1L(s) + s * K0L(s)) / (s * K0L(s));
  const long double eta = std::sqrt(2.0L * (1.0L - nu) / (1.0L - 2.0L * nu));
  const cld q = s / eta;
  const cld n = 4.0L * K1L(q) * K1L(s) + s * K1L(q) * K0L(s) + q * K0L(q) * K1L(s);
  const cld m = q * K0L(q) * K1L(s) + s * K1L(q) * K0L(s) + q * s * K0L(q) * K0L(s);
  return -std::numbers::pi_v<long double> * ah * ah * n / m;
}
cld sw_ref(long double av, long double D) {
  const cld s = s_arg(av, D);
  return 2.0L * std::numbers::pi_v<long double> * cld(1.0L, D) * s * K1L(s) / K0L(s);
}
cld srot_ref(long double a, long double D) {  // a = a0·radius/r
  const cld s = s_arg(a, D);
  return std::numbers::pi_v<long double> * cld(1.0L, D) * (1.0L + s * K0L(s) / K1L(s));
}
cld st_ref(long double a, long double D) {
  const cld s = s_arg(a, D);
  return 2.0L * std::numbers::pi_v<long double> * cld(1.0L, D) * (2.0L + s * K0L(s) / K1L(s));
}

// ---------------------------------------------------------------------------
// Calling the kernel.
struct In {
  float a0 = 1.0f, nu = 0.25f, D = 0.05f;
  float sw = 1.0f, nuw = 0.25f, Dw = 0.05f, t = 0.0f;
  float r = 1.0f, rx = 1.0f, ry = 1.0f, rt = 1.0f;
  int hflag = 0, vflag = 0;
};
struct Out {
  cfloat su, sw, srx, sry, st;
  int hflag;
};
Out call(In in) {
  Out o;
  eng::PILE_SOIL_IMPEDANCE(in.a0, in.nu, in.D, in.sw, in.nuw, in.Dw, in.t, in.r, in.rx, in.ry, in.rt, o.su, o.sw,
                           o.srx, o.sry, o.st, in.hflag, in.vflag);
  o.hflag = in.hflag;
  return o;
}
In at_a0(In in, float a0) {
  in.a0 = a0;
  return in;
}
// A layer of damping D at a0 with a weak zone of thickness t (none for t = 0;
// shear ratio 0.6, damping 0.1 otherwise).
In weak_case_at(float a0, float D, float t) {
  In in;
  in.a0 = a0;
  in.D = D;
  in.t = t;
  if (t != 0.0f) {
    in.sw = 0.6f;
    in.Dw = 0.1f;
  }
  return in;
}
void expect_same(const Out& a, const Out& b) {
  EXPECT_EQ(a.su, b.su);
  EXPECT_EQ(a.sw, b.sw);
  EXPECT_EQ(a.srx, b.srx);
  EXPECT_EQ(a.sry, b.sry);
  EXPECT_EQ(a.st, b.st);
}

// ---------------------------------------------------------------------------
// General rules

TEST(PileSoil, ZeroOrNegativeFrequencyGivesZeroReactions) {
  for (float a0 : {0.0f, -0.5f}) {
    SCOPED_TRACE(a0);
    cfloat su(1, 1), sw(1, 1), srx(1, 1), sry(1, 1), st(1, 1);
    int hflag = -1;
    const int vflag = 1;
    const float nu = 0.3f, D = 0.05f, sw_ = 0.5f, Dw = 0.1f, t = 0.5f, r = 1.0f;
    eng::PILE_SOIL_IMPEDANCE(a0, nu, D, sw_, nu, Dw, t, r, r, r, r, su, sw, srx, sry, st, hflag, vflag);
    const cfloat zero(0.0f, 0.0f);
    EXPECT_EQ(su, zero);
    EXPECT_EQ(sw, zero);
    EXPECT_EQ(srx, zero);
    EXPECT_EQ(sry, zero);
    EXPECT_EQ(st, zero);
    EXPECT_EQ(hflag, -1);  // the kernel never changes a flag
  }
}

TEST(PileSoil, UndampedHomogeneousMatchesNovaksClosedForms) {
  // D = 0: s = i·a0 and K0(ix) = -(i pi/2) H0(x), K1(ix) = -(pi/2) H1(x) with the
  // Hankel functions of the second kind, which gives Novak's plane-strain forms
  //   Sw  = 2 pi a0 (J1 J0 + Y1 Y0)/(J0^2 + Y0^2) + i·4/(J0^2 + Y0^2),
  //   Srx = pi (1 - a0 H0(a0)/H1(a0)),  St = 2 pi (2 - a0 H0(a0)/H1(a0)).
  for (double a0 : {0.3, 0.5, 1.0, 2.0, 4.0}) {
    SCOPED_TRACE(a0);
    In in;
    in.a0 = static_cast<float>(a0);
    in.D = 0.0f;
    in.nu = 0.25f;
    const Out o = call(in);
    const double j0 = std::cyl_bessel_j(0.0, a0), j1 = std::cyl_bessel_j(1.0, a0);
    const double y0 = std::cyl_neumann(0.0, a0), y1 = std::cyl_neumann(1.0, a0);
    const double den = j0 * j0 + y0 * y0;
    EXPECT_NEAR(o.sw.real(), 2.0 * kPi * a0 * (j1 * j0 + y1 * y0) / den, 2e-5 * std::abs(o.sw));
    EXPECT_NEAR(o.sw.imag(), 4.0 / den, 2e-5 * std::abs(o.sw));
    const std::complex<double> h0(j0, -y0), h1(j1, -y1);
    const std::complex<double> ratio = a0 * h0 / h1;
    const std::complex<double> srx = kPi * (1.0 - ratio);
    const std::complex<double> st = 2.0 * kPi * (2.0 - ratio);
    EXPECT_LT(std::abs(std::complex<double>(o.srx.real(), o.srx.imag()) - srx), 2e-5 * std::abs(srx));
    EXPECT_LT(std::abs(std::complex<double>(o.st.real(), o.st.imag()) - st), 2e-5 * std::abs(st));
    // Horizontal: the same substitution in N and M, q = i·a0/eta, eta = sqrt(3).
    const double eta = std::sqrt(3.0);
    const double b = a0 / eta;
    auto K0i = [](double x) { return -0.5 * kPi * std::complex<double>(std::cyl_neumann(0.0, x), std::cyl_bessel_j(0.0, x)); };
    auto K1i = [](double x) { return -0.5 * kPi * std::complex<double>(std::cyl_bessel_j(1.0, x), -std::cyl_neumann(1.0, x)); };
    const std::complex<double> s(0.0, a0), q(0.0, b);
    const auto n = 4.0 * K1i(b) * K1i(a0) + s * K1i(b) * K0i(a0) + q * K0i(b) * K1i(a0);
    const auto m = q * K0i(b) * K1i(a0) + s * K1i(b) * K0i(a0) + q * s * K0i(b) * K0i(a0);
    const auto su = -kPi * a0 * a0 * n / m;
    EXPECT_LT(std::abs(std::complex<double>(o.su.real(), o.su.imag()) - su), 2e-5 * std::abs(su));
  }
}

TEST(PileSoil, HandCheckedValuesAtUnitFrequency) {
  // a0 = 1, D = 0, from the tabulated J0(1) = 0.7651976866, Y0(1) = 0.0882569642,
  // J1(1) = 0.4400505857, Y1(1) = -0.7812128213 (Abramowitz & Stegun 9.1) in the
  // closed forms above:
  //   Sw  = 2 pi (J1 J0 + Y1 Y0)/(J0^2 + Y0^2) + 4i/(J0^2 + Y0^2) = 2.835753 + 6.741761 i
  //   Srx = pi (1 - H0/H1)     = 2.095181 + 2.487754 i
  //   St  = 2 pi (2 - H0/H1)   = 10.473547 + 4.975508 i
  In in;
  in.D = 0.0f;
  const Out o = call(in);
  EXPECT_LT(rel(o.sw, cld(2.835753L, 6.741761L)), 2e-5);
  EXPECT_LT(rel(o.srx, cld(2.095181L, 2.487754L)), 2e-5);
  EXPECT_EQ(o.srx, o.sry);
  EXPECT_LT(rel(o.st, cld(10.473547L, 4.975508L)), 2e-5);
}

TEST(PileSoil, DampedHomogeneousMatchesExtendedPrecision) {
  for (float nu : {0.0f, 0.25f, 0.4f, 0.5f})
    for (float D : {0.02f, 0.1f})
      for (float a0 : {0.3f, 0.8f, 1.5f, 3.0f}) {
        SCOPED_TRACE(::testing::Message() << "nu " << nu << " D " << D << " a0 " << a0);
        In in;
        in.a0 = a0;
        in.nu = nu;
        in.D = D;
        in.rx = 0.8f;
        in.ry = 1.3f;
        in.rt = 0.9f;
        const Out o = call(in);
        EXPECT_LT(rel(o.su, su_ref(a0, nu, D)), 3e-5);
        EXPECT_LT(rel(o.sw, sw_ref(a0, D)), 3e-5);
        EXPECT_LT(rel(o.srx, srot_ref(a0 * 0.8L, D)), 3e-5);
        EXPECT_LT(rel(o.sry, srot_ref(a0 * 1.3L, D)), 3e-5);
        EXPECT_LT(rel(o.st, st_ref(a0 * 0.9L, D)), 3e-5);
      }
}

TEST(PileSoil, HighFrequencyRadiationDamping) {
  // For large a0 the reactions become the plane-wave dashpots of the section:
  // Im Su -> pi a0 (1 + Vp/Vs), Im Sw -> 2 pi a0, Im Srx -> pi a0, Im St -> 2 pi a0.
  In in;
  in.a0 = 8.0f;
  in.D = 0.0f;
  in.nu = 0.25f;  // Vp/Vs = sqrt(3)
  const Out o = call(in);
  const double a0 = 8.0;
  EXPECT_NEAR(o.su.imag() / (kPi * a0 * (1.0 + std::sqrt(3.0))), 1.0, 0.02);
  EXPECT_NEAR(o.sw.imag() / (2.0 * kPi * a0), 1.0, 0.02);
  EXPECT_NEAR(o.srx.imag() / (kPi * a0), 1.0, 0.02);
  EXPECT_NEAR(o.st.imag() / (2.0 * kPi * a0), 1.0, 0.02);
}

TEST(PileSoil, StaticLimitsOfRotationAndTorsion) {
  // a0 -> 0: s K0(s)/K1(s) -> 0, so Srx -> pi (1 + iD) and St -> 4 pi (1 + iD),
  // the static plane-strain values; the rotational reactions have no floor.
  In in;
  in.a0 = 1e-3f;
  in.D = 0.05f;
  const Out o = call(in);
  EXPECT_NEAR(o.srx.real(), kPi, 1e-4);
  EXPECT_NEAR(o.srx.imag(), kPi * 0.05, 1e-4);
  EXPECT_NEAR(o.st.real(), 4.0 * kPi, 4e-4);
  EXPECT_NEAR(o.st.imag(), 4.0 * kPi * 0.05, 4e-4);
  EXPECT_EQ(o.srx, o.sry);
}

// ---------------------------------------------------------------------------
// Horizontal reaction: floor and cut-off rules

TEST(PileSoil, HorizontalBelowFloorInterpolatesTheDamping) {
  In in;
  in.D = 0.05f;
  const Out at03 = call(at_a0(in, 0.3f));
  for (float a0 : {0.29f, 0.15f, 0.01f}) {
    SCOPED_TRACE(a0);
    const Out o = call(at_a0(in, a0));
    const float f = a0 / 0.3f;
    EXPECT_EQ(o.su.real(), at03.su.real());
    EXPECT_FLOAT_EQ(o.su.imag(), at03.su.real() * 0.05f * (1.0f - f) + f * at03.su.imag());
    EXPECT_EQ(o.hflag, 0);
  }
  // a0 -> 0: Im Su -> Re Su·D (material damping only).
  const Out tiny = call(at_a0(in, 1e-6f));
  EXPECT_NEAR(tiny.su.imag(), at03.su.real() * 0.05f, 1e-4);
}

TEST(PileSoil, HorizontalPositiveFlagLeavesMaterialDampingOnly) {
  In in;
  in.D = 0.07f;
  const Out at03 = call(at_a0(in, 0.3f));
  for (float a0 : {1.2f, 0.3f, 0.1f}) {
    SCOPED_TRACE(a0);
    const Out plain = call(at_a0(in, a0));
    In flagged = at_a0(in, a0);
    flagged.hflag = 1;
    const Out o = call(flagged);
    // Re: the value at a' itself (the floored value 0.3 below the floor).
    const Out unfloored = call(at_a0(in, std::max(a0, 0.3f)));
    EXPECT_EQ(o.su.real(), unfloored.su.real());
    EXPECT_FLOAT_EQ(o.su.imag(), 0.07f * at03.su.real());
    EXPECT_EQ(o.hflag, 1);  // left as it came, for the next layer
    // The other reactions do not look at the horizontal flag.
    EXPECT_EQ(o.sw, plain.sw);
    EXPECT_EQ(o.srx, plain.srx);
    EXPECT_EQ(o.st, plain.st);
  }
}

// Below the shear cut-off no layer of the profile radiates, whichever it
// is: the same flag variable passed to successive layers (as the pile head
// and the pile cap's side layers pass it) gives every layer the cut-off
// value.  (The flag used to leave the first layer as -1, so that the next
// layers radiated and a layer cut into elements damped more than whole.)
TEST(PileSoil, HorizontalFlagHoldsForEveryLayer) {
  for (float a0 : {0.8f, 0.2f}) {
    SCOPED_TRACE(a0);
    In in;
    in.a0 = a0;
    In flagged = in;
    flagged.hflag = 1;
    const Out first = call(flagged);
    cfloat su, sw, srx, sry, st;
    int hflag = 1;
    const int vflag = 0;
    for (int layer = 2; layer <= 4; ++layer) {
      SCOPED_TRACE(layer);
      eng::PILE_SOIL_IMPEDANCE(in.a0, in.nu, in.D, in.sw, in.nuw, in.Dw, in.t, in.r, in.rx, in.ry, in.rt, su, sw,
                               srx, sry, st, hflag, vflag);
      EXPECT_EQ(hflag, 1);
      EXPECT_EQ(su, first.su);
      EXPECT_FLOAT_EQ(su.imag(), in.D * call(at_a0(in, 0.3f)).su.real());  // material damping only
    }
    EXPECT_NE(first.su, call(in).su);
  }
}

TEST(PileSoil, NegativeFlagIsTreatedAsZero) {
  In in;
  in.a0 = 0.2f;
  in.hflag = -7;
  const Out o = call(in);
  EXPECT_EQ(o.hflag, -7);
  in.hflag = 0;
  expect_same(o, call(in));
}

TEST(PileSoil, IncompressibleHorizontalFormula) {
  In in;
  in.nu = 0.5f;
  in.a0 = 1.3f;
  const Out o = call(in);
  EXPECT_LT(rel(o.su, su_ref(1.3L, 0.5L, 0.05L)), 2e-5);
  // Just below 0.5 the general formula, which tends to the incompressible one.
  in.nu = 0.49999f;
  const Out below = call(in);
  EXPECT_LT(rel(below.su, su_ref(1.3L, 0.49999L, 0.05L)), 2e-4);
  EXPECT_LT(rel(below.su, to_l(o.su)), 1e-3);
  EXPECT_NE(below.su, o.su);
}

// ---------------------------------------------------------------------------
// Vertical reaction: floor, interpolation and cut-off

// Below a' = 0.1 the imaginary part goes over linearly from material damping
// at 0 to the value at 0.1 as the rule above it gives it, that is with its
// a0/0.3 reduction (it went to the unreduced value before, three times too
// high, and stepped down by 3 at 0.1).
TEST(PileSoil, VerticalFloorAndInterpolation) {
  In in;
  in.D = 0.05f;
  const float D = in.D;
  const cld s005 = sw_ref(0.05L, D);  // step 2 at av = 0.05
  const cld s01 = sw_ref(0.1L, D);    // step 2 at av = 0.1
  const cld s01_reduced(s01.real(), s01.imag() * 0.1L / 0.3L);  // Im at a0 = 0.1, reduced by a0/0.3
  // a' <= 0.05: av = 0.05, so the real part is that at 0.05.
  for (float a0 : {0.05f, 0.03f, 0.01f}) {
    SCOPED_TRACE(a0);
    const Out o = call(at_a0(in, a0));
    EXPECT_NEAR(o.sw.real(), static_cast<double>(s005.real()), 3e-5 * std::abs(s005));
    const double f = a0 / 0.1;
    const double im = static_cast<double>(s005.real()) * D * (1.0 - f) + f * static_cast<double>(s01_reduced.imag());
    EXPECT_NEAR(o.sw.imag(), im, 3e-5 * std::abs(s01));
  }
  // 0.05 < a' < 0.1: Re at a', Im from Re at 0.05 and Im at 0.1.
  for (float a0 : {0.07f, 0.099f}) {
    SCOPED_TRACE(a0);
    const Out o = call(at_a0(in, a0));
    const cld s = sw_ref(a0, D);
    EXPECT_NEAR(o.sw.real(), static_cast<double>(s.real()), 3e-5 * std::abs(s));
    const double f = a0 / 0.1;
    const double im = static_cast<double>(s005.real()) * D * (1.0 - f) + f * static_cast<double>(s01_reduced.imag());
    EXPECT_NEAR(o.sw.imag(), im, 3e-5 * std::abs(s01));
  }
  // 0.1 <= a0 < 0.3: Im scaled by a0/0.3; from 0.3 on, step 2 as it is.
  for (float a0 : {0.1f, 0.2f, 0.3f, 0.6f}) {
    SCOPED_TRACE(a0);
    const Out o = call(at_a0(in, a0));
    const cld s = sw_ref(a0, D);
    const double scale = a0 < 0.3f ? a0 / 0.3 : 1.0;
    EXPECT_NEAR(o.sw.real(), static_cast<double>(s.real()), 3e-5 * std::abs(s));
    EXPECT_NEAR(o.sw.imag(), static_cast<double>(s.imag()) * scale, 3e-5 * std::abs(s));
  }
}

TEST(PileSoil, VerticalPositiveFlagLeavesMaterialDampingOnly) {
  In in;
  in.D = 0.04f;
  const cld s005 = sw_ref(0.05L, in.D);
  for (float a0 : {0.02f, 0.07f, 0.5f, 2.0f}) {
    SCOPED_TRACE(a0);
    const Out plain = call(at_a0(in, a0));
    In flagged = at_a0(in, a0);
    flagged.vflag = 1;
    const Out o = call(flagged);
    EXPECT_EQ(o.sw.real(), plain.sw.real());
    EXPECT_NEAR(o.sw.imag(), 0.04 * static_cast<double>(s005.real()), 3e-5 * std::abs(s005));
    EXPECT_EQ(o.su, plain.su);
    EXPECT_EQ(o.hflag, 0);
  }
}

// Every low-frequency rule joins the rule above its bound: in a fine sweep of
// a0 across the bound no step of the reaction exceeds twice the larger of
// the steps next to it (a kink passes, a jump does not).  The vertical
// interpolation bound a' = 0.1 (also with a negative weak thickness, where
// a' = 0.8·a0 puts the bound at a0 = 0.125), the vertical floor a' = 0.05,
// the end of the a0/0.3 reduction (homogeneous and two-zone), the horizontal
// floor a' = 0.3, and the same below the cut-offs.
TEST(PileSoil, LowFrequencyRulesAreContinuousAtTheirBounds) {
  struct Bound {
    const char* what;
    bool vertical;  // Sw, else Su
    float a0;       // the bound, as an unscaled a0
    float D, t;
    int hflag, vflag;
  };
  const Bound bounds[] = {
      {"vertical interpolation, a' = 0.1", true, 0.1f, 0.05f, 0.0f, 0, 0},
      {"vertical interpolation, undamped", true, 0.1f, 0.0f, 0.0f, 0, 0},
      {"vertical interpolation, strongly damped", true, 0.1f, 0.3f, 0.0f, 0, 0},
      {"vertical interpolation, t = -0.2", true, 0.125f, 0.05f, -0.2f, 0, 0},
      {"vertical floor, a' = 0.05", true, 0.05f, 0.05f, 0.0f, 0, 0},
      {"vertical reduction ends, a0 = 0.3", true, 0.3f, 0.05f, 0.0f, 0, 0},
      {"two-zone vertical reduction ends", true, 0.3f, 0.05f, 0.5f, 0, 0},
      {"two-zone vertical floor", true, 0.05f / 1.5f, 0.05f, 0.5f, 0, 0},
      {"vertical below the compression cut-off", true, 0.1f, 0.05f, 0.0f, 0, 1},
      {"horizontal floor, a' = 0.3", false, 0.3f, 0.05f, 0.0f, 0, 0},
      {"horizontal floor, undamped", false, 0.3f, 0.0f, 0.0f, 0, 0},
      {"horizontal below the shear cut-off", false, 0.3f, 0.05f, 0.0f, 1, 0},
      {"two-zone horizontal floor", false, 0.2f, 0.05f, 0.5f, 0, 0},
  };
  for (const Bound& b : bounds) {
    SCOPED_TRACE(b.what);
    std::vector<cfloat> v;
    for (int i = -20; i <= 20; ++i) {
      In in = weak_case_at(b.a0 * (1.0f + 1e-3f * static_cast<float>(i)), b.D, b.t);
      in.hflag = b.hflag;
      in.vflag = b.vflag;
      const Out o = call(in);
      v.push_back(b.vertical ? o.sw : o.su);
    }
    for (const bool imag : {false, true}) {
      SCOPED_TRACE(imag ? "imaginary part" : "real part");
      auto part = [&](std::size_t i) { return static_cast<double>(imag ? v[i].imag() : v[i].real()); };
      std::vector<double> d;
      for (std::size_t i = 0; i + 1 < v.size(); ++i) d.push_back(part(i + 1) - part(i));
      for (std::size_t i = 0; i < d.size(); ++i) {
        const double next = std::max(i > 0 ? std::fabs(d[i - 1]) : 0.0, i + 1 < d.size() ? std::fabs(d[i + 1]) : 0.0);
        EXPECT_LE(std::fabs(d[i]), 2.0 * next + 1e-5 * std::abs(v[i]))
            << "from a0 " << b.a0 * (1.0f + 1e-3f * (static_cast<float>(i) - 20.0f)) << ": " << part(i) << " to "
            << part(i + 1);
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Radii, symmetry, scaling

TEST(PileSoil, RotationRadiiAndSymmetry) {
  In in;
  in.a0 = 0.9f;
  in.rx = 0.7f;
  in.ry = 1.4f;
  in.rt = 1.1f;
  const Out o = call(in);
  In swapped = in;
  swapped.rx = 1.4f;
  swapped.ry = 0.7f;
  const Out p = call(swapped);
  EXPECT_EQ(o.srx, p.sry);  // the two rocking reactions are the same function
  EXPECT_EQ(o.sry, p.srx);
  EXPECT_EQ(o.su, p.su);
  EXPECT_EQ(o.sw, p.sw);
  EXPECT_EQ(o.st, p.st);
  // Su and Sw use the reference radius only.
  In round = in;
  round.rx = round.ry = round.rt = 1.0f;
  const Out q = call(round);
  EXPECT_EQ(o.su, q.su);
  EXPECT_EQ(o.sw, q.sw);
  EXPECT_NE(o.srx, q.srx);
}

TEST(PileSoil, DependsOnLengthsOnlyThroughRatios) {
  for (float t : {0.0f, 0.4f}) {
    SCOPED_TRACE(t);
    In a;
    a.a0 = 0.8f;
    a.sw = 0.6f;
    a.Dw = 0.1f;
    a.t = t;
    a.rx = 0.9f;
    In b = a;
    b.r = 2.0f;
    b.t = 2.0f * t;
    b.rx = 1.8f;
    b.ry = b.rt = 2.0f;
    const Out oa = call(a), ob = call(b);
    EXPECT_LT(rel(oa.su, to_l(ob.su)), 1e-5);
    EXPECT_LT(rel(oa.sw, to_l(ob.sw)), 1e-5);
    EXPECT_LT(rel(oa.srx, to_l(ob.srx)), 1e-5);
    EXPECT_LT(rel(oa.sry, to_l(ob.sry)), 1e-5);
    EXPECT_LT(rel(oa.st, to_l(ob.st)), 1e-5);
  }
}

// ---------------------------------------------------------------------------
// Weak zone: switching rules

In weak_case() {
  In in;
  in.a0 = 0.9f;
  in.nu = 0.3f;
  in.D = 0.05f;
  in.sw = 0.6f;
  in.nuw = 0.35f;
  in.Dw = 0.1f;
  in.t = 0.5f;
  return in;
}

TEST(PileSoil, ZeroThicknessIgnoresTheWeakValues) {
  In weak = weak_case();
  weak.t = 0.0f;
  In plain = weak;
  plain.sw = 1.0f;
  plain.Dw = plain.D;
  plain.nuw = plain.nu;
  expect_same(call(weak), call(plain));
}

TEST(PileSoil, WeakPoissonsRatioIsNotUsed) {
  In a = weak_case();
  In b = a;
  b.nuw = 0.05f;
  expect_same(call(a), call(b));
}

TEST(PileSoil, PositiveThicknessSwitchesAllFiveReactions) {
  const In weak = weak_case();
  In plain = weak;
  plain.t = 0.0f;
  const Out w = call(weak), p = call(plain);
  EXPECT_GT(std::abs(w.su - p.su), 1e-3f * std::abs(p.su));
  EXPECT_GT(std::abs(w.sw - p.sw), 1e-3f * std::abs(p.sw));
  EXPECT_GT(std::abs(w.srx - p.srx), 1e-3f * std::abs(p.srx));
  EXPECT_GT(std::abs(w.st - p.st), 1e-3f * std::abs(p.st));
  // A weaker zone softens the rotational and torsional reactions.
  EXPECT_LT(w.srx.real(), p.srx.real());
  EXPECT_LT(w.st.real(), p.st.real());
}

TEST(PileSoil, NegativeThicknessKeepsTheHomogeneousVertical) {
  // t < 0: the horizontal, rotational and torsional reactions take their two-zone
  // values; the vertical stays homogeneous, evaluated at a' = a0·(r + t)/r.
  In weak = weak_case();
  weak.a0 = 1.0f;
  weak.t = -0.2f;
  const Out w = call(weak);
  EXPECT_LT(rel(w.sw, sw_ref(1.0L * (1.0f + -0.2f), weak.D)), 3e-5);
  In plain = weak;
  plain.t = 0.0f;
  const Out p = call(plain);
  EXPECT_GT(std::abs(w.srx - p.srx), 1e-3f * std::abs(p.srx));
  EXPECT_GT(std::abs(w.st - p.st), 1e-3f * std::abs(p.st));
  EXPECT_GT(std::abs(w.su - call(at_a0(plain, 0.8f)).su), 1e-3f * std::abs(p.su));
}

TEST(PileSoil, WeakRotationsAreCommonAndIndependentOfTheirRadii) {
  In a = weak_case();
  a.rx = 0.6f;
  a.ry = 1.7f;
  a.rt = 2.5f;
  In b = weak_case();
  const Out oa = call(a), ob = call(b);
  EXPECT_EQ(oa.srx, oa.sry);
  EXPECT_EQ(oa.srx, ob.srx);
  EXPECT_EQ(oa.st, ob.st);
  EXPECT_EQ(oa.su, ob.su);
  EXPECT_EQ(oa.sw, ob.sw);
}

TEST(PileSoil, WeakValuesIgnoreTheFlags) {
  for (float a0 : {0.04f, 0.2f, 0.9f}) {
    SCOPED_TRACE(a0);
    In base = weak_case();
    base.a0 = a0;
    const Out ref = call(base);
    for (int hf : {-1, 0, 1})
      for (int vf : {0, 1}) {
        In in = base;
        in.hflag = hf;
        in.vflag = vf;
        const Out o = call(in);
        EXPECT_EQ(o.sw, ref.sw);
        EXPECT_EQ(o.srx, ref.srx);
        EXPECT_EQ(o.sry, ref.sry);
        EXPECT_EQ(o.st, ref.st);
        EXPECT_EQ(o.hflag, hf);
      }
  }
}

// ---------------------------------------------------------------------------
// Weak zone: values against the differential equations of the inner zone.
//
// The inner zone r .. r + t has the shear modulus G*·(1 - (beta (lambda - x))^2),
// x = radius/r, G* = G(1 + iD) the layer's modulus: sw·G(1 + iDw) at x = 1 and
// the layer's at x = lambda = (r + t)/r, beta = g/(lambda - 1), g^2 = 1 - sw·c.
// Outside it the homogeneous solution K0 (vertical) or K1 (rotation, torsion)
// holds; displacement and stress are continuous at x = lambda.  The Part's
// power series in y = beta (lambda - x) solve these equations; here they are
// integrated directly (RK4, extended precision) from x = lambda in to x = 1.
//   vertical:  (1/x)(x Gh W')' = s^2 W,             Sw  = 2 pi sw (1+iDw)·(-W'/W)(1)
//   rotation:  (1/x)(x Gh W')' - Gh W/x^2 = s^2 W,  Srx = pi sw (1+iDw)·(-W'/W)(1)
//   torsion:   (1/x^2)(x^2 Gh (V' - V/x))' = s^2 V,  St = 2 pi sw (1+iDw)·(1 - V'/V)(1)
// with Gh = G/G* and s = i a0/sqrt(1 + iD) (a0 unscaled).
enum class Motion { Vertical, Rotation, Torsion };

cld two_zone_ref(Motion motion, long double a0, long double D, long double sw, long double Dw, long double t) {
  const long double lam = 1.0L + t;
  const cld c = cld(1.0L, Dw) / cld(1.0L, D);
  const cld beta2 = (1.0L - sw * c) / ((lam - 1.0L) * (lam - 1.0L));
  const cld s = s_arg(a0, D);
  const cld s2 = s * s;
  auto gh = [&](long double x) { return 1.0L - beta2 * (lam - x) * (lam - x); };
  // State (W, P): P = x Gh W' (vertical, rotation) or x^2 Gh (V' - V/x) (torsion).
  auto deriv = [&](long double x, cld w, cld p, cld& dw, cld& dp) {
    const cld g = gh(x);
    switch (motion) {
      case Motion::Vertical: dw = p / (x * g); dp = x * s2 * w; break;
      case Motion::Rotation: dw = p / (x * g); dp = x * s2 * w + g * w / x; break;
      case Motion::Torsion: dw = p / (x * x * g) + w / x; dp = x * x * s2 * w; break;
    }
  };
  cld i0, i1, k0, k1;
  bessel_ref(s * lam, i0, i1, k0, k1);
  cld w, dwdx;
  if (motion == Motion::Vertical) {
    w = k0;
    dwdx = -s * k1;
  } else {
    w = k1;
    dwdx = -s * k0 - k1 / lam;
  }
  cld p = motion == Motion::Torsion ? lam * lam * (dwdx - w / lam) : lam * dwdx;
  const int n = 4000;
  const long double h = -(lam - 1.0L) / n;
  long double x = lam;
  for (int k = 0; k < n; ++k) {
    cld a1, b1, a2, b2, a3, b3, a4, b4;
    deriv(x, w, p, a1, b1);
    deriv(x + h / 2, w + h / 2 * a1, p + h / 2 * b1, a2, b2);
    deriv(x + h / 2, w + h / 2 * a2, p + h / 2 * b2, a3, b3);
    deriv(x + h, w + h * a3, p + h * b3, a4, b4);
    w += h / 6 * (a1 + 2.0L * a2 + 2.0L * a3 + a4);
    p += h / 6 * (b1 + 2.0L * b2 + 2.0L * b3 + b4);
    x += h;
  }
  const cld g1 = gh(1.0L);
  const cld gw = sw * cld(1.0L, Dw);
  const long double pi = std::numbers::pi_v<long double>;
  switch (motion) {
    case Motion::Vertical: return 2.0L * pi * gw * (-(p / g1) / w);
    case Motion::Rotation: return pi * gw * (-(p / g1) / w);
    case Motion::Torsion: {
      const cld dv = p / g1 + w;  // V'(1) = P/(1·Gh) + V/1
      return 2.0L * pi * gw * (1.0L - dv / w);
    }
  }
  return 0.0L;
}

TEST(PileSoil, WeakVerticalRotationTorsionSolveTheInnerZoneEquations) {
  struct Case { float a0, D, sw, Dw, t; };
  const Case cases[] = {
      {0.5f, 0.05f, 0.6f, 0.1f, 0.5f}, {1.0f, 0.05f, 0.7f, 0.05f, 1.0f}, {1.5f, 0.02f, 0.5f, 0.15f, 0.3f},
      {0.3f, 0.1f, 0.8f, 0.2f, 0.1f},  {2.5f, 0.05f, 0.6f, 0.1f, 0.5f},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << "a0 " << k.a0 << " sw " << k.sw << " t " << k.t);
    In in;
    in.a0 = k.a0;
    in.D = k.D;
    in.sw = k.sw;
    in.Dw = k.Dw;
    in.t = k.t;
    const Out o = call(in);
    // The rotational and torsional values sum their logarithmic derivative over
    // 20 terms only; the series converges like |g|^m (|g| ~ 0.5 .. 0.75 here),
    // so they carry a truncation error of about |g|^20 on top of rounding.
    const double g = std::sqrt(std::abs(1.0 - static_cast<double>(k.sw) * std::complex<double>(1.0, k.Dw) / std::complex<double>(1.0, k.D)));
    const double trunc = 2.0 * std::pow(g, 20);
    EXPECT_LT(rel(o.sw, two_zone_ref(Motion::Vertical, k.a0, k.D, k.sw, k.Dw, k.t)), 1e-4);
    EXPECT_LT(rel(o.srx, two_zone_ref(Motion::Rotation, k.a0, k.D, k.sw, k.Dw, k.t)), 1e-4 + trunc);
    EXPECT_LT(rel(o.st, two_zone_ref(Motion::Torsion, k.a0, k.D, k.sw, k.Dw, k.t)), 1e-4 + trunc);
  }
}

TEST(PileSoil, WeakVerticalBelowPointThreeScalesTheImaginaryPart) {
  In in;
  in.a0 = 0.2f;
  in.sw = 0.6f;
  in.Dw = 0.1f;
  in.t = 0.5f;
  const Out o = call(in);
  const cld ref = two_zone_ref(Motion::Vertical, 0.2L, in.D, 0.6L, 0.1L, 0.5L);
  EXPECT_NEAR(o.sw.real(), static_cast<double>(ref.real()), 1e-4 * std::abs(ref));
  EXPECT_NEAR(o.sw.imag(), static_cast<double>(ref.imag()) * 0.2 / 0.3, 1e-4 * std::abs(ref));
  in.a0 = 0.3f;
  const cld ref3 = two_zone_ref(Motion::Vertical, 0.3L, in.D, 0.6L, 0.1L, 0.5L);
  EXPECT_LT(rel(call(in).sw, ref3), 1e-4);
}

// ---------------------------------------------------------------------------
// Weak zone: limits

TEST(PileSoil, ThinWeakZoneTendsToNoWeakZone) {
  In plain;
  plain.a0 = 0.9f;
  plain.rx = plain.ry = plain.rt = 1.0f;
  const Out p = call(plain);
  In weak = plain;
  weak.sw = 0.5f;
  weak.Dw = 0.1f;
  for (float t : {1e-2f, 1e-3f}) {
    SCOPED_TRACE(t);
    weak.t = t;
    const Out w = call(weak);
    // The reactions change by O(t/r); with t/r = 1e-3 they agree to ~1e-3.
    const double tol = 3.0 * t;
    EXPECT_LT(rel(w.su, to_l(p.su)), tol);
    EXPECT_LT(rel(w.sw, to_l(p.sw)), tol);
    EXPECT_LT(rel(w.srx, to_l(p.srx)), tol);
    EXPECT_LT(rel(w.st, to_l(p.st)), tol);
  }
}

TEST(PileSoil, WeakZoneWithLayerPropertiesTendsToNoWeakZone) {
  // sw -> 1 with Dw = D: the inner zone becomes the layer itself, and the
  // vertical, rotational and torsional two-zone values tend to the homogeneous
  // ones at the unscaled a0.  (sw = 1 exactly makes g = 0 and is degenerate:
  // the soil reader stores a zero thickness then.)
  In plain;
  plain.a0 = 1.0f;
  const Out p = call(plain);
  In weak = plain;
  weak.t = 0.05f;
  for (float sw : {0.99f, 0.999f}) {
    SCOPED_TRACE(sw);
    weak.sw = sw;
    const Out w = call(weak);
    const double tol = 2.0 * (1.0 - sw) + 1e-4;
    EXPECT_LT(rel(w.sw, to_l(p.sw)), tol);
    EXPECT_LT(rel(w.srx, to_l(p.srx)), tol);
    EXPECT_LT(rel(w.st, to_l(p.st)), tol);
  }
}

TEST(PileSoil, HorizontalWeakZoneActsInSeriesWithTheOuterReaction) {
  // Su := Su_outer/(1 + Su_outer/Wi), Su_outer the homogeneous reaction at
  // a' = a0 (r + t)/r.  For a thin annulus at low frequency Wi is the static
  // stiffness of the annulus times the Part's factor 1.2 (3.7699115 = 1.2 pi):
  // a thin plane-strain layer of thickness t, translated rigidly on its inner
  // face, has the stiffness pi·G_w·(M/G + 1)·r/t, M/G = 2(1 - nu)/(1 - 2nu).
  for (float nu : {0.0f, 0.25f, 0.4f})
    for (float sw : {1.0f, 0.6f}) {
      SCOPED_TRACE(::testing::Message() << "nu " << nu << " sw " << sw);
      In weak;
      weak.nu = nu;
      weak.D = 0.0f;
      weak.Dw = 0.0f;
      weak.sw = sw;
      weak.t = 0.01f;
      weak.a0 = 0.5f;
      const Out w = call(weak);
      In outer = weak;
      outer.t = 0.0f;
      outer.a0 = weak.a0 * ((weak.r + weak.t) / weak.r);  // a', as the kernel forms it
      const Out o = call(outer);
      const std::complex<double> suo(o.su.real(), o.su.imag()), su(w.su.real(), w.su.imag());
      const std::complex<double> wi = suo * su / (suo - su);
      const double thin = kPi * sw * (2.0 * (1.0 - nu) / (1.0 - 2.0 * nu) + 1.0) / 0.01;
      EXPECT_NEAR(wi.real() / (1.2 * thin), 1.0, 0.01);
      EXPECT_NEAR(wi.imag() / wi.real(), 0.0, 0.01);
    }
}

// The horizontal two-zone value evaluated in extended precision
// (own Bessel series, own Gaussian elimination): checks the single-precision
// kernel where the annulus is thick and the frequency not small.
cld su_two_zone_ref(long double a0, long double nu, long double D, long double sw, long double Dw, long double t) {
  const long double lam = 1.0L + t;
  const long double ap = a0 * lam;
  const long double ah = ap < 0.3L ? 0.3L : ap;
  cld su = su_ref(ah, nu, D);
  if (ap < 0.3L) {
    const long double f = ap / 0.3L;
    su = cld(su.real(), su.real() * D * (1.0L - f) + f * su.imag());
  }
  const long double eta = std::sqrt(2.0L * (1.0L - nu) / (1.0L - 2.0L * nu));
  const long double rho = 1.0L / lam;
  const cld q = s_arg(ah, D) / eta;
  const cld qw = q / (std::sqrt(sw) * std::sqrt(cld(1.0L, Dw) / cld(1.0L, D)));
  const cld qa = rho * qw, sb = eta * qw, sa = eta * qa;
  cld i0qa, i1qa, k0qa, k1qa, i0sa, i1sa, k0sa, k1sa, i0qw, i1qw, k0qw, k1qw, i0sb, i1sb, k0sb, k1sb;
  bessel_ref(qa, i0qa, i1qa, k0qa, k1qa);
  bessel_ref(sa, i0sa, i1sa, k0sa, k1sa);
  bessel_ref(qw, i0qw, i1qw, k0qw, k1qw);
  bessel_ref(sb, i0sb, i1sb, k0sb, k1sb);
  cld a[4][5] = {
      {qa * i0qa - i1qa, -qa * k0qa - k1qa, -i1sa, -k1sa, 1.0L},
      {i1qa, k1qa, i1sa - sa * i0sa, k1sa + sa * k0sa, 1.0L},
      {rho * i1qw - qa * i0qw, rho * k1qw + qa * k0qw, rho * i1sb, rho * k1sb, 0.0L},
      {rho * i1qw, rho * k1qw, rho * i1sb - sa * i0sb, rho * k1sb + sa * k0sb, 0.0L},
  };
  for (int c = 0; c < 4; ++c) {
    int piv = c;
    for (int i = c + 1; i < 4; ++i)
      if (std::abs(a[i][c]) > std::abs(a[piv][c])) piv = i;
    for (int j = 0; j < 5; ++j) std::swap(a[c][j], a[piv][j]);
    for (int i = 0; i < 4; ++i) {
      if (i == c) continue;
      const cld f = a[i][c] / a[c][c];
      for (int j = c; j < 5; ++j) a[i][j] -= f * a[c][j];
    }
  }
  cld x[4];
  for (int i = 0; i < 4; ++i) x[i] = a[i][4] / a[i][i];
  const cld ti = x[0] * ((qa * qa + 2.0L) * i1qa - qa * i0qa) + x[1] * ((qa * qa + 2.0L) * k1qa + qa * k0qa) +
                 x[2] * (2.0L * i1sa - sa * i0sa) + x[3] * (2.0L * k1sa + sa * k0sa);
  const cld ui = x[0] * (2.0L * i1qa - qa * i0qa) + x[1] * (2.0L * k1qa + qa * k0qa) +
                 x[2] * ((sa * sa + 2.0L) * i1sa - sa * i0sa) + x[3] * ((sa * sa + 2.0L) * k1sa + sa * k0sa);
  const cld vi = x[0] * (qa * i0qa - 2.0L * i1qa) - x[1] * (2.0L * k1qa + qa * k0qa) - x[2] * (2.0L * i1sa - sa * i0sa);
  const cld zi = ui - eta * eta * ti - (vi - x[3] * (2.0L * k1sa + sa * k0sa)) / (1.0L - 2.0L * nu);
  const cld wi = 3.7699115L * sw * cld(1.0L, Dw) * zi;
  return su / (1.0L + su / wi);
}

TEST(PileSoil, HorizontalWeakZoneAgainstExtendedPrecision) {
  struct Case { float a0, nu, D, sw, Dw, t; };
  const Case cases[] = {{1.0f, 0.25f, 0.05f, 0.6f, 0.1f, 0.5f}, {0.2f, 0.3f, 0.05f, 0.5f, 0.1f, 0.5f},
                        {2.0f, 0.4f, 0.02f, 0.7f, 0.05f, 1.0f}, {0.8f, 0.0f, 0.1f, 0.4f, 0.2f, 0.1f}};
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << "a0 " << k.a0 << " nu " << k.nu << " t " << k.t);
    In in;
    in.a0 = k.a0;
    in.nu = k.nu;
    in.D = k.D;
    in.sw = k.sw;
    in.Dw = k.Dw;
    in.t = k.t;
    EXPECT_LT(rel(call(in).su, su_two_zone_ref(k.a0, k.nu, k.D, k.sw, k.Dw, k.t)), 1e-4);
  }
}

TEST(PileSoil, HorizontalWeakZoneForAnIncompressibleLayer) {
  // Our choice: for nu >= 0.5 the annulus is evaluated with the
  // general formula at nu = 0.4999; the outer reaction is the incompressible one.
  In weak = weak_case();
  weak.nu = 0.5f;
  const Out o = call(weak);
  EXPECT_TRUE(std::isfinite(o.su.real()) && std::isfinite(o.su.imag()));
  In near = weak;
  near.nu = 0.4999f;
  EXPECT_LT(rel(o.su, to_l(call(near).su)), 0.02);
  In nearer = weak;
  nearer.nu = 0.49999f;
  EXPECT_LT(rel(o.su, to_l(call(nearer).su)), 0.03);
}

}  // namespace
