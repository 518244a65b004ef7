// Pile-soil impedance kernel.
#include "kernels/pile_soil.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numbers>

#include "kernels/bessel.h"
#include "kernels/solvers.h"

namespace eng {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kHorizontalFloor = 0.3f;  // floor of the horizontal a'
constexpr float kVerticalFloor = 0.05f;   // floor of the vertical a'
constexpr float kVerticalBound = 0.1f;    // interpolation bound of the vertical a'
constexpr float kNuLimit = 0.5f;          // Poisson's ratio threshold
constexpr float kInnerFactor = 3.7699115f;  // horizontal inner-zone stiffness factor (1.2 pi)
constexpr int kSeriesTerms = 100;         // power series of the two-zone values
constexpr int kRotationDerivativeTerms = 20;
// The rotational and torsional derivative sums stop after 20 terms.  Their
// terms fall like |g|^m (the zone's modulus vanishes at |y| = 1 of the
// series' variable), so for a soft zone the 20 terms are short of the
// converged sum: by 6e-3 at a shear ratio of 0.4 and 6e-2 at 0.25 (g² = 1 -
// ratio).  Where the terms 21 .. 100 change the sum by more than
// kTruncation of it, the sum over all 100 is used, provided its last term is
// below kConverged of it; otherwise the zone is integrated (see below).
constexpr double kTruncation = 1e-3;
constexpr double kConverged = 1e-7;
// Largest ratio of a term of a two-zone series to its sum at which the
// single-precision sum is used (loss about 5e-5 relative at most; 7e-4 at
// 1e3).
constexpr double kSeriesCancel = 100.0;

// Poisson's ratio used for the horizontal two-zone value when the layer's
// ratio is 0.5 or more (see below).
constexpr float kTwoZoneNuCap = 0.4999f;

const cfloat kOne(1.0f, 0.0f);

using cdouble = std::complex<double>;
cdouble to_d(const cfloat& z) { return cdouble(z.real(), z.imag()); }
cfloat to_f(const cdouble& z) { return cfloat(static_cast<float>(z.real()), static_cast<float>(z.imag())); }
bool finite(const cfloat& z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

// K0(z) and K1(z) times e^(Re z), in double (defined with the guarded routes
// below).
void bessel_k01_scaled(const cdouble& z, cdouble& k0, cdouble& k1);

// Whether a value (K0, K1 or a product of them) carries single precision's
// full relative accuracy: finite and not below the smallest normal float.
// K0(z) and K1(z) fall below it together once Re z exceeds about 87 (strong
// damping, or a wide weak zone at high frequency), and the reactions, which
// need only their ratios, would then come out as 0/0 or from a few bits.
// Those reactions are formed instead from the scaled functions in double,
// whose ratios are the same; every other value keeps its single-precision
// arithmetic, bit for bit.
bool full_range(const cfloat& z) {
  const double m = std::hypot(static_cast<double>(z.real()), static_cast<double>(z.imag()));
  return m >= static_cast<double>(std::numeric_limits<float>::min()) &&
         m <= static_cast<double>(std::numeric_limits<float>::max());
}
bool full_range(const cfloat& a, const cfloat& b) { return full_range(a) && full_range(b); }

// S-wave argument s = i·a/sqrt(1 + iD).
cfloat wave_arg(float a, const cfloat& sqrt_g1) { return cfloat(0.0f, a) / sqrt_g1; }
// The same in double, for the routes in double: across a zone many
// wavelengths wide the phase of the waves is a large multiple of the
// argument, and the rounding of its single-precision value would show.
cdouble wave_arg_d(float a, float D) { return cdouble(0.0, a) / std::sqrt(cdouble(1.0, D)); }

// Horizontal reaction at the dimensionless frequency ah (steps 1 to 3 of the
// horizontal reaction); q receives the P-wave argument s/eta (nu < 0.5).
cfloat horizontal(float ah, float nu, float eta, const cfloat& sqrt_g1, cfloat& q) {
  const cfloat s = wave_arg(ah, sqrt_g1);
  const float lead = -kPi * ah * ah;
  if (nu < kNuLimit) {
    q = s / eta;
    cfloat k0q, k1q, k0s, k1s;
    BESSEL_K0_K1(q, k0q, k1q);
    BESSEL_K0_K1(s, k0s, k1s);
    const cfloat n = 4.0f * k1q * k1s + s * k1q * k0s + q * k0q * k1s;
    const cfloat m = q * k0q * k1s + s * k1q * k0s + q * s * k0q * k0s;
    if (full_range(k0q, k1q) && full_range(k0s, k1s) && full_range(n, m) && second_kind_series_holds(q) &&
        second_kind_series_holds(s))
      return lead * n / m;
    // N and M hold one function of q and one of s in every term: the scale
    // factors e^(Re q)·e^(Re s) cancel.
    const cdouble qd = to_d(q), sd = to_d(s);
    cdouble k0qd, k1qd, k0sd, k1sd;
    bessel_k01_scaled(qd, k0qd, k1qd);
    bessel_k01_scaled(sd, k0sd, k1sd);
    const cdouble nd = 4.0 * k1qd * k1sd + sd * k1qd * k0sd + qd * k0qd * k1sd;
    const cdouble md = qd * k0qd * k1sd + sd * k1qd * k0sd + qd * sd * k0qd * k0sd;
    return to_f(static_cast<double>(lead) * nd / md);
  }
  q = s;  // not defined for nu >= 0.5; not used by the incompressible formula
  cfloat k0s, k1s;
  BESSEL_K0_K1(s, k0s, k1s);
  const cfloat sk0 = s * k0s;
  if (full_range(k0s, k1s) && full_range(sk0) && second_kind_series_holds(s)) return lead * (4.0f * k1s + sk0) / sk0;
  const cdouble sd = to_d(s);
  cdouble k0d, k1d;
  bessel_k01_scaled(sd, k0d, k1d);
  return to_f(static_cast<double>(lead) * (4.0 * k1d + sd * k0d) / (sd * k0d));
}

// The horizontal reaction in double (s = i·ah/sqrt(1 + iD), q = s/eta).
cdouble horizontal_d(const cdouble& s, const cdouble& q, float nu, float ah) {
  const double lead = -std::numbers::pi * static_cast<double>(ah) * static_cast<double>(ah);
  cdouble k0s, k1s;
  bessel_k01_scaled(s, k0s, k1s);
  if (nu >= kNuLimit) return lead * (4.0 * k1s + s * k0s) / (s * k0s);
  cdouble k0q, k1q;
  bessel_k01_scaled(q, k0q, k1q);
  const cdouble n = 4.0 * k1q * k1s + s * k1q * k0s + q * k0q * k1s;
  const cdouble m = q * k0q * k1s + s * k1q * k0s + q * s * k0q * k0s;
  return lead * n / m;
}

// z K0(z) / K1(z), formed as (z K0(z)) / K1(z).
cfloat z_k0_over_k1(const cfloat& z) {
  cfloat k0, k1;
  BESSEL_K0_K1(z, k0, k1);
  const cfloat zk0 = z * k0;
  if (full_range(k0, k1) && full_range(zk0) && second_kind_series_holds(z)) return zk0 / k1;
  const cdouble zd = to_d(z);
  cdouble k0d, k1d;
  bessel_k01_scaled(zd, k0d, k1d);
  return to_f(zd * k0d / k1d);
}

bool same_bits(const cfloat& a, const cfloat& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Vertical reaction at the dimensionless frequency av (step 2); s receives its
// wave argument.
cfloat vertical(float av, const cfloat& g1, const cfloat& sqrt_g1, cfloat& s) {
  s = wave_arg(av, sqrt_g1);
  cfloat k0, k1;
  BESSEL_K0_K1(s, k0, k1);
  const cfloat top = kTwoPi * g1 * s * k1;
  if (full_range(k0, k1) && full_range(top) && second_kind_series_holds(s)) return top / k0;
  const cdouble sd = to_d(s);
  cdouble k0d, k1d;
  bessel_k01_scaled(sd, k0d, k1d);
  return to_f(2.0 * std::numbers::pi * to_d(g1) * sd * k1d / k0d);
}

// Smallest |qa| (the P-wave argument at the face) at which the horizontal
// two-zone value is solved in single precision.  Below it (a zone wide
// against the wavelength's reciprocal: wide zones at low frequency) K0 and
// K1 at the face grow like ln|qa| and 1/|qa| while I0, I1 stay near 1 and
// 0, and T, U and V are differences of terms some 1/|qa|² times larger than
// Z: the rounding costs about 1.5e-7/|qa|² relative (1.5e-3 at 0.01,
// 0.1 at 0.001, up to 60 % in zones of 500 radii).
constexpr float kSmallFaceArgument = 0.05f;
// Largest |su/Su| (outer reaction over the two-zone value) at which the
// single-precision value stands.
constexpr float kResonanceGain = 5.0f;

// Horizontal two-zone value: the inner annulus (r .. r + t, shear ratio sw,
// damping Dw) in series with the outer reaction su of the layer.  Returns
// false, computing nothing, where the single-precision series of I0, I1, K0
// or K1 lose accuracy at one of the arguments (first_kind_series_holds,
// second_kind_series_holds: beyond |z| = 14, and for smaller arguments
// close to the imaginary axis, a lightly damped zone, where the terms of the
// series cancel) or where |qa| < kSmallFaceArgument, and false when LEQT1C
// finds the system singular (a zone
// thinner than single precision can tell from r makes rows 3 and 4 repeat
// rows 1 and 2).
bool horizontal_two_zone(cfloat& result, const cfloat& su, const cfloat& q, float nu, float eta,
                         float sw, const cfloat& g1, const cfloat& g1w, float rho) {
  const cfloat qw = q / (std::sqrt(sw) * std::sqrt(g1w / g1));  // at r + t
  const cfloat qa = rho * qw;                                   // at r
  const cfloat sb = eta * qw;
  const cfloat sa = eta * qa;
  for (const cfloat& arg : {qa, sa, qw, sb})
    if (!first_kind_series_holds(arg) || !second_kind_series_holds(arg)) return false;
  if (!(std::abs(qa) >= kSmallFaceArgument)) return false;

  const cfloat i0qa = BESSEL_I0(qa), i1qa = BESSEL_I1(qa);
  cfloat k0qa, k1qa;
  BESSEL_K0_K1(qa, k0qa, k1qa);
  const cfloat i0sa = BESSEL_I0(sa), i1sa = BESSEL_I1(sa);
  cfloat k0sa, k1sa;
  BESSEL_K0_K1(sa, k0sa, k1sa);
  const cfloat i0qw = BESSEL_I0(qw), i1qw = BESSEL_I1(qw);
  cfloat k0qw, k1qw;
  BESSEL_K0_K1(qw, k0qw, k1qw);
  const cfloat i0sb = BESSEL_I0(sb), i1sb = BESSEL_I1(sb);
  cfloat k0sb, k1sb;
  BESSEL_K0_K1(sb, k0sb, k1sb);

  cfloat a[16];
  cfloat b[4] = {kOne, kOne, cfloat(0.0f, 0.0f), cfloat(0.0f, 0.0f)};
  float wa[4];
  auto A = [&a](int i, int j) -> cfloat& { return at(a, 4, i, j); };
  A(1, 1) = qa * i0qa - i1qa;
  A(1, 2) = -qa * k0qa - k1qa;
  A(1, 3) = -i1sa;
  A(1, 4) = -k1sa;
  A(2, 1) = i1qa;
  A(2, 2) = k1qa;
  A(2, 3) = i1sa - sa * i0sa;
  A(2, 4) = k1sa + sa * k0sa;
  A(3, 1) = rho * i1qw - qa * i0qw;
  A(3, 2) = rho * k1qw + qa * k0qw;
  A(3, 3) = rho * i1sb;
  A(3, 4) = rho * k1sb;
  A(4, 1) = rho * i1qw;
  A(4, 2) = rho * k1qw;
  A(4, 3) = rho * i1sb - sa * i0sb;
  A(4, 4) = rho * k1sb + sa * k0sb;
  int ier = 0;
  LEQT1C(a, 4, 4, b, 1, 4, 0, wa, ier);
  if (ier != 0) return false;
  const cfloat x1 = b[0], x2 = b[1], x3 = b[2], x4 = b[3];

  const cfloat qa2 = qa * qa + 2.0f;
  const cfloat sa2 = sa * sa + 2.0f;
  const cfloat ti = x1 * (qa2 * i1qa - qa * i0qa) + x2 * (qa2 * k1qa + qa * k0qa) +
                    x3 * (2.0f * i1sa - sa * i0sa) + x4 * (2.0f * k1sa + sa * k0sa);
  const cfloat ui = x1 * (2.0f * i1qa - qa * i0qa) + x2 * (2.0f * k1qa + qa * k0qa) +
                    x3 * (sa2 * i1sa - sa * i0sa) + x4 * (sa2 * k1sa + sa * k0sa);
  const cfloat vi = x1 * (qa * i0qa - 2.0f * i1qa) - x2 * (2.0f * k1qa + qa * k0qa) -
                    x3 * (2.0f * i1sa - sa * i0sa);
  const cfloat zi = ui - eta * eta * ti - (vi - x4 * (2.0f * k1sa + sa * k0sa)) / (1.0f - 2.0f * nu);

  const cfloat wi = kInnerFactor * sw * g1w * zi;
  const cfloat value = su / (kOne + su / wi);
  // Near a resonance of the annulus 1 + su/wi nearly vanishes and magnifies
  // the rounding of wi by |su/value|: beyond kResonanceGain the value is
  // solved again in double.
  if (std::abs(value) * kResonanceGain < std::abs(su)) return false;
  result = value;
  return true;
}

// Quantities shared by the vertical, rotational and torsional two-zone values.
struct TwoZone {
  float lambda;  // (r + t)/r
  cfloat g;      // sqrt(1 - sw·c), c = (1 + iDw)/(1 + iD)
  cfloat beta;   // g/(lambda - 1)
  cfloat big_b;  // lambda·beta
};

double norm_d(const cfloat& z) {
  const double x = z.real(), y = z.imag();
  return x * x + y * y;
}

// S1 = sum p_m g^m (m = 0 .. 100); S2 = sum m·(p_m/S1)·g^(m-1) (m = 1 .. last).
// `summable` tells whether single precision could sum them: not when a term of
// S1 exceeds |S1| 1e4 times (cancellation has taken four of the seven digits),
// when the last term of S1 is still 1e-6 of S1 (|g| so close to 1 that the
// terms fall too slowly: a very soft face) or when the last term of S2 is
// still 1 % of S2 (not converged in its terms).  Where the sum stops short of
// the 100 terms (last < 100) and the terms after it change it by more than
// kTruncation, the sum over all 100 terms is returned instead, summable only
// if its last term is below kConverged of it.
// A non-finite S2 is caught by the caller.
// `precise` tells whether single precision keeps about 1e-5 of the value:
// not once a term of S1 exceeds |S1| kSeriesCancel times (each factor of 10
// costs a digit of the seven; S2 loses as much again to its own terms).
cfloat log_derivative(const cfloat* p, const cfloat& g, int last, bool& summable, bool& precise) {
  cfloat s1(0.0f, 0.0f);
  double big = 0.0, last_term = 0.0;
  for (int m = 0; m <= kSeriesTerms; ++m) {
    const cfloat term = p[m] * CPOW_INT(g, m);
    s1 = s1 + term;
    big = std::max(big, norm_d(term));
    last_term = norm_d(term);
  }
  cfloat s2(0.0f, 0.0f), rest(0.0f, 0.0f);
  double tail = 0.0, rest_tail = 0.0;
  for (int m = 1; m <= last; ++m) {
    const cfloat d = p[m] / s1;
    const cfloat term = static_cast<float>(m) * d * CPOW_INT(g, m - 1);
    s2 = s2 + term;
    tail = norm_d(term);
  }
  // The terms after `last`, with the powers of g as a running product.
  cfloat gm = last < kSeriesTerms ? CPOW_INT(g, last) : kOne;
  for (int m = last + 1; m <= kSeriesTerms; ++m) {
    const cfloat term = static_cast<float>(m) * (p[m] / s1) * gm;
    rest = rest + term;
    rest_tail = norm_d(term);
    gm = gm * g;
  }
  precise = big <= kSeriesCancel * kSeriesCancel * norm_d(s1);
  const bool s1_summable = big <= 1e8 * norm_d(s1) && last_term <= 1e-12 * norm_d(s1);
  const cfloat full = s2 + rest;
  if (last < kSeriesTerms && (!finite(rest) || norm_d(rest) > kTruncation * kTruncation * norm_d(full))) {
    // The shorter sum is not right to kTruncation: the whole one, if it has
    // converged in its terms.
    summable = s1_summable && finite(rest) && rest_tail <= kConverged * kConverged * norm_d(full);
    return full;
  }
  summable = s1_summable && tail <= 1e-4 * norm_d(s2);
  return s2;
}

// Vertical two-zone value (before the a0 < 0.3 scaling).
cfloat vertical_two_zone(const TwoZone& z, const cfloat& sv, float sw, const cfloat& g1w, bool& summable,
                         bool& precise) {
  const cfloat u = sv / z.lambda;
  const cfloat ub = u / z.beta;
  const cfloat kappa = ub * ub;
  const cfloat& B = z.big_b;
  cfloat p[kSeriesTerms + 1];
  cfloat k1;
  BESSEL_K0_K1(sv, p[0], k1);
  p[1] = u * k1 / z.beta;
  for (int m = 2; m <= kSeriesTerms; ++m) {
    const cfloat p3 = m >= 3 ? p[m - 3] : cfloat(0.0f, 0.0f);
    const cfloat num = static_cast<float>((m - 1) * (m - 1)) * p[m - 1] +
                       (static_cast<float>((m - 1) * (m - 2)) + kappa) * B * p[m - 2] -
                       (static_cast<float>((m - 1) * (m - 3)) + kappa) * p3;
    p[m] = num / (static_cast<float>(m * (m - 1)) * B);
  }
  const cfloat s2 = log_derivative(p, z.g, kSeriesTerms, summable, precise);
  summable = summable && full_range(p[0], k1);  // else a series of underflowed terms
  precise = precise && second_kind_series_holds(sv);
  return kTwoPi * sw * g1w * z.beta * s2;
}

// beta·S2 of the rotational (torsion = false) or torsional (torsion = true)
// two-zone value, with s0 the unscaled, unfloored wave argument.
cfloat rotation_series(const TwoZone& z, const cfloat& s0, bool torsion, bool& summable, bool& precise) {
  const cfloat sr = z.lambda * s0;
  const cfloat sb = s0 / z.beta;
  const cfloat kappa = sb * sb;
  const cfloat& B = z.big_b;
  const cfloat b2 = B * B;
  const cfloat k0 = BESSEL_K0(sr);
  const cfloat k1 = BESSEL_K1(sr);
  const cfloat zero(0.0f, 0.0f);
  cfloat h[kSeriesTerms + 1];
  h[0] = k1;
  h[1] = k1 / B + s0 * k0 / z.beta;
  for (int m = 2; m <= kSeriesTerms; ++m) {
    const cfloat h3 = m >= 3 ? h[m - 3] : zero;
    const cfloat h4 = m >= 4 ? h[m - 4] : zero;
    const cfloat c1 = static_cast<float>((2 * m - 3) * (m - 1)) * B;
    const cfloat c2 = static_cast<float>((m - 1) * (m - 2)) * b2 + kappa * b2 +
                      static_cast<float>(1 - (m - 2) * (m - 2));
    const cfloat c3 = torsion ? (static_cast<float>((m - 3) * (2 * m - 3)) + 2.0f * (kappa - 1.0f)) * B
                              : (static_cast<float>((m - 3) * (2 * m - 3)) + 2.0f * kappa) * B;
    const cfloat c4 = torsion ? static_cast<float>((m - 2) * (m - 4)) + kappa - 3.0f
                              : static_cast<float>((m - 2) * (m - 4)) + kappa - 1.0f;
    const cfloat num = c1 * h[m - 1] + c2 * h[m - 2] - c3 * h3 + c4 * h4;
    h[m] = num / (static_cast<float>(m * (m - 1)) * b2);
  }
  const cfloat value = z.beta * log_derivative(h, z.g, kRotationDerivativeTerms, summable, precise);
  summable = summable && full_range(k0, k1);  // else a series of underflowed terms
  precise = precise && second_kind_series_holds(sr);
  return value;
}

// The same three series in double, for where single precision is not
// precise: every input from the float arguments, K0 and K1 of the start
// argument from the scaled functions (the coefficients are linear in the
// start values, so their common scale factor drops out of S2).  `summable`
// as for the float series.
struct TwoZoneD {
  double lambda;
  cdouble g, beta, big_b;
};

cdouble log_derivative_d(const cdouble* p, const cdouble& g, int last, bool& summable) {
  cdouble s1(0.0, 0.0), gm(1.0, 0.0);
  double big = 0.0, last_term = 0.0;
  for (int m = 0; m <= kSeriesTerms; ++m) {
    const cdouble term = p[m] * gm;
    s1 += term;
    big = std::max(big, std::norm(term));
    last_term = std::norm(term);
    gm *= g;
  }
  cdouble s2(0.0, 0.0), rest(0.0, 0.0);
  double tail = 0.0, rest_tail = 0.0;
  gm = 1.0;
  for (int m = 1; m <= kSeriesTerms; ++m) {
    const cdouble term = static_cast<double>(m) * (p[m] / s1) * gm;
    if (m <= last) {
      s2 += term;
      tail = std::norm(term);
    } else {
      rest += term;
      rest_tail = std::norm(term);
    }
    gm *= g;
  }
  const bool s1_summable = big <= 1e16 * std::norm(s1) && last_term <= 1e-12 * std::norm(s1);
  const cdouble full = s2 + rest;
  const bool rest_finite = std::isfinite(rest.real()) && std::isfinite(rest.imag());
  if (last < kSeriesTerms && (!rest_finite || std::norm(rest) > kTruncation * kTruncation * std::norm(full))) {
    summable = s1_summable && rest_finite && rest_tail <= kConverged * kConverged * std::norm(full);
    return full;
  }
  summable = s1_summable && tail <= 1e-4 * std::norm(s2) && std::isfinite(s2.real()) && std::isfinite(s2.imag());
  return s2;
}

// beta·S2 of the vertical value.
cdouble vertical_series_d(const TwoZoneD& z, const cdouble& sv, bool& summable) {
  const cdouble u = sv / z.lambda;
  const cdouble ub = u / z.beta;
  const cdouble kappa = ub * ub;
  const cdouble& B = z.big_b;
  cdouble p[kSeriesTerms + 1];
  cdouble k1;
  bessel_k01_scaled(sv, p[0], k1);
  p[1] = u * k1 / z.beta;
  for (int m = 2; m <= kSeriesTerms; ++m) {
    const cdouble p3 = m >= 3 ? p[m - 3] : cdouble(0.0, 0.0);
    const cdouble num = static_cast<double>((m - 1) * (m - 1)) * p[m - 1] +
                        (static_cast<double>((m - 1) * (m - 2)) + kappa) * B * p[m - 2] -
                        (static_cast<double>((m - 1) * (m - 3)) + kappa) * p3;
    p[m] = num / (static_cast<double>(m * (m - 1)) * B);
  }
  return z.beta * log_derivative_d(p, z.g, kSeriesTerms, summable);
}

// beta·S2 of rotation or torsion.
cdouble rotation_series_d(const TwoZoneD& z, const cdouble& s0, bool torsion, bool& summable) {
  const cdouble sr = z.lambda * s0;
  const cdouble sb = s0 / z.beta;
  const cdouble kappa = sb * sb;
  const cdouble& B = z.big_b;
  const cdouble b2 = B * B;
  cdouble k0, k1;
  bessel_k01_scaled(sr, k0, k1);
  cdouble h[kSeriesTerms + 1];
  h[0] = k1;
  h[1] = k1 / B + s0 * k0 / z.beta;
  for (int m = 2; m <= kSeriesTerms; ++m) {
    const cdouble h3 = m >= 3 ? h[m - 3] : cdouble(0.0, 0.0);
    const cdouble h4 = m >= 4 ? h[m - 4] : cdouble(0.0, 0.0);
    const double md = m;
    const cdouble c1 = (2.0 * md - 3.0) * (md - 1.0) * B;
    const cdouble c2 = (md - 1.0) * (md - 2.0) * b2 + kappa * b2 + (1.0 - (md - 2.0) * (md - 2.0));
    const cdouble c3 = ((md - 3.0) * (2.0 * md - 3.0) + 2.0 * (torsion ? kappa - 1.0 : kappa)) * B;
    const cdouble c4 = (md - 2.0) * (md - 4.0) + kappa - (torsion ? 3.0 : 1.0);
    h[m] = (c1 * h[m - 1] + c2 * h[m - 2] - c3 * h3 + c4 * h4) / (md * (md - 1.0) * b2);
  }
  return z.beta * log_derivative_d(h, z.g, kRotationDerivativeTerms, summable);
}

// ---------------------------------------------------------------------------
// Guarded evaluation of the two-zone values.
//
// The single-precision series above are the normal path.  Where they cannot
// be summed in single precision the value is computed again, in double
// precision, by a route that stays finite:
//
// * Vertical, rotational and torsional values.  As the weak zone's modulus
//   approaches the layer's (sw·c -> 1), g and beta = g/(lambda - 1) go to 0:
//   the coefficients p_m, h_m grow like beta^-m while g^m shrinks like
//   beta^m·(lambda - 1)^m, and the coefficients overflow single precision
//   long before the products do (from sw ~ 0.92 for t = 2r, sw ~ 0.95 for
//   t = r, sw ~ 0.98 for t = r/2); a zone thinner than single precision can
//   tell from r makes lambda - 1 = 0.  Thick zones at high frequency give
//   terms far larger than their sum, and 20-term derivative sums that have
//   not converged.  The guard takes over when the series result is not
//   finite, when a term of S1 exceeds |S1| 1e4 times, or when the last term
//   of S2 is still 1 % of S2, or, where the 20-term derivative sum is not
//   right to kTruncation, when the sum over all 100 terms has not converged
//   either (log_derivative).
//   The series are the Taylor expansions, in y = beta·(lambda - x), of the
//   inner-zone equations
//     vertical:  (1/x)(x·Gh·W')' = s²·W,
//     rotation:  (1/x)(x·Gh·W')' - Gh·W/x² = s²·W,
//     torsion:   (1/x²)(x²·Gh·(V' - V/x))' = s²·V,
//   x = radius/r, Gh = 1 - g²·((lambda - x)/(lambda - 1))² (1 at r + t,
//   sw·c at r), started at x = lambda from the outer solution (K0 or K1), and
//   beta·S2 is the logarithmic derivative -W'/W at x = 1.  The guard
//   integrates these equations directly (inner_zone: classical Runge-Kutta,
//   20 steps per unit of local wave number times thickness, at least 64,
//   where that takes at most kInnerMaxSteps steps; otherwise steps graded by
//   the local wave number, a Magnus rule and, in zones wide in wave terms,
//   only the part next to the face that decides the value).  The route has
//   no 1/beta in it, so it stays finite as the zone vanishes and gives the
//   homogeneous reaction in the limit sw·c = 1 or t = 0.  It gives the
//   converged value, without the 20-term truncation of the rotational and
//   torsional derivative sums, as the 100-term sums do where they are used.
//   Where the float series can be summed but its terms exceed the sum
//   kSeriesCancel times (up to 1e4 single precision would lose up to 1e-3),
//   or where the float K0, K1 of its start argument lose accuracy, the same
//   series, with the same 100 and 20 (or 100) terms, is summed in double instead
//   (vertical_series_d, rotation_series_d), from K0, K1 in double; if that
//   cannot be summed either, the zone is integrated as above.
//
// * Horizontal value.  The 20-term single-precision series of I0 and I1 lose
//   their accuracy above |z| ~ 14 and overflow above ~ 18.5 (thick zones,
//   soft zones, high frequencies); close to the imaginary axis (a lightly
//   damped zone) their terms cancel, by e^(|z| - |Re z|), from much smaller
//   arguments (first_kind_series_holds), and so do those of K0, K1 for
//   |z| <= 9 (second_kind_series_holds).  When an argument lies where they
//   lose accuracy, when LEQT1C finds the annulus system singular, or when
//   the result is not finite, the guard solves the same 4 x 4 system in
//   double with I0, I1 from Miller's backward recurrence (|z| <= 40) or
//   their asymptotic expansion and K0, K1 from their ascending series
//   (|z| <= 12) or asymptotic expansion, with the wave arguments and (where
//   no low-frequency rule applies) the outer reaction formed in double.  So
//   it does where the argument at the face is so small (a wide zone at low
//   frequency) that the float system and its combinations T, U, V lose
//   the value to rounding (kSmallFaceArgument).
//
// * Homogeneous reactions.  Where the float series of K0, K1 lose accuracy
//   at a wave argument (second_kind_series_holds) the reaction is formed
//   from their ratios in double, as where they underflow.
//
// Every guarded value has a bounded cost, whatever the zone and frequency.
//
// Everywhere else the results are those of the single-precision series, bit
// for bit: the checks only look at the terms and arguments, they change no
// arithmetic of the series.

// Product and reciprocal without the library's infinity and NaN recovery
// (every value in the guarded routes is finite), which keeps the inner loops
// free of calls.
inline cdouble mul(const cdouble& a, const cdouble& b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}
inline cdouble recip(const cdouble& b) {
  const double n = b.real() * b.real() + b.imag() * b.imag();
  return {b.real() / n, -b.imag() / n};
}

constexpr double kEulerD = 0.57721566490153286;

// The guarded routes work with Bessel functions scaled by real exponentials,
// so that strongly damped or thick zones neither overflow nor underflow:
//   I0, I1 times e^-|Re z|,   K0, K1 times e^(Re z).

// Largest |z| for which I0 and I1 come from Miller's recurrence (whose cost
// grows with |z|); beyond it their asymptotic expansion is used, whose
// terms fall below double precision within about 25 terms there.
constexpr double kMillerRange = 40.0;

// Scaled I0(z) and I1(z) for large |z| from their asymptotic expansion,
// both exponentials kept (the second matters near the imaginary axis):
//   I_n(z) ~ e^z/sqrt(2 pi z)·sum (-1)^k a_k(n)/z^k
//            ± i·e^(±i n pi)·e^-z/sqrt(2 pi z)·sum a_k(n)/z^k,
// upper signs for Im z >= 0, lower for Im z < 0 (Re z >= 0; a negative
// real part is reflected: I0(-z) = I0(z), I1(-z) = -I1(z)).
void bessel_i01_scaled_asymptotic(const cdouble& zin, cdouble& i0, cdouble& i1) {
  const bool reflect = zin.real() < 0.0;
  const cdouble z = reflect ? -zin : zin;
  const cdouble zinv = 1.0 / z;
  // a_k(n)/z^k for n = 0, 1, summed with and without the alternating sign.
  cdouble t0(1.0, 0.0), t1(1.0, 0.0);
  cdouble alt0 = t0, alt1 = t1, all0 = t0, all1 = t1;
  for (int k = 1; k <= 60; ++k) {
    const double odd = static_cast<double>((2 * k - 1) * (2 * k - 1));
    const cdouble n0 = t0 * (-odd) / (8.0 * k) * zinv;
    const cdouble n1 = t1 * (4.0 - odd) / (8.0 * k) * zinv;
    if (std::abs(n0) > std::abs(t0) && k > 1) break;  // past the smallest term
    t0 = n0;
    t1 = n1;
    const double sign = (k % 2 == 0) ? 1.0 : -1.0;
    alt0 += sign * t0;
    alt1 += sign * t1;
    all0 += t0;
    all1 += t1;
    if (std::abs(t0) < 1e-17 && std::abs(t1) < 1e-17) break;
  }
  const cdouble root = std::sqrt(2.0 * std::numbers::pi * z);
  const cdouble first = std::polar(1.0, z.imag()) / root;                      // e^z·e^-Re z
  const cdouble second = std::polar(std::exp(-2.0 * z.real()), -z.imag()) / root;  // e^-z·e^-Re z
  const cdouble c = z.imag() >= 0.0 ? cdouble(0.0, 1.0) : cdouble(0.0, -1.0);    // ±i; e^(±i pi) = -1
  i0 = first * alt0 + c * second * all0;
  i1 = first * alt1 - c * second * all1;
  if (reflect) i1 = -i1;
}

// Scaled I0(z) and I1(z) by Miller's backward recurrence
// I_(n-1) = (2n/z)·I_n + I_(n+1), normalised with e^z = I0 + 2·sum I_k
// (Re z >= 0) or e^-z = I0 + 2·sum (-1)^k I_k.
void bessel_i01_scaled(const cdouble& z, cdouble& i0, cdouble& i1) {
  const double az = std::abs(z);
  if (!std::isfinite(az)) {
    i0 = i1 = cdouble(std::numeric_limits<double>::quiet_NaN(), 0.0);
    return;
  }
  if (az < 1e-4) {  // two terms of the ascending series are exact to double precision
    const cdouble w2 = 0.25 * z * z;
    const double e = std::exp(-std::fabs(z.real()));
    i0 = (1.0 + w2) * e;
    i1 = 0.5 * z * (1.0 + 0.5 * w2) * e;
    return;
  }
  if (az > kMillerRange) {
    bessel_i01_scaled_asymptotic(z, i0, i1);
    return;
  }
  const bool plus = z.real() >= 0.0;
  // Even start far above |z| (the recurrence is stable downwards once n > |z|).
  const int top = 2 * static_cast<int>(az / 2.0) + 60;
  const cdouble zinv = recip(z);
  cdouble f_next(0.0, 0.0), f(1e-30, 0.0), sum(0.0, 0.0);
  for (int n = top; n >= 1; --n) {
    // f = f_n, f_next = f_(n+1)
    const cdouble f_prev = (2.0 * n) * mul(zinv, f) + f_next;  // f_(n-1)
    sum += (plus || n % 2 == 0) ? 2.0 * f : -2.0 * f;
    f_next = f;
    f = f_prev;
    if (std::abs(f) > 1e150) {
      f *= 1e-150;
      f_next *= 1e-150;
      sum *= 1e-150;
    }
  }
  sum += f;  // + f_0
  // e^(±z)·e^-|Re z| = e^(±i·Im z)
  const cdouble phase = std::polar(1.0, plus ? z.imag() : -z.imag());
  const cdouble scale = phase / sum;
  i0 = f * scale;       // f_0
  i1 = f_next * scale;  // f_1
}

// Scaled K0(z) and K1(z), principal branch.
void bessel_k01_scaled(const cdouble& z, cdouble& k0, cdouble& k1) {
  const double az = std::abs(z);
  if (az <= 12.0) {
    // K0 = -(ln(z/2) + gamma)·I0 + sum w^2k/(k!)²·H_k,
    // K1 = 1/z + ln(z/2)·I1 - 1/2·sum w^(2k+1)/(k!(k+1)!)·(H_k + H_(k+1) - 2 gamma).
    const cdouble w = 0.5 * z;
    const cdouble w2 = w * w;
    const cdouble lg = std::log(w);
    cdouble t0(1.0, 0.0), t1 = w;
    cdouble i0 = t0, i1 = t1, s0(0.0, 0.0), s1 = t1 * (1.0 - 2.0 * kEulerD);
    double h = 0.0;
    for (int k = 1; k < 200; ++k) {
      t0 *= w2 / static_cast<double>(k * k);
      t1 *= w2 / static_cast<double>(k * (k + 1));
      h += 1.0 / k;
      i0 += t0;
      i1 += t1;
      s0 += t0 * h;
      s1 += t1 * (2.0 * h + 1.0 / (k + 1) - 2.0 * kEulerD);
      if (std::abs(t0) < 1e-18 * std::abs(i0) && std::abs(t1) < 1e-18 * std::abs(i1)) break;
    }
    const double e = std::exp(z.real());
    k0 = (-(lg + kEulerD) * i0 + s0) * e;
    k1 = (1.0 / z + lg * i1 - 0.5 * s1) * e;
    return;
  }
  // sqrt(pi/(2z))·e^-z·sum a_k(nu)/z^k, a_k = prod (4nu² - (2j - 1)²)/(k!·8^k);
  // e^-z·e^(Re z) = e^(-i·Im z).
  const cdouble f = std::sqrt(1.5707963267948966 / z) * std::polar(1.0, -z.imag());
  cdouble s0(1.0, 0.0), s1(1.0, 0.0), a0(1.0, 0.0), a1(1.0, 0.0);
  for (int k = 1; k <= 60; ++k) {
    const double odd = static_cast<double>((2 * k - 1) * (2 * k - 1));
    const cdouble n0 = a0 * (-odd) / (8.0 * k * z);
    const cdouble n1 = a1 * (4.0 - odd) / (8.0 * k * z);
    if (std::abs(n0) > std::abs(a0) && k > 1) break;  // past the smallest term
    a0 = n0;
    a1 = n1;
    s0 += a0;
    s1 += a1;
    if (std::abs(a0) < 1e-17 && std::abs(a1) < 1e-17) break;
  }
  k0 = f * s0;
  k1 = f * s1;
}

// The horizontal two-zone value of horizontal_two_zone() in double precision.
cdouble horizontal_two_zone_d(const cdouble& su, const cdouble& q, double nu, double eta, double sw,
                              const cdouble& g1, const cdouble& g1w, double rho) {
  const cdouble qw = q / (std::sqrt(sw) * std::sqrt(g1w / g1));
  const cdouble qa = rho * qw;
  const cdouble sb = eta * qw;
  const cdouble sa = eta * qa;
  cdouble i0qa, i1qa, k0qa, k1qa, i0sa, i1sa, k0sa, k1sa;
  cdouble i0qw, i1qw, k0qw, k1qw, i0sb, i1sb, k0sb, k1sb;
  bessel_i01_scaled(qa, i0qa, i1qa);
  bessel_k01_scaled(qa, k0qa, k1qa);
  bessel_i01_scaled(sa, i0sa, i1sa);
  bessel_k01_scaled(sa, k0sa, k1sa);
  bessel_i01_scaled(qw, i0qw, i1qw);
  bessel_k01_scaled(qw, k0qw, k1qw);
  bessel_i01_scaled(sb, i0sb, i1sb);
  bessel_k01_scaled(sb, k0sb, k1sb);
  // Each column of the system holds one function at an argument of the face
  // (rows 1, 2: qa or sa) and at r + t (rows 3, 4: qw or sb).  Scaling a
  // column by a constant only rescales its unknown, and T, U, V below use the
  // unknowns with the same face values, so every value may carry its column's
  // factor: exp(|Re z| - max) for I, exp(min - Re z) for K.  No factor
  // exceeds 1.
  auto scale_i = [](cdouble& i0f, cdouble& i1f, const cdouble& zf, cdouble& i0b, cdouble& i1b, const cdouble& zb) {
    const double ef = std::fabs(zf.real()), eb = std::fabs(zb.real()), top = std::max(ef, eb);
    const double ff = std::exp(ef - top), fb = std::exp(eb - top);
    i0f *= ff;
    i1f *= ff;
    i0b *= fb;
    i1b *= fb;
  };
  auto scale_k = [](cdouble& k0f, cdouble& k1f, const cdouble& zf, cdouble& k0b, cdouble& k1b, const cdouble& zb) {
    const double low = std::min(zf.real(), zb.real());
    const double ff = std::exp(low - zf.real()), fb = std::exp(low - zb.real());
    k0f *= ff;
    k1f *= ff;
    k0b *= fb;
    k1b *= fb;
  };
  scale_i(i0qa, i1qa, qa, i0qw, i1qw, qw);
  scale_k(k0qa, k1qa, qa, k0qw, k1qw, qw);
  scale_i(i0sa, i1sa, sa, i0sb, i1sb, sb);
  scale_k(k0sa, k1sa, sa, k0sb, k1sb, sb);

  cdouble a[4][5] = {
      {qa * i0qa - i1qa, -qa * k0qa - k1qa, -i1sa, -k1sa, 1.0},
      {i1qa, k1qa, i1sa - sa * i0sa, k1sa + sa * k0sa, 1.0},
      {rho * i1qw - qa * i0qw, rho * k1qw + qa * k0qw, rho * i1sb, rho * k1sb, 0.0},
      {rho * i1qw, rho * k1qw, rho * i1sb - sa * i0sb, rho * k1sb + sa * k0sb, 0.0},
  };
  // Gauss-Jordan elimination with partial pivoting on row-scaled moduli.
  double scale[4];
  for (int i = 0; i < 4; ++i) {
    double big = 0.0;
    for (int j = 0; j < 4; ++j) big = std::max(big, std::abs(a[i][j]));
    scale[i] = big > 0.0 ? 1.0 / big : 1.0;
  }
  for (int c = 0; c < 4; ++c) {
    int p = c;
    for (int i = c + 1; i < 4; ++i)
      if (std::abs(a[i][c]) * scale[i] > std::abs(a[p][c]) * scale[p]) p = i;
    if (p != c) {
      for (int j = 0; j < 5; ++j) std::swap(a[c][j], a[p][j]);
      std::swap(scale[c], scale[p]);
    }
    if (a[c][c] == 0.0) return su;  // singular annulus system: keep the outer reaction
    for (int i = 0; i < 4; ++i) {
      if (i == c) continue;
      const cdouble m = a[i][c] / a[c][c];
      for (int j = c; j < 5; ++j) a[i][j] -= m * a[c][j];
    }
  }
  cdouble x[4];
  for (int i = 0; i < 4; ++i) x[i] = a[i][4] / a[i][i];

  const cdouble qa2 = qa * qa + 2.0;
  const cdouble sa2 = sa * sa + 2.0;
  const cdouble ti = x[0] * (qa2 * i1qa - qa * i0qa) + x[1] * (qa2 * k1qa + qa * k0qa) +
                     x[2] * (2.0 * i1sa - sa * i0sa) + x[3] * (2.0 * k1sa + sa * k0sa);
  const cdouble ui = x[0] * (2.0 * i1qa - qa * i0qa) + x[1] * (2.0 * k1qa + qa * k0qa) +
                     x[2] * (sa2 * i1sa - sa * i0sa) + x[3] * (sa2 * k1sa + sa * k0sa);
  const cdouble vi = x[0] * (qa * i0qa - 2.0 * i1qa) - x[1] * (2.0 * k1qa + qa * k0qa) -
                     x[2] * (2.0 * i1sa - sa * i0sa);
  const cdouble zi = ui - eta * eta * ti - (vi - x[3] * (2.0 * k1sa + sa * k0sa)) / (1.0 - 2.0 * nu);
  const cdouble wi = static_cast<double>(kInnerFactor) * sw * g1w * zi;
  return su / (1.0 + su / wi);
}

enum class InnerMotion { Vertical, Rotation, Torsion };

// Most integration steps of one inner-zone value: the bound on the guarded
// path's cost.
constexpr int kInnerMaxSteps = 2000;
// The bound for a zone that hardly damps its waves (no material damping in
// the layer and the zone), where every wavelength of the zone counts: about
// 3 steps per wavelength of a zone 1000 wavelengths wide.
constexpr int kUndampedMaxSteps = 20000;
// Fewest steps per unit of the step density that the bound of
// kUndampedMaxSteps is raised to give (about 4 per radian of phase).
constexpr double kLeastPerUnit = 4.0;
// Most steps of the uniform Runge-Kutta rule (step 1 below).
constexpr int kUniformMaxSteps = 500;
// Steps per unit of the uniform Runge-Kutta rule.
constexpr double kStepsPerUnit = 20.0;
// Steps per unit of the step density (below) for the Magnus rule, where the
// bound allows.
constexpr double kMagnusPerUnit = 10.0;
// Growth, in e-folds, of the inner-zone solution over the part of a wide
// zone that is integrated: the part further out changes -W'/W at the face by
// about e^(-2·20) = 4e-18 relative.
constexpr double kInnerDominance = 20.0;
// Growth, in e-folds, over the part next to the face that gets most of the
// steps.
constexpr double kNearGrowth = 4.0;
// Largest |Gh'|/(|Gh|·|kappa|) at which the local wave picture (WKB) is
// taken to hold.
constexpr double kWkbLimit = 0.1;

// -W'/W at x = 1 (the section's face) of the inner-zone solution, for the
// zone of relative thickness tr = t/r with g2 = g² = 1 - sw·c and wave
// argument s; w and dw are W and dW/dx of the outer solution at x = 1 + tr.
// The integration variable is xi = x - 1, so that a thin zone loses nothing
// to cancellation in lambda - 1.
//
// Cost: at most kInnerMaxSteps steps (kUndampedMaxSteps for a zone that
// hardly damps its waves), whatever the thickness and frequency.
// 1. A zone that 20 uniform steps per unit of (largest local wave number x
//    thickness), at least 64, resolve in at most kUniformMaxSteps steps is
//    integrated that way by the classical Runge-Kutta rule; its error stays
//    below 2e-8 (values as before the bound).
// 2. Otherwise the steps follow the local step density
//      rho = |s|/sqrt|Gh| + |Gh'|/|Gh| + 1/x
//    (the wave number, the rate at which a soft face changes the modulus,
//    and the rate at which the radius changes the coefficients), 20 per unit
//    of rho where the bound allows, fewer where it does not (most of them in
//    the part next to the face, see 3), and the fourth-order Magnus rule
//    with the exact exponential of each step's 2 x 2 matrix integrates them:
//    it is stable at any step and exact where the coefficients are
//    constant.
// 3. In a zone wide in wave terms the solution started from the outer one
//    is the mode that grows towards the face, like exp(integral of Re
//    kappa), kappa = s/sqrt(Gh) the local wave number; any admixture of the
//    other mode shrinks by the square of that growth.  Only the part next to
//    the face over which the solution grows kInnerDominance e-folds (where
//    the local wave picture holds) is then integrated, from the growing
//    mode's W'/W = -kappa at its outer end; that start's error reaches the
//    face reduced by about 4e-18.
// 2 and 3 take at most kInnerMaxSteps steps, raised up to kUndampedMaxSteps
// where fewer than kLeastPerUnit steps per unit would be left.  Measured
// against the converged integration (many times the steps) their values
// agree to 1e-5 over zones up to 725 radii, shear ratios 1e-4 to 0.99 and
// a0 up to 20, except where a zone without any damping is so many
// wavelengths wide that the bound leaves fewer than kLeastPerUnit steps per
// unit: there the error grows with the fourth power of the step (5e-4 for
// 725 radii at a0 = 20, some 15000 radians of phase).
cdouble inner_zone(InnerMotion motion, double tr, const cdouble& g2, const cdouble& s,
                   const cdouble& w, const cdouble& dw) {
  const cdouble s2 = s * s;
  const double lambda = 1.0 + tr;
  auto gh = [&](double xi) {
    const double zeta = (tr - xi) / tr;  // 0 at r + t, 1 at r
    return 1.0 - g2 * (zeta * zeta);
  };
  // State (W, P): P = x·Gh·W' (vertical, rotation) or x²·Gh·(V' - V/x) (torsion).
  auto deriv = [&](double xi, const cdouble& wv, const cdouble& p, cdouble& dwv, cdouble& dp) {
    const double x = 1.0 + xi;
    const double ix = 1.0 / x;
    const cdouble g = gh(xi);
    const cdouble pg = mul(p, recip(g));
    switch (motion) {
      case InnerMotion::Vertical:
        dwv = pg * ix;
        dp = mul(s2, wv) * x;
        break;
      case InnerMotion::Rotation:
        dwv = pg * ix;
        dp = mul(s2, wv) * x + mul(g, wv) * ix;
        break;
      case InnerMotion::Torsion:
        dwv = pg * (ix * ix) + wv * ix;
        dp = mul(s2, wv) * (x * x);
        break;
    }
  };
  // P from W and W' at xi.
  auto state_p = [&](double xi, const cdouble& wv, const cdouble& dwv) {
    const double x = 1.0 + xi;
    return motion == InnerMotion::Torsion ? x * x * gh(xi) * (dwv - wv / x) : x * gh(xi) * dwv;
  };
  auto renormalise = [](cdouble& wv, cdouble& p) {
    const double big = std::abs(wv);
    if (big > 1e100 || big < 1e-100) {
      wv /= big;
      p /= big;
    }
  };
  // Classical Runge-Kutta from xi = from down to 0 in n steps.
  auto runge_kutta = [&](double from, int n, cdouble& wv, cdouble& p) {
    const double h = -from / n;
    double xi = from;
    for (int i = 0; i < n; ++i) {
      cdouble a1, b1, a2, b2, a3, b3, a4, b4;
      deriv(xi, wv, p, a1, b1);
      deriv(xi + 0.5 * h, wv + 0.5 * h * a1, p + 0.5 * h * b1, a2, b2);
      deriv(xi + 0.5 * h, wv + 0.5 * h * a2, p + 0.5 * h * b2, a3, b3);
      deriv(xi + h, wv + h * a3, p + h * b3, a4, b4);
      wv += (h / 6.0) * (a1 + 2.0 * a2 + 2.0 * a3 + a4);
      p += (h / 6.0) * (b1 + 2.0 * b2 + 2.0 * b3 + b4);
      xi = from - (i + 1) * (from / n);
      renormalise(wv, p);
    }
  };
  // The 2 x 2 matrix A of (W, P)' = A·(W, P) at xi.
  struct M2 {
    cdouble a11, a12, a21, a22;
  };
  auto matrix = [&](double xi) {
    const double x = 1.0 + xi;
    const cdouble g = gh(xi);
    switch (motion) {
      case InnerMotion::Vertical: return M2{0.0, recip(g) / x, s2 * x, 0.0};
      case InnerMotion::Rotation: return M2{0.0, recip(g) / x, s2 * x + g / x, 0.0};
      case InnerMotion::Torsion: break;
    }
    return M2{1.0 / x, recip(g) / (x * x), s2 * (x * x), 0.0};
  };
  // One step of the fourth-order Magnus rule (two Gauss points c1, c2, the
  // exact 2 x 2 exponential) from xi over h.  The exponential is formed
  // without its growth factor, which only scales the state.
  auto magnus_step = [&](double xi, double h, double c1, double c2, cdouble& wv, cdouble& p) {
    const double cc = std::sqrt(3.0) / 12.0 * h * h;
    const M2 x1 = matrix(xi + c1 * h), x2 = matrix(xi + c2 * h);
    // [A2, A1] = A2·A1 - A1·A2
    const cdouble k11 = x2.a12 * x1.a21 - x1.a12 * x2.a21;
    const cdouble k12 = x2.a11 * x1.a12 + x2.a12 * x1.a22 - x1.a11 * x2.a12 - x1.a12 * x2.a22;
    const cdouble k21 = x2.a21 * x1.a11 + x2.a22 * x1.a21 - x1.a21 * x2.a11 - x1.a22 * x2.a21;
    const cdouble o11 = 0.5 * h * (x1.a11 + x2.a11) + cc * k11;
    const cdouble o12 = 0.5 * h * (x1.a12 + x2.a12) + cc * k12;
    const cdouble o21 = 0.5 * h * (x1.a21 + x2.a21) + cc * k21;
    const cdouble o22 = 0.5 * h * (x1.a22 + x2.a22) - cc * k11;  // the commutator has trace 0
    const cdouble m = 0.5 * (o11 + o22);
    const cdouble d11 = o11 - m;
    const cdouble delta = std::sqrt(d11 * d11 + o12 * o21);
    const double sigma = std::fabs(delta.real());
    const cdouble ep = std::exp(delta - sigma), em = std::exp(-delta - sigma);
    const cdouble ch = 0.5 * (ep + em);
    const cdouble d2 = delta * delta;
    const cdouble sh = std::abs(delta) > 1e-3 ? mul(0.5 * (ep - em), recip(delta))
                                              : std::exp(-sigma) * (1.0 + d2 / 6.0 + d2 * d2 / 120.0);
    const cdouble nw = ch * wv + sh * (d11 * wv + o12 * p);
    const cdouble np = ch * p + sh * (o21 * wv - d11 * p);
    wv = nw;
    p = np;
    renormalise(wv, p);
  };

  // Steps: 20 per unit of (local wave number x thickness), at least 64; the
  // Runge-Kutta error then stays below 2e-8, under single-precision
  // rounding (it grows like the fourth power of the step: 3e-7 with 10 per
  // unit).
  const double gmin = std::min(1.0, std::abs(1.0 - g2));
  const double k = (std::abs(s) + 1.0) / std::sqrt(std::max(gmin, 1e-6));
  const double uniform = std::max(64.0, kStepsPerUnit * k * std::abs(tr));

  const double norm = 1.0 / std::max(std::abs(w), 1e-300);
  cdouble wv = w * norm;
  cdouble p = (motion == InnerMotion::Torsion ? lambda * lambda * (dw - w / lambda) : lambda * dw) * norm;
  if (uniform <= kUniformMaxSteps || !(tr > 0.0)) {
    // (A zone of negative thickness has no meaning; it only has to stay bounded.)
    runge_kutta(tr, static_cast<int>(std::min(uniform, static_cast<double>(kUniformMaxSteps))), wv, p);
  } else {
    const double two_g2_tr = 2.0 / tr;
    auto dgh = [&](double xi) {  // dGh/dxi
      const double zeta = (tr - xi) / tr;
      return g2 * (zeta * two_g2_tr);
    };
    auto density = [&](double xi) {
      const cdouble g = gh(xi);
      const double ag = std::abs(g);
      return std::abs(s) / std::sqrt(ag) + std::abs(dgh(xi)) / ag + 1.0 / (1.0 + xi);
    };
    // Step 3: the part of the zone that counts, and within it the part next
    // to the face over which the solution grows kNearGrowth e-folds (errors
    // made further out reach the face reduced by e^(-2·kNearGrowth)).
    double from = tr, near = tr;
    {
      constexpr int kGrid = 256;
      double grown = 0.0;
      double prev_xi = 0.0, prev = 0.0;
      bool prev_ok = false;
      for (int i = 0; i <= kGrid; ++i) {
        const double xi = tr * i / kGrid;
        const cdouble g = gh(xi);
        const cdouble kappa = mul(s, recip(std::sqrt(g)));
        const double re = kappa.real();
        const bool ok = std::abs(dgh(xi)) <= kWkbLimit * std::abs(g) * std::abs(kappa);
        if (i > 0 && ok && prev_ok) grown += 0.5 * (prev + re) * (xi - prev_xi);
        prev_xi = xi;
        prev = re;
        prev_ok = ok;
        if (near == tr && grown >= kNearGrowth) near = xi;
        if (grown >= kInnerDominance && ok) {
          if (i < kGrid) {
            from = xi;
            wv = 1.0;
            p = state_p(xi, wv, -kappa * wv);
          }
          break;
        }
      }
      near = std::min(near, from);
    }
    // Step 2: the integral of the density over (0, near), on a grid graded
    // towards the face (the density is largest at a soft face), and over
    // (near, from) set the steps per unit of each part.
    auto integral = [&](double a, double b, bool graded) {
      constexpr int kGrid = 256;
      double total = 0.0, prev_xi = a, prev = density(a);
      for (int i = 1; i <= kGrid; ++i) {
        const double u = static_cast<double>(i) / kGrid;
        const double xi = a + (b - a) * (graded ? u * u * u : u);
        const double cur = density(xi);
        total += 0.5 * (prev + cur) * (xi - prev_xi);
        prev_xi = xi;
        prev = cur;
      }
      return total;
    };
    const double total_near = integral(0.0, near, true);
    const double total_far = near < from ? integral(near, from, false) : 0.0;
    // kInnerMaxSteps steps, or as many as give kLeastPerUnit steps per unit
    // up to kUndampedMaxSteps (a zone that hardly damps its waves, where the
    // part that counts spans many wavelengths).
    const double wanted = kLeastPerUnit * (total_near + total_far) / 0.9;
    const int most = std::isfinite(wanted) && wanted > kInnerMaxSteps
                         ? static_cast<int>(std::min(wanted, static_cast<double>(kUndampedMaxSteps)))
                         : kInnerMaxSteps;
    auto share = [&](double total, double steps) {
      return std::isfinite(total) && total > 0.0 ? std::min(kMagnusPerUnit, steps / total) : 1.0;
    };
    const double far_steps = std::min(kMagnusPerUnit * total_far, 0.25 * most);
    const double per_unit_near = share(total_near, 0.9 * most - far_steps);
    const double per_unit_far = share(total_far, far_steps);
    const double c1 = 0.5 - std::sqrt(3.0) / 6.0, c2 = 0.5 + std::sqrt(3.0) / 6.0;
    double xi = from;
    for (int i = 0; i < most && xi > 0.0; ++i) {
      // The step from the density at both of its ends, never so short that
      // the remaining steps could not reach the face.
      const double per_unit = xi > near ? per_unit_far : per_unit_near;
      const double h1 = 1.0 / (per_unit * density(xi));
      double h = 1.0 / (per_unit * std::max(density(xi), density(std::max(xi - h1, 0.0))));
      if (xi > near && xi - h < near) h = xi - near;
      if (!(h >= xi / (most - i))) h = xi / (most - i);
      if (h > xi) h = xi;
      magnus_step(xi, -h, c1, c2, wv, p);
      xi -= h;
      if (i + 1 == most) xi = 0.0;
    }
  }

  const cdouble g_face = 1.0 - g2;
  if (motion == InnerMotion::Torsion) return -(p / g_face + wv) / wv;  // V'(1) = P/Gh + V
  return -(p / g_face) / wv;
}

}  // namespace

void PILE_SOIL_IMPEDANCE(const float& a0, const float& nu, const float& D,
                         const float& weak_ratio, const float& /*weak_nu*/, const float& weak_D,
                         const float& weak_t, const float& r, const float& rx, const float& ry,
                         const float& rt, cfloat& Su, cfloat& Sw, cfloat& Srx, cfloat& Sry,
                         cfloat& St, const int& hflag, const int& vflag) {
  if (a0 <= 0.0f) {
    Su = Sw = Srx = Sry = St = cfloat(0.0f, 0.0f);
    return;
  }

  const float t = weak_t;
  const float big_r = r + t;
  const float ap = a0 * (big_r / r);  // a' (exactly a0 when t = 0)
  const bool h_low = ap < kHorizontalFloor;
  const float ah = h_low ? kHorizontalFloor : ap;
  float eta = 0.0f;
  if (nu < kNuLimit) eta = std::sqrt(2.0f * (1.0f - nu) / (1.0f - 2.0f * nu));

  const cfloat g1(1.0f, D);  // 1 + iD
  const cfloat sqrt_g1 = std::sqrt(g1);

  // Horizontal reaction.
  cfloat q;  // P-wave argument of the last evaluation (used by the two-zone value)
  float ah_last = ah;
  // Below the shear cut-off a layer radiates nothing, whichever layer of the
  // profile it is: the flag is the profile's and is left as it came, so a
  // layer cut into elements gives what it gives whole.
  const bool cut_off = hflag > 0;
  const bool outer_plain = !cut_off && !h_low;  // Su as computed by its formula
  Su = horizontal(ah, nu, eta, sqrt_g1, q);
  if (cut_off) {
    const float kept = Su.real();
    ah_last = kHorizontalFloor;
    Su = horizontal(kHorizontalFloor, nu, eta, sqrt_g1, q);
    Su = cfloat(kept, D * Su.real());
  } else if (h_low) {
    const float f = ap / kHorizontalFloor;
    Su = cfloat(Su.real(), Su.real() * D * (1.0f - f) + f * Su.imag());
  }

  // Vertical reaction.
  const float av = ap >= kVerticalFloor ? ap : kVerticalFloor;
  cfloat sv;
  Sw = vertical(av, g1, sqrt_g1, sv);
  if (a0 < kHorizontalFloor) Sw.imag(Sw.imag() * a0 / kHorizontalFloor);
  if (vflag > 0) {
    cfloat s;
    Sw.imag(D * vertical(kVerticalFloor, g1, sqrt_g1, s).real());
  } else if (ap < kVerticalBound) {
    // From material damping at 0 up to the value the rule above gives at the
    // bound itself, a0/0.3 reduction included, so that the damping does not
    // step there (a0 at the bound: a' = 0.1 scaled back by r/(r + t)).
    cfloat s;
    float re0 = Sw.real();
    if (ap > kVerticalFloor) re0 = vertical(kVerticalFloor, g1, sqrt_g1, s).real();
    float im_bound = vertical(kVerticalBound, g1, sqrt_g1, s).imag();
    const float a0_bound = kVerticalBound * (r / big_r);
    if (a0_bound < kHorizontalFloor) im_bound = im_bound * a0_bound / kHorizontalFloor;
    const float f = ap / kVerticalBound;
    Sw.imag(re0 * D * (1.0f - f) + f * im_bound);
  }

  // Rotational and torsional reactions (no frequency floor).
  const cfloat ia0(0.0f, a0);
  const cfloat den = r * sqrt_g1;
  const cfloat sx = ia0 * (rx + t) / den;
  const cfloat sy = ia0 * (ry + t) / den;
  const cfloat st = ia0 * (rt + t) / den;
  // s K0(s) / K1(s) of each; equal arguments (equal radii) share one value.
  const cfloat qx = z_k0_over_k1(sx);
  const cfloat qy = same_bits(sy, sx) ? qx : z_k0_over_k1(sy);
  const cfloat qt = same_bits(st, sx) ? qx : same_bits(st, sy) ? qy : z_k0_over_k1(st);
  Srx = kPi * g1 * (kOne + qx);
  Sry = kPi * g1 * (kOne + qy);
  St = kTwoPi * g1 * (2.0f + qt);

  if (t == 0.0f) return;

  // Two-zone values.
  const float sw = weak_ratio;
  if (!(sw > 0.0f)) {
    // A zone without stiffness (shear ratio 0, or a negative one, which has
    // no meaning) carries no reaction: the limit of every two-zone value as
    // the ratio goes to 0 (approached slowly: the rotational and torsional
    // values fall off like 1/ln(1/sw)).  A deck never brings such a zone here:
    // the input checks refuse it (CHECK_PHYSICAL_INPUT).
    Su = Srx = Sry = St = cfloat(0.0f, 0.0f);
    if (t > 0.0f) Sw = cfloat(0.0f, 0.0f);
    return;
  }
  const cfloat g1w(1.0f, weak_D);  // 1 + iDw
  const float rho = r / big_r;

  // The guards work with t/r in double, so that a zone thinner than float's
  // resolution of r + t is still seen.
  const double tr = static_cast<double>(t) / static_cast<double>(r);
  const cfloat su_outer = Su;
  cfloat q_zone = q;
  float nu_zone = nu, eta_zone = eta;
  if (nu >= kNuLimit) {
    // Incompressible layer (our choice): eta, q and the factor
    // 1/(1 - 2nu) are not defined at nu = 0.5.  The annulus is taken with the
    // general formula at nu = 0.4999 (eta = 70.7), the limit of the general
    // two-zone value as nu -> 0.5 to within about 2 %, with q formed from the
    // same dimensionless frequency as the outer (incompressible) reaction.
    nu_zone = kTwoZoneNuCap;
    eta_zone = std::sqrt(2.0f * (1.0f - kTwoZoneNuCap) / (1.0f - 2.0f * kTwoZoneNuCap));
    q_zone = wave_arg(ah_last, sqrt_g1) / eta_zone;
  }
  if (!horizontal_two_zone(Su, su_outer, q_zone, nu_zone, eta_zone, sw, g1, g1w, rho) || !finite(Su)) {
    const double nud = nu_zone;
    const double eta_d = std::sqrt(2.0 * (1.0 - nud) / (1.0 - 2.0 * nud));
    // The outer reaction in double too where no low-frequency rule has
    // changed it and its K0, K1 come from their series (the two-term
    // asymptotic form beyond |z| = 9 is kept): near a resonance of the
    // annulus 1 + Su/Wi nearly vanishes and the rounding of a
    // single-precision Su would show.
    const cdouble qd = wave_arg_d(ah_last, D) / eta_d;
    const cdouble su_d = outer_plain && ah_last <= 9.0f ? horizontal_d(wave_arg_d(ah_last, D), qd, nu, ah_last)
                                                        : to_d(su_outer);
    Su = to_f(horizontal_two_zone_d(su_d, qd, nud, eta_d, sw, to_d(g1),
                                    to_d(g1w), 1.0 / (1.0 + tr)));
  }

  TwoZone z;
  z.lambda = big_r / r;
  const cfloat c = g1w / g1;
  z.g = std::sqrt(kOne - sw * c);
  z.beta = z.g / (z.lambda - 1.0f);
  z.big_b = z.lambda * z.beta;

  // For the guards: g² = 1 - sw·c and the inner zone's modulus sw·(1 + iDw).
  const cdouble g2 = 1.0 - static_cast<double>(sw) * (to_d(g1w) / to_d(g1));
  const cdouble gw = static_cast<double>(sw) * to_d(g1w);
  TwoZoneD zd;
  zd.lambda = 1.0 + tr;
  zd.g = std::sqrt(g2);
  zd.beta = zd.g / tr;
  zd.big_b = zd.lambda * zd.beta;

  if (t > 0.0f) {
    bool summable = false, precise = false;
    Sw = vertical_two_zone(z, sv, sw, g1w, summable, precise);
    if (summable && !precise) {
      // Cancellation in the terms: the same series in double.
      bool ok = false;
      const cfloat v = to_f(2.0 * std::numbers::pi * gw * vertical_series_d(zd, wave_arg_d(av, D), ok));
      if (ok && finite(v)) Sw = v;
      summable = ok;
    }
    if (!summable || !finite(Sw)) {
      // Outer solution K0(u·x), u = sv/lambda, at x = lambda.
      const cdouble svd = wave_arg_d(av, D);
      const cdouble u = svd / (1.0 + tr);
      cdouble k0, k1;  // scaled: only their ratio counts
      bessel_k01_scaled(svd, k0, k1);
      Sw = to_f(2.0 * std::numbers::pi * gw * inner_zone(InnerMotion::Vertical, tr, g2, u, k0, -u * k1));
    }
    if (a0 < kHorizontalFloor) Sw.imag(Sw.imag() * a0 / kHorizontalFloor);
  }

  const cfloat s0 = wave_arg(a0, sqrt_g1);
  bool rot_ok = false, tor_ok = false, rot_precise = false, tor_precise = false;
  const cfloat rot = rotation_series(z, s0, false, rot_ok, rot_precise);
  Srx = Sry = kPi * sw * g1w * rot;
  const cfloat tor = rotation_series(z, s0, true, tor_ok, tor_precise);
  St = kTwoPi * sw * g1w * (tor + 1.0f);
  if (rot_ok && !rot_precise) {
    const cfloat v = to_f(std::numbers::pi * gw * rotation_series_d(zd, wave_arg_d(a0, D), false, rot_ok));
    if (rot_ok) Srx = Sry = v;
  }
  if (tor_ok && !tor_precise) {
    const cfloat v = to_f(2.0 * std::numbers::pi * gw * (rotation_series_d(zd, wave_arg_d(a0, D), true, tor_ok) + 1.0));
    if (tor_ok) St = v;
  }
  rot_ok = rot_ok && finite(Srx);
  tor_ok = tor_ok && finite(St);
  if (!rot_ok || !tor_ok) {
    // Outer solution K1(s0·x) at x = lambda: W = K1(sR), W' = -s0·K0(sR) - K1(sR)/lambda.
    const cdouble s0d = wave_arg_d(a0, D);
    const cdouble sr = (1.0 + tr) * s0d;
    cdouble k0, k1;  // scaled: only their ratio counts
    bessel_k01_scaled(sr, k0, k1);
    const cdouble dw = -s0d * k0 - k1 / (1.0 + tr);
    if (!rot_ok) Srx = Sry = to_f(std::numbers::pi * gw * inner_zone(InnerMotion::Rotation, tr, g2, s0d, k1, dw));
    if (!tor_ok) St = to_f(2.0 * std::numbers::pi * gw * (inner_zone(InnerMotion::Torsion, tr, g2, s0d, k1, dw) + 1.0));
  }
}

}  // namespace eng
