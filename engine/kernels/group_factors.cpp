// Pile-group kernels: static and frequency-dependent interaction factors.
#include "kernels/group_factors.h"

#include <algorithm>
#include <cmath>

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

}  // namespace eng
