// The LOAD block: READ_LOAD (load type and CONS) and READ_LOAD_CONSTANTS
// for harmonic, random and transient loads.
#include "read_load.h"

#include <cmath>
#include <string>

#include "keywords.h"
#include "kernels/fft.h"
#include "prepass.h"
#include "readers.h"
#include "report.h"
#include "rt/format.h"
#include "state.h"

namespace eng {

using rt::Line;

namespace {

void load_error() {
  input_error({"  ERROR ENCOUNTERED IN LOAD DESCRIPTION", "         - WILL CONTINUE TO PROCESS DATA",
               "      - CANNOT EXECUTE T HIS PROBLEM SET"});
}

// Reads n numbers into v; false (with the load error) at the first failed read.
bool read_numbers(float* v, int n) {
  for (int k = 0; k < n; ++k) {
    if (read_number(v[k]) <= 0) {
      load_error();
      return false;
    }
  }
  return true;
}

// A count beyond its table is refused before anything is stored.
bool count_ok(int n, int limit, const char* what) {
  if (n <= limit) return true;
  input_error({std::string(" ERROR - NUMBER OF ") + what + " EXCEEDS " + std::to_string(limit),
               " PROGRAM WILL NOT EXECUTE"});
  return false;
}

// A location or load code of 1 to 6; `what` names it in the message.
bool read_code(int& code, const char* what) {
  float v = 0.0f;
  if (!read_numbers(&v, 1)) return false;
  code = ROUND_NEAREST(v);
  if (code >= 1 && code <= 6) return true;
  out_empty(1);
  out(Line().x(1).a("ERROR - ").a(what).a(" ( ").i(code, 3).a(" ) CANNOT BE "));
  out(Line().x(9).a("LESS THAN 1 OR EXCEED A VALUE OF 6"));
  load_error();
  return false;
}

void harmonic_load() {
  RunState& r = g.run;
  LoadData& d = g.load;
  std::string word;
  read_word(word);
  const int form = lookup_keyword(word);
  if (form == KW_NONQ) r.harmonic_form = 1;
  if (form == KW_QUAD) r.harmonic_form = 2;

  float fr[3];
  if (!read_numbers(fr, 3)) return;
  d.max_frequency = fr[0];
  d.min_frequency = fr[1];
  d.frequency_step = fr[2];
  float f[6];
  if (!read_numbers(f, 6)) return;

  // The point of application: from the centre of gravity (global axes, z
  // down), or with switch 1 in the local axes of the mass components (z up),
  // followed by the centre of the base (xr, yr, zr) in those axes.  The base
  // centre is (xc, yc, zc) from the centre of gravity, so the centre of
  // gravity is at (xr - xc, yr - yc, zr + zc) in local axes, and the point's
  // global z, measured down from it, is (zr + zc) - z.  (With zr = 0 this is
  // zc - z; the same form turns a global z back into the local one.)
  float x = 0.0f, y = 0.0f, z = 0.0f, s = 0.0f;
  read_number(x);
  read_number(y);
  read_number(z);
  if (!read_numbers(&s, 1)) return;
  if (s == 1.0f) {
    float xr = 0.0f, yr = 0.0f, zr = 0.0f;
    read_number(xr);
    read_number(yr);
    if (!read_numbers(&zr, 1)) return;
    const FoundationData& fd = g.foundation;
    x = x - (xr - fd.xc);
    y = y - (yr - fd.yc);
    z = (zr + fd.zc) - z;
  }
  // Moments about the centre of gravity.
  float* h = d.harmonic;
  h[0] = f[0];
  h[1] = f[1];
  h[2] = f[2];
  h[3] = f[3] - y * f[2] + z * f[1];
  h[4] = f[4] - z * f[0] + x * f[2];
  h[5] = f[5] - x * f[1] + y * f[0];
  if (r.echo != 1) return;

  const UnitLabels& l = g.labels;
  const bool quad = r.harmonic_form == 2;
  out_empty(2);
  if (quad) {
    out(" HARMONIC LOAD, QUADRATIC");
    out(Line().x(1).fill('*', 24));
  } else {
    out(" HARMONIC LOAD, NON QUADRATIC");
    out(Line().x(1).fill('*', 28));
  }
  out_empty(1);
  out(Line().x(1).a("MAXIMUM FREQUENCY ..............").pe(hertz_of(d.max_frequency), 10, 3).x(1).a("Hz"));
  out(Line().x(1).a("MINIMUM FREQUENCY ..............").pe(hertz_of(d.min_frequency), 10, 3).x(1).a("Hz"));
  out(Line().x(1).a("STEP FREQUENCY .................").pe(hertz_of(d.frequency_step), 10, 3).x(1).a("Hz"));
  static const char* const kForce[2][3] = {
      {"FORCE IN X-DIRECTION  ..........", "FORCE IN Y-DIRECTION  ..........",
       "FORCE IN Z-DIRECTION  .........."},
      {"FORCE COEFF. IN X-DIRECTION  ...", "FORCE COEFF. IN Y-DIRECTION  ...",
       "FORCE COEFF. IN Z-DIRECTION  ..."}};
  static const char* const kMoment[2][3] = {
      {"MOMENT ABOUT X-AXIS  ...........", "MOMENT ABOUT Y-AXIS  ...........",
       "MOMENT ABOUT Z-AXIS  ..........."},
      {"MOMENT COEFF. ABOUT X-AXIS  ....", "MOMENT COEFF. ABOUT Y-AXIS  ....",
       "MOMENT COEFF. ABOUT Z-AXIS  ...."}};
  const int q = quad ? 1 : 0;
  for (int i = 0; i < 3; ++i)
    out(Line().x(1).a(kForce[q][i]).pe(h[i], 10, 3).x(1).a(quad ? l.mass_length : l.force));
  for (int i = 0; i < 3; ++i)
    out(Line().x(1).a(kMoment[q][i]).pe(h[i + 3], 10, 3).x(1).a(quad ? l.mass_moment : l.moment));
}

void random_load() {
  LoadData& d = g.load;
  float v[5];
  if (!read_numbers(v, 5)) return;
  const int n = ROUND_NEAREST(v[2]);
  const int ns = ROUND_NEAREST(v[4]);
  if (!count_ok(n, kMaxRandomPoints, "RANDOM LOAD POINTS") || !count_ok(ns, kMaxSpectra, "SPECTRA")) return;
  d.max_frequency = v[0];
  d.min_frequency = v[1];
  d.random_points = v[2];
  d.observation_period = v[3];
  d.n_spectra = v[4];
  float divisor = v[2] - 1.0f;
  if (divisor == 0.0f) divisor = 1.0f;
  d.frequency_step = (v[0] - v[1]) / divisor;

  for (int k = 0; k < n; ++k)
    for (int m = 0; m < 36; ++m) {
      d.random_amplitude[k][m] = 0.0f;
      d.spectral_matrix[k][m] = cfloat(0.0f, 0.0f);
    }
  for (int j = 0; j < ns; ++j) {
    int l1 = 0, l2 = 0;
    if (!read_code(l1, "LOCATION OF SPECTRA")) return;
    if (!read_code(l2, "LOCATION OF SPECTRA")) return;
    d.spectrum_location[j][0] = l1;
    d.spectrum_location[j][1] = l2;
    for (int k = 0; k < n; ++k)
      if (!read_numbers(&at(d.random_amplitude[k], 6, l1, l2), 1)) return;
  }
  // The spectral matrix of each point, real and symmetric.
  for (int j = 0; j < ns; ++j) {
    const int l1 = d.spectrum_location[j][0];
    const int l2 = d.spectrum_location[j][1];
    for (int k = 0; k < n; ++k) {
      const cfloat a(at(d.random_amplitude[k], 6, l1, l2), 0.0f);
      at(d.spectral_matrix[k], 6, l1, l2) = a;
      at(d.spectral_matrix[k], 6, l2, l1) = a;
    }
  }
  if (g.run.echo != 1) return;

  out_empty(2);
  out(" RANDOM LOAD");
  out(Line().x(1).fill('*', 11));
  out_empty(1);
  out(Line().x(1).a("MAXIMUM FREQUENCY (Hz)  ........").f(hertz_of(d.max_frequency), 7, 3));
  out(Line().x(1).a("MINIMUM FREQUENCY (Hz) .........").f(hertz_of(d.min_frequency), 7, 3));
  out(Line().x(1).a("NUMBER OF POINTS  ..............").i(n, 4));
  out(Line().x(1).a("NUMBER OF SPECTRA  .............").i(ns, 4));
  for (int j = 0; j < ns; ++j) {
    const int l1 = d.spectrum_location[j][0];
    const int l2 = d.spectrum_location[j][1];
    out_empty(1);
    out(Line().x(1).a("LOCATION OF SPECTRA  -  ").i(l1, 3).x(2).i(l2, 3));
    out_empty(1);
    out(Line().x(1).a("LOAD AMPLITUDES").x(1).a(g.labels.force));
    out_empty(1);
    for (int k = 0; k < n; ++k) out(Line().x(2).e(at(d.random_amplitude[k], 6, l1, l2), 10, 3));
  }
}

void transient_load() {
  LoadData& d = g.load;
  float v[3];
  if (!read_numbers(v, 3)) return;
  const int n = ROUND_NEAREST(v[0]);
  const int nl = ROUND_NEAREST(v[2]);
  if (n < 1) {
    input_error({" ERROR - NUMBER OF TRANSIENT POINTS MUST BE AT LEAST 1", " PROGRAM WILL NOT EXECUTE"});
    return;
  }
  if (!count_ok(n, kMaxTimePoints, "TRANSIENT POINTS") || !count_ok(nl, kMaxTransientLoads, "TRANSIENT LOADS"))
    return;
  const float p = v[0];
  d.time_points = p;
  d.time_step = v[1];
  d.n_loads = v[2];

  cfloat work[kMaxTimePoints];
  for (int k = 0; k < n; ++k) {
    for (int s = 0; s < kMaxTransientLoads; ++s) d.load_amplitude[s][k] = 0.0f;
    work[k] = cfloat(0.0f, 0.0f);
    for (int c = 0; c < 6; ++c) d.load_spectrum[k][c] = cfloat(0.0f, 0.0f);
  }
  for (int s = 0; s < nl; ++s) {
    int c = 0;
    if (!read_code(c, "LOAD TYPE INDICATOR")) return;
    d.load_code[s] = c;
    for (int k = 0; k < n; ++k) {
      if (!read_numbers(&d.load_amplitude[s][k], 1)) return;
      work[k] = cfloat(d.load_amplitude[s][k], 0.0f);
    }
    MIXED_RADIX_FFT(work, n);
    for (int k = 0; k < n; ++k) {
      d.load_spectrum[k][c - 1] = std::conj(work[k]) / p;
      work[k] = cfloat(0.0f, 0.0f);
    }
  }
  d.half_points_plus_two = p * 0.5f + 2.0f;
  if (g.run.echo != 1) return;

  const UnitLabels& l = g.labels;
  out_empty(2);
  out(" TRANSIENT LOAD");
  out(Line().x(1).fill('*', 14));
  out_empty(1);
  out(Line().x(1).a("NUMBER OF POINTS  ..............  ").i(n, 4));
  out(Line().x(1).a("TIME INTERVAL BETWEEN POINTS  ..").f(d.time_step, 7, 3));
  out(Line().x(1).a("NUMBER OF LOADS  ...............").i(nl, 3));
  static const char* const kCaption[6] = {
      "LOAD TYPE CODE - 1 (FORCE IN X-DIRECTION)",  "LOAD TYPE CODE - 2 (FORCE IN Y-DIRECTION)",
      "LOAD TYPE CODE - 3 (FORCE IN Z-DIRECTION)",  "LOAD TYPE CODE - 4 (ROTATION ABOUT X-AXIS)",
      "LOAD TYPE CODE - 5 (ROTATION ABOUT Y-AXIS)", "LOAD TYPE CODE - 6 (ROTATION ABOUT Z-AXIS)"};
  for (int s = 0; s < nl; ++s) {
    const int c = d.load_code[s];
    out_empty(1);
    out(Line().x(1).a(kCaption[c - 1]));
    out_empty(1);
    if (c <= 3) {
      out(Line().x(1).a("LOAD AMPLITUDES").x(1).a(l.force));
      out_empty(1);
    } else if (c == 4) {
      out(" LOAD AMPLITUDES");
      out(Line().x(1).a(l.moment));
    } else {
      out(Line().x(1).a("LOAD AMPLITUDES").x(1).a(l.moment));
      out_empty(1);
    }
    for (int k = 0; k < n; ++k) out(Line().x(3).pe(d.load_amplitude[s][k], 10, 3));
  }
}

}  // namespace

void READ_LOAD_CONSTANTS() {
  switch (g.run.load_type) {
    case 3:
      harmonic_load();
      break;
    case 2:
      random_load();
      break;
    case 1:
      transient_load();
      break;
    default:
      break;
  }
}

void READ_LOAD() {
  RunState& r = g.run;
  std::string word;
  read_word(word);
  // An unknown word gets the unrecognised-keyword line of the look-up, then
  // the type message, which names the word itself.
  switch (lookup_keyword(word)) {
    case KW_HARM:
      r.load_type = 3;
      break;
    case KW_RAND:
      r.load_type = 2;
      break;
    case KW_TRAN:
      r.load_type = 1;
      break;
    default:
      input_error({" INVALID OR UNRECOGNIZED KEYWORD - " + rt::pad(word, 4) + " FOR LOAD    TYPE",
                   " PROGRAM WILL NOT EXECUTE"});
      return;
  }
  read_word(word);
  if (lookup_keyword(word) == KW_CONS) {
    READ_LOAD_CONSTANTS();
  } else {
    input_error({" 'CONSTANT' KEYWORD MISSING FOR LOAD DESCRIPTION", " PROGRAM WILL NOT EXECUTE"});
  }
}

}  // namespace eng
