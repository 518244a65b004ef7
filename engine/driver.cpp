// The analysis driver: the frequency loop from the input tables to the
// impedance, stiffness and damping tables, the response and the plot data.
#include "driver.h"

#include <cmath>
#include <cstring>

#include "kernels/complex_types.h"
#include "kernels/solvers.h"
#include "report.h"
#include "analysis.h"
#include "batter.h"
#include "state.h"

namespace eng {

namespace {

constexpr float kPi = 3.1415927f;

using Mat6 = cfloat[36];  // 6 x 6, by columns

inline cfloat& m6(cfloat* a, int i, int j) { return at(a, 6, i, j); }

void zero6(cfloat* a) {
  for (int i = 0; i < 36; ++i) a[i] = cfloat(0.0f, 0.0f);
}

}  // namespace

namespace {

// The transfer matrix from the centre of gravity to the base.
void centre_of_gravity_transfer(float* t) {
  const FoundationData& f = g.foundation;
  for (int i = 0; i < 36; ++i) t[i] = 0.0f;
  for (int i = 1; i <= 6; ++i) at(t, 6, i, i) = 1.0f;
  at(t, 6, 1, 5) = -f.zc;
  at(t, 6, 2, 4) = f.zc;
  at(t, 6, 1, 6) = f.yc;
  at(t, 6, 2, 6) = -f.xc;
  at(t, 6, 3, 4) = -f.yc;
  at(t, 6, 3, 5) = f.xc;
}

}  // namespace


int analysis_point_count(int& time_points, float& step) {
  const RunState& r = g.run;
  time_points = 0;
  step = analysis_frequency_step();
  if (r.load_type == 1) {
    time_points = ROUND_NEAREST(transient_point_count());
    return time_points / 2 + 1;
  }
  if (step == 0.0f) step = 1.0f;
  const float n = (analysis_max_frequency() - analysis_min_frequency()) / step + 1.0f;
  return ROUND_NEAREST(n);
}

bool CHECK_ANALYSIS_LIMITS() {
  int p = 0;
  float step = 0.0f;
  const int n = analysis_point_count(p, step);
  const RunState& r = g.run;
  if (r.load_type == 1 && (p < 1 || p > kMaxTimePoints)) {
    input_error({" *** NUMBER OF TRANSIENT TIME POINTS MUST BE 1 TO 1024 ***", " PROGRAM WILL NOT EXECUTE"});
    return false;
  }
  if (r.load_type != 1 && (n < 1 || n > kMaxFrequencies)) {
    input_error({" *** NUMBER OF FREQUENCY POINTS MUST BE 1 TO 1024 ***", " PROGRAM WILL NOT EXECUTE"});
    return false;
  }
  if (r.load_type == 2 && n > kMaxRandomCurvePoints) {
    input_error({" *** NUMBER OF RANDOM LOAD FREQUENCY POINTS MUST NOT EXCEED 341 ***",
                 " PROGRAM WILL NOT EXECUTE"});
    return false;
  }
  return true;
}

namespace {

// The impedance of the foundation itself at frequency omega, before side
// layers, at the centre of gravity (PILE: of the cap, in cap axes).  Returns
// false when the analysis must stop (message written).
bool base_impedance(float omega, cfloat* k) {
  const RunState& r = g.run;
  float t[36];
  centre_of_gravity_transfer(t);
  Mat6 k0;
  zero6(k0);
  zero6(k);
  switch (r.foundation_type) {
    case 2: {  // HALF
      const SoilProperties& s = g.soil.below;
      if (!(s.velocity > 0.0f)) {
        write_shear_wave_message(s.velocity);
        g.run.fatal = 1;  // "PROGRAM WILL NOT EXECUTE": the run ends refused, not done
        return false;
      }
      half_space_base_impedance(omega, k0);
      TRANSFORM_6X6(k0, t, k, 6);
      break;
    }
    case 3:  // STRA
      stratum_base_impedance(omega, k0);
      TRANSFORM_6X6(k0, t, k, 6);
      break;
    case 1:  // PILE
    case 4:  // MULT
      if (!pile_impedance(omega, k0, k)) return false;
      if (r.foundation_type == 4) TRANSFORM_6X6(k0, t, k, 6);
      break;
    default:
      break;
  }
  return true;
}

// The 6 x 6 impedance at the centre of gravity, at frequency omega (point
// `point`, 1-based), for one pass.  The foundation's own part depends on
// omega alone: pass 1 keeps it per point and pass 2 takes it back when its
// omega is the same, so only the side layers are added anew.  Returns false
// when the analysis must stop (message written).
bool impedance(float omega, int point, int pass, int n_side, cfloat* k) {
  const RunState& r = g.run;
  DriverData& d = g.driver;
  const bool kept = pass == 2 && d.base_kept[point - 1] == 1 && d.base_omega[point - 1] == omega;
  if (kept) {
    std::memcpy(k, driver_tables.base_impedance[point - 1], sizeof(Mat6));
  } else {
    if (!base_impedance(omega, k)) return false;
    if (pass == 1) {
      std::memcpy(driver_tables.base_impedance[point - 1], k, sizeof(Mat6));
      d.base_omega[point - 1] = omega;
      d.base_kept[point - 1] = 1;
    }
  }
  if (n_side > 0 && (r.foundation_type == 2 || r.foundation_type == 1)) add_side_layers(omega, n_side, k);
  // Imaginary-part factor: on the diagonal and on both terms of the two
  // sway-rocking pairs, so that the matrix stays symmetric (reciprocity) and
  // a footing turned by 90 degrees responds with its components swapped.
  // The other couplings (offsets of the centre of gravity, battered piles)
  // keep their imaginary parts; the set of reduced terms maps onto itself
  // under the turn, so the invariance holds for them too.
  auto reduce_imaginary = [&](int i, int j) { m6(k, i, j) = cfloat(m6(k, i, j).real(), 0.7f * m6(k, i, j).imag()); };
  for (int i = 1; i <= 6; ++i) reduce_imaginary(i, i);
  reduce_imaginary(5, 1);
  reduce_imaginary(1, 5);
  reduce_imaginary(2, 4);
  reduce_imaginary(4, 2);
  return true;
}

// Pass 1 stiffness and damping terms.
StiffnessDamping full_terms(const cfloat* k, float omega) {
  StiffnessDamping sd{};
  for (int i = 1; i <= 6; ++i) sd.k[i - 1] = at(k, 6, i, i).real();
  sd.k[6] = at(k, 6, 2, 4).real();
  sd.k[7] = at(k, 6, 5, 1).real();
  for (int i = 1; i <= 6; ++i) sd.c[i - 1] = at(k, 6, i, i).imag() / omega;
  sd.c[3] = std::fabs(at(k, 6, 4, 4).imag()) / omega;
  sd.c[4] = std::fabs(at(k, 6, 5, 5).imag()) / omega;
  sd.c[6] = at(k, 6, 2, 4).imag() / omega;
  sd.c[7] = at(k, 6, 5, 1).imag() / omega;
  return sd;
}

// Pass 2 terms: concentrated horizontal and rocking stiffness with the
// embedment factors, without coupling terms.
StiffnessDamping modified_terms(const cfloat* k, float omega, float depth) {
  const RunState& r = g.run;
  const FoundationData& f = g.foundation;
  float radius = f.radius;
  if (radius == 0.0f) radius = r.geometry == 2 ? 0.5f * (f.side_x + f.side_y) : f.radius;
  const float nu = r.foundation_type == 3 ? g.soil.stratum.poisson : g.soil.below.poisson;
  // A foundation without a radius has no embedment ratio to speak of.
  const float d = radius != 0.0f ? depth / radius : 0.0f;
  const float f1 = 1.0f + 0.55f * (2.0f - nu) * d;
  const float f2 = (1.0f + 1.9f * (2.0f - nu) * d) / std::sqrt(f1);
  const float f3 = 1.0f + 1.2f * (1.0f - nu) * d + 0.2f * (2.0f - nu) * d * d * d;
  const float f4 = (1.0f + 0.7f * (1.0f - nu) * d + 0.6f * (2.0f - nu) * d * d * d) / std::sqrt(f1);
  StiffnessDamping sd{};
  sd.k[0] = f1 * at(k, 6, 1, 1).real();
  sd.k[1] = f1 * at(k, 6, 2, 2).real();
  sd.k[2] = at(k, 6, 3, 3).real();
  sd.k[3] = f2 * at(k, 6, 4, 4).real();
  sd.k[4] = f2 * at(k, 6, 5, 5).real();
  sd.k[5] = at(k, 6, 6, 6).real();
  sd.c[0] = f3 * at(k, 6, 1, 1).imag() / omega;
  sd.c[1] = f3 * at(k, 6, 2, 2).imag() / omega;
  sd.c[2] = at(k, 6, 3, 3).imag() / omega;
  sd.c[3] = std::fabs(f4 * at(k, 6, 4, 4).imag() / omega);
  sd.c[4] = std::fabs(f4 * at(k, 6, 5, 5).imag() / omega);
  sd.c[5] = at(k, 6, 6, 6).imag() / omega;
  return sd;
}

// Effective stiffness: the impedance less the inertia of the foundation.
void subtract_inertia(cfloat* k, float omega) {
  const float* m = g.mass.m;
  const float w2 = omega * omega;
  auto add_real = [&](int i, int j, float v) { m6(k, i, j) += cfloat(v, 0.0f); };
  add_real(1, 1, -w2 * m[0]);
  add_real(2, 2, -w2 * m[0]);
  add_real(3, 3, -w2 * m[0]);
  add_real(4, 4, -w2 * m[1]);
  add_real(5, 5, -w2 * m[2]);
  add_real(6, 6, -w2 * m[3]);
  add_real(4, 5, w2 * m[4]);
  add_real(5, 4, w2 * m[4]);
  add_real(4, 6, w2 * m[5]);
  add_real(6, 4, w2 * m[5]);
  add_real(5, 6, w2 * m[6]);
  add_real(6, 5, w2 * m[6]);
}

// Whether every value of an n-value complex table is finite.
bool all_finite(const cfloat* v, int n) {
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(v[i].real()) || !std::isfinite(v[i].imag())) return false;
  return true;
}

// Solves K U = F (B holds F in, U out; m right-hand sides).  False when the
// system has no solution to report: the factoring failed (B then still holds
// the loads, which must not pass for a response) or the solution is not
// finite (an effective stiffness beyond the range of a real).  A refinement
// that did not settle (130) still leaves its last solution, which stands.
bool solve(const cfloat* k, cfloat* b, int m) {
  cfloat wk[6 * 8];
  float wa[6];
  int ier = 0;
  const int n = 6, ia = 6, ib = 6, ijob = 0;
  LEQ2C(k, n, ia, b, m, ib, ijob, wk, wa, ier);
  if (ier == kSolverSingular) {
    out(kLeq2cErrorLine);
    return false;
  }
  return all_finite(b, 6 * m);
}

// Notes whether the response of point k (1-based) of the current pass could
// be computed; the last pass's notes are those of the result tables.
void note_solved(int k, bool solved) {
  DriverData& d = g.driver;
  if (d.unsolved[k - 1] == 1) --d.n_unsolved;
  d.unsolved[k - 1] = solved ? 0 : 1;
  if (!solved) ++d.n_unsolved;
}

// Input whose numbers leave the range of the analysis (a soil layer so soft
// or a frequency so high that a stiffness overflows) gives no result: the
// run stops at the first frequency without one, before anything of it is
// written, says so and ends with the fatal page instead of tables of NaN.
void write_out_of_range_message(const char* what, float omega) {
  input_error({rt::Line()
                   .x(1)
                   .a("*** ")
                   .a(what)
                   .a(" NOT FINITE AT ")
                   .pe(hertz_of(omega), 10, 3)
                   .a(" Hz - INPUT BEYOND THE NUMERICAL RANGE OF THE ANALYSIS ***")
                   .str(),
               " ANALYSIS TERMINATED"});
}

}  // namespace

