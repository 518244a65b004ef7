// Pile-soil impedance kernel.
#include "kernels/pile_soil.h"

#include <cmath>

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

// Poisson's ratio used for the horizontal two-zone value when the layer's
// ratio is 0.5 or more (see below).
constexpr float kTwoZoneNuCap = 0.4999f;

const cfloat kOne(1.0f, 0.0f);

// S-wave argument s = i·a/sqrt(1 + iD).
cfloat wave_arg(float a, const cfloat& sqrt_g1) { return cfloat(0.0f, a) / sqrt_g1; }

// Horizontal reaction at the dimensionless frequency ah (steps 1 to 3 of the
// horizontal reaction); q receives the P-wave argument s/eta (nu < 0.5).
cfloat horizontal(float ah, float nu, float eta, const cfloat& sqrt_g1, cfloat& q) {
  const cfloat s = wave_arg(ah, sqrt_g1);
  const float lead = -kPi * ah * ah;
  if (nu < kNuLimit) {
    q = s / eta;
    const cfloat k0q = BESSEL_K0(q);
    const cfloat k1q = BESSEL_K1(q);
    const cfloat k0s = BESSEL_K0(s);
    const cfloat k1s = BESSEL_K1(s);
    const cfloat n = 4.0f * k1q * k1s + s * k1q * k0s + q * k0q * k1s;
    const cfloat m = q * k0q * k1s + s * k1q * k0s + q * s * k0q * k0s;
    return lead * n / m;
  }
  q = s;  // not defined for nu >= 0.5; not used by the incompressible formula
  const cfloat k0s = BESSEL_K0(s);
  const cfloat k1s = BESSEL_K1(s);
  return lead * (4.0f * k1s + s * k0s) / (s * k0s);
}

// Vertical reaction at the dimensionless frequency av (step 2); s receives its
// wave argument.
cfloat vertical(float av, const cfloat& g1, const cfloat& sqrt_g1, cfloat& s) {
  s = wave_arg(av, sqrt_g1);
  return kTwoPi * g1 * s * BESSEL_K1(s) / BESSEL_K0(s);
}

// Horizontal two-zone value: the inner annulus (r .. r + t, shear ratio sw,
// damping Dw) in series with the outer reaction su of the layer.
cfloat horizontal_two_zone(const cfloat& su, const cfloat& q, float nu, float eta, float sw,
                           const cfloat& g1, const cfloat& g1w, float rho) {
  const cfloat qw = q / (std::sqrt(sw) * std::sqrt(g1w / g1));  // at r + t
  const cfloat qa = rho * qw;                                   // at r
  const cfloat sb = eta * qw;
  const cfloat sa = eta * qa;

  const cfloat i0qa = BESSEL_I0(qa), i1qa = BESSEL_I1(qa);
  const cfloat k0qa = BESSEL_K0(qa), k1qa = BESSEL_K1(qa);
  const cfloat i0sa = BESSEL_I0(sa), i1sa = BESSEL_I1(sa);
  const cfloat k0sa = BESSEL_K0(sa), k1sa = BESSEL_K1(sa);
  const cfloat i0qw = BESSEL_I0(qw), i1qw = BESSEL_I1(qw);
  const cfloat k0qw = BESSEL_K0(qw), k1qw = BESSEL_K1(qw);
  const cfloat i0sb = BESSEL_I0(sb), i1sb = BESSEL_I1(sb);
  const cfloat k0sb = BESSEL_K0(sb), k1sb = BESSEL_K1(sb);

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
  LEQT1C(a, 4, 4, b, 1, 4, 0, wa, ier);  // IER 129 leaves b = (1, 1, 0, 0)
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
  return su / (kOne + su / wi);
}

// Quantities shared by the vertical, rotational and torsional two-zone values.
struct TwoZone {
  float lambda;  // (r + t)/r
  cfloat g;      // sqrt(1 - sw·c), c = (1 + iDw)/(1 + iD)
  cfloat beta;   // g/(lambda - 1)
  cfloat big_b;  // lambda·beta
};

// S1 = sum p_m g^m (m = 0 .. 100); S2 = sum m·(p_m/S1)·g^(m-1) (m = 1 .. last).
cfloat log_derivative(const cfloat* p, const cfloat& g, int last) {
  cfloat s1(0.0f, 0.0f);
  for (int m = 0; m <= kSeriesTerms; ++m) s1 = s1 + p[m] * CPOW_INT(g, m);
  cfloat s2(0.0f, 0.0f);
  for (int m = 1; m <= last; ++m) {
    const cfloat d = p[m] / s1;
    s2 = s2 + static_cast<float>(m) * d * CPOW_INT(g, m - 1);
  }
  return s2;
}

