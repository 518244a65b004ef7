// Load vectors and the response sections written after the frequency loop:
// the transient time histories and the random-load peak factors and spectra.
#include <cmath>

#include "analysis.h"
#include "kernels/fft.h"
#include "report.h"
#include "rt/format.h"
#include "state.h"

namespace eng {

using rt::Line;

namespace {
constexpr float kPi = 3.1415927f;
}

float analysis_min_frequency() { return g.load.min_frequency; }
float analysis_max_frequency() { return g.load.max_frequency; }
float analysis_frequency_step() { return g.load.frequency_step; }
float transient_point_count() { return g.load.time_points; }
float transient_time_step() { return g.load.time_step; }
float random_observation_period() { return g.load.observation_period; }

cfloat load_spectrum(int point, int j, int l) {
  if (point < 1 || point > kMaxRandomPoints) return cfloat(0.0f, 0.0f);
  return at(g.load.spectral_matrix[point - 1], 6, j, l);
}

void load_vector(int point, float omega, cfloat* f) {
  const RunState& r = g.run;
  if (r.load_type == 1) {
    for (int i = 0; i < 6; ++i) f[i] = g.load.load_spectrum[point - 1][i];
    return;
  }
  const float scale = r.harmonic_form == 2 ? omega * omega : 1.0f;
  for (int i = 0; i < 6; ++i) f[i] = cfloat(g.load.harmonic[i] * scale, 0.0f);
}

void SIMPSON_INTEGRAL(const float* values, const int& n, const float& h, float& result) {
  // Odd n >= 3: (y1 + 4 y2 + 2 y3 + ... + 4 y(n-1) + yn) h / 3.
  // An even n is integrated by the rule over the first n - 1 values and the
  // trapezoid over the last interval; n = 2 is the trapezoid alone, n < 2
  // gives 0.  No value past values[n - 1] is read.
  result = 0.0f;
  if (n < 2) return;
  if (n == 2) {
    result = 0.5f * (values[0] + values[1]) * h;
    return;
  }
  const int odd = (n % 2 == 1) ? n : n - 1;
  float s = values[0] + values[odd - 1];
  for (int i = 1; i < odd - 1; ++i) s += (i % 2 == 1 ? 4.0f : 2.0f) * values[i];
  result = s * h / 3.0f;
  if (odd != n) result += 0.5f * (values[n - 2] + values[n - 1]) * h;
}

void random_response_spectra(int point, const cfloat* h) {
  float* s = g.driver.spectrum[point - 1];
  for (int i = 1; i <= 6; ++i) {
    float sum = 0.0f;
    for (int j = 1; j <= 6; ++j)
      for (int l = 1; l <= 6; ++l)
        sum += (at(h, 6, i, j) * std::conj(at(h, 6, i, l)) * load_spectrum(point, j, l)).real();
    s[i - 1] = sum;
  }
}

void write_transient_response() {
  DriverData& d = g.driver;
  const int p = d.n_time_points;
  const int n = d.n_points;
  // Complete the spectrum by conjugate symmetry.  Point 1 (the mean) is
  // real; so is point N when the count is even, for it is then the Nyquist
  // point, its own mirror.  With an odd count point N has a mirror of its
  // own (point N + 1 = conj(point N)) and keeps its imaginary part, or the
  // history would not be real.
  for (int j = n + 1; j <= p; ++j)
    for (int i = 0; i < 6; ++i) d.transient[j - 1][i] = std::conj(d.transient[p + 2 - j - 1][i]);
  for (int i = 0; i < 6; ++i) {
    d.transient[0][i] = cfloat(d.transient[0][i].real(), 0.0f);
    if (p % 2 == 0 && n >= 1 && n <= p) d.transient[n - 1][i] = cfloat(d.transient[n - 1][i].real(), 0.0f);
  }
  // Every time history is made of every frequency: with one frequency
  // without a response there is none (all of them are marked not solved).
  const bool computed = d.n_unsolved == 0;
  // Back into the time domain, one degree of freedom at a time.
  static cfloat work[kMaxTimePoints];
  for (int i = 0; i < 6 && computed; ++i) {
    for (int k = 0; k < p; ++k) work[k] = d.transient[k][i];
    MIXED_RADIX_FFT(work, p);
    for (int k = 0; k < p; ++k) d.transient[k][i] = work[k];
  }

  int done = 0;
  WRITE_PAGE_HEADER(2, done);
  out_empty(2);
  out(Line().x(24).a("FOOTING RESPONSE AMPLITUDES"));
  out(Line().x(24).fill('-', 27));
  out_empty(1);
  out(Line().x(1).a("          TRANS. X   TRANS. Y    VERTICAL").x(5).a("ROT ABOUT").x(5).a("ROT ABOUT").x(2).a("TORSIONAL"));
  out(Line().x(1).a("  TIME    DIRECTION  DIRECTION         ").a("        X AXIS       Y AXIS            "));
  out(Line().x(13).a("(OUX)      (UOY)       (UOZ)       (EPOX)       (EPOY)").x(5).a(" (EPOZ)"));
  const std::string& len = g.labels.length;
  out(Line().x(15).a(len).x(9).a(len).x(10).a(len).x(9).a("rad").x(10).a("rad").x(9).a("rad"));
  out(Line().x(1).a("-------   ---------   ---------   --------").x(3).a("  ---------").x(3).a(" --------- ").x(2).a("--------"));
  out_empty(1);
  const float dt = transient_time_step();
  for (int k = 1; k <= p; ++k) {
    Line row;
    row.x(1).f(static_cast<float>(k) * dt, 7, 2).x(2);
    for (int i = 0; i < 6; ++i) {
      if (computed) row.x(1).pe(d.transient[k - 1][i].real(), 11, 4);
      else row.x(1).a(kNotSolved, 11);
    }
    out(row);
  }
}

namespace {

// One row of a printed response spectrum: point k (1-based), degree i (0-based).
Line spectrum_row(int k, int i) {
  const DriverData& d = g.driver;
  Line row;
  row.x(15).f(d.omega[k - 1], 7, 2).x(15);
  if (d.unsolved[k - 1] == 1) row.a(kNotSolved, 12);
  else row.pe(d.spectrum[k - 1][i], 12, 6);
  return row;
}

}  // namespace

void write_random_response() {
  DriverData& d = g.driver;
  const int n = d.n_points;
  int done = 0;
  WRITE_PAGE_HEADER(2, done);
  out_empty(2);
  out(Line().x(14).a("DEGREE OF"));
  out(Line().x(15).a("FREEDOM").x(4).a("PEAK FACTOR (G)").x(3).a("MAXIMUM DISPLACEMENT"));
  out(Line().x(14).fill('-', 9).x(3).fill('-', 15).x(3).fill('-', 20));
  out_empty(1);

  static float a[kMaxFrequencies];
  static float b[kMaxFrequencies];
  const float fmin = analysis_min_frequency();
  const float period = random_observation_period();
  for (int i = 1; i <= 6; ++i) {
    for (int k = 1; k <= n; ++k) {
      const float fk = fmin + static_cast<float>(k - 1) * d.step;
      a[k - 1] = d.spectrum[k - 1][i - 1];
      b[k - 1] = fk * fk * d.spectrum[k - 1][i - 1];
      float* group = i <= 3 ? d.translation_curves : d.rotation_curves;
      const int offset = ((i - 1) % 3) * n;
      if (offset + k - 1 < kSpectrumTable) {
        group[offset + k - 1] = d.spectrum[k - 1][i - 1];
        d.curve_frequencies[offset + k - 1] = d.omega[k - 1];
      }
    }
    float m0 = 0.0f, m2 = 0.0f;
    SIMPSON_INTEGRAL(a, n, d.step, m0);
    SIMPSON_INTEGRAL(b, n, d.step, m2);
    const float ratio = m0 != 0.0f ? m2 / m0 : 0.0f;
    const float nu0 = ratio > 0.0f ? std::sqrt(ratio) / (2.0f * kPi) : 0.0f;
    // Peak factor; where T * nu0 does not exceed 1 the logarithm is not
    // positive and no peak factor exists: 0.0 is printed then.
    float peak = 0.0f;
    if (m2 != 0.0f && nu0 != 0.0f && period * nu0 > 1.0f) {
      const float x = std::sqrt(2.0f * std::log(period * nu0));
      peak = x + 0.5772f / x;
    }
    const float dmax = std::sqrt(std::fabs(m0)) * peak;
    // The integrals take in every frequency: without a response at one of
    // them neither value exists.
    if (d.n_unsolved > 0) out(Line().x(17).i(i, 2).x(12).a("--", 4).x(9).a(kNotSolved, 14));
    else out(Line().x(17).i(i, 2).x(12).f(peak, 4, 1).x(9).e(dmax, 14, 4));
  }

  out_empty(2);
  out(Line().x(15).a("RESPONSE SPECTRA CURVE OF TRANSLATION"));
  out(Line().x(15).fill('-', 37));
  out(Line().x(15).a("FREQUENCY").x(12).a("IN X DIRECTION"));
  out_empty(1);
  for (int k = 1; k <= n; ++k) out(spectrum_row(k, 0));

  out_empty(2);
  out(Line().x(15).a("RESPONSE SPECTRA CURVE OF ROTATION"));
  out(Line().x(15).fill('-', 34));
  out(Line().x(15).a("FREQUENCY").x(14).a("ABOUT Y AXIS"));
  out_empty(1);
  for (int k = 1; k <= n; ++k) out(spectrum_row(k, 4));
}

}  // namespace eng