namespace {

// The analysis up to the plot data (RUN_ANALYSIS).
void frequency_loop() {
  RunState& r = g.run;
  DriverData& d = g.driver;
  FoundationData& f = g.foundation;

  // Set-up.
  if (!(r.gravity > 0.0f)) {
    write_gravity_message(r.gravity);
    r.fatal = 1;  // "PROGRAM WILL NOT EXECUTE": the run ends refused, not done
    return;
  }
  if (!(r.embedded == 1 || r.foundation_type == 2)) r.n_side_layers = 0;
  const int n_side = r.n_side_layers;
  if (r.foundation_type == 1 || r.foundation_type == 4) {
    layer_cutoff_frequencies();
    for (int i = 0; i < r.n_layers && i < kMaxLayers; ++i) {
      d.mean_radius[i] = 0.5f * (f.radius_x[i] + f.radius_y[i]);
      g.soil.layer.weak_thickness[i] *= d.mean_radius[i];
    }
    if (r.foundation_type == 4) r.n_piles = 1;
  }
  d.n_points = analysis_point_count(d.n_time_points, d.step);
  const int n = d.n_points;
  if (r.foundation_type == 1 && r.interaction == 1 && r.n_piles > 1) pile_group_setup();
  write_plot_count(n);

  // Embedment depth of the pass-2 table.
  float depth = 0.0f;
  if (r.foundation_type == 3) {
    depth = f.embedment;
  } else if (r.foundation_type != 4) {
    for (int i = 0; i < n_side; ++i) depth += g.soil.side_thickness[i];
  }

  for (int pass = 1; pass <= 2; ++pass) {
    float running = analysis_min_frequency() - d.step;
    if (pass == 2) write_special_output_heading();
    const int side_this_pass = pass == 1 ? n_side : 0;
    for (int k = 1; k <= n; ++k) {
      float omega;
      if (r.load_type == 1) {
        omega = k == 1 ? 0.01f
                       : 2.0f * kPi * static_cast<float>(k - 1) /
                             (transient_time_step() * static_cast<float>(d.n_time_points));
      } else {
        running += d.step;
        omega = running > 0.0f ? running : 0.0001f;
      }
      d.omega[k - 1] = omega;

      Mat6 kk;
      if (!impedance(omega, k, pass, side_this_pass, kk)) return;
      if (!all_finite(kk, 36)) {
        write_out_of_range_message("FOUNDATION IMPEDANCE", omega);
        return;
      }

      if (r.matrix == 1) {
        if (pass == 1) {
          if (k == 1) {
            int done = 0;
            WRITE_PAGE_HEADER(2, done);
          }
          const StiffnessDamping sd = full_terms(kk, omega);
          write_stiffness_table(1, omega, sd);
          write_plot_stiffness_records(omega, sd);
        } else {
          write_stiffness_table(2, omega, modified_terms(kk, omega, depth));
        }
      }

      subtract_inertia(kk, omega);
      if (r.load_type == 2) {
        cfloat h[36];
        zero6(h);
        for (int i = 1; i <= 6; ++i) m6(h, i, i) = cfloat(1.0f, 0.0f);
        const bool solved = solve(kk, h, 6);
        note_solved(k, solved);
        if (solved) {
          random_response_spectra(k, h);
        } else {
          for (int i = 0; i < 6; ++i) d.spectrum[k - 1][i] = 0.0f;
        }
        continue;
      }
      cfloat u[6];
      load_vector(k, omega, u);
      const bool solved = solve(kk, u, 1);
      note_solved(k, solved);
      if (!solved) {
        for (int i = 0; i < 6; ++i) u[i] = cfloat(0.0f, 0.0f);
      }
      if (r.load_type == 1) {
        for (int i = 0; i < 6; ++i) d.transient[k - 1][i] = u[i];
      } else {
        for (int i = 0; i < 6; ++i) d.amplitude[k - 1][i] = std::abs(u[i]);
      }
    }
  }

  switch (r.load_type) {
    case 1: write_transient_response(); break;
    case 2: write_random_response(); break;
    case 3: {
      write_harmonic_response_heading();
      for (int k = 1; k <= n; ++k) {
        const float omega = analysis_min_frequency() + static_cast<float>(k - 1) * d.step;
        if (d.unsolved[k - 1] == 1) write_unsolved_response_row(omega);
        else write_harmonic_response_row(omega, d.amplitude[k - 1]);
      }
      break;
    }
    default: break;
  }
  write_unsolved_summary();
}

}  // namespace

void RUN_ANALYSIS() {
  frequency_loop();
  // The plot data are written last, when it is known which points have a response.
  write_plot_file();
}

}  // namespace eng
