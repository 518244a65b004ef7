// Tests of the complex Bessel functions against independent
// double / extended precision references: the C++17 special functions for
// real and imaginary arguments, and integral representations for complex ones.
#include "kernels/bessel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>
#include <complex>
#include <numbers>

namespace {

using eng::cfloat;
using cld = std::complex<long double>;
constexpr long double kPi = std::numbers::pi_v<long double>;

// K_nu(z) = integral over t in [0, inf) of exp(-z cosh t)·cosh(nu t), Re z > 0.
// The integrand decays doubly exponentially, so the trapezoidal rule with a
// fine step is accurate to near machine precision.
cld K_ref(int nu, cld z) {
  const long double h = 2.0e-4L;
  cld sum = 0.5L * std::exp(-z);  // t = 0 (cosh(0) = 1)
  for (long double t = h;; t += h) {
    const long double c = std::cosh(t);
    if (z.real() * c > 80.0L) break;
    sum += std::exp(-z * c) * std::cosh(nu * t);
  }
  return sum * h;
}

// I_n(z) = (1/pi)·integral over [0, pi] of exp(z cos th)·cos(n th): periodic
// integrand, the trapezoidal rule converges geometrically.
cld I_ref(int n, cld z) {
  const int m = 4000;
  const long double h = kPi / m;
  cld sum = 0.5L * (std::exp(z) + std::exp(-z) * std::cos(n * kPi));
  for (int j = 1; j < m; ++j) {
    const long double th = j * h;
    sum += std::exp(z * std::cos(th)) * std::cos(n * th);
  }
  return sum * h / kPi;
}

// Principal-branch K0, K1 at z = i·x (x > 0) through the Hankel functions:
// K0(ix) = -(pi/2)(Y0(x) + i J0(x)),  K1(ix) = -(pi/2)(J1(x) - i Y1(x)).
std::complex<double> K0_imag(double x) {
  return -0.5 * std::numbers::pi * std::complex<double>(std::cyl_neumann(0.0, x), std::cyl_bessel_j(0.0, x));
}
std::complex<double> K1_imag(double x) {
  return -0.5 * std::numbers::pi * std::complex<double>(std::cyl_bessel_j(1.0, x), -std::cyl_neumann(1.0, x));
}

double dist(cfloat a, std::complex<double> b) {
  return std::abs(std::complex<double>(a.real(), a.imag()) - b);
}
std::complex<double> to_d(cld z) {
  return {static_cast<double>(z.real()), static_cast<double>(z.imag())};
}

// Rounding bound of the single-precision ascending series of K0/K1 at |z| <= 9:
// the terms add up in modulus to about I0(|z|)·(|ln(|z|/2)| + 1), so the
// absolute error is a few float epsilons times that (measured worst case over
// the disc: 1.5 epsilons), plus a few epsilons of the value itself.  Near
// |z| = 9 this bound (~7e-4) exceeds K0 and K1 on the positive real axis
// (~5e-5): there the series in single precision is cancellation-limited.
double series_abs_tol(double r, double value = 0.0) {
  const double eps = 6e-8;
  return 4.0 * eps * std::abs(value) + 4.0 * eps * std::cyl_bessel_i(0.0, r) * (std::abs(std::log(r / 2.0)) + 1.0);
}

// Relative truncation bound of the asymptotic branch (|z| > 9): the kernel keeps
// sqrt(pi/2z)e^-z (1 + (4nu^2-1)/(8z)) exactly and only the real part of the
// later terms, so the error is at most the modulus of the next terms.
double asym_rel_tol(int nu, double r) {
  const double mu = 4.0 * nu * nu;
  const double c2 = std::abs((mu - 1) * (mu - 9) / 2.0);
  const double c3 = std::abs((mu - 1) * (mu - 9) * (mu - 25) / 6.0);
  const double e = 8.0 * r;
  return 1e-5 + 1.1 * (c2 / (e * e) + c3 / (e * e * e));
}

// --- real arguments ----------------------------------------------------------

TEST(BesselReal, TabulatedValuesAtOne) {
  // Abramowitz & Stegun, Table 9.8: K0(1) = 0.4210244382, K1(1) = 0.6019072302,
  // I0(1) = 1.266065878, I1(1) = 0.565159104.
  const cfloat one(1.0f, 0.0f);
  EXPECT_NEAR(eng::BESSEL_K0(one).real(), 0.4210244382, 2e-7);
  EXPECT_NEAR(eng::BESSEL_K1(one).real(), 0.6019072302, 2e-7);
  EXPECT_NEAR(eng::BESSEL_I0(one).real(), 1.266065878, 3e-7);
  EXPECT_NEAR(eng::BESSEL_I1(one).real(), 0.565159104, 2e-7);
  EXPECT_EQ(eng::BESSEL_K0(one).imag(), 0.0f);
  EXPECT_EQ(eng::BESSEL_K1(one).imag(), 0.0f);
  EXPECT_EQ(eng::BESSEL_I0(one).imag(), 0.0f);
  EXPECT_EQ(eng::BESSEL_I1(one).imag(), 0.0f);
}

TEST(BesselReal, SmallArgumentClosedForms) {
  // K0(x) ~ -ln(x/2) - gamma, K1(x) ~ 1/x for small x.
  const float x = 1e-3f;
  const double k0 = -std::log(0.5e-3) - 0.5772156649;
  EXPECT_NEAR(eng::BESSEL_K0(cfloat(x, 0.0f)).real(), k0, 1e-5);
  EXPECT_NEAR(eng::BESSEL_K1(cfloat(x, 0.0f)).real(), 1.0 / x, 1e-2);
  EXPECT_NEAR(eng::BESSEL_I0(cfloat(0.0f, 0.0f)).real(), 1.0, 0.0);
  EXPECT_NEAR(eng::BESSEL_I1(cfloat(0.0f, 0.0f)).real(), 0.0, 0.0);
}

TEST(BesselReal, AgainstStdSpecialFunctions) {
  for (double x : {0.05, 0.3, 0.7, 1.5, 2.5, 3.7, 5.0, 6.5, 8.0, 9.0}) {
    SCOPED_TRACE(x);
    const cfloat z(static_cast<float>(x), 0.0f);
    const double k0 = std::cyl_bessel_k(0.0, x);
    const double k1 = std::cyl_bessel_k(1.0, x);
    EXPECT_NEAR(eng::BESSEL_K0(z).real(), k0, series_abs_tol(x, k0));
    EXPECT_NEAR(eng::BESSEL_K1(z).real(), k1, series_abs_tol(x, k1));
    EXPECT_NEAR(std::abs(eng::BESSEL_K0(z).imag()), 0.0, 1e-7);
    EXPECT_NEAR(eng::BESSEL_I0(z).real(), std::cyl_bessel_i(0.0, x), 3e-7 * std::cyl_bessel_i(0.0, x));
    EXPECT_NEAR(eng::BESSEL_I1(z).real(), std::cyl_bessel_i(1.0, x), 3e-7 * std::cyl_bessel_i(0.0, x));
  }
  // Above the switch radius: asymptotic branch, relative accuracy.
  for (double x : {9.0001, 9.5, 12.0, 20.0, 40.0, 80.0}) {
    SCOPED_TRACE(x);
    const cfloat z(static_cast<float>(x), 0.0f);
    const double k0 = std::cyl_bessel_k(0.0, x);
    const double k1 = std::cyl_bessel_k(1.0, x);
    // For real z every term of the expansion is real, so the kernel keeps the
    // third term too; what is left is the fourth term and the crude loop.
    EXPECT_NEAR(eng::BESSEL_K0(z).real(), k0, asym_rel_tol(0, x) * k0);
    EXPECT_NEAR(eng::BESSEL_K1(z).real(), k1, asym_rel_tol(1, x) * k1);
    EXPECT_EQ(eng::BESSEL_K0(z).imag(), 0.0f);
    EXPECT_EQ(eng::BESSEL_K1(z).imag(), 0.0f);
  }
  // First kind: 20 terms are plenty up to about |z| = 18.
  for (double x : {10.0, 14.0, 17.0}) {
    SCOPED_TRACE(x);
    const cfloat z(static_cast<float>(x), 0.0f);
    EXPECT_NEAR(eng::BESSEL_I0(z).real(), std::cyl_bessel_i(0.0, x), 2e-6 * std::cyl_bessel_i(0.0, x));
    EXPECT_NEAR(eng::BESSEL_I1(z).real(), std::cyl_bessel_i(1.0, x), 2e-6 * std::cyl_bessel_i(1.0, x));
  }
}

TEST(BesselReal, WronskianIdentity) {
  // I0(x)K1(x) + I1(x)K0(x) = 1/x.
  for (float x : {0.2f, 1.0f, 3.0f, 6.0f}) {
    SCOPED_TRACE(x);
    const cfloat z(x, 0.0f);
    const cfloat w = eng::BESSEL_I0(z) * eng::BESSEL_K1(z) + eng::BESSEL_I1(z) * eng::BESSEL_K0(z);
    // The error of K0, K1 (series_abs_tol) enters multiplied by I0, I1 and x.
    EXPECT_NEAR(w.real() * x, 1.0, 1e-6 + 2.0 * x * std::cyl_bessel_i(0.0, x) * series_abs_tol(x));
    EXPECT_NEAR(w.imag(), 0.0, 0.0);
  }
}

// --- imaginary arguments (the pile-soil kernel's undamped wave numbers) -----

TEST(BesselImaginary, AgainstHankelFunctions) {
  for (double x : {0.1, 0.3, 1.0, 2.0, 4.0, 6.0, 8.5, 9.0}) {
    SCOPED_TRACE(x);
    const cfloat z(0.0f, static_cast<float>(x));
    // For imaginary z the series terms alternate; their moduli add up to about
    // I0(x)·(|ln x| + const).
    EXPECT_LT(dist(eng::BESSEL_K0(z), K0_imag(x)), series_abs_tol(x, std::abs(K0_imag(x))));
    EXPECT_LT(dist(eng::BESSEL_K1(z), K1_imag(x)), series_abs_tol(x, std::abs(K1_imag(x))));
    // I0(ix) = J0(x), I1(ix) = i J1(x).
    EXPECT_LT(dist(eng::BESSEL_I0(z), {std::cyl_bessel_j(0.0, x), 0.0}), 3e-7 * std::cyl_bessel_i(0.0, x));
    EXPECT_LT(dist(eng::BESSEL_I1(z), {0.0, std::cyl_bessel_j(1.0, x)}), 3e-7 * std::cyl_bessel_i(0.0, x));
  }
  for (double x : {9.0001, 10.0, 15.0, 30.0}) {
    SCOPED_TRACE(x);
    const cfloat z(0.0f, static_cast<float>(x));
    EXPECT_LT(dist(eng::BESSEL_K0(z), K0_imag(x)), asym_rel_tol(0, x) * std::abs(K0_imag(x)));
    EXPECT_LT(dist(eng::BESSEL_K1(z), K1_imag(x)), asym_rel_tol(1, x) * std::abs(K1_imag(x)));
  }
}

// --- general complex arguments --------------------------------------------------

TEST(BesselComplex, SeriesBranchAgainstIntegrals) {
  const cfloat zs[] = {{0.3f, 0.2f}, {1.0f, 1.0f}, {0.5f, 2.0f}, {1.0f, -2.0f}, {3.0f, 4.0f},
                       {2.0f, 6.0f}, {0.2f, 8.0f}, {5.0f, -5.0f}, {6.0f, 6.7f}, {1.0f, 8.9f}};
  for (const cfloat& zf : zs) {
    SCOPED_TRACE(::testing::Message() << zf);
    const cld z(zf.real(), zf.imag());
    const double r = std::abs(to_d(z));
    ASSERT_LE(r, 9.0);
    const auto k0 = to_d(K_ref(0, z));
    const auto k1 = to_d(K_ref(1, z));
    EXPECT_LT(dist(eng::BESSEL_K0(zf), k0), series_abs_tol(r, std::abs(k0)));
    EXPECT_LT(dist(eng::BESSEL_K1(zf), k1), series_abs_tol(r, std::abs(k1)));
    const double itol = 4e-7 * std::cyl_bessel_i(0.0, r);
    EXPECT_LT(dist(eng::BESSEL_I0(zf), to_d(I_ref(0, z))), itol);
    EXPECT_LT(dist(eng::BESSEL_I1(zf), to_d(I_ref(1, z))), itol);
  }
}

TEST(BesselComplex, SmallArgumentsAreAccurateToSinglePrecision) {
  // Where the series does not cancel (|z| up to about 2) the relative error
  // stays at a few float epsilons.
  const cfloat zs[] = {{0.3f, 0.2f}, {1.0f, 1.0f}, {0.05f, 0.6f}, {1.2f, -0.9f}};
  for (const cfloat& zf : zs) {
    SCOPED_TRACE(::testing::Message() << zf);
    const cld z(zf.real(), zf.imag());
    const auto k0 = to_d(K_ref(0, z));
    const auto k1 = to_d(K_ref(1, z));
    EXPECT_LT(dist(eng::BESSEL_K0(zf), k0), 2e-6 * std::abs(k0));
    EXPECT_LT(dist(eng::BESSEL_K1(zf), k1), 2e-6 * std::abs(k1));
  }
}

TEST(BesselComplex, AsymptoticBranchAgainstIntegrals) {
  const cfloat zs[] = {{6.0f, 7.0f}, {9.0f, 0.5f}, {4.0f, -9.0f}, {12.0f, 5.0f},
                       {1.0f, 11.0f}, {20.0f, -3.0f}, {30.0f, 30.0f}};
  for (const cfloat& zf : zs) {
    SCOPED_TRACE(::testing::Message() << zf);
    const cld z(zf.real(), zf.imag());
    const double r = std::abs(to_d(z));
    ASSERT_GT(r, 9.0);
    const auto k0 = to_d(K_ref(0, z));
    const auto k1 = to_d(K_ref(1, z));
    EXPECT_LT(dist(eng::BESSEL_K0(zf), k0), asym_rel_tol(0, r) * std::abs(k0));
    EXPECT_LT(dist(eng::BESSEL_K1(zf), k1), asym_rel_tol(1, r) * std::abs(k1));
  }
}

TEST(BesselComplex, AsymptoticBranchIsTheTwoTermFormPlusARealCorrection) {
  // Leading part sqrt(pi/2z)·e^-z·(1 + m0/(8z)); the rest of the bracket is real
  // and tiny (its first piece is m0(m0-8)/2·Re(1/(8z)^2)).
  for (const cfloat zf : {cfloat(7.0f, 7.0f), cfloat(0.0f, 12.0f), cfloat(25.0f, -10.0f)}) {
    SCOPED_TRACE(::testing::Message() << zf);
    const std::complex<double> z(zf.real(), zf.imag());
    const std::complex<double> f = std::sqrt(1.5707964 / z) * std::exp(-z);
    const std::complex<double> e2 = 1.0 / ((8.0 * z) * (8.0 * z));
    for (int order = 0; order <= 1; ++order) {
      const double m0 = order == 0 ? -1.0 : 3.0;
      const std::complex<double> lead = f * (1.0 + m0 / (8.0 * z));
      const std::complex<double> next = f * (m0 * (m0 - 8.0) / 2.0 * e2.real());
      const cfloat got = order == 0 ? eng::BESSEL_K0(zf) : eng::BESSEL_K1(zf);
      EXPECT_LT(dist(got, lead + next), 2e-6 * std::abs(lead) + 1e-3 * std::abs(next));
    }
  }
}

TEST(BesselComplex, ConjugateSymmetry) {
  for (const cfloat zf : {cfloat(1.0f, 2.0f), cfloat(3.0f, 0.5f), cfloat(10.0f, 4.0f)}) {
    SCOPED_TRACE(::testing::Message() << zf);
    const cfloat zc = std::conj(zf);
    EXPECT_EQ(eng::BESSEL_K0(zc), std::conj(eng::BESSEL_K0(zf)));
    EXPECT_EQ(eng::BESSEL_K1(zc), std::conj(eng::BESSEL_K1(zf)));
    EXPECT_EQ(eng::BESSEL_I0(zc), std::conj(eng::BESSEL_I0(zf)));
    EXPECT_EQ(eng::BESSEL_I1(zc), std::conj(eng::BESSEL_I1(zf)));
  }
}

TEST(BesselComplex, FirstKindParity) {
  // I0 even, I1 odd, the series are polynomials in w = z/2.
  for (const cfloat zf : {cfloat(1.0f, 2.0f), cfloat(-3.0f, 0.5f), cfloat(7.0f, -4.0f)}) {
    SCOPED_TRACE(::testing::Message() << zf);
    EXPECT_EQ(eng::BESSEL_I0(-zf), eng::BESSEL_I0(zf));
    EXPECT_EQ(eng::BESSEL_I1(-zf), -eng::BESSEL_I1(zf));
  }
}

// --- the switch circle |z| = 9 -------------------------------------------------

TEST(BesselSwitch, BothSidesOfTheSwitchRadiusOnThePositiveAxis) {
  // At 9.0 the series (cancellation-limited in single precision: the terms are
  // of the size of I0(9) ~ 1094 and K0(9) ~ 5e-5), just above the asymptotic
  // form, which is accurate to about 1e-4 there.
  const double k0 = std::cyl_bessel_k(0.0, 9.0);
  const double k1 = std::cyl_bessel_k(1.0, 9.0);
  const cfloat at(9.0f, 0.0f);
  const cfloat above(std::nextafter(9.0f, 10.0f), 0.0f);
  EXPECT_NEAR(eng::BESSEL_K0(at).real(), k0, series_abs_tol(9.0, k0));
  EXPECT_NEAR(eng::BESSEL_K1(at).real(), k1, series_abs_tol(9.0, k1));
  EXPECT_NEAR(eng::BESSEL_K0(above).real(), k0, asym_rel_tol(0, 9.0) * k0);
  EXPECT_NEAR(eng::BESSEL_K1(above).real(), k1, asym_rel_tol(1, 9.0) * k1);
}

TEST(BesselSwitch, SeriesAtNineAsymptoticJustAbove) {
  // On the negative real axis the two branches differ in kind: the series uses
  // the phase atan(0/-4.5) = 0, so K0(-9) = K0(9) (small), while the
  // asymptotic form with the principal square root and e^{+9} is huge.  That
  // tells which branch ran.
  const cfloat at(-9.0f, 0.0f);
  const cfloat above(-std::nextafter(9.0f, 10.0f), 0.0f);
  EXPECT_EQ(eng::BESSEL_K0(at), eng::BESSEL_K0(cfloat(9.0f, 0.0f)));
  EXPECT_EQ(eng::BESSEL_K1(at), -eng::BESSEL_K1(cfloat(9.0f, 0.0f)));
  const std::complex<double> za(above.real(), 0.0);
  const std::complex<double> f = std::sqrt(1.5707964 / za) * std::exp(-za);
  const double e2 = 1.0 / (64.0 * za.real() * za.real());  // Re(1/(8z)^2)
  EXPECT_LT(dist(eng::BESSEL_K0(above), f * (1.0 - 1.0 / (8.0 * za) + 4.5 * e2)), 2e-6 * std::abs(f));
  EXPECT_LT(dist(eng::BESSEL_K1(above), f * (1.0 + 3.0 / (8.0 * za) - 7.5 * e2)), 2e-6 * std::abs(f));
  EXPECT_GT(std::abs(eng::BESSEL_K0(above)), 1000.0f);
}

TEST(BesselSwitch, ImaginaryAxisJumpIsSmall) {
  // On +i·9 both branches approximate the same function; the step across the
  // switch circle stays within the two error bounds.
  const cfloat at(0.0f, 9.0f);
  const cfloat above(0.0f, std::nextafter(9.0f, 10.0f));
  const double bound0 = series_abs_tol(9.0) + asym_rel_tol(0, 9.0) * std::abs(K0_imag(9.0));
  const double bound1 = series_abs_tol(9.0) + asym_rel_tol(1, 9.0) * std::abs(K1_imag(9.0));
  EXPECT_LT(std::abs(eng::BESSEL_K0(at) - eng::BESSEL_K0(above)), bound0);
  EXPECT_LT(std::abs(eng::BESSEL_K1(at) - eng::BESSEL_K1(above)), bound1);
}

// --- phase rule -------------------------------------------------------------------

TEST(BesselPhase, ReZeroUsesPlusHalfPiForEitherSign) {
  // z = -i x: the phase is +pi/2, so the series gives K0(-ix) = K0(+ix) and
  // K1(-ix) = -K1(+ix), not the principal values conj(K0(ix)), conj(K1(ix)).
  for (float x : {0.5f, 2.0f, 5.0f, 9.0f}) {
    SCOPED_TRACE(x);
    const cfloat zm(0.0f, -x);
    const cfloat zp(0.0f, x);
    EXPECT_EQ(eng::BESSEL_K0(zm), eng::BESSEL_K0(zp));
    EXPECT_EQ(eng::BESSEL_K1(zm), -eng::BESSEL_K1(zp));
    const double tol = series_abs_tol(x, std::abs(K0_imag(x)));
    EXPECT_LT(dist(eng::BESSEL_K0(zm), K0_imag(x)), tol);
    // Principal K0(-ix) = conj(K0(ix)); the kernel's value differs by -i·pi·J0(x).
    const std::complex<double> principal = std::conj(K0_imag(x));
    const std::complex<double> shift(0.0, -std::numbers::pi * std::cyl_bessel_j(0.0, x));
    EXPECT_LT(dist(eng::BESSEL_K0(zm), principal + shift), tol);
  }
  // With -0.0 as real part the same rule holds.
  EXPECT_EQ(eng::BESSEL_K0(cfloat(-0.0f, -3.0f)), eng::BESSEL_K0(cfloat(0.0f, 3.0f)));
}

TEST(BesselPhase, NegativeRealPartUsesPrincipalArctangent) {
  // For Re z < 0 the logarithm is ln|z/2| + i·atan(Im z/Re z) = ln(-z/2): the
  // series then gives K0(z) = K0(-z) and K1(z) = -K1(-z), which differ from the
  // principal branch by the continuation terms -+ i·pi·I0, -+ i·pi·I1.
  const cfloat zs[] = {{-1.0f, 0.5f}, {-2.0f, -1.5f}, {-0.3f, 4.0f}, {-6.0f, -2.0f}};
  for (const cfloat& zf : zs) {
    SCOPED_TRACE(::testing::Message() << zf);
    const cld zneg(-zf.real(), -zf.imag());  // Re > 0
    const double r = std::abs(zf);
    const auto k0 = to_d(K_ref(0, zneg));
    const auto k1 = to_d(K_ref(1, zneg));
    EXPECT_LT(dist(eng::BESSEL_K0(zf), k0), series_abs_tol(r, std::abs(k0)));
    EXPECT_LT(dist(eng::BESSEL_K1(zf), -k1), series_abs_tol(r, std::abs(k1)));
    // Principal values by analytic continuation from -z = z·e^{-+i pi}:
    //   K0(z) = K0(-z) -+ i·pi·I0(-z),  K1(z) = -K1(-z) -+ i·pi·I1(-z)
    // (upper signs for Im z >= 0).  The kernel's values are off by that term.
    const double sgn = zf.imag() >= 0.0f ? 1.0 : -1.0;
    const std::complex<double> ip(0.0, sgn * std::numbers::pi);
    const auto k0p = k0 - ip * to_d(I_ref(0, zneg));
    const auto k1p = -k1 - ip * to_d(I_ref(1, zneg));
    EXPECT_GT(dist(eng::BESSEL_K0(zf), k0p), 0.5 * std::abs(ip * to_d(I_ref(0, zneg))));
    EXPECT_GT(dist(eng::BESSEL_K1(zf), k1p), 0.5 * std::abs(ip * to_d(I_ref(1, zneg))));
  }
}

TEST(BesselPhase, IntegerPower) {
  const cfloat z(0.6f, -1.3f);
  EXPECT_EQ(eng::CPOW_INT(z, 0), cfloat(1.0f, 0.0f));
  EXPECT_EQ(eng::CPOW_INT(cfloat(0.0f, 0.0f), 0), cfloat(1.0f, 0.0f));
  EXPECT_EQ(eng::CPOW_INT(z, 1), z);
  EXPECT_EQ(eng::CPOW_INT(z, 2), z * z);
  const std::complex<double> zd(z.real(), z.imag());
  for (int n : {3, 7, 13, 40}) {
    SCOPED_TRACE(n);
    const std::complex<double> ref = std::pow(zd, n);
    EXPECT_LT(dist(eng::CPOW_INT(z, n), ref), 1e-5 * std::abs(ref));
  }
  EXPECT_LT(dist(eng::CPOW_INT(z, -2), 1.0 / (zd * zd)), 1e-6);
}

// Both orders at once give exactly the bits of the single-order routines,
// on both branches, on the switch circle, off the real axis and for Re z < 0.
TEST(BesselPair, K0K1TogetherAreTheSingleOrderValuesBitForBit) {
  std::vector<cfloat> args;
  for (int i = -40; i <= 40; ++i) {
    for (int j = -40; j <= 40; ++j) {
      const cfloat z(0.37f * static_cast<float>(i), 0.41f * static_cast<float>(j));
      if (z != cfloat(0.0f, 0.0f)) args.push_back(z);
    }
  }
  for (const float t : {0.0f, 0.3f, 1.2f, 2.5f}) {
    args.push_back(std::polar(9.0f, t));
    args.push_back(std::polar(std::nextafter(9.0f, 10.0f), t));
  }
  args.push_back(cfloat(1e-6f, 2e-6f));
  args.push_back(cfloat(0.0f, 0.05f));
  for (const cfloat& z : args) {
    cfloat k0, k1;
    eng::BESSEL_K0_K1(z, k0, k1);
    const cfloat a = eng::BESSEL_K0(z), b = eng::BESSEL_K1(z);
    EXPECT_EQ(std::memcmp(&k0, &a, sizeof a), 0) << z;
    EXPECT_EQ(std::memcmp(&k1, &b, sizeof b), 0) << z;
  }
}

}  // namespace
