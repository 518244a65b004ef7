// Rigid footing on a half-space, embedded footing on a stratum, and the
// cut-off frequencies of a layered profile.
#include "kernels/footing.h"

#include <cmath>

namespace eng {

namespace {

// Coefficients of the half-space footing, chosen by Poisson's ratio.
struct FootingCoefficients {
  float h1;  // horizontal damping
  float r1;  // rocking amplitude
  float r2;  // rocking frequency scale
  float r3;  // rocking stiffness loss
  float z1;  // vertical amplitude
  float z2;  // vertical frequency scale
  float z3;  // vertical stiffness loss
  float z4;  // vertical damping
};
constexpr FootingCoefficients kBelow04 = {0.65f, 0.5f, 0.8f, 0.0f, 0.35f, 0.8f, 0.0f, 0.75f};
constexpr FootingCoefficients kFrom04 = {0.6f, 0.4f, 0.8f, 0.027f, 0.0f, 0.0f, 0.17f, 0.85f};

// Torsion coefficients and their product.
constexpr float kT1 = 0.425f;
constexpr float kT2 = 0.687f;
constexpr float kT1T2 = 0.291975f;

// Damping coefficient below a stratum cut-off: coef*beta*r/(1 - (1 - 2*beta)*r^2).
// The denominator vanishes only at the cut-off itself (r = 1) when beta is 0
// (or too small to change 1 - 2*beta); the formula's value there is coef/2 for
// every beta > 0, and that limit is returned instead of 0/0 or infinity.
float below_cutoff_damping(float coef, float beta, float r) {
  const float den = 1.0f - (1.0f - 2.0f * beta) * r * r;
  if (den == 0.0f) return 0.5f * coef;
  return coef * beta * r / den;
}

// (k + i*c)*(1 + 2i*beta).
inline cfloat hysteretic(float k, float c, float beta) {
  return cfloat(k - 2.0f * beta * c, c + 2.0f * beta * k);
}

int round_count(float x) {
  const int n = static_cast<int>(std::signbit(x) ? x - 0.5f : x + 0.5f);
  if (n < 0) return 0;
  return n > kCutoffMaxLayers ? kCutoffMaxLayers : n;
}

}  // namespace

void FOOTING_IMPEDANCE(const float& a0, const float& nu, const float& D, const float& r0,
                       const float& rx, const float& ry, const float& rt, cfloat& kh, cfloat& kv,
                       cfloat& krx, cfloat& kry, cfloat& kt) {
  const FootingCoefficients& c = (nu - 0.4f < 0.0f) ? kBelow04 : kFrom04;

  const float ax = a0 * rx / r0;
  const float ay = a0 * ry / r0;
  const float at = a0 * rt / r0;

  // q + i*p is the square root of 1 + i*D.
  const float s = std::sqrt(1.0f + D * D);
  const float p = std::sqrt((s - 1.0f) * 0.5f);
  const float q = std::sqrt((s + 1.0f) * 0.5f);

  const float fh = 8.0f / (2.0f - nu);
  kh = cfloat(fh * (1.0f - c.h1 * p * a0), fh * (c.h1 * q * a0 + D));

  const float fr = 8.0f / (3.0f * (1.0f - nu));
  auto rocking = [&](float a) {
    const float b = c.r2 * a;
    const float w = b * b + 2.0f * p * b + s;
    const float bw = b * b / w;
    return cfloat(fr * (1.0f - c.r1 * (p * b + s) * bw - c.r3 * a * a),
                  fr * (c.r1 * c.r2 * q * bw * a + D));
  };
  krx = rocking(ax);
  kry = rocking(ay);

  {
    const float fv = 4.0f / (1.0f - nu);
    const float b = c.z2 * a0;
    const float w = b * b + 2.0f * p * b + s;
    const float bw = b * b / w;
    kv = cfloat(fv * (1.0f - c.z1 * (p * b + s) * bw - c.z4 * p * a0 - c.z3 * a0 * a0),
                fv * ((c.z4 * q + c.z1 * c.z2 * q * bw) * a0 + D));
  }
  {
    const float ft = 16.0f / 3.0f;
    const float b = kT2 * at;
    const float w = b * b + 2.0f * p * b + s;
    const float bw = b * b / w;
    kt = cfloat(ft * (1.0f - kT1 * (p * b + s) * bw), ft * (kT1T2 * q * bw * at + D));
  }
}

void STRATUM_IMPEDANCE(const float& omega, const float& E, const float& H, const float& nu,
                       const float& D, const float& gamma, const float& Vs, const float& Rh,
                       const float& Rv, const float& Rx, const float& Ry, const float& Rt,
                       cfloat& Khh, cfloat& Kvv, cfloat& Khx, cfloat& Khy, cfloat& Kxx,
                       cfloat& Kyy, cfloat& Ktt, const float& g) {
  const float G = Vs * Vs * gamma / g;
  const float Vp = std::sqrt((2.0f * G + 2.0f * G * nu / (1.0f - 2.0f * nu)) * g / gamma);

  // Ratios to the shear and compression cut-off frequencies Vs/(4H), Vp/(4H).
  const float f = omega * 0.5f / 3.14159f;
  const float rs = f / (Vs * 0.25f / H);
  const float rp = f / (Vp * 0.25f / H);

  const float ah = omega * Rh / Vs;
  const float ax = omega * Rx / Vs;
  const float ay = omega * Ry / Vs;
  const float at = omega * Rt / Vs;
  const float beta = 0.5f * D;

  // Static stiffnesses with embedment and stratum-depth corrections.
  const float kh_static = 8.0f * G * Rh / (2.0f - nu) * (1.0f + 1.25f * E / H) *
                          (1.0f + 0.5f * Rh / H) * (1.0f + (2.0f / 3.0f) * E / Rh);
  const float khx_static = (0.4f * E / Rx - 0.03f) * Rx * kh_static;
  const float khy_static = (0.4f * E / Ry - 0.03f) * Ry * kh_static;
  auto rocking_static = [&](float R) {
    return 8.0f * G * R * R * R / (3.0f * (1.0f - nu)) * (1.0f + R / (6.0f * H)) *
           (1.0f + 2.0f * E / R) * (1.0f + 0.7f * E / H);
  };
  const float kx_static = rocking_static(Rx);
  const float ky_static = rocking_static(Ry);
  const float kv_static = 4.0f * G * Rv / (1.0f - nu) * (1.0f + 1.28f * Rv / H) *
                          (1.0f + 0.47f * E / Rv) *
                          (1.0f + (0.85f - 0.28f * E / Rv) * (E / H) / (1.0f - E / H));
  const float kt_static = 16.0f * G * Rt * Rt * Rt / 3.0f * (1.0f + 2.67f * E / Rt);

  // Damping coefficients: below the cut-offs only the material damping,
  // amplified by the stratum's resonance; above them radiation.
  float ch, ct;
  if (rs <= 1.0f) {
    ch = below_cutoff_damping(0.65f, beta, rs);
    ct = 0.23076925f * ch;
  } else {
    ch = 0.6f;
    ct = 0.3f * at * at / (2.0f + at * at);
  }
  float cx, cy, cv;
  if (rp <= 1.0f) {
    cx = below_cutoff_damping(0.5f, beta, rp);
    cy = cx;
    cv = 1.34f * cx;
  } else {
    cv = 0.85f;
    cx = 0.3f * ax * ax / (1.0f + ax * ax);
    cy = 0.3f * ay * ay / (1.0f + ay * ay);
  }

  // Frequency factors of the stiffness.
  float kx = ax < 2.5f ? 1.0f - 0.2f * ax : 0.5f;
  float ky = ay < 2.5f ? 1.0f - 0.2f * ay : 0.5f;
  if (nu >= 0.45f) {
    kx = 1.0f - 0.2f * ax;
    ky = 1.0f - 0.2f * ay;
  }
  const float kt = at < 3.0f ? 1.0f - 0.133f * at : 0.6f;

  const cfloat horizontal = hysteretic(1.0f, ch * ah, beta);
  Khh = kh_static * horizontal;
  Kvv = kv_static * hysteretic(1.0f, cv * ah, beta);
  // The lateral resultant lies (0.4 E/R - 0.03) R above the base: with the
  // engine's rigid-body transfer (z up, T(1,5) = -zc, T(2,4) = +zc) a spring
  // at the height e couples x with rotation about y by +e Khh and y with
  // rotation about x by -e Khh.
  Khx = -khx_static * horizontal;
  Khy = khy_static * horizontal;
  Kxx = kx_static * hysteretic(kx, cx * ax, beta);
  Kyy = ky_static * hysteretic(ky, cy * ay, beta);
  Ktt = kt_static * hysteretic(kt, ct * at, beta);
}

void LAYER_CUTOFF_FREQUENCIES(const int& end_bearing, const float& n_layers,
                              const float* layer_h, const float* layer_vs,
                              const float* layer_nu, const int& layer_stride,
                              const float& n_side, const float* side_h, const float* side_vs,
                              const float* side_nu, const int& side_stride,
                              const float& vs_base, float& omega_s, float& omega_p) {
  omega_s = 0.0f;
  omega_p = 0.0f;
  if (end_bearing <= 0) return;

  const float pi = std::acos(-1.0f);
  const int nl = round_count(n_layers);
  const int ns = round_count(n_side);

  float ht = 0.0f, sv = 0.0f, sn = 0.0f;
  for (int i = 0; i < nl; ++i) {
    const float h = layer_h[i * layer_stride];
    ht += h;
    sv += h * layer_vs[i * layer_stride];
    sn += h * layer_nu[i * layer_stride];
  }
  for (int i = 0; i < ns; ++i) {
    const float h = side_h[i * side_stride];
    ht += h;
    sv += h * side_vs[i * side_stride];
    sn += h * side_nu[i * side_stride];
  }
  // A profile without thickness has no cut-off (and would give 0/0).
  if (!(ht > 0.0f)) return;

  const float vm = sv / ht;
  const float num = sn / ht;
  if (!(vm < vs_base)) return;

  omega_s = pi * vm / (2.0f * ht);
  const float nu = num < 0.5f ? num : 0.499f;
  omega_p = omega_s * std::sqrt(2.0f * (1.0f - nu) / (1.0f - 2.0f * nu));
}

}  // namespace eng
