// Complex modified Bessel functions of orders 0 and 1.
#include "kernels/bessel.h"

#include <cmath>

namespace eng {

namespace {

constexpr float kEuler = 0.5772157f;   // Euler's constant
constexpr float kHalfPi = 1.5707964f;  // pi / 2
constexpr float kSwitchRadius = 9.0f;  // series up to and including |z| = 9.0
constexpr int kTermsSecondKind = 50;
constexpr int kTermsFirstKind = 20;

// -(ln(z/2) + gamma) with the phase atan(Im w / Re w) of w = z/2 (pi/2 when
// Re w = 0), and w itself.
void log_start(const cfloat& z, float r, cfloat& w, cfloat& h0) {
  w = z / cfloat(2.0f, 0.0f);
  const float phase = (w.real() != 0.0f) ? std::atan(w.imag() / w.real()) : kHalfPi;
  const cfloat l(std::log(0.5f * r) + kEuler, phase);
  h0 = -l;
}

float modulus(const cfloat& z) {
  const float x = z.real();
  const float y = z.imag();
  return std::sqrt(x * x + y * y);
}

// Asymptotic form for |z| > 9: sqrt(pi/(2z))·e^(-z)·(1 + m0/(8z) + S), S a
// real correction; m0 = -1 for order 0 and 3 for order 1.
cfloat asymptotic(const cfloat& z, float m0) {
  const cfloat c = std::sqrt(cfloat(kHalfPi, 0.0f) / z);
  const cfloat e = std::exp(-z);
  const cfloat f = e * c;
  const cfloat z8 = z * cfloat(8.0f, 0.0f);
  const cfloat u = cfloat(1.0f, 0.0f) / z8;
  cfloat t = u;
  float a = m0;
  float m = m0;
  float s = 0.0f;  // only the real part of the sum ever changes
  for (int k = 1; k <= kTermsSecondKind; ++k) {
    m = m - static_cast<float>(8 * k);
    t = t / z8;
    a = (m * a / static_cast<float>(k + 1)) * t.real();
    s = s + a;
  }
  return f * (cfloat(1.0f, 0.0f) + m0 * u + cfloat(s, 0.0f));
}

// Both orders of the asymptotic form, sharing the factor and the powers of
// 1/(8z); each value is formed exactly as asymptotic() forms it alone.
void asymptotic_both(const cfloat& z, cfloat& k0, cfloat& k1) {
  const cfloat c = std::sqrt(cfloat(kHalfPi, 0.0f) / z);
  const cfloat e = std::exp(-z);
  const cfloat f = e * c;
  const cfloat z8 = z * cfloat(8.0f, 0.0f);
  const cfloat u = cfloat(1.0f, 0.0f) / z8;
  cfloat t = u;
  float a0 = -1.0f, m0 = -1.0f, s0 = 0.0f;
  float a1 = 3.0f, m1 = 3.0f, s1 = 0.0f;
  for (int k = 1; k <= kTermsSecondKind; ++k) {
    m0 = m0 - static_cast<float>(8 * k);
    m1 = m1 - static_cast<float>(8 * k);
    t = t / z8;
    a0 = (m0 * a0 / static_cast<float>(k + 1)) * t.real();
    a1 = (m1 * a1 / static_cast<float>(k + 1)) * t.real();
    s0 = s0 + a0;
    s1 = s1 + a1;
  }
  k0 = f * (cfloat(1.0f, 0.0f) + -1.0f * u + cfloat(s0, 0.0f));
  k1 = f * (cfloat(1.0f, 0.0f) + 3.0f * u + cfloat(s1, 0.0f));
}

// Bounds of the exponents in first_kind_series_holds and
// second_kind_series_holds.  Measured over all phases, the rounding loss of
// the pair I0, I1 (of K0, K1) relative to |I0| + |I1| is about 1e-5 at 5.5,
// 4e-5 (3e-5) at 6 and 9e-5 (8e-5) at 7; the horizontal two-zone system
// amplifies it up to tenfold, so 6 keeps the reactions within 1e-4.
constexpr float kFirstKindLoss = 6.0f;
constexpr float kSecondKindLoss = 6.0f;
constexpr float kFirstKindRange = 14.0f;  // end of the range of the 20-term series

}  // namespace

bool first_kind_series_holds(const cfloat& z) {
  const float r = modulus(z);
  return r <= kFirstKindRange && r - std::fabs(z.real()) <= kFirstKindLoss;
}

bool second_kind_series_holds(const cfloat& z) {
  const float r = modulus(z);
  return r > kSwitchRadius || r + z.real() <= kSecondKindLoss;
}


cfloat CPOW_INT(const cfloat& z, int n) {
  cfloat x = z;
  cfloat pow(1.0f, 0.0f);
  if (n == 0) return pow;
  unsigned u;
  if (n < 0) {
    u = static_cast<unsigned>(-static_cast<long>(n));
    x = pow / x;
  } else {
    u = static_cast<unsigned>(n);
  }
  for (;;) {
    if (u & 1u) pow *= x;
    u >>= 1;
    if (u == 0) break;
    x *= x;
  }
  return pow;
}

cfloat BESSEL_K0(const cfloat& z) {
  const float r = modulus(z);
  if (r > kSwitchRadius) return asymptotic(z, -1.0f);

  cfloat w, h0;
  log_start(z, r, w, h0);
  cfloat p = (cfloat(1.0f, 0.0f) / z) * cfloat(2.0f, 0.0f);
  cfloat s(0.0f, 0.0f);
  cfloat h = h0;
  const cfloat w2 = w * w;
  for (int k = 1; k <= kTermsSecondKind; ++k) {
    p = p * w2 / static_cast<float>(k * k);
    h.real(h.real() + 1.0f / static_cast<float>(k));
    s = s + p * h;
  }
  return w * s + h0;
}

cfloat BESSEL_K1(const cfloat& z) {
  const float r = modulus(z);
  if (r > kSwitchRadius) return asymptotic(z, 3.0f);

  cfloat w, h0;
  log_start(z, r, w, h0);
  cfloat p = (cfloat(1.0f, 0.0f) / z) * cfloat(2.0f, 0.0f);
  cfloat s1(0.0f, 0.0f);
  cfloat s2(0.0f, 0.0f);
  cfloat h = h0;
  const cfloat w2 = w * w;
  for (int k = 1; k <= kTermsSecondKind; ++k) {
    p = p * w2 / static_cast<float>(k * k);
    h.real(h.real() + 1.0f / static_cast<float>(k));
    s2 = s2 + p;
    s1 = s1 + static_cast<float>(k) * (p * h);
  }
  return cfloat(1.0f, 0.0f) / z + s2 / cfloat(2.0f, 0.0f) - s1;
}

void BESSEL_K0_K1(const cfloat& z, cfloat& k0, cfloat& k1) {
  const float r = modulus(z);
  if (r > kSwitchRadius) return asymptotic_both(z, k0, k1);

  cfloat w, h0;
  log_start(z, r, w, h0);
  cfloat p = (cfloat(1.0f, 0.0f) / z) * cfloat(2.0f, 0.0f);
  cfloat s(0.0f, 0.0f);
  cfloat s1(0.0f, 0.0f);
  cfloat s2(0.0f, 0.0f);
  cfloat h = h0;
  const cfloat w2 = w * w;
  for (int k = 1; k <= kTermsSecondKind; ++k) {
    p = p * w2 / static_cast<float>(k * k);
    h.real(h.real() + 1.0f / static_cast<float>(k));
    const cfloat ph = p * h;
    s = s + ph;
    s2 = s2 + p;
    s1 = s1 + static_cast<float>(k) * ph;
  }
  k0 = w * s + h0;
  k1 = cfloat(1.0f, 0.0f) / z + s2 / cfloat(2.0f, 0.0f) - s1;
}

cfloat BESSEL_I0(const cfloat& z) {
  const cfloat w = z / cfloat(2.0f, 0.0f);
  cfloat s(0.0f, 0.0f);
  float q = 1.0f;
  for (int k = 1; k <= kTermsFirstKind; ++k) {
    q = q * static_cast<float>(k);  // k!
    const int n = static_cast<int>(2.0f * static_cast<float>(k));
    s = s + (1.0f / (q * q)) * CPOW_INT(w, n);
  }
  return s + cfloat(1.0f, 0.0f);
}

cfloat BESSEL_I1(const cfloat& z) {
  const cfloat w = z / cfloat(2.0f, 0.0f);
  cfloat s(0.0f, 0.0f);
  float q = 1.0f;
  for (int k = 1; k <= kTermsFirstKind; ++k) {
    q = q * static_cast<float>(k);
    const int n = static_cast<int>(2.0f * static_cast<float>(k) - 1.0f);
    s = s + (1.0f / (q * q)) * CPOW_INT(w, n) *
                (static_cast<float>(2 * k) * cfloat(0.5f, 0.0f));
  }
  return s;
}

}  // namespace eng
