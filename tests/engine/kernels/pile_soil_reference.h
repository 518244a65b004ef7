// Extended-precision (long double) evaluation of the pile-soil reactions, for
// tests: the same formulas as the kernel, with the modified Bessel functions
// exact to about 1e-15 (ascending series near the origin, asymptotic
// expansions with both exponentials further out) and the two-zone series
// summed in extended precision.  Nothing here shares code with the kernel.
// Used by the kernel sweep and by the whole-run tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace pile_ref {

using real = long double;
using cld = std::complex<long double>;
constexpr real kPiL = std::numbers::pi_v<long double>;
constexpr real kEulerL = 0.57721566490153286060651209L;

// I0(z), I1(z), Re z >= 0 (any z for the series).
inline void bessel_i01(cld z, cld& i0, cld& i1) {
  if (std::abs(z) <= 20.0L) {
    const cld w = z / 2.0L, w2 = w * w;
    cld t0 = 1.0L, t1 = w;
    i0 = t0;
    i1 = t1;
    for (int k = 1; k < 400; ++k) {
      t0 *= w2 / static_cast<real>(k * k);
      t1 *= w2 / static_cast<real>(k * (k + 1));
      i0 += t0;
      i1 += t1;
      if (k > 2 * std::abs(w) && std::abs(t0) < 1e-30L && std::abs(t1) < 1e-30L) break;
    }
    return;
  }
  // DLMF 10.40.5: I_n(z) ~ e^z/sqrt(2 pi z) sum (-1)^k a_k/z^k
  //                       + e^(-z ± (n + 1/2) pi i)/sqrt(2 pi z) sum a_k/z^k.
  const bool reflect = z.real() < 0.0L;
  if (reflect) z = -z;
  cld a0 = 1.0L, a1 = 1.0L, alt0 = 1.0L, alt1 = 1.0L, all0 = 1.0L, all1 = 1.0L;
  for (int k = 1; k < 80; ++k) {
    const real odd = static_cast<real>((2 * k - 1) * (2 * k - 1));
    const cld n0 = a0 * (-odd) / (8.0L * k * z), n1 = a1 * (4.0L - odd) / (8.0L * k * z);
    if (std::abs(n0) > std::abs(a0)) break;
    a0 = n0;
    a1 = n1;
    const real sg = (k % 2 == 0) ? 1.0L : -1.0L;
    alt0 += sg * a0;
    alt1 += sg * a1;
    all0 += a0;
    all1 += a1;
  }
  const cld root = std::sqrt(2.0L * kPiL * z);
  const cld ep = std::exp(z) / root, em = std::exp(-z) / root;
  const cld c = z.imag() >= 0.0L ? cld(0.0L, 1.0L) : cld(0.0L, -1.0L);  // e^(± pi i/2)
  i0 = ep * alt0 + c * em * all0;
  i1 = ep * alt1 - c * em * all1;
  if (reflect) i1 = -i1;
}

// K0(z), K1(z), principal branch, Re z >= 0.
inline void bessel_k01(cld z, cld& k0, cld& k1) {
  if (std::abs(z) <= 12.0L) {
    const cld w = z / 2.0L, w2 = w * w;
    const cld lg = std::log(w);
    cld t0 = 1.0L, t1 = w, i0 = 1.0L, i1 = w, s0 = 0.0L;
    cld s1 = t1 * (1.0L - 2.0L * kEulerL);  // psi(1) + psi(2) = 1 - 2 gamma
    real h = 0.0L;
    for (int k = 1; k < 300; ++k) {
      t0 *= w2 / static_cast<real>(k * k);
      t1 *= w2 / static_cast<real>(k * (k + 1));
      h += 1.0L / k;
      i0 += t0;
      i1 += t1;
      s0 += t0 * h;
      s1 += t1 * (2.0L * h + 1.0L / (k + 1) - 2.0L * kEulerL);
      if (k > 2 * std::abs(w) && std::abs(t0) < 1e-30L && std::abs(t1) < 1e-30L) break;
    }
    k0 = -(lg + kEulerL) * i0 + s0;
    k1 = 1.0L / z + lg * i1 - 0.5L * s1;
    return;
  }
  const cld f = std::sqrt(kPiL / (2.0L * z)) * std::exp(-z);
  cld a0 = 1.0L, a1 = 1.0L, s0 = 1.0L, s1 = 1.0L;
  for (int k = 1; k < 80; ++k) {
    const real odd = static_cast<real>((2 * k - 1) * (2 * k - 1));
    const cld n0 = a0 * (-odd) / (8.0L * k * z), n1 = a1 * (4.0L - odd) / (8.0L * k * z);
    if (std::abs(n0) > std::abs(a0)) break;
    a0 = n0;
    a1 = n1;
    s0 += a0;
    s1 += a1;
  }
  k0 = f * s0;
  k1 = f * s1;
}

