// PILE_HEAD_IMPEDANCE: head impedance of a pile or shaft, element by element.
#include "kernels/pile_head.h"

#include <algorithm>
#include <cmath>

#include "kernels/footing.h"
#include "kernels/pile_soil.h"
#include "kernels/solvers.h"

namespace eng {

namespace {

constexpr int kMaxElements = 30;
constexpr cfloat kI(0.0f, 1.0f);

// Ways of evaluating a bending element, by the sizes of its two wave
// numbers lambda1, lambda2.  In single precision the closed form loses digits
// when a wave number is small: Delta ~ lambda^6 is formed from cos*cosh - 1,
// and lambda2^2 from Q - X.  So the single-precision closed form is used
// when both are at least kFloatWaveNumber; the same closed form in double
// precision (rounded to single at the end) when the larger is at least
// kSmallWaveNumber; below that the static terms with their first-order
// corrections, whose neglected terms are of order lambda^8.
constexpr double kFloatWaveNumber = 0.5;
constexpr double kSmallWaveNumber = 0.03;
// An element shorter than its soil's reach is nearly a rigid beam: e0 and em
// are close to 12 and -12 times EI*/L, and what the soil and the inertia
// add to the stiffness of the chain lies in e0 + em (of order P L^4 / EI
// against them).  Rounded to single precision apart, e0 and em carry that
// sum to about 1e-7 |e0| / |e0 + em|, and a chain of such elements (a layer
// divided into many short elements) passes the loss on to the head terms.
// Once |e0 + em| falls below kStiffElement |e0| in some element in soil,
// the chain is formed with the element terms and the elimination in double
// precision.
constexpr float kStiffElement = 0.01f;

// Band storage of COMPLEX_ELIMINATION: full entry (i, j), j >= i, 1-based.
inline cfloat& band(cfloat* a, int i, int j) { return a[(j - i) * kBandLd + (i - 1)]; }

// Static work storage, rebuilt at every call.
struct Work {
  float G[kMaxElements];
  cfloat Su[kMaxElements], Sw[kMaxElements], Srx[kMaxElements], Sry[kMaxElements],
      St[kMaxElements];
  cfloat da[kMaxElements], oa[kMaxElements];  // axial pairs
  cfloat dt[kMaxElements], ot[kMaxElements];  // torsion pairs
  cfloat eb[kMaxElements][6];                 // e0, e1, em, e2, e3, e4
  cfloat A[kBandLd * 4];
  cfloat B[kBandLd * 2];
  // Inputs of each bending element, for the chain in double.
  cfloat P[kMaxElements], R[kMaxElements];
  float s[kMaxElements], EI[kMaxElements], Dd[kMaxElements];
};
Work w;

// Head term of the axial or the torsion chain.
cfloat bar_chain(const cfloat* d, const cfloat* o, int n, cfloat tip) {
  std::fill(w.A, w.A + 2 * kBandLd, cfloat(0.0f, 0.0f));
  std::fill(w.B, w.B + kBandLd, cfloat(0.0f, 0.0f));
  band(w.A, 1, 1) = d[0];
  w.B[0] = o[0];
  for (int k = 2; k <= n; ++k) {
    band(w.A, k - 1, k - 1) += d[k - 1];
    band(w.A, k - 1, k) += o[k - 1];
    band(w.A, k, k) += d[k - 1];
  }
  band(w.A, n, n) += tip;
  if (n == 1) {
    w.B[0] = w.B[0] / band(w.A, 1, 1);
  } else {
    const int m = 1, width = 2;
    COMPLEX_ELIMINATION(m, n, width, w.A, w.B);
  }
  const cfloat u1 = -w.B[0];
  return d[0] + o[0] * u1;
}

}  // namespace

void bar_element(const cfloat& k, const cfloat& EA, float L, cfloat& d, cfloat& o) {
  const cfloat kl = k * L;
  if (kl == cfloat(0.0f, 0.0f)) {
    // Static bar: kL cot kL -> 1 and kL / sin kL -> 1.
    d = EA / L;
    o = -EA / L;
    return;
  }
  const cfloat num = kl * EA;
  if (std::fabs(kl.imag()) <= 10.0f) {
    const cfloat den = L * std::sin(kl);
    d = num * std::cos(kl) / den;
    o = -num / den;
    return;
  }
  // |Im kL| large: with z in the upper half-plane and w = exp(2iz) (small),
  // cot z = i(1 + w)/(w - 1) and 1/sin z = 2i exp(iz)/(w - 1).
  const bool lower = kl.imag() < 0.0f;
  const cfloat z = lower ? std::conj(kl) : kl;
  const cfloat eiz = std::exp(kI * z);
  const cfloat wv = eiz * eiz;
  cfloat cot = kI * (1.0f + wv) / (wv - 1.0f);
  cfloat csc = 2.0f * kI * eiz / (wv - 1.0f);
  if (lower) {
    cot = std::conj(cot);
    csc = std::conj(csc);
  }
  d = num / L * cot;
  o = -num / L * csc;
}

namespace {

// cosh(y) e^-|y| and sinh(y) e^-|y| in the precision T.
template <class T>
inline T cosh_scaled_t(T y) {
  return T(0.5) * (T(1) + std::exp(T(-2) * std::fabs(y)));
}
template <class T>
inline T sinh_scaled_t(T y) {
  const T v = T(-0.5) * std::expm1(T(-2) * std::fabs(y));
  return y < T(0) ? -v : v;
}

// Closed form of a Timoshenko element in the precision T.  With `stable`
// the smaller of lambda1^2, lambda2^2 is formed as C over the larger one
// (the same number without the cancellation in Q - X or Q + X).  False when
// Delta vanishes or is not finite.
template <class T, class Out>
bool bending_closed_form(const cfloat& Pf, const cfloat& Rf, float Nf, float sf, float EIf,
                         float Ddf, float Lf, bool stable, Out e[6]) {
  using C_ = std::complex<T>;
  const C_ i(T(0), T(1));
  const C_ P(Pf), R(Rf);
  const T N = Nf, s = sf, EI = EIf, L = Lf;
  const C_ loss = T(1) + i * T(Ddf);
  const C_ EIc = EI * loss;
  const C_ W1 = T(1) - s * (R - N);
  const T c1 = T(1) + s * N;
  const C_ X = L * L * ((R + N * c1) / EIc + s * P);
  const C_ C = L * L * L * L * W1 * P / EIc;
  const C_ Q = std::sqrt(X * X + T(4) * C);
  C_ w1 = (Q + X) / T(2);
  C_ w2 = (Q - X) / T(2);
  if (stable) {
    if (std::abs(w1) >= std::abs(w2)) {
      if (w1 != C_(0)) w2 = C / w1;
    } else {
      w1 = C / w2;
    }
  }
  const C_ l1 = std::sqrt(w1);
  const C_ l2 = std::sqrt(w2);
  const C_ phi1 = (T(1) - s * EIc * l2 * l2 / (L * L * W1)) * l1 / c1;
  const C_ phi2 = (T(1) + s * EIc * l1 * l1 / (L * L * W1)) * l2 / c1;
  // Circular functions of l1 scaled by E1 = exp(-|Im l1|), hyperbolic
  // functions of l2 by E2 = exp(-|Re l2|); every term below carries the
  // factor S = E1*E2, which cancels in the quotients.
  const T x1 = l1.real(), y1 = l1.imag();
  const T a2 = l2.real(), b2 = l2.imag();
  const C_ sn(std::sin(x1) * cosh_scaled_t(y1), std::cos(x1) * sinh_scaled_t(y1));
  const C_ cs(std::cos(x1) * cosh_scaled_t(y1), -std::sin(x1) * sinh_scaled_t(y1));
  const C_ ch(cosh_scaled_t(a2) * std::cos(b2), sinh_scaled_t(a2) * std::sin(b2));
  const C_ sh(sinh_scaled_t(a2) * std::cos(b2), cosh_scaled_t(a2) * std::sin(b2));
  const T E1 = std::exp(-std::fabs(y1));
  const T E2 = std::exp(-std::fabs(a2));
  const T S = E1 * E2;
  const C_ l12 = l1 * l2 / W1;
  const C_ delta = (sn * sh * (phi1 * phi1 - phi2 * phi2) + T(2) * l12 * (cs * ch - S)) / loss;
  if (delta == C_(0) || !std::isfinite(delta.real()) || !std::isfinite(delta.imag())) {
    return false;
  }
  const T EIL = EI / L;
  const C_ F = EIL * (l1 * l1 + l2 * l2) / delta;
  const C_ Fg = F * l12;
  const C_ t[6] = {
      -Fg * (cs * sh * phi2 + sn * ch * phi1),
      EIL * l12 * (sn * sh * (phi1 * l2 + phi2 * l1) + (phi2 * l2 - phi1 * l1) * (cs * ch - S)) /
          delta,
      Fg * (phi1 * sn * E2 + phi2 * sh * E1),
      -Fg * (ch * E1 - cs * E2),
      -F * (sn * ch * phi2 - cs * sh * phi1),
      -F * (phi1 * sh * E1 - phi2 * sn * E2)};
  for (int k = 0; k < 6; ++k) {
    if (!std::isfinite(t[k].real()) || !std::isfinite(t[k].imag())) return false;
  }
  for (int k = 0; k < 6; ++k) e[k] = Out(t[k]);
  return true;
}

// Sizes of the two wave numbers of an element (in double, only to choose the way): |lambda1|^2
// and |lambda2|^2 are about (q + |X|)/2 and |C| over that.
struct WaveNumberSizes {
  double big;
  double small;
};
WaveNumberSizes wave_number_sizes(const cfloat& P, const cfloat& R, float N, float s, float EI, float Dd,
                                  float L) {
  using cd = std::complex<double>;
  const cd EIc = double(EI) * cd(1.0, Dd);
  const cd W1 = 1.0 - double(s) * (cd(R) - double(N));
  const double c1 = 1.0 + double(s) * N;
  const double L2 = double(L) * L;
  const cd X = L2 * ((cd(R) + double(N) * c1) / EIc + double(s) * cd(P));
  const cd C = L2 * L2 * W1 * cd(P) / EIc;
  const double q = std::abs(std::sqrt(X * X + 4.0 * C));
  const double ax = std::abs(X);
  const double big = std::sqrt(0.5 * (q + ax));
  return {big, big > 0.0 ? std::sqrt(std::abs(C)) / big : 0.0};
}

// Static Timoshenko terms (Phi = 12 EI* s / L^2) with the first-order effect of the distributed
// spring -P and of the compression N + R, in the precision of T (C its complex type).
template <class T, class C>
void static_bending_terms(const C& P, const C& R, T N, T s, T EI, T Dd, T L, C e[6]) {
  const C EIc = EI * C(T(1), Dd);
  const C Phi = T(12) * EIc * s / (L * L);
  const C base = EIc / (L * (T(1) + Phi));
  const C q = -P * (L * L * L / T(420));
  const C Ne = N + R;
  e[0] = T(12) * base + T(156) * q - T(6) * Ne * L / T(5);
  e[1] = T(-6) * base - T(22) * q + Ne * L / T(10);
  e[2] = T(-12) * base + T(54) * q + T(6) * Ne * L / T(5);
  e[3] = T(6) * base - T(13) * q - Ne * L / T(10);
  e[4] = (T(4) + Phi) * base + T(4) * q - T(2) * Ne * L / T(15);
  e[5] = (T(2) - Phi) * base - T(3) * q + Ne * L / T(30);
}

}  // namespace

void bending_element(const cfloat& P, const cfloat& R, float N, float s, float EI, float Dd,
                     float L, cfloat e[6], bool static_only) {
  if (!static_only) {
    const WaveNumberSizes size = wave_number_sizes(P, R, N, s, EI, Dd, L);
    if (size.small >= kFloatWaveNumber) {
      if (bending_closed_form<float, cfloat>(P, R, N, s, EI, Dd, L, false, e)) return;
    }
    if (size.big >= kSmallWaveNumber) {
      if (bending_closed_form<double, cfloat>(P, R, N, s, EI, Dd, L, true, e)) return;
    }
  }
  static_bending_terms<float, cfloat>(P, R, N, s, EI, Dd, L, e);
}

namespace {

using cdouble = std::complex<double>;

// The terms of bending_element kept in double precision (the closed form in
// double, or the static terms with their first-order corrections).
void bending_element_double(const cfloat& Pf, const cfloat& Rf, float N, float s, float EI, float Dd, float L,
                            cdouble e[6]) {
  if (wave_number_sizes(Pf, Rf, N, s, EI, Dd, L).big >= kSmallWaveNumber &&
      bending_closed_form<double, cdouble>(Pf, Rf, N, s, EI, Dd, L, true, e))
    return;
  static_bending_terms<double, cdouble>(cdouble(Pf), cdouble(Rf), N, s, EI, Dd, L, e);
}

// Whether some element of the chain with soil along it is stiff against
// that soil (kStiffElement).  An element without soil (a free-standing part
// of the pile) has no soil's share to lose and does not call for it.
bool has_stiff_element(int n) {
  for (int j = 0; j < n; ++j) {
    const cfloat* e = w.eb[j];
    if (w.G[j] > 0.0f && std::abs(e[0] + e[2]) < kStiffElement * std::abs(e[0])) return true;
  }
  return false;
}

// The bending chain of the n elements in double precision, on the tip
// springs kh (lateral) and kr (rocking): the head shear S1 and moment M1 of a
// unit displacement, the moment M2 of a unit rotation, and the shear S3 of a
// unit displacement with the head free to rotate.
void bending_chain_double(int n, const float* L, float N, cfloat kh, cfloat kr, cfloat& S1, cfloat& M1,
                          cfloat& M2, cfloat& S3) {
  static cdouble e[kMaxElements][6];
  static cdouble a[2 * kMaxElements][2 * kMaxElements], b[2 * kMaxElements][2];
  const int n2 = 2 * n;
  for (int j = 0; j < n; ++j) bending_element_double(w.P[j], w.R[j], N, w.s[j], w.EI[j], w.Dd[j], L[j], e[j]);
  for (int i = 0; i < n2; ++i) {
    for (int j = 0; j < n2; ++j) a[i][j] = 0.0;
    b[i][0] = b[i][1] = 0.0;
  }
  for (int j = 0; j < n; ++j) {
    const cdouble* t = e[j];
    const double Lj = L[j], L2 = Lj * Lj;
    // Element matrix in the order (v_top, theta_top, v_bottom, theta_bottom).
    const cdouble km[4][4] = {{t[0] / L2, t[1] / Lj, t[2] / L2, -t[3] / Lj},
                              {t[1] / Lj, t[4], t[3] / Lj, t[5]},
                              {t[2] / L2, t[3] / Lj, t[0] / L2, -t[1] / Lj},
                              {-t[3] / Lj, t[5], -t[1] / Lj, t[4]}};
    for (int p = 0; p < 4; ++p) {
      const int row = 2 * j - 2 + p;
      if (row < 0) continue;  // the head's own equations are not solved
      for (int q = 0; q < 4; ++q) {
        const int col = 2 * j - 2 + q;
        if (col < 0)
          b[row][col + 2] -= km[p][q];  // a unit head displacement or rotation
        else
          a[row][col] += km[p][q];
      }
    }
  }
  a[n2 - 2][n2 - 2] += cdouble(kh);
  a[n2 - 1][n2 - 1] += cdouble(kr);
  for (int c = 0; c < n2; ++c) {
    int p = c;
    for (int i = c + 1; i < n2; ++i)
      if (std::abs(a[i][c]) > std::abs(a[p][c])) p = i;
    if (p != c) {
      for (int j = 0; j < n2; ++j) std::swap(a[c][j], a[p][j]);
      std::swap(b[c][0], b[p][0]);
      std::swap(b[c][1], b[p][1]);
    }
    for (int i = c + 1; i < n2; ++i) {
      const cdouble f = a[i][c] / a[c][c];
      for (int j = c; j < n2; ++j) a[i][j] -= f * a[c][j];
      b[i][0] -= f * b[c][0];
      b[i][1] -= f * b[c][1];
    }
  }
  for (int i = n2 - 1; i >= 0; --i)
    for (int k = 0; k < 2; ++k) {
      cdouble v = b[i][k];
      for (int j = i + 1; j < n2; ++j) v -= a[i][j] * b[j][k];
      b[i][k] = v / a[i][i];
    }
  const cdouble* t = e[0];
  const double L1 = L[0];
  auto shear = [&](cdouble v0, cdouble t0, cdouble v1, cdouble t1) {
    return (t[0] * v0 + t[2] * v1) / (L1 * L1) + (t[1] * t0 - t[3] * t1) / L1;
  };
  auto moment = [&](cdouble v0, cdouble t0, cdouble v1, cdouble t1) {
    return t[4] * t0 + t[5] * t1 + (t[1] * v0 + t[3] * v1) / L1;
  };
  const cdouble s1 = shear(1.0, 0.0, b[0][0], b[1][0]), m1 = moment(1.0, 0.0, b[0][0], b[1][0]);
  const cdouble s2 = shear(0.0, 1.0, b[0][1], b[1][1]), m2 = moment(0.0, 1.0, b[0][1], b[1][1]);
  const cdouble beta = -s2 / m2;
  const cdouble s3 = shear(1.0, beta, b[0][0] + beta * b[0][1], b[1][0] + beta * b[1][1]);
  S1 = cfloat(s1);
  M1 = cfloat(m1);
  M2 = cfloat(m2);
  S3 = cfloat(s3);
}

}  // namespace

void PILE_HEAD_IMPEDANCE(const int& profile, const float& gp, const float& nup,
                         const float& grav, const float& kappa, const float& E, const float& N,
                         const int& n, const int& c, const float* rhoG, const float* L,
                         const float* Vs, const float* gam, const float* nu, const float* D,
                         const float* r, const float* A, const float* I, const float* J,
                         const float& Vsb, const float& gb, const float& nub, const float& Db,
                         const float& omega, float& k_v, float& k_t, float& k_h, float& k_r,
                         float& k_c, float& k_hf, float& c_v, float& c_t, float& c_h,
                         float& c_r, float& c_c, float& c_hf, const float* weak_ratio,
                         const float* weak_nu, const float* weak_D, const float* weak_t,
                         const float& Dp, const float* rhoD, const float& omega_s,
                         const float& omega_p) {
  k_v = k_t = k_h = k_r = k_c = k_hf = 0.0f;
  c_v = c_t = c_h = c_r = c_c = c_hf = 0.0f;
  if (n < 1 || n > kMaxElements) return;

  // 1. Constants of the call.
  const float Gp = E / (2.0f * (1.0f + nup));
  const float Gb = Vsb * Vsb * gb / grav;
  const int hf = omega <= omega_s ? 1 : 0;
  const int vf = omega <= omega_p ? 1 : 0;
  const float w2 = omega * omega;

  // 2. Soil reactions per layer; every layer below a cut-off is below it.
  for (int j = 0; j < n; ++j) {
    w.G[j] = Vs[j] * Vs[j] * gam[j] / grav;
    const float a0 = w.G[j] > 0.0f ? omega * r[j] / Vs[j] : 0.0f;
    PILE_SOIL_IMPEDANCE(a0, nu[j], D[j], weak_ratio[j], weak_nu[j], weak_D[j], weak_t[j], r[j],
                        r[j], r[j], r[j], w.Su[j], w.Sw[j], w.Srx[j], w.Sry[j], w.St[j], hf, vf);
  }

  // 3. Soil below the tip.
  const float rn = r[n - 1];
  const float a0t = Vsb > 0.0f ? omega * rn / Vsb : 0.0f;
  cfloat kh, kv, krx, kry, kt;
  FOOTING_IMPEDANCE(a0t, nub, Db, rn, rn, rn, rn, kh, kv, krx, kry, kt);
  if (omega <= omega_p) {
    const float a0ref = 0.0001f;
    cfloat kh0, kv0, krx0, kry0, kt0;
    FOOTING_IMPEDANCE(a0ref, nub, Db, rn, rn, rn, rn, kh0, kv0, krx0, kry0, kt0);
    kv.imag(Db * kv0.real());
    if (omega <= omega_s) kh.imag(Db * kh0.real());
  }
  const float rn3 = rn * rn * rn;

  // 4.-7. Element terms.
  for (int j = 0; j < n; ++j) {
    const float Lj = L[j], rj = r[j], Aj = A[j], Ij = I[j], Jj = J[j], G = w.G[j];
    const bool body = profile >= 0 || j + 1 <= c;
    float m, muJ, Er, Dd, s;
    cfloat EA, GJ;
    if (body) {
      m = gp * Aj / grav;
      muJ = gp * Jj / grav;
      Er = E;
      Dd = Dp;
      EA = E * Aj * (1.0f + kI * Dp);
      GJ = Gp * Jj * (1.0f + kI * Dp);
      s = kappa / (Gp * Aj);
    } else {
      const float Gm = G * rhoG[j];
      const float Dm = D[j] * rhoD[j];
      const float Em = 2.0f * Gm * (1.0f + nu[j]);
      m = gam[j] * Aj / grav;
      muJ = gam[j] * Jj / grav;
      Er = Em;
      Dd = Dm;
      EA = Em * Aj * (1.0f + kI * Dm);
      GJ = Gm * Jj * (1.0f + kI * Dm);
      s = kappa / (Gm * Aj * (1.0f + Dm * Dm));
    }
    const cfloat ka = std::sqrt((w2 * m - G * w.Sw[j]) / EA);
    bar_element(ka, EA, Lj, w.da[j], w.oa[j]);
    const cfloat ktw = std::sqrt((w2 * muJ - rj * rj * G * w.St[j]) / GJ);
    bar_element(ktw, GJ, Lj, w.dt[j], w.ot[j]);
    const cfloat P = w2 * m - G * w.Su[j];
    const cfloat R = w2 * m * Ij / Aj - rj * rj * G * w.Srx[j];
    bending_element(P, R, N, s, Er * Ij, Dd, Lj, w.eb[j]);
    w.P[j] = P;
    w.R[j] = R;
    w.s[j] = s;
    w.EI[j] = Er * Ij;
    w.Dd[j] = Dd;
  }

  // 8. Axial and torsion chains.
  const cfloat Hv = bar_chain(w.da, w.oa, n, Gb * rn * kv);
  const cfloat Ht = bar_chain(w.dt, w.ot, n, Gb * rn3 * kt);

  // 9. Bending chain: v_k is unknown 2k-1, theta_k unknown 2k (in double
  // where an element is stiff against its soil).
  cfloat S1, M1, M2, S3;
  if (has_stiff_element(n)) {
    bending_chain_double(n, L, N, Gb * rn * kh, Gb * rn3 * krx, S1, M1, M2, S3);
  } else {
    const int n2 = 2 * n;
    std::fill(w.A, w.A + 4 * kBandLd, cfloat(0.0f, 0.0f));
    std::fill(w.B, w.B + 2 * kBandLd, cfloat(0.0f, 0.0f));
    {
      const cfloat* e = w.eb[0];
      const float L1 = L[0];
      band(w.A, 1, 1) = e[0] / (L1 * L1);
      band(w.A, 1, 2) = -e[1] / L1;
      band(w.A, 2, 2) = e[4];
      w.B[0] = e[2] / (L1 * L1);
      w.B[1] = -e[3] / L1;
      w.B[kBandLd + 0] = e[3] / L1;
      w.B[kBandLd + 1] = e[5];
    }
    for (int k = 2; k <= n; ++k) {
      const cfloat* e = w.eb[k - 1];
      const float Lk = L[k - 1];
      const float L2 = Lk * Lk;
      // Element matrix in the order (v_top, theta_top, v_bottom, theta_bottom).
      const cfloat km[4][4] = {{e[0] / L2, e[1] / Lk, e[2] / L2, -e[3] / Lk},
                               {e[1] / Lk, e[4], e[3] / Lk, e[5]},
                               {e[2] / L2, e[3] / Lk, e[0] / L2, -e[1] / Lk},
                               {-e[3] / Lk, e[5], -e[1] / Lk, e[4]}};
      const int r0 = 2 * k - 3;
      for (int a = 0; a < 4; ++a) {
        for (int b = a; b < 4; ++b) band(w.A, r0 + a, r0 + b) += km[a][b];
      }
    }
    band(w.A, n2 - 1, n2 - 1) += Gb * rn * kh;
    band(w.A, n2, n2) += Gb * rn3 * krx;
    {
      const int m = 2, width = 4;
      COMPLEX_ELIMINATION(m, n2, width, w.A, w.B);
    }
    const cfloat* e = w.eb[0];
    const float L1 = L[0];
    const cfloat v1a = -w.B[0], t1a = -w.B[1];                      // case 1
    const cfloat v1b = -w.B[kBandLd + 0], t1b = -w.B[kBandLd + 1];  // case 2
    auto shear = [&](cfloat v0, cfloat t0, cfloat v1, cfloat t1) {
      return (e[0] * v0 + e[2] * v1) / (L1 * L1) + (e[1] * t0 - e[3] * t1) / L1;
    };
    auto moment = [&](cfloat v0, cfloat t0, cfloat v1, cfloat t1) {
      return e[4] * t0 + e[5] * t1 + (e[1] * v0 + e[3] * v1) / L1;
    };
    const cfloat one(1.0f, 0.0f), zero(0.0f, 0.0f);
    S1 = shear(one, zero, v1a, t1a);
    M1 = moment(one, zero, v1a, t1a);
    const cfloat S2 = shear(zero, one, v1b, t1b);
    M2 = moment(zero, one, v1b, t1b);
    const cfloat beta = -S2 / M2;
    S3 = shear(one, beta, v1a + beta * v1b, t1a + beta * t1b);
  }

  // 10. Stiffness Re H and damping Im H / omega.
  k_v = Hv.real();
  c_v = Hv.imag() / omega;
  k_t = Ht.real();
  c_t = Ht.imag() / omega;
  k_h = S1.real();
  c_h = S1.imag() / omega;
  k_r = M2.real();
  c_r = M2.imag() / omega;
  k_c = M1.real();
  c_c = M1.imag() / omega;
  k_hf = S3.real();
  c_hf = S3.imag() / omega;
}

}  // namespace eng
