// Pile-group kernels: interaction factors and the group matrix inversion.
#include "kernels/group_factors.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <immintrin.h>

namespace eng {

namespace {

inline float clamp(float v, float lo, float hi) { return std::min(std::max(v, lo), hi); }

// Values shared by the four base fits of the vertical factor.
struct FitInput {
  float s;      // spacing ratio
  float u;      // 1/s
  float q;      // min(u, 0.3)
  float ls;     // ln s
  float lam;    // log10 K
  float B;      // max(log10 EbEs, 0)
  bool far;     // s > 10
  float t1;     // clamp(taper - 1, 0, 1)
  float t2;     // clamp(taper - 1, 0, 2)
  float w;      // min(0.5 B, 1)
};

// One base fit: V = (1 + Kt*T*M)*P, F = V - (V - Q)*W.
inline float blend(float P, float Q, float Kt, float T, float M, float W) {
  const float V = (1.0f + Kt * T * M) * P;
  return V - (V - Q) * W;
}

// Slenderness 10.
float fit10(const FitInput& f) {
  const float A = clamp(3.0f - f.lam, 0.0f, 2.0f);
  float C = 1.0f - 0.9f * std::max(f.lam - 2.0f, -1.0f);
  C = std::max(C, 0.0f);
  const float P = f.far ? (1.0f - (0.465f - 2.7f * f.u) * A) * (1.8f - 2.0f * f.u) * f.u
                        : (1.0f - ((0.06f + 0.005f * f.s) - (0.002f * f.s - 0.105f) * A) * A) *
                              (0.72f - 0.244f * f.ls);
  const float Q = f.far ? 0.0327f * f.u * C : (0.123f - 0.052f * f.ls) * C;
  const float Kt = 1.0f - (3.28f - 5.53f * f.q) * f.q;
  const float M = clamp(0.2f * f.lam + 0.4f, 0.0f, 1.0f);
  return blend(P, Q, Kt, f.t2, M, std::min(0.4f * f.B, 1.0f));
}

// Slenderness 25.
float fit25(const FitInput& f) {
  const float A = clamp(3.0f - f.lam, -0.28f, 1.73f);
  float C = 1.0f - 0.72f * std::max(f.lam - 2.0f, -0.3f);
  C = std::max(C, 0.0f);
  const float P = f.far ? (1.0f - 0.38f * A) * (3.765f - 10.2f * f.u) * f.u
                        : (1.0f - (0.255f + 0.0125f * f.s) * A) * (0.712f - 0.19f * f.ls);
  const float Q = f.far ? (0.29f + 3.8f * f.u) * f.u * C : (0.32f - 0.11f * f.ls) * C;
  const float Kt = 0.78f - (3.78f - 6.57f * f.q) * f.q;
  const float M = clamp(0.45f * (f.lam - 1.0f), 0.0f, 1.0f);
  return blend(P, Q, Kt, f.t1, M, f.w);
}

// Slenderness 50.
float fit50(const FitInput& f) {
  const float A = clamp(3.0f - f.lam, -1.32f, 1.27f);
  const float Cc = clamp(f.lam - 2.0f, -0.14f, 1.0f);
  float C = f.far ? 1.0f - 0.5f * Cc : 1.0f - (0.65f - 0.015f * f.s) * Cc;
  if (f.lam > 3.0f) C = (4.0f - f.lam) * C;
  C = std::max(C, 0.0f);
  const float P = f.far ? (1.0f - (0.47f - 1.4f * f.u) * A) * (4.4f - 15.6f * f.u) * f.u
                        : (1.0f - (0.14f + 0.019f * f.s) * A) * (0.638f - 0.154f * f.ls);
  const float Q = f.far ? (1.88f - 3.2f * f.u) * f.u * C : (0.511f - 0.154f * f.ls) * C;
  const float Kt = 0.37f - (1.51f - 2.81f * f.q) * f.q;
  const float M = clamp(0.58f * (f.lam - 1.75f), 0.0f, 1.0f);
  return blend(P, Q, Kt, f.t1, M, f.w);
}

// Slenderness 100.
float fit100(const FitInput& f) {
  const float A = clamp(3.0f - f.lam, -1.3f, 1.0f);
  const float Cc = clamp(f.lam - 2.0f, -0.3f, 1.0f);
  float C = f.far ? 1.0f - 0.07f * Cc : 1.0f - (0.31f - 0.024f * f.s) * Cc;
  if (f.lam > 3.0f) C = (4.2f - f.lam) * C / 1.2f;
  C = std::max(C, 0.0f);
  const float P =
      f.far ? (1.0f - ((0.658f - 2.46f * f.u) - (0.076f + 0.84f * f.u) * A) * A) *
                  (4.63f - 19.4f * f.u) * f.u
            : (1.0f - ((0.092f + 0.032f * f.s) - (0.195f - 0.0035f * f.s) * A) * A) *
                  (0.522f - 0.11f * f.ls);
  const float Q = f.far ? (2.04f - 2.8f * f.u) * f.u * C : (0.57f - 0.171f * f.ls) * C;
  const float Kt = 0.37f - (1.51f - 2.81f * f.q) * f.q;
  const float M = clamp(0.58f * (f.lam - 1.75f), 0.0f, 1.0f);
  return blend(P, Q, Kt, f.t1, M, f.w);
}

// Polynomial c0 + c1 a + c2 a^2 + c3 a^3 + c4 a^4.
inline float poly(float a, float c0, float c1, float c2, float c3 = 0.0f, float c4 = 0.0f) {
  return c0 + a * (c1 + a * (c2 + a * (c3 + a * c4)));
}


// static * W * exp(-i*Phi) for one evaluation; `horizontal` adds the decay of
// the amplitude beyond s = 10.
cfloat lateral_term(const LateralAnchors& k, float a0, float a, float s, float sc,
                    float static_factor, bool horizontal) {
  float W;
  INTERPOLATE_3POINT(k.y1, k.y2, k.y3, sc, W);
  if (horizontal) W = W * std::exp(-k.d * a * (s - sc));
  float phi;
  INTERPOLATE_3POINT(k.p1, k.p2, k.p3, s, phi);
  W = W * std::exp(-k.d * s * (a0 - a));
  phi = phi - k.c0 + k.g * s * (a0 - a);
  const float m = static_factor * W;
  return cfloat(m * std::cos(phi), -m * std::sin(phi));
}

}  // namespace

void STATIC_INTERACTION_FACTORS(float& alpha, const float& s, const float& LD, const float& K,
                                const float& EbEs, const float& nu, const float& taper) {
  alpha = 1.0f;
  if (s <= 0.0f) return;

  FitInput f;
  f.s = s;
  f.u = 1.0f / s;
  f.q = std::min(f.u, 0.3f);
  f.ls = std::log(s);
  f.lam = std::log10(K);
  f.B = std::max(std::log10(EbEs), 0.0f);
  f.far = s > 10.0f;
  f.t1 = clamp(taper - 1.0f, 0.0f, 1.0f);
  f.t2 = clamp(taper - 1.0f, 0.0f, 2.0f);
  f.w = std::min(0.5f * f.B, 1.0f);

  float a;
  if (LD <= 10.0f) {
    a = fit10(f);
  } else if (LD < 25.0f) {
    const float f10 = fit10(f);
    a = f10 + (LD - 10.0f) * (fit25(f) - f10) / 15.0f;
  } else if (LD < 50.0f) {
    const float f25 = fit25(f);
    a = f25 + (LD - 25.0f) * (fit50(f) - f25) / 25.0f;
  } else if (LD < 100.0f) {
    const float f50 = fit50(f);
    a = f50 + (LD - 50.0f) * (fit100(f) - f50) / 50.0f;
  } else {
    a = fit100(f);
  }
  alpha = a * (1.0f + 0.16f * (0.5f - nu) * (std::sqrt(s) - 1.0f));
}

void LATERAL_INTERACTION_FACTORS(const float& s, const float& K, const float& angle,
                                 const float& hd, float& a1, float& a2, float& a3) {
  a1 = a2 = a3 = 1.0f;
  if (s == 0.0f) return;

  static constexpr float c0[3] = {0.41f, 0.174f, 0.067f};
  static constexpr float e0[3] = {0.095f, 0.163f, 0.202f};
  static constexpr float p0[3] = {0.725f, 1.095f, 1.24f};
  static constexpr float c90[3] = {0.203f, 0.05f, 0.02f};
  static constexpr float e90[3] = {0.134f, 0.25f, 0.271f};
  static constexpr float p90[3] = {0.838f, 1.315f, 1.42f};

  const float u = 1.0f / s;
  const float cs = std::cos(angle);
  const float sn = std::sin(angle);
  float a[3];
  for (int k = 0; k < 3; ++k) {
    float w0, w90;
    if (k == 0 && u < 0.2f) {
      // Beyond s = 5 the first factor falls off as 5/s from its value at 5.
      w0 = c0[k] * std::pow(K, e0[k]) * std::pow(0.2f, p0[k]) * u / 0.2f;
      w90 = c90[k] * std::pow(K, e90[k]) * std::pow(0.2f, p90[k]) * u / 0.2f;
    } else {
      w0 = c0[k] * std::pow(K, e0[k]) * std::pow(u, p0[k]);
      w90 = c90[k] * std::pow(K, e90[k]) * std::pow(u, p90[k]);
    }
    a[k] = cs * cs * w0 + sn * sn * w90;
    if (hd != 0.0f) a[k] = a[k] * (1.0f - hd / 8.0f);
  }
  a1 = a[0];
  a2 = a[1];
  a3 = a[2];
}

void INTERPOLATE_3POINT(const float& y1, const float& y2, const float& y3, const float& x,
                        float& y) {
  if (x <= 5.0f) {
    y = y1 + (y2 - y1) * (x - 2.0f) / 3.0f;
  } else {
    y = y2 + (y3 - y2) * (x - 5.0f) / 5.0f;
  }
}

void VERTICAL_FACTOR_AT_FREQUENCY(const float& a0, const float& s, const float& alpha_static,
                                  cfloat& alpha) {
  PairFactorFrequency f;
  PAIR_FACTOR_FREQUENCY(a0, f);
  VERTICAL_PAIR_FACTOR(f, s, alpha_static, alpha);
}

void LATERAL_FACTOR_AT_FREQUENCY(const float& a0, const float& s, const float& angle,
                                 const float& A1, const float& A2, const float& A3,
                                 const float& B1, const float& B2, const float& B3,
                                 cfloat& horizontal, cfloat& coupling, cfloat& rotation) {
  PairFactorFrequency f;
  PAIR_FACTOR_FREQUENCY(a0, f);
  cfloat terms[6];
  LATERAL_PAIR_TERMS(f, s, A1, A2, A3, B1, B2, B3, terms);
  LATERAL_PLANE_FACTORS(terms, angle, horizontal, coupling, rotation);
}

void PAIR_FACTOR_FREQUENCY(const float& a0, PairFactorFrequency& f) {
  // Vertical: exactly the a0-only steps of VERTICAL_FACTOR_AT_FREQUENCY.
  {
    const float a = std::min(a0, 1.0f);
    f.va = a;
    f.e1 = std::exp(0.24f * a * a - 0.42f * a);
    f.e2 = std::exp(0.35f * a * a - 0.74f * a);
    f.e3 = std::exp(-0.5f * a);
    if (a <= 0.25f) {
      f.p1 = 3.786f * a - 5.2f * a * a;
      f.p2 = 7.2f * a - 5.54f * a * a;
      f.p3 = 12.29f * a - 3.31f * a * a;
    } else {
      const float b = a - 0.25f;
      f.p1 = 0.6215f + 1.7f * b;
      f.p2 = 1.45375f + 4.7f * b;
      f.p3 = 2.865625f + 9.78f * b;
    }
  }
  // Lateral: exactly the a0-only steps of LATERAL_FACTOR_AT_FREQUENCY.
  const float a = std::min(a0, 1.0f);
  const float b = a - 0.25f;
  f.a0 = a0;
  f.a = a;
  float h0p3;
  if (a < 0.6f) {
    h0p3 = 5.54f * a;
  } else if (a <= 0.9f) {
    h0p3 = 3.324f + 6.571f * (a - 0.6f);
  } else {
    h0p3 = 5.2953f + 0.867f * (a - 0.9f);
  }
  const float h90p3 = a <= 0.5f ? 9.934f * a : 4.967f + 9.244f * (a - 0.5f);
  const float h90y2 = poly(a, 1.0f, -0.84f, 4.725f, -3.125f);
  f.anchors[0] = {poly(a, 1.0f, 0.424f, -0.362f),
                  poly(a, 1.0f, 0.135f, 0.495f, -0.878f),
                  poly(a, 1.0f, -0.876f, 2.23f, -2.13f),
                  1.082f * a, 2.9f * a, h0p3, 0.028f, 0.0757f, 0.554f};
  f.anchors[1] = {poly(a, 1.0f, 0.442f, -0.144f), h90y2, h90y2,
                  1.976f * a, 4.886f * a, h90p3, 0.05f, 0.0757f, 1.0f};
  f.anchors[2] = {poly(a, 1.0f, 0.16f, 5.45f, -10.54f, 5.35f),
                  poly(a, 1.0f, -0.11f, 11.55f, -20.84f, 10.0f),
                  poly(a, 1.0f, 0.53f, 14.99f, -23.69f, 8.22f),
                  poly(a, 0.0f, 0.078f, 1.554f, -0.57f),
                  poly(a, 0.0f, 0.565f, 4.203f, -1.92f),
                  poly(a, 0.0f, 1.798f, 6.913f, -3.027f),
                  0.028f, 0.05157f, 0.554f};
  f.anchors[3] = {poly(a, 1.0f, 0.098f, 7.95f, -13.95f, 6.71f),
                  poly(a, 1.0f, 1.47f, 8.73f, -6.89f),
                  poly(a, 1.0f, -1.56f, 27.63f, -20.57f),
                  b <= 0.0f ? poly(a, 0.0f, 0.12f, 2.62f) : 0.19375f + 2.21f * b,
                  b <= 0.0f ? poly(a, 0.0f, 0.83f, 9.56f) : 0.805f + 5.5f * b,
                  b <= 0.0f ? poly(a, 0.0f, 0.85f, 28.4f) : 1.9875f + 9.77f * b,
                  0.05f, 0.05157f, 1.0f};
  f.anchors[4] = {poly(a, 1.0f, -0.055f, 4.995f, -8.835f, 4.22f),
                  poly(a, 1.0f, -0.19f, 12.48f, -22.9f, 11.19f),
                  poly(a, 1.0f, 1.785f, 4.16f, -5.21f),
                  poly(a, 0.0f, -0.037f, 1.846f, -0.77f),
                  poly(a, 0.0f, 0.112f, 5.025f, -2.481f),
                  poly(a, 0.0f, 0.352f, 8.583f, -3.72f),
                  0.028f, 0.02596f, 0.554f};
  f.anchors[5] = {poly(a, 1.0f, 0.69f, 5.48f, -9.82f, 4.42f),
                  poly(a, 1.0f, 0.572f, 13.12f, -12.82f, 2.46f),
                  poly(a, 1.0f, -2.14f, 25.3f, -17.35f),
                  b <= 0.0f ? 2.67f * a * a : 0.166875f + 2.29f * b,
                  b <= 0.0f ? poly(a, 0.0f, 0.34f, 8.03f) : 0.586875f + 5.69f * b,
                  b <= 0.0f ? poly(a, 0.0f, -0.52f, 27.24f) : 1.5725f + 10.17f * b,
                  0.05f, 0.02596f, 1.0f};
}

void VERTICAL_PAIR_FACTOR(const PairFactorFrequency& f, const float& s, const float& alpha_static,
                          cfloat& alpha) {
  const float a0 = f.a0;
  const float a = f.va;
  float W;
  if (s <= 10.0f) {
    INTERPOLATE_3POINT(f.e1, f.e2, f.e3, s, W);
  } else {
    W = std::exp(-0.05f * s * a);
  }
  float phi;
  INTERPOLATE_3POINT(f.p1, f.p2, f.p3, s, phi);
  W = W * std::exp(-0.05f * s * (a0 - a));
  phi = phi - 0.0936f + s * (a0 - a);
  const float m = alpha_static * W;
  alpha = cfloat(m * std::cos(phi), -m * std::sin(phi));
}

void LATERAL_PAIR_TERMS(const PairFactorFrequency& f, const float& s, const float& A1,
                        const float& A2, const float& A3, const float& B1, const float& B2,
                        const float& B3, cfloat terms[6]) {
  const float sc = std::min(s, 10.0f);
  const float statics[6] = {A1, B1, A2, B2, A3, B3};
  for (int t = 0; t < 6; ++t)
    terms[t] = lateral_term(f.anchors[t], f.a0, f.a, s, sc, statics[t], t < 2);
}

void LATERAL_PLANE_FACTORS(const cfloat terms[6], const float& angle, cfloat& horizontal,
                           cfloat& coupling, cfloat& rotation) {
  const float c2 = std::cos(angle) * std::cos(angle);
  const float s2 = std::sin(angle) * std::sin(angle);
  horizontal = c2 * terms[0] + s2 * terms[1];
  coupling = c2 * terms[2] + s2 * terms[3];
  rotation = c2 * terms[4] + s2 * terms[5];
}

namespace {

// y(f) -= a(f)*cr + b(f)*ci over the interleaved parts f = lo .. hi-1 of a
// complex column: with a = (tr, ti) and b = (-ti, tr) this is y -= t*c in the
// real arithmetic (re: tr cr - ti ci, im: ti cr + tr ci), in contiguous
// floats, eight at a time (the same operations on every lane).  Built for
// AVX2 as well (no fused multiply-add).  update_column_body is the same in
// line, for callers that are built for AVX2 themselves.
inline void update_column_body(float* __restrict y, const float* __restrict a, const float* __restrict b,
                               float cr, float ci, int lo, int hi) {
  typedef float Float8 __attribute__((vector_size(32)));
  const Float8 vr = {cr, cr, cr, cr, cr, cr, cr, cr};
  const Float8 vi = {ci, ci, ci, ci, ci, ci, ci, ci};
  int f = lo;
  for (; f + 16 <= hi; f += 16) {
    Float8 y0, y1, a0, a1, b0, b1;
    std::memcpy(&y0, y + f, 32);
    std::memcpy(&y1, y + f + 8, 32);
    std::memcpy(&a0, a + f, 32);
    std::memcpy(&a1, a + f + 8, 32);
    std::memcpy(&b0, b + f, 32);
    std::memcpy(&b1, b + f + 8, 32);
    y0 -= a0 * vr + b0 * vi;
    y1 -= a1 * vr + b1 * vi;
    std::memcpy(y + f, &y0, 32);
    std::memcpy(y + f + 8, &y1, 32);
  }
  for (; f + 8 <= hi; f += 8) {
    Float8 y0, a0, b0;
    std::memcpy(&y0, y + f, 32);
    std::memcpy(&a0, a + f, 32);
    std::memcpy(&b0, b + f, 32);
    y0 -= a0 * vr + b0 * vi;
    std::memcpy(y + f, &y0, 32);
  }
  for (; f < hi; ++f) y[f] -= a[f] * cr + b[f] * ci;
}

__attribute__((target_clones("avx2", "default")))
void update_column(float* __restrict y, const float* __restrict a, const float* __restrict b,
                   float cr, float ci, int lo, int hi) {
  update_column_body(y, a, b, cr, ci, lo, hi);
}

}  // namespace

void invert_complex_matrix_stepwise(cfloat* A, const int& lda, const int& n, const int& slice) {
  // Multipliers of the current step (column k before it is cleared), as the
  // interleaved pairs (tr, ti) and (-ti, tr), in slices of kSlice rows.
  constexpr int kMaxSlice = 2048;
  static float ta[2 * kMaxSlice];
  static float tb[2 * kMaxSlice];
  const int kSlice = std::clamp(slice, 1, kMaxSlice);
  const long ld = lda;
  const int nn = n;
  for (int k = 0; k < nn; ++k) {
    cfloat* colk = A + k * ld;
    // Pivot row: A(k,k) := 1, then the row is divided by the pivot.
    const cfloat p = colk[k];
    colk[k] = cfloat(1.0f, 0.0f);
    for (int j = 0; j < nn; ++j) {
      cfloat& x = A[j * ld + k];
      x = complex_divide(x, p);
    }
    // Row i -= t(i) * row k for every row i != k, with t(i) = A(i,k) taken
    // before column k is cleared; column by column, in slices of rows.
    for (int i0 = 0; i0 < nn; i0 += kSlice) {
      const int i1 = std::min(nn, i0 + kSlice);
      for (int i = i0; i < i1; ++i) {
        const float tr = colk[i].real(), ti = colk[i].imag();
        ta[2 * (i - i0)] = tr;
        ta[2 * (i - i0) + 1] = ti;
        tb[2 * (i - i0)] = -ti;
        tb[2 * (i - i0) + 1] = tr;
        if (i != k) colk[i] = cfloat(0.0f, 0.0f);
      }
      // Rows of the slice other than k, as float offsets from row i0.
      const int lo1 = 0;
      const int hi1 = 2 * (std::clamp(k, i0, i1) - i0);
      const int lo2 = 2 * (std::clamp(k + 1, i0, i1) - i0);
      const int hi2 = 2 * (i1 - i0);
      for (int j = 0; j < nn; ++j) {
        float* col = reinterpret_cast<float*>(A + j * ld);
        const float cr = col[2 * k];
        const float ci = col[2 * k + 1];
        float* y = col + 2 * i0;
        update_column(y, ta, tb, cr, ci, lo1, hi1);
        update_column(y, ta, tb, cr, ci, lo2, hi2);
      }
    }
  }
}

namespace {

// Blocked Gauss-Jordan with the same operations on every element in the
// same order.  For a block K of kBlock steps, the steps are first carried
// out on the rows and columns of K only (the panels), keeping each step's
// multipliers t(i) (column k before it is cleared) and divided pivot row
// r(j); then every element outside the panels receives its kBlock updates
// y -= t(i) r(j), in step order, while it stays in registers.
constexpr int kBlock = 16;
constexpr int kBlockedMaxOrder = 2048;
constexpr int kRowTile = 128;  // floats (64 complex rows) per tile

struct alignas(64) BlockWork {
  // Multipliers of the current step, (tr, ti) and (-ti, tr) per row.
  float ta[2 * kBlockedMaxOrder];
  float tb[2 * kBlockedMaxOrder];
  // The same for all steps of the block, in chunks of 8 floats with the
  // steps of a chunk side by side: float f of step k at [f/8][k][f%8].
  float tac[2 * kBlockedMaxOrder / 8][kBlock][8];
  float tbc[2 * kBlockedMaxOrder / 8][kBlock][8];
  // The same in chunks of 16 floats, for the AVX-512 kernel.
  float tac16[2 * kBlockedMaxOrder / 16][kBlock][16];
  float tbc16[2 * kBlockedMaxOrder / 16][kBlock][16];
  float rr[kBlockedMaxOrder][kBlock];  // Re r(j) per column
  float ri[kBlockedMaxOrder][kBlock];  // Im r(j) per column
};
BlockWork bw;

inline float chunk_a(int k, int f) { return bw.tac[f >> 3][k][f & 7]; }
inline float chunk_b(int k, int f) { return bw.tbc[f >> 3][k][f & 7]; }

// The kb updates of rows f = lo .. hi-1 (floats; lo a multiple of 8) of the
// two columns y0, y1 (columns j0, j1) or, with y1 null, of y0 alone.  Built
// for AVX2 as well where the processor has it (the same operations: no
// fused multiply-add).
__attribute__((target_clones("avx2", "default")))
void trailing_update(float* __restrict y0, float* __restrict y1, int j0, int j1, int kb, int lo,
                     int hi) {
  typedef float Float8 __attribute__((vector_size(32)));
  int f = lo;
  if (y1 != nullptr) {
    for (; f + 16 <= hi; f += 16) {
      Float8 u0, u1, w0, w1;
      std::memcpy(&u0, y0 + f, 32);
      std::memcpy(&w0, y0 + f + 8, 32);
      std::memcpy(&u1, y1 + f, 32);
      std::memcpy(&w1, y1 + f + 8, 32);
      const float(*ac)[8] = bw.tac[f >> 3];
      const float(*bc)[8] = bw.tbc[f >> 3];
      const float(*ac2)[8] = bw.tac[(f >> 3) + 1];
      const float(*bc2)[8] = bw.tbc[(f >> 3) + 1];
      for (int k = 0; k < kb; ++k) {
        Float8 a, b, a2, b2;
        std::memcpy(&a, ac[k], 32);
        std::memcpy(&b, bc[k], 32);
        std::memcpy(&a2, ac2[k], 32);
        std::memcpy(&b2, bc2[k], 32);
        const float cr0 = bw.rr[j0][k], ci0 = bw.ri[j0][k];
        const float cr1 = bw.rr[j1][k], ci1 = bw.ri[j1][k];
        const Float8 vr0 = {cr0, cr0, cr0, cr0, cr0, cr0, cr0, cr0};
        const Float8 vi0 = {ci0, ci0, ci0, ci0, ci0, ci0, ci0, ci0};
        const Float8 vr1 = {cr1, cr1, cr1, cr1, cr1, cr1, cr1, cr1};
        const Float8 vi1 = {ci1, ci1, ci1, ci1, ci1, ci1, ci1, ci1};
        u0 -= a * vr0 + b * vi0;
        w0 -= a2 * vr0 + b2 * vi0;
        u1 -= a * vr1 + b * vi1;
        w1 -= a2 * vr1 + b2 * vi1;
      }
      std::memcpy(y0 + f, &u0, 32);
      std::memcpy(y0 + f + 8, &w0, 32);
      std::memcpy(y1 + f, &u1, 32);
      std::memcpy(y1 + f + 8, &w1, 32);
    }
    for (; f + 8 <= hi; f += 8) {
      Float8 u0, u1;
      std::memcpy(&u0, y0 + f, 32);
      std::memcpy(&u1, y1 + f, 32);
      const float(*ac)[8] = bw.tac[f >> 3];
      const float(*bc)[8] = bw.tbc[f >> 3];
      for (int k = 0; k < kb; ++k) {
        Float8 a, b;
        std::memcpy(&a, ac[k], 32);
        std::memcpy(&b, bc[k], 32);
        const float cr0 = bw.rr[j0][k], ci0 = bw.ri[j0][k];
        const float cr1 = bw.rr[j1][k], ci1 = bw.ri[j1][k];
        const Float8 vr0 = {cr0, cr0, cr0, cr0, cr0, cr0, cr0, cr0};
        const Float8 vi0 = {ci0, ci0, ci0, ci0, ci0, ci0, ci0, ci0};
        const Float8 vr1 = {cr1, cr1, cr1, cr1, cr1, cr1, cr1, cr1};
        const Float8 vi1 = {ci1, ci1, ci1, ci1, ci1, ci1, ci1, ci1};
        u0 -= a * vr0 + b * vi0;
        u1 -= a * vr1 + b * vi1;
      }
      std::memcpy(y0 + f, &u0, 32);
      std::memcpy(y1 + f, &u1, 32);
    }
    for (; f < hi; ++f) {
      for (int k = 0; k < kb; ++k) {
        y0[f] -= chunk_a(k, f) * bw.rr[j0][k] + chunk_b(k, f) * bw.ri[j0][k];
        y1[f] -= chunk_a(k, f) * bw.rr[j1][k] + chunk_b(k, f) * bw.ri[j1][k];
      }
    }
    return;
  }
  for (; f + 8 <= hi; f += 8) {
    Float8 u;
    std::memcpy(&u, y0 + f, 32);
    const float(*ac)[8] = bw.tac[f >> 3];
    const float(*bc)[8] = bw.tbc[f >> 3];
    for (int k = 0; k < kb; ++k) {
      Float8 a, b;
      std::memcpy(&a, ac[k], 32);
      std::memcpy(&b, bc[k], 32);
      const float cr = bw.rr[j0][k], ci = bw.ri[j0][k];
      const Float8 vr = {cr, cr, cr, cr, cr, cr, cr, cr};
      const Float8 vi = {ci, ci, ci, ci, ci, ci, ci, ci};
      u -= a * vr + b * vi;
    }
    std::memcpy(y0 + f, &u, 32);
  }
  for (; f < hi; ++f) {
    for (int k = 0; k < kb; ++k) {
      y0[f] -= chunk_a(k, f) * bw.rr[j0][k] + chunk_b(k, f) * bw.ri[j0][k];
    }
  }
}

// The kb updates of rows f = lo .. hi-1 (floats; lo a multiple of 8) of the
// four columns y[0..3] (columns j[0..3]): the multipliers of each step are
// loaded once for the four.  Rows left over from the 16-float tiles go to
// trailing_update.
__attribute__((target_clones("avx2", "default")))
void trailing_update4(float* __restrict y0, float* __restrict y1, float* __restrict y2,
                      float* __restrict y3, const int* j, int kb, int lo, int hi) {
  typedef float Float8 __attribute__((vector_size(32)));
  const float* rr0 = bw.rr[j[0]];
  const float* ri0 = bw.ri[j[0]];
  const float* rr1 = bw.rr[j[1]];
  const float* ri1 = bw.ri[j[1]];
  const float* rr2 = bw.rr[j[2]];
  const float* ri2 = bw.ri[j[2]];
  const float* rr3 = bw.rr[j[3]];
  const float* ri3 = bw.ri[j[3]];
  int f = lo;
  for (; f + 16 <= hi; f += 16) {
    Float8 u0, u1, u2, u3, w0, w1, w2, w3;
    std::memcpy(&u0, y0 + f, 32);
    std::memcpy(&w0, y0 + f + 8, 32);
    std::memcpy(&u1, y1 + f, 32);
    std::memcpy(&w1, y1 + f + 8, 32);
    std::memcpy(&u2, y2 + f, 32);
    std::memcpy(&w2, y2 + f + 8, 32);
    std::memcpy(&u3, y3 + f, 32);
    std::memcpy(&w3, y3 + f + 8, 32);
    const float(*ac)[8] = bw.tac[f >> 3];
    const float(*bc)[8] = bw.tbc[f >> 3];
    const float(*ac2)[8] = bw.tac[(f >> 3) + 1];
    const float(*bc2)[8] = bw.tbc[(f >> 3) + 1];
    for (int k = 0; k < kb; ++k) {
      Float8 a, b, a2, b2;
      std::memcpy(&a, ac[k], 32);
      std::memcpy(&b, bc[k], 32);
      std::memcpy(&a2, ac2[k], 32);
      std::memcpy(&b2, bc2[k], 32);
      {
        const Float8 vr = {rr0[k], rr0[k], rr0[k], rr0[k], rr0[k], rr0[k], rr0[k], rr0[k]};
        const Float8 vi = {ri0[k], ri0[k], ri0[k], ri0[k], ri0[k], ri0[k], ri0[k], ri0[k]};
        u0 -= a * vr + b * vi;
        w0 -= a2 * vr + b2 * vi;
      }
      {
        const Float8 vr = {rr1[k], rr1[k], rr1[k], rr1[k], rr1[k], rr1[k], rr1[k], rr1[k]};
        const Float8 vi = {ri1[k], ri1[k], ri1[k], ri1[k], ri1[k], ri1[k], ri1[k], ri1[k]};
        u1 -= a * vr + b * vi;
        w1 -= a2 * vr + b2 * vi;
      }
      {
        const Float8 vr = {rr2[k], rr2[k], rr2[k], rr2[k], rr2[k], rr2[k], rr2[k], rr2[k]};
        const Float8 vi = {ri2[k], ri2[k], ri2[k], ri2[k], ri2[k], ri2[k], ri2[k], ri2[k]};
        u2 -= a * vr + b * vi;
        w2 -= a2 * vr + b2 * vi;
      }
      {
        const Float8 vr = {rr3[k], rr3[k], rr3[k], rr3[k], rr3[k], rr3[k], rr3[k], rr3[k]};
        const Float8 vi = {ri3[k], ri3[k], ri3[k], ri3[k], ri3[k], ri3[k], ri3[k], ri3[k]};
        u3 -= a * vr + b * vi;
        w3 -= a2 * vr + b2 * vi;
      }
    }
    std::memcpy(y0 + f, &u0, 32);
    std::memcpy(y0 + f + 8, &w0, 32);
    std::memcpy(y1 + f, &u1, 32);
    std::memcpy(y1 + f + 8, &w1, 32);
    std::memcpy(y2 + f, &u2, 32);
    std::memcpy(y2 + f + 8, &w2, 32);
    std::memcpy(y3 + f, &u3, 32);
    std::memcpy(y3 + f + 8, &w3, 32);
  }
  if (f < hi) {
    trailing_update(y0, y1, j[0], j[1], kb, f, hi);
    trailing_update(y2, y3, j[2], j[3], kb, f, hi);
  }
}

// trailing_update4 with 16-float AVX-512 vectors: each register holds rows
// f .. f+15 of a column, that is the two 8-float halves trailing_update4
// keeps apart, and every float receives the same multiply, multiply, add and
// subtract in the same order (no fused multiply-add: the engine is built
// with -ffp-contract=off and these are separate instructions).
__attribute__((target("avx512f,avx512dq")))
void trailing_update4_avx512(float* __restrict y0, float* __restrict y1, float* __restrict y2,
                             float* __restrict y3, const int* j, int kb, int lo, int hi) {
  const float* rr0 = bw.rr[j[0]];
  const float* ri0 = bw.ri[j[0]];
  const float* rr1 = bw.rr[j[1]];
  const float* ri1 = bw.ri[j[1]];
  const float* rr2 = bw.rr[j[2]];
  const float* ri2 = bw.ri[j[2]];
  const float* rr3 = bw.rr[j[3]];
  const float* ri3 = bw.ri[j[3]];
#define TREMEX_HALVES(lo8, hi8) \
  _mm512_insertf32x8(_mm512_castps256_ps512(_mm256_loadu_ps(lo8)), _mm256_loadu_ps(hi8), 1)
#define TREMEX_STEP(y, a, b, cr, ci) \
  _mm512_sub_ps(y, _mm512_add_ps(_mm512_mul_ps(a, _mm512_set1_ps(cr)), _mm512_mul_ps(b, _mm512_set1_ps(ci))))
  int f = lo;
  // Rows starting on a 16-float chunk (the usual case) read the multipliers
  // as whole 16-float chunks.
  for (; f + 16 <= hi && (f & 15) == 0; f += 16) {
    __m512 u0 = _mm512_loadu_ps(y0 + f);
    __m512 u1 = _mm512_loadu_ps(y1 + f);
    __m512 u2 = _mm512_loadu_ps(y2 + f);
    __m512 u3 = _mm512_loadu_ps(y3 + f);
    const float(*ac)[16] = bw.tac16[f >> 4];
    const float(*bc)[16] = bw.tbc16[f >> 4];
    for (int k = 0; k < kb; ++k) {
      const __m512 a = _mm512_loadu_ps(ac[k]);
      const __m512 b = _mm512_loadu_ps(bc[k]);
      u0 = TREMEX_STEP(u0, a, b, rr0[k], ri0[k]);
      u1 = TREMEX_STEP(u1, a, b, rr1[k], ri1[k]);
      u2 = TREMEX_STEP(u2, a, b, rr2[k], ri2[k]);
      u3 = TREMEX_STEP(u3, a, b, rr3[k], ri3[k]);
    }
    _mm512_storeu_ps(y0 + f, u0);
    _mm512_storeu_ps(y1 + f, u1);
    _mm512_storeu_ps(y2 + f, u2);
    _mm512_storeu_ps(y3 + f, u3);
  }
  for (; f + 16 <= hi; f += 16) {
    __m512 u0 = _mm512_loadu_ps(y0 + f);
    __m512 u1 = _mm512_loadu_ps(y1 + f);
    __m512 u2 = _mm512_loadu_ps(y2 + f);
    __m512 u3 = _mm512_loadu_ps(y3 + f);
    const float(*ac)[8] = bw.tac[f >> 3];
    const float(*bc)[8] = bw.tbc[f >> 3];
    const float(*ac2)[8] = bw.tac[(f >> 3) + 1];
    const float(*bc2)[8] = bw.tbc[(f >> 3) + 1];
    for (int k = 0; k < kb; ++k) {
      const __m512 a = TREMEX_HALVES(ac[k], ac2[k]);
      const __m512 b = TREMEX_HALVES(bc[k], bc2[k]);
      u0 = TREMEX_STEP(u0, a, b, rr0[k], ri0[k]);
      u1 = TREMEX_STEP(u1, a, b, rr1[k], ri1[k]);
      u2 = TREMEX_STEP(u2, a, b, rr2[k], ri2[k]);
      u3 = TREMEX_STEP(u3, a, b, rr3[k], ri3[k]);
    }
    _mm512_storeu_ps(y0 + f, u0);
    _mm512_storeu_ps(y1 + f, u1);
    _mm512_storeu_ps(y2 + f, u2);
    _mm512_storeu_ps(y3 + f, u3);
  }
#undef TREMEX_HALVES
#undef TREMEX_STEP
  if (f < hi) {
    trailing_update(y0, y1, j[0], j[1], kb, f, hi);
    trailing_update(y2, y3, j[2], j[3], kb, f, hi);
  }
}

bool cpu_has_avx512() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
}

// Whether the AVX-512 kernel is used: where the processor has it, unless a
// test switched it off.
const bool kHasAvx512 = cpu_has_avx512();
std::atomic<bool> use_avx512{kHasAvx512};

// The updates of the columns j[0 .. m-1], four, two or one at a time.
template <class Column>
void trailing_columns(Column colf, const int* j, int m, int kb, int lo, int hi) {
  int c = 0;
  if (use_avx512.load(std::memory_order_relaxed)) {
    for (; c + 4 <= m; c += 4) {
      trailing_update4_avx512(colf(j[c]), colf(j[c + 1]), colf(j[c + 2]), colf(j[c + 3]), j + c, kb, lo, hi);
    }
  }
  for (; c + 4 <= m; c += 4) {
    trailing_update4(colf(j[c]), colf(j[c + 1]), colf(j[c + 2]), colf(j[c + 3]), j + c, kb, lo, hi);
  }
  for (; c + 2 <= m; c += 2) trailing_update(colf(j[c]), colf(j[c + 1]), j[c], j[c + 1], kb, lo, hi);
  if (c < m) trailing_update(colf(j[c]), nullptr, j[c], j[c], kb, lo, hi);
}

// Built for AVX2 as well, with the column updates of the panels in line
// (most of them cover a few rows only, where a call costs more than the work).
__attribute__((target_clones("avx2", "default")))
void invert_blocked(cfloat* A, long ld, int nn) {
  auto colf = [&](int j) { return reinterpret_cast<float*>(A + j * ld); };
  for (int k0 = 0; k0 < nn; k0 += kBlock) {
    const int k1 = std::min(nn, k0 + kBlock);
    const int kb = k1 - k0;

    // Panels: the kb steps on the rows and the columns of the block.
    for (int k = k0; k < k1; ++k) {
      const int kk = k - k0;
      cfloat* colk = A + k * ld;
      const cfloat p = colk[k];
      colk[k] = cfloat(1.0f, 0.0f);
      for (int j = 0; j < nn; ++j) {
        cfloat& x = A[j * ld + k];
        x = complex_divide(x, p);
        bw.rr[j][kk] = x.real();
        bw.ri[j][kk] = x.imag();
      }
      float* ta = bw.ta;
      float* tb = bw.tb;
      for (int i = 0; i < nn; ++i) {
        const float tr = colk[i].real(), ti = colk[i].imag();
        ta[2 * i] = tr;
        ta[2 * i + 1] = ti;
        tb[2 * i] = -ti;
        tb[2 * i + 1] = tr;
        if (i != k) colk[i] = cfloat(0.0f, 0.0f);
      }
      for (int f = 0; f < 2 * nn; ++f) {
        bw.tac[f >> 3][kk][f & 7] = ta[f];
        bw.tbc[f >> 3][kk][f & 7] = tb[f];
        bw.tac16[f >> 4][kk][f & 15] = ta[f];
        bw.tbc16[f >> 4][kk][f & 15] = tb[f];
      }
      // Columns of the block: every row but k.
      for (int j = k0; j < k1; ++j) {
        float* col = colf(j);
        const float cr = col[2 * k], ci = col[2 * k + 1];
        update_column_body(col, ta, tb, cr, ci, 0, 2 * k);
        update_column_body(col, ta, tb, cr, ci, 2 * k + 2, 2 * nn);
      }
      // Rows of the block (but k) in the other columns.
      for (int j = 0; j < nn; ++j) {
        if (j == k0) j = k1;
        if (j >= nn) break;
        float* col = colf(j);
        const float cr = col[2 * k], ci = col[2 * k + 1];
        update_column_body(col, ta, tb, cr, ci, 2 * k0, 2 * k);
        update_column_body(col, ta, tb, cr, ci, 2 * k + 2, 2 * k1);
      }
    }

    // Everything else: rows and columns outside the block.
    const int ranges[2][2] = {{0, 2 * k0}, {2 * k1, 2 * nn}};
    for (const auto& range : ranges) {
      for (int t0 = range[0]; t0 < range[1]; t0 += kRowTile) {
        const int t1 = std::min(range[1], t0 + kRowTile);
        int js[4];
        int m = 0;  // columns waiting for their partners
        for (int j = 0; j < nn; ++j) {
          if (j == k0) j = k1;
          if (j >= nn) break;
          js[m++] = j;
          if (m == 4) {
            trailing_columns(colf, js, m, kb, t0, t1);
            m = 0;
          }
        }
        trailing_columns(colf, js, m, kb, t0, t1);
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Threads
//
// A large inversion is shared by a team: the calling thread (member 0) and
// up to kMaxThreads - 1 helper threads, created at the first inversion that
// asks for them and then kept, waiting, for the later ones (nothing is
// allocated once they exist).  The team is a static object of the library:
// its destructor, run when the program exits or when the engine library is
// unloaded, stops and joins the helpers, so that none is left running in
// code that is about to be unmapped.  Members wait by spinning for a few
// microseconds, then by yielding the processor a number of times (on a busy
// machine the member they wait for may be the one that gets it), and then
// block on a condition variable, so an idle team costs no processor time.  Should the library stay loaded after all, the helpers
// stay asleep until the program ends.  One inversion runs at a time (the
// engine is single-threaded; the work areas above are static as well).

constexpr int kMaxThreads = 64;
constexpr int kThreadedMinOrder = 64;
// Where a team pays (INVERT_COMPLEX_MATRIX): measured on an 8-processor
// machine busy with other work, where a member the system holds back stalls
// the others at every barrier, two threads first beat one at order 500 and
// more than one member per 250 columns never paid.
constexpr int kTeamPaysOrder = 500;
constexpr int kTeamColumnsPerMember = 250;
constexpr int kMinColumnsPerMember = 16;
constexpr int kSpin = 256;    // pauses, some microseconds
constexpr int kYields = 64;
constexpr int kGroupColumns = 16;

inline void cpu_relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

class Team {
 public:
  using Body = void (*)(void* ctx, int member, int count);

  Team() = default;
  Team(const Team&) = delete;
  Team& operator=(const Team&) = delete;
  ~Team() {
    if (helpers_.empty()) return;
    stop_.store(true);
    publish(job_, job_.load() + kJobStep);
    for (std::thread& t : helpers_) t.join();
  }

  // The number of members (at most `count`) a run can have: helpers are
  // created as needed; when the system refuses one, fewer take part.
  int reserve(int count) {
    count = std::clamp(count, 1, kMaxThreads);
    if (helpers_.capacity() == 0) helpers_.reserve(kMaxThreads - 1);
    while (static_cast<int>(helpers_.size()) < count - 1) {
      const int member = static_cast<int>(helpers_.size()) + 1;
      try {
        helpers_.emplace_back(&Team::help, this, member, job_.load());
      } catch (...) {  // no more threads: fewer members
        break;
      }
    }
    return std::min(count, static_cast<int>(helpers_.size()) + 1);
  }

  // body(ctx, m, count) on members m = 0 .. count-1 (count from reserve),
  // member 0 on the calling thread; returns when all have finished.  The
  // helpers run with the caller's floating-point environment, and the
  // exception flags they raise are raised in the caller afterwards.
  void run(int count, Body body, void* ctx) {
    if (count <= 1) {
      body(ctx, 0, 1);
      return;
    }
    body_ = body;
    ctx_ = ctx;
    fegetenv(&env_);
    flags_.store(0);
    publish(job_, (job_.load() & ~kCountMask) + kJobStep + static_cast<unsigned>(count));
    body(ctx, 0, count);
    sync(count);
    const int extra = flags_.load() & ~fetestexcept(FE_ALL_EXCEPT);
    // Only masked exceptions can be among them: an unmasked one would have
    // trapped in the helper.
    if (extra != 0) feraiseexcept(extra);
  }

  // Barrier of the `count` members of the current run.
  void sync(int count) {
    if (count <= 1) return;
    const unsigned phase = phase_.load(std::memory_order_acquire);
    if (arrived_.fetch_add(1, std::memory_order_acq_rel) + 1 == count) {
      arrived_.store(0, std::memory_order_relaxed);
      publish(phase_, phase + 1);
    } else {
      wait_while(phase_, phase);
    }
  }

 private:
  // job_ holds a generation counter above the member count of the run.
  static constexpr unsigned kCountMask = 0xff;
  static constexpr unsigned kJobStep = 0x100;

  void help(int member, unsigned seen) {
    for (;;) {
      wait_while(job_, seen);
      seen = job_.load(std::memory_order_acquire);
      if (stop_.load()) return;
      const int count = static_cast<int>(seen & kCountMask);
      if (member >= count) continue;
      fesetenv(&env_);
      body_(ctx_, member, count);
      flags_.fetch_or(fetestexcept(FE_ALL_EXCEPT));
      sync(count);
    }
  }

  void wait_while(const std::atomic<unsigned>& a, unsigned old) {
    for (int i = 0; i < kSpin; ++i) {
      if (a.load(std::memory_order_acquire) != old) return;
      cpu_relax();
    }
    // Then give the processor to whoever else is ready (on a busy machine
    // perhaps the member everyone waits for) before going to sleep.
    for (int i = 0; i < kYields; ++i) {
      if (a.load(std::memory_order_acquire) != old) return;
      std::this_thread::yield();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    sleepers_.fetch_add(1);
    while (a.load() == old) wake_.wait(lock);
    sleepers_.fetch_sub(1);
  }

  void publish(std::atomic<unsigned>& a, unsigned value) {
    a.store(value);
    if (sleepers_.load() > 0) {
      { std::lock_guard<std::mutex> lock(mutex_); }
      wake_.notify_all();
    }
  }

  std::vector<std::thread> helpers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<int> sleepers_{0};
  std::atomic<bool> stop_{false};
  alignas(64) std::atomic<unsigned> job_{0};
  alignas(64) std::atomic<unsigned> phase_{0};
  alignas(64) std::atomic<int> arrived_{0};
  alignas(64) std::atomic<int> flags_{0};
  Body body_ = nullptr;
  void* ctx_ = nullptr;
  std::fenv_t env_{};
};

Team team;

// [lo, hi) of member m of `count` in 0 .. total-1, in whole units.
inline void share(int total, int unit, int m, int count, int& lo, int& hi) {
  const int units = (total + unit - 1) / unit;
  lo = std::min(total, units * m / count * unit);
  hi = m + 1 == count ? total : std::min(total, units * (m + 1) / count * unit);
}

// The blocked inversion above, shared by the members of a team.  For each
// block K of steps:
//   1. member 0 carries out the kb steps on the kb x kb block of the rows
//      and columns of K (its pivots, multipliers and divided pivot rows);
//   2. every member takes some of the other rows and columns: a row i
//      outside K receives the kb steps in the columns of K (its
//      multipliers t(i) come out of them), a column j outside K the kb
//      steps in the rows of K (its divided pivot-row values r(j) come out
//      of them); no row or column depends on another one here;
//   3. the kb updates y -= t(i) r(j), in step order, of the elements
//      outside the rows and columns of K, by groups of columns.
// Barriers separate the three.  Each element receives exactly the
// operations of the sequential routine in the same order, so the result
// has the same bits for any number of members.
struct TeamInverse {
  cfloat* A;
  long ld;
  int n;
  cfloat pivot[kBlock];  // pivots of the current block
  // Multipliers of each step of the block on the rows of the block.
  float ta[kBlock][2 * kBlock];
  float tb[kBlock][2 * kBlock];
  // Part 3 in groups of kGroupColumns columns: member m's groups are the
  // next .. end-1 of its own share; a member that has finished its own takes
  // the rest of the others', so that a thread the system holds back delays
  // the others by one group at most.
  struct alignas(64) Share {
    std::atomic<int> next{0};
    int end = 0;
  };
  Share share[kMaxThreads];
};

inline float* column(const TeamInverse& w, int j) {
  return reinterpret_cast<float*>(w.A + j * w.ld);
}

// Multipliers of step k (column k before it is cleared) for the floats
// f0 .. f1-1 of the rows, kept for the step (ta, tb) and the block (chunks);
// the column is cleared on these rows except at row k.
inline void take_multipliers(const TeamInverse& w, int k, int kk, int f0, int f1) {
  float* colk = column(w, k);
  for (int f = f0; f < f1; f += 2) {
    const float tr = colk[f], ti = colk[f + 1];
    bw.ta[f] = tr;
    bw.ta[f + 1] = ti;
    bw.tb[f] = -ti;
    bw.tb[f + 1] = tr;
    bw.tac[f >> 3][kk][f & 7] = tr;
    bw.tac[(f + 1) >> 3][kk][(f + 1) & 7] = ti;
    bw.tbc[f >> 3][kk][f & 7] = -ti;
    bw.tbc[(f + 1) >> 3][kk][(f + 1) & 7] = tr;
    bw.tac16[f >> 4][kk][f & 15] = tr;
    bw.tac16[(f + 1) >> 4][kk][(f + 1) & 15] = ti;
    bw.tbc16[f >> 4][kk][f & 15] = -ti;
    bw.tbc16[(f + 1) >> 4][kk][(f + 1) & 15] = tr;
    if (f != 2 * k) colk[f] = colk[f + 1] = 0.0f;
  }
}

// Part 1: the steps of the block on its own rows and columns.
inline void diagonal_block(TeamInverse& w, int k0, int k1) {
  for (int k = k0; k < k1; ++k) {
    const int kk = k - k0;
    cfloat* colk = w.A + k * w.ld;
    const cfloat p = colk[k];
    w.pivot[kk] = p;
    colk[k] = cfloat(1.0f, 0.0f);
    for (int j = k0; j < k1; ++j) {
      cfloat& x = w.A[j * w.ld + k];
      x = complex_divide(x, p);
      bw.rr[j][kk] = x.real();
      bw.ri[j][kk] = x.imag();
    }
    take_multipliers(w, k, kk, 2 * k0, 2 * k1);
    std::copy(bw.ta + 2 * k0, bw.ta + 2 * k1, w.ta[kk]);
    std::copy(bw.tb + 2 * k0, bw.tb + 2 * k1, w.tb[kk]);
    for (int j = k0; j < k1; ++j) {
      float* col = column(w, j);
      update_column_body(col, bw.ta, bw.tb, bw.rr[j][kk], bw.ri[j][kk], 2 * k0, 2 * k);
      update_column_body(col, bw.ta, bw.tb, bw.rr[j][kk], bw.ri[j][kk], 2 * k + 2, 2 * k1);
    }
  }
}

// Part 2 for the rows of floats f0 .. f1-1 (outside the block): the steps
// in the columns of the block.
inline void block_columns(const TeamInverse& w, int k0, int k1, int f0, int f1) {
  if (f0 >= f1) return;
  for (int k = k0; k < k1; ++k) {
    const int kk = k - k0;
    take_multipliers(w, k, kk, f0, f1);
    for (int j = k0; j < k1; ++j) {
      update_column_body(column(w, j), bw.ta, bw.tb, bw.rr[j][kk], bw.ri[j][kk], f0, f1);
    }
  }
}

// Part 2 for column j (outside the block): the steps in the rows of the
// block, with the multipliers of part 1.
inline void block_rows(TeamInverse& w, int k0, int k1, int j) {
  float* col = column(w, j);
  cfloat* c = w.A + j * w.ld;
  for (int k = k0; k < k1; ++k) {
    const int kk = k - k0;
    c[k] = complex_divide(c[k], w.pivot[kk]);
    const float cr = c[k].real(), ci = c[k].imag();
    bw.rr[j][kk] = cr;
    bw.ri[j][kk] = ci;
    update_column_body(col + 2 * k0, w.ta[kk], w.tb[kk], cr, ci, 0, 2 * kk);
    update_column_body(col + 2 * k0, w.ta[kk], w.tb[kk], cr, ci, 2 * kk + 2, 2 * (k1 - k0));
  }
}

// Built for AVX2 as well, with the column updates of parts 1 and 2 in line.
__attribute__((target_clones("avx2", "default")))
void invert_member(void* ctx, int m, int count) {
  TeamInverse& w = *static_cast<TeamInverse*>(ctx);
  const int nn = w.n;
  auto colf = [&w](int j) { return column(w, j); };
  for (int k0 = 0; k0 < nn; k0 += kBlock) {
    const int k1 = std::min(nn, k0 + kBlock);
    const int kb = k1 - k0;
    const int outer = nn - kb;  // rows (and columns) outside the block
    // Outer index q to row or column number.
    auto outside = [&](int q) { return q < k0 ? q : q + kb; };

    if (k0 > 0) team.sync(count);
    if (m == 0) diagonal_block(w, k0, k1);
    team.sync(count);

    // Rows in units of 8 (whole cache lines of a column and whole chunks of
    // the multipliers), columns in groups, the same ones in parts 2 and 3.
    const int groups = (outer + kGroupColumns - 1) / kGroupColumns;
    int r0, r1, g0, g1;
    share(outer, 8, m, count, r0, r1);
    share(groups, 1, m, count, g0, g1);
    block_columns(w, k0, k1, 2 * std::min(r0, k0), 2 * std::min(r1, k0));
    block_columns(w, k0, k1, 2 * (std::max(r0, k0) + kb), 2 * (std::max(r1, k0) + kb));
    for (int q = g0 * kGroupColumns; q < std::min(outer, g1 * kGroupColumns); ++q) {
      block_rows(w, k0, k1, outside(q));
    }
    w.share[m].next.store(g0, std::memory_order_relaxed);
    w.share[m].end = g1;
    team.sync(count);

    const int ranges[2][2] = {{0, 2 * k0}, {2 * k1, 2 * nn}};
    for (int v = 0; v < count; ++v) {
      TeamInverse::Share& sh = w.share[(m + v) % count];
      for (;;) {
        const int gi = sh.next.fetch_add(1, std::memory_order_relaxed);
        if (gi >= sh.end) break;
        const int c0 = gi * kGroupColumns, c1 = std::min(outer, c0 + kGroupColumns);
        int js[kGroupColumns];
        for (int q = c0; q < c1; ++q) js[q - c0] = outside(q);
        for (const auto& range : ranges) {
          for (int t0 = range[0]; t0 < range[1]; t0 += kRowTile) {
            const int t1 = std::min(range[1], t0 + kRowTile);
            trailing_columns(colf, js, c1 - c0, kb, t0, t1);
          }
        }
      }
    }
  }
}

}  // namespace

int inversion_thread_count() {
  if (const char* env = std::getenv("TREMEX_THREADS")) {
    char* end = nullptr;
    const long v = std::strtol(env, &end, 10);
    if (end != env && *end == '\0' && v >= 1) return static_cast<int>(std::min<long>(v, kMaxThreads));
  }
  const unsigned hw = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(hw, 1u, static_cast<unsigned>(kMaxThreads)));
}

void invert_complex_matrix_threads(cfloat* A, const int& lda, const int& n, const int& threads) {
  if (n > kBlockedMaxOrder) {
    const int slice = 2048;
    invert_complex_matrix_stepwise(A, lda, n, slice);
    return;
  }
  // Fewer members for small orders: each keeps some columns of its own.
  const int wanted = std::min(threads, (n - kBlock) / kMinColumnsPerMember);
  if (n < kThreadedMinOrder || wanted <= 1) {
    invert_blocked(A, lda, n);
    return;
  }
  TeamInverse w{A, lda, n, {}, {}, {}, {}};
  team.run(team.reserve(wanted), invert_member, &w);
}

bool inversion_avx512_available() { return kHasAvx512; }

void inversion_use_avx512(bool on) { use_avx512.store(on && kHasAvx512); }

void run_on_team(int threads, void (*body)(void* ctx, int member, int count), void* ctx) {
  team.run(threads <= 1 ? 1 : team.reserve(threads), body, ctx);
}

int inversion_team_size(int n, int threads) {
  if (n < kTeamPaysOrder) return 1;
  return std::clamp(n / kTeamColumnsPerMember, 1, std::max(threads, 1));
}

void INVERT_COMPLEX_MATRIX(cfloat* A, const int& lda, const int& n) {
  const int threads = n < kTeamPaysOrder ? 1 : inversion_team_size(n, inversion_thread_count());
  invert_complex_matrix_threads(A, lda, n, threads);
}

}  // namespace eng