inline cld s_arg(real a, real D) { return cld(0.0L, a) / std::sqrt(cld(1.0L, D)); }
inline real eta_of(real nu) { return std::sqrt(2.0L * (1.0L - nu) / (1.0L - 2.0L * nu)); }

// Homogeneous reactions (no floors, flags or low-frequency rules: the
// caller passes a' >= 0.3).
inline cld su_homogeneous(real ah, real nu, real D, cld* q_out = nullptr) {
  const cld s = s_arg(ah, D);
  cld k0s, k1s;
  bessel_k01(s, k0s, k1s);
  if (nu >= 0.5L) return -kPiL * ah * ah * (4.0L * k1s + s * k0s) / (s * k0s);
  const cld q = s / eta_of(nu);
  if (q_out) *q_out = q;
  cld k0q, k1q;
  bessel_k01(q, k0q, k1q);
  const cld n = 4.0L * k1q * k1s + s * k1q * k0s + q * k0q * k1s;
  const cld m = q * k0q * k1s + s * k1q * k0s + q * s * k0q * k0s;
  return -kPiL * ah * ah * n / m;
}
inline cld sw_homogeneous(real av, real D) {
  const cld s = s_arg(av, D);
  cld k0, k1;
  bessel_k01(s, k0, k1);
  return 2.0L * kPiL * cld(1.0L, D) * s * k1 / k0;
}
// z K0(z)/K1(z) terms of rotation (order = 1) and torsion (order = 2).
inline cld srot_homogeneous(real a, real D) {
  const cld s = s_arg(a, D);
  cld k0, k1;
  bessel_k01(s, k0, k1);
  return kPiL * cld(1.0L, D) * (1.0L + s * k0 / k1);
}
inline cld st_homogeneous(real a, real D) {
  const cld s = s_arg(a, D);
  cld k0, k1;
  bessel_k01(s, k0, k1);
  return 2.0L * kPiL * cld(1.0L, D) * (2.0L + s * k0 / k1);
}