// Vertical two-zone value (before the a0 < 0.3 scaling).
cfloat vertical_two_zone(const TwoZone& z, const cfloat& sv, float sw, const cfloat& g1w) {
  const cfloat u = sv / z.lambda;
  const cfloat ub = u / z.beta;
  const cfloat kappa = ub * ub;
  const cfloat& B = z.big_b;
  cfloat p[kSeriesTerms + 1];
  p[0] = BESSEL_K0(sv);
  p[1] = u * BESSEL_K1(sv) / z.beta;
  for (int m = 2; m <= kSeriesTerms; ++m) {
    const cfloat p3 = m >= 3 ? p[m - 3] : cfloat(0.0f, 0.0f);
    const cfloat num = static_cast<float>((m - 1) * (m - 1)) * p[m - 1] +
                       (static_cast<float>((m - 1) * (m - 2)) + kappa) * B * p[m - 2] -
                       (static_cast<float>((m - 1) * (m - 3)) + kappa) * p3;
    p[m] = num / (static_cast<float>(m * (m - 1)) * B);
  }
  const cfloat s2 = log_derivative(p, z.g, kSeriesTerms);
  return kTwoPi * sw * g1w * z.beta * s2;
}

// beta·S2 of the rotational (torsion = false) or torsional (torsion = true)
// two-zone value, with s0 the unscaled, unfloored wave argument.
cfloat rotation_series(const TwoZone& z, const cfloat& s0, bool torsion) {
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
  return z.beta * log_derivative(h, z.g, kRotationDerivativeTerms);
}

}  // namespace

void PILE_SOIL_IMPEDANCE(const float& a0, const float& nu, const float& D,
                         const float& weak_ratio, const float& /*weak_nu*/, const float& weak_D,
                         const float& weak_t, const float& r, const float& rx, const float& ry,
                         const float& rt, cfloat& Su, cfloat& Sw, cfloat& Srx, cfloat& Sry,
                         cfloat& St, int& hflag, const int& vflag) {
  if (a0 <= 0.0f) {
    Su = Sw = Srx = Sry = St = cfloat(0.0f, 0.0f);
    return;
  }
  if (hflag < 0) hflag = 0;

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
  Su = horizontal(ah, nu, eta, sqrt_g1, q);
  if (hflag > 0) {
    const float kept = Su.real();
    ah_last = kHorizontalFloor;
    Su = horizontal(kHorizontalFloor, nu, eta, sqrt_g1, q);
    hflag = -1;
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
    cfloat s;
    float re0 = Sw.real();
    if (ap > kVerticalFloor) re0 = vertical(kVerticalFloor, g1, sqrt_g1, s).real();
    const float f = ap / kVerticalBound;
    Sw.imag(re0 * D * (1.0f - f) + f * vertical(kVerticalBound, g1, sqrt_g1, s).imag());
  }

  // Rotational and torsional reactions (no frequency floor).
  const cfloat ia0(0.0f, a0);
  const cfloat den = r * sqrt_g1;
  const cfloat sx = ia0 * (rx + t) / den;
  const cfloat sy = ia0 * (ry + t) / den;
  const cfloat st = ia0 * (rt + t) / den;
  Srx = kPi * g1 * (kOne + sx * BESSEL_K0(sx) / BESSEL_K1(sx));
  Sry = kPi * g1 * (kOne + sy * BESSEL_K0(sy) / BESSEL_K1(sy));
  St = kTwoPi * g1 * (2.0f + st * BESSEL_K0(st) / BESSEL_K1(st));

  if (t == 0.0f) return;

  // Two-zone values.
  const float sw = weak_ratio;
  const cfloat g1w(1.0f, weak_D);  // 1 + iDw
  const float rho = r / big_r;

  if (nu < kNuLimit) {
    Su = horizontal_two_zone(Su, q, nu, eta, sw, g1, g1w, rho);
  } else {
    // Incompressible layer (our choice): eta, q and the factor
    // 1/(1 - 2nu) are not defined at nu = 0.5.  The annulus is taken with the
    // general formula at nu = 0.4999 (eta = 70.7), the limit of the general
    // two-zone value as nu -> 0.5 to within about 2 %, with q formed from the
    // same dimensionless frequency as the outer (incompressible) reaction.
    const float eta_c = std::sqrt(2.0f * (1.0f - kTwoZoneNuCap) / (1.0f - 2.0f * kTwoZoneNuCap));
    const cfloat qc = wave_arg(ah_last, sqrt_g1) / eta_c;
    Su = horizontal_two_zone(Su, qc, kTwoZoneNuCap, eta_c, sw, g1, g1w, rho);
  }

  TwoZone z;
  z.lambda = big_r / r;
  const cfloat c = g1w / g1;
  z.g = std::sqrt(kOne - sw * c);
  z.beta = z.g / (z.lambda - 1.0f);
  z.big_b = z.lambda * z.beta;

  if (t > 0.0f) {
    Sw = vertical_two_zone(z, sv, sw, g1w);
    if (a0 < kHorizontalFloor) Sw.imag(Sw.imag() * a0 / kHorizontalFloor);
  }

  const cfloat s0 = wave_arg(a0, sqrt_g1);
  const cfloat rot = rotation_series(z, s0, false);
  Srx = Sry = kPi * sw * g1w * rot;
  const cfloat tor = rotation_series(z, s0, true);
  St = kTwoPi * sw * g1w * (tor + 1.0f);
}

}  // namespace eng