// Horizontal two-zone value: the 4 x 4 annulus system (Gaussian elimination
// with partial pivoting) in series with the outer reaction su.
inline cld su_two_zone(cld su, cld q, real nu, real sw, real D, real Dw, real rho) {
  const real eta = eta_of(nu);
  const cld qw = q / (std::sqrt(sw) * std::sqrt(cld(1.0L, Dw) / cld(1.0L, D)));
  const cld qa = rho * qw, sb = eta * qw, sa = eta * qa;
  cld i0qa, i1qa, k0qa, k1qa, i0sa, i1sa, k0sa, k1sa, i0qw, i1qw, k0qw, k1qw, i0sb, i1sb, k0sb, k1sb;
  bessel_i01(qa, i0qa, i1qa);
  bessel_k01(qa, k0qa, k1qa);
  bessel_i01(sa, i0sa, i1sa);
  bessel_k01(sa, k0sa, k1sa);
  bessel_i01(qw, i0qw, i1qw);
  bessel_k01(qw, k0qw, k1qw);
  bessel_i01(sb, i0sb, i1sb);
  bessel_k01(sb, k0sb, k1sb);
  cld a[4][5] = {
      {qa * i0qa - i1qa, -qa * k0qa - k1qa, -i1sa, -k1sa, 1.0L},
      {i1qa, k1qa, i1sa - sa * i0sa, k1sa + sa * k0sa, 1.0L},
      {rho * i1qw - qa * i0qw, rho * k1qw + qa * k0qw, rho * i1sb, rho * k1sb, 0.0L},
      {rho * i1qw, rho * k1qw, rho * i1sb - sa * i0sb, rho * k1sb + sa * k0sb, 0.0L},
  };
  for (int c = 0; c < 4; ++c) {
    int p = c;
    for (int i = c + 1; i < 4; ++i)
      if (std::abs(a[i][c]) > std::abs(a[p][c])) p = i;
    for (int j = 0; j < 5; ++j) std::swap(a[c][j], a[p][j]);
    for (int i = c + 1; i < 4; ++i) {
      const cld m = a[i][c] / a[c][c];
      for (int j = c; j < 5; ++j) a[i][j] -= m * a[c][j];
    }
  }
  cld x[4];
  for (int i = 3; i >= 0; --i) {
    cld v = a[i][4];
    for (int j = i + 1; j < 4; ++j) v -= a[i][j] * x[j];
    x[i] = v / a[i][i];
  }
  const cld qa2 = qa * qa + 2.0L, sa2 = sa * sa + 2.0L;
  const cld ti = x[0] * (qa2 * i1qa - qa * i0qa) + x[1] * (qa2 * k1qa + qa * k0qa) +
                 x[2] * (2.0L * i1sa - sa * i0sa) + x[3] * (2.0L * k1sa + sa * k0sa);
  const cld ui = x[0] * (2.0L * i1qa - qa * i0qa) + x[1] * (2.0L * k1qa + qa * k0qa) +
                 x[2] * (sa2 * i1sa - sa * i0sa) + x[3] * (sa2 * k1sa + sa * k0sa);
  const cld vi = x[0] * (qa * i0qa - 2.0L * i1qa) - x[1] * (2.0L * k1qa + qa * k0qa) -
                 x[2] * (2.0L * i1sa - sa * i0sa);
  const cld zi = ui - eta * eta * ti - (vi - x[3] * (2.0L * k1sa + sa * k0sa)) / (1.0L - 2.0L * nu);
  const cld wi = 3.7699111843077518L * sw * cld(1.0L, Dw) * zi;  // 1.2 pi
  return su / (1.0L + su / wi);
}

// The series of the vertical, rotational and torsional two-zone values.
// `converged` is false where 100 terms do not settle the series to 1e-12, or
// its terms cancel so much that extended precision itself is in doubt: the
// test then has no series reference.  The rotational and torsional values
// also give, in `full`, the value with all 100 terms in the derivative
// (the value the 20-term sum approximates).
struct Zone {
  real lambda;
  cld g, beta, big_b;
};
inline Zone zone(real r, real t, real sw, real D, real Dw) {
  Zone z;
  z.lambda = (r + t) / r;
  z.g = std::sqrt(1.0L - sw * (cld(1.0L, Dw) / cld(1.0L, D)));
  z.beta = z.g / (z.lambda - 1.0L);
  z.big_b = z.lambda * z.beta;
  return z;
}
inline cld log_derivative(const cld* p, cld g, int last, bool& converged, cld* full, real* cancel) {
  cld s1 = 0.0L, gm = 1.0L;
  real big = 0.0L, final_term = 0.0L;
  for (int m = 0; m <= 100; ++m) {
    const cld term = p[m] * gm;
    s1 += term;
    big = std::max(big, std::abs(term));
    final_term = std::abs(term);
    gm *= g;
  }
  cld s2 = 0.0L, tail = 0.0L;
  gm = 1.0L;
  for (int m = 1; m <= 100; ++m) {
    const cld term = static_cast<real>(m) * (p[m] / s1) * gm;
    if (m <= last) s2 += term; else tail += term;
    gm *= g;
  }
  converged = final_term < 1e-12L * std::abs(s1) && big < 1e9L * std::abs(s1);
  *full = s2 + tail;
  *cancel = big / std::abs(s1);
  return s2;
}
// What a two-zone series gives besides its value: `full`, the value with all
// 100 terms in the derivative sum; `cancel`, the largest term of S1 over |S1|.
struct SeriesInfo {
  bool converged = false;
  cld full;
  real cancel = 0.0L;
};
// k0, k1: K0 and K1 of the series' start argument; exact unless given.
inline cld sw_two_zone(const Zone& z, real av, real D, real sw, real Dw, SeriesInfo& info,
                       const cld* k01 = nullptr) {
  const cld sv = s_arg(av, D);
  const cld u = sv / z.lambda, kappa = (u / z.beta) * (u / z.beta), B = z.big_b;
  cld p[101], k1;
  if (k01) {
    p[0] = k01[0];
    k1 = k01[1];
  } else {
    bessel_k01(sv, p[0], k1);
  }
  p[1] = u * k1 / z.beta;
  for (int m = 2; m <= 100; ++m) {
    const cld p3 = m >= 3 ? p[m - 3] : cld(0.0L);
    p[m] = (static_cast<real>((m - 1) * (m - 1)) * p[m - 1] + (static_cast<real>((m - 1) * (m - 2)) + kappa) * B * p[m - 2] -
            (static_cast<real>((m - 1) * (m - 3)) + kappa) * p3) /
           (static_cast<real>(m * (m - 1)) * B);
  }
  const cld f = 2.0L * kPiL * sw * cld(1.0L, Dw) * z.beta;
  const cld v = f * log_derivative(p, z.g, 100, info.converged, &info.full, &info.cancel);
  info.full *= f;
  return v;
}
// beta·S2 of rotation (torsion false) or torsion, times the reaction's
// factor.
inline cld rotation_two_zone(const Zone& z, real a0, real D, real sw, real Dw, bool torsion, SeriesInfo& info,
                             const cld* k01 = nullptr) {
  const cld s0 = s_arg(a0, D), sr = z.lambda * s0, kappa = (s0 / z.beta) * (s0 / z.beta);
  const cld B = z.big_b, b2 = B * B;
  cld k0, k1, h[101];
  if (k01) {
    k0 = k01[0];
    k1 = k01[1];
  } else {
    bessel_k01(sr, k0, k1);
  }
  h[0] = k1;
  h[1] = k1 / B + s0 * k0 / z.beta;
  for (int m = 2; m <= 100; ++m) {
    const cld h3 = m >= 3 ? h[m - 3] : cld(0.0L), h4 = m >= 4 ? h[m - 4] : cld(0.0L);
    const real mm = m;
    const cld c1 = (2 * mm - 3) * (mm - 1) * B;
    const cld c2 = (mm - 1) * (mm - 2) * b2 + kappa * b2 + 1.0L - (mm - 2) * (mm - 2);
    const cld c3 = ((mm - 3) * (2 * mm - 3) + 2.0L * (torsion ? kappa - 1.0L : kappa)) * B;
    const cld c4 = (mm - 2) * (mm - 4) + kappa - (torsion ? 3.0L : 1.0L);
    h[m] = (c1 * h[m - 1] + c2 * h[m - 2] - c3 * h3 + c4 * h4) / (mm * (mm - 1) * b2);
  }
  const cld bs2 = z.beta * log_derivative(h, z.g, 20, info.converged, &info.full, &info.cancel);
  info.full *= z.beta;
  if (torsion) {
    info.full = 2.0L * kPiL * sw * cld(1.0L, Dw) * (info.full + 1.0L);
    return 2.0L * kPiL * sw * cld(1.0L, Dw) * (bs2 + 1.0L);
  }
  info.full = kPiL * sw * cld(1.0L, Dw) * info.full;
  return kPiL * sw * cld(1.0L, Dw) * bs2;
}

// The vertical (motion 0), rotational (1) and torsional (2) two-zone values
// by integrating the inner zone's equations, independently of the series:
//   vertical:  (1/x)(x·Gh·W')' = s²·W,
//   rotation:  (1/x)(x·Gh·W')' - Gh·W/x² = s²·W,
//   torsion:   (1/x²)(x²·Gh·(V' - V/x))' = s²·V,
// x = radius/r, Gh = 1 - g²·((lambda - x)/(lambda - 1))², from the outer
// solution at x = lambda (K0(u·x) with u = s_v/lambda for the vertical
// value, K1(s0·x) otherwise) to the face by the classical Runge-Kutta rule
// on n uniform steps; the value is -W'(1)/W(1) in the reaction's factor.
// `a` is a' (vertical) or a0.
inline cld integrated_two_zone(int motion, real a, real D, real sw, real Dw, real t, int n) {
  const real lam = 1.0L + t;
  const cld g2 = 1.0L - sw * (cld(1.0L, Dw) / cld(1.0L, D));
  const cld s0 = s_arg(a, D);
  const cld s = motion == 0 ? s0 / lam : s0;  // wave number in x
  const cld s2 = s * s;
  auto gh = [&](real x) {
    const real z = (lam - x) / t;
    return 1.0L - g2 * (z * z);
  };
  cld k0, k1;
  bessel_k01(s * lam, k0, k1);
  // State (W, P): P = x·Gh·W' (vertical, rotation), x²·Gh·(V' - V/x) (torsion).
  cld w, dw;
  if (motion == 0) {
    w = k0;
    dw = -s * k1;
  } else {
    w = k1;
    dw = -s * k0 - k1 / lam;
  }
  cld p = motion == 2 ? lam * lam * gh(lam) * (dw - w / lam) : lam * gh(lam) * dw;
  auto deriv = [&](real x, const cld& wv, const cld& pv, cld& dwv, cld& dpv) {
    const cld g = gh(x);
    if (motion == 2) {
      dwv = pv / (x * x * g) + wv / x;
      dpv = s2 * wv * (x * x);
    } else {
      dwv = pv / (x * g);
      dpv = s2 * wv * x + (motion == 1 ? g * wv / x : cld(0.0L));
    }
  };
  const real h = -t / n;
  for (int i = 0; i < n; ++i) {
    const real x = lam + i * h;
    cld a1, b1, a2, b2, a3, b3, a4, b4;
    deriv(x, w, p, a1, b1);
    deriv(x + 0.5L * h, w + 0.5L * h * a1, p + 0.5L * h * b1, a2, b2);
    deriv(x + 0.5L * h, w + 0.5L * h * a2, p + 0.5L * h * b2, a3, b3);
    deriv(x + h, w + h * a3, p + h * b3, a4, b4);
    w += (h / 6.0L) * (a1 + 2.0L * a2 + 2.0L * a3 + a4);
    p += (h / 6.0L) * (b1 + 2.0L * b2 + 2.0L * b3 + b4);
    const real big = std::abs(w);
    if (big > 1e200L || big < 1e-200L) {
      w /= big;
      p /= big;
    }
  }
  const cld g_face = 1.0L - g2;
  const cld dw1 = motion == 2 ? p / g_face + w : p / g_face;  // W'(1)
  const cld value = -dw1 / w;
  const cld gw = sw * cld(1.0L, Dw);
  if (motion == 0) return 2.0L * kPiL * gw * value;
  if (motion == 1) return kPiL * gw * value;
  return 2.0L * kPiL * gw * (value + 1.0L);
}

}  // namespace pile_ref
