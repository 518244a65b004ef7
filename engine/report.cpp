#include "report.h"

#include "analysis.h"
#include "rt/units.h"
#include "state.h"

namespace eng {

using rt::Line;

void out(std::string_view rec) { rt::write_record(g.run.output_unit, rec); }
void out(const Line& line) { out(line.str()); }
void out_empty(int n) {
  for (int i = 0; i < n; ++i) out("");
}

void input_error(std::initializer_list<std::string_view> lines) {
  out_empty(2);
  for (auto l : lines) out(l);
  g.run.fatal = 1;
}

void plot_out(std::string_view rec) { rt::write_record(kUnitPlot, rec); }

void WRITE_BANNER() {
  const std::string stars(49, '*');
  const std::string edge = "*" + std::string(47, ' ') + "*";
  out_empty(3);
  out(Line().x(1).a(stars));
  out(Line().x(1).a(edge));
  out(" *        S O I L - F O U N D A T I O N          *");
  out(Line().x(1).a(edge));
  out(" *     D Y N A M I C   S I M U L A T I O N       *");
  out(Line().x(1).a("*              TREMX ").a(rt::pad(g.files.version, 12)).a("               *"));
  out(Line().x(1).a(edge));
  out(Line().x(1).a("*").x(13).a("RUN DATE - ").x(1).a(rt::pad(rt::run_date_text(), 10)).x(12).a("*"));
  out(Line().x(1).a("*").x(13).a("TIME     -  ").a(rt::pad(rt::run_time_text(), 8)).x(14).a("*"));
  out(Line().x(1).a(edge));
  out(Line().x(1).a(stars));
  out_empty(1);
  out(Line().x(1).a(rt::pad(g.run.title, 80)));
}

void WRITE_PAGE_HEADER(int kind, int& done) {
  WRITE_BANNER();
  done = 1;
  out_empty(2);
  if (kind == 1) {
    const rt::PathParts in = rt::split_path(g.files.input);
    const rt::PathParts rep = rt::split_path(g.files.output);
    const rt::PathParts plot = rt::split_path(g.files.plot);
    out(Line().x(5).a("Path to file locations      : ").a(rt::rtrim(in.drive) + rt::rtrim(in.folder)));
    out(Line().x(5).a("Name of input data file     : ").a(rt::rtrim(in.name) + rt::rtrim(in.ext)));
    out(Line().x(5).a("Name of output file         : ").a(rt::rtrim(rep.name) + rt::rtrim(rep.ext)));
    out(Line().x(5).a("Name of plot output file    : ").a(rt::rtrim(plot.name) + rt::rtrim(plot.ext)));
    out_empty(2);
    out(Line().x(22).a("DATA ECHO"));
    out(Line().x(22).fill('*', 9));
  } else {
    out(Line().x(33).a("RESULTS"));
    out(Line().x(33).fill('*', 7));
  }
}

void write_gravity_message(float gravity) {
  out_empty(2);
  out(Line().x(1).a("*** INADMISSABLE VALUE FOR GRAVITATIONAL CONSTANT (").pe(gravity, 10, 3).a(") ***"));
  out(" ***PROGRAM WILL NOT EXECUTE***");
}

void write_shear_wave_message(float vs) {
  out_empty(2);
  out(Line().x(1).a("***INADMISSABLE VALUE FOR SHEAR WAVE VELOCITY OF HALF-SPACE (").pe(vs, 9, 2).a(") ***"));
  out(" ***PROGRAM WILL NOT EXECUTE***");
}

namespace {

struct TermRow {
  const char* caption;
  const std::string UnitLabels::*label;
};

void write_terms(const TermRow* rows, const float* values, int n) {
  for (int i = 0; i < n; ++i)
    out(Line().x(1).a(rows[i].caption).pe(values[i], 13, 5).x(1).a(g.labels.*(rows[i].label)));
}

}  // namespace

void write_stiffness_table(int pass, float omega, const StiffnessDamping& sd) {
  static const TermRow kStiff[8] = {
      {"HORIZONTAL TRANSLATION (KXX) ..", &UnitLabels::trans_stiffness},
      {"HORIZONTAL TRANSLATION (KYY) ..", &UnitLabels::trans_stiffness},
      {"VERTICAL TRANSLATION (KWW)  ...", &UnitLabels::trans_stiffness},
      {"ROTATION (KPPX) .............. ", &UnitLabels::rot_stiffness},
      {"ROTATION (KPPY)  ..............", &UnitLabels::rot_stiffness},
      {"TORSION (KZT)  ................", &UnitLabels::rot_stiffness},
      {"CROSS-STIFFNESS (KXP)  ........", &UnitLabels::coupling_stiffness},
      {"CROSS-STIFFNESS (KYP) ........ ", &UnitLabels::coupling_stiffness},
  };
  static const TermRow kDamp[8] = {
      {"HORIZONTAL TRANSLATION (CXX) ..", &UnitLabels::trans_damping},
      {"HORIZONTAL TRANSLATION (CYY) ..", &UnitLabels::trans_damping},
      {"VERTICAL TRANSLATION (CWW)  ...", &UnitLabels::trans_damping},
      {"ROTATION (CPPX)  ..............", &UnitLabels::rot_damping},
      {"ROTATION (CPPY)  ..............", &UnitLabels::rot_damping},
      {"TORSION (CZT)  ................", &UnitLabels::rot_damping},
      {"CROSS-STIFFNESS (CXP)  ........", &UnitLabels::coupling_damping},
      {"CROSS-STIFFNESS (CYP)  ........", &UnitLabels::coupling_damping},
  };
  const int n = pass == 1 ? 8 : 6;
  out_empty(2);
  out(Line().x(1).a("FREQUENCY  -  ").f(hertz_of(omega), 12, 4).a(" Hz ").a("(").f(omega, 12, 4).a(" rad./sec.)"));
  out(Line().x(1).fill('*', 9));
  out_empty(1);
  out(" STIFFNESS CONSTANTS (K)");
  out(Line().x(1).fill('*', 23));
  out_empty(1);
  write_terms(kStiff, sd.k, n);
  out_empty(1);
  out(" DAMPING CONSTANTS (C)");
  out(Line().x(1).fill('*', 21));
  out_empty(1);
  write_terms(kDamp, sd.c, n);
}

void write_plot_stiffness_records(float omega, const StiffnessDamping& sd) {
  DriverData& d = g.driver;
  if (d.plot_points >= kMaxFrequencies) return;
  float* k = driver_tables.plot_stiffness[d.plot_points];
  float* c = driver_tables.plot_damping[d.plot_points];
  k[0] = c[0] = omega;
  for (int i = 0; i < 8; ++i) {
    k[i + 1] = sd.k[i];
    c[i + 1] = sd.c[i];
  }
  ++d.plot_points;
}

void write_plot_count(int n) { g.driver.plot_count = n; }

namespace {

void plot_record(const float* values) {
  Line rec;
  for (int i = 0; i < 9; ++i) rec.x(1).e(values[i], 10, 3);
  plot_out(rec);
}

Line response_record(float omega, const float amp[6]) {
  Line rec;
  rec.x(1).f(omega, 7, 2).x(2);
  for (int i = 0; i < 6; ++i) rec.x(1).pe(amp[i], 11, 4);
  return rec;
}

}  // namespace

void write_plot_file() {
  const DriverData& d = g.driver;
  if (d.plot_count < 0) return;
  // Only a harmonic response table that was written has points to leave out.
  const bool harmonic = g.run.load_type == 3 && d.plot_response_rows > 0;
  const auto left_out = [&](int point) { return harmonic && point < kMaxFrequencies && d.unsolved[point] == 1; };
  int count = d.plot_count;
  for (int k = 0; k < d.plot_count && k < kMaxFrequencies; ++k)
    if (left_out(k)) --count;
  plot_out(rt::fmt_list_int(count));
  for (int k = 0; k < d.plot_points; ++k) {
    if (left_out(k)) continue;
    plot_record(driver_tables.plot_stiffness[k]);
    plot_record(driver_tables.plot_damping[k]);
  }
  for (int k = 0; k < d.plot_response_rows; ++k)
    if (!left_out(k)) plot_out(response_record(driver_tables.plot_response_omega[k], d.amplitude[k]));
}

void write_special_output_heading() {
  out_empty(3);
  out("************** SPECIAL OUTPUT OPTION **************");
  out_empty(1);
  out(" CONCENTRATED HORIZONTAL AND ROCKING STIFFNESS ");
  out(" WITHOUT SEPARATED COUPLING TERMS");
  out(Line().x(1).fill('-', 45));
}

void write_harmonic_response_heading() {
  int done = 0;
  WRITE_PAGE_HEADER(2, done);
  out_empty(2);
  out(Line().x(24).a("FOOTING RESPONSE AMPLITUDES"));
  out(Line().x(24).fill('-', 27));
  out_empty(1);
  out(" "
      "   FREQ.    FREQ.     TRANS. X    TRANS. Y    VERTICAL"
      "   ROT ABOUT   ROT ABOUT   TORSIONAL");
  out(" "
      "    Hz    rad/sec    DIRECTION   DIRECTION            "
      "     X AXIS       Y AXIS            ");
  out(" "
      "                       (UOX)       (UOY)       (UOZ)  "
      "     (EPOX)      (EPOY)      (EPOZ)");
  const std::string& len = g.labels.length;
  out(Line().x(26).a(len).x(10).a(len).x(10).a(len).x(10).a("rad").x(9).a("rad").x(9).a("rad"));
  out(" "
      "  ------  -------    ---------   ---------   ---------"
      "   ---------   ---------   ---------");
  out_empty(1);
}

void write_harmonic_response_row(float omega, const float amp[6]) {
  Line row;
  row.x(2).f(hertz_of(omega), 7, 2).x(2).f(omega, 7, 2).x(2);
  for (int i = 0; i < 6; ++i) row.x(1).pe(amp[i], 11, 4);
  out(row);
  DriverData& d = g.driver;
  if (d.plot_response_rows < kMaxFrequencies) driver_tables.plot_response_omega[d.plot_response_rows++] = omega;
}

void write_unsolved_response_row(float omega) {
  Line row;
  row.x(2).f(hertz_of(omega), 7, 2).x(2).f(omega, 7, 2).x(2);
  for (int i = 0; i < 6; ++i) row.x(1).a(kNotSolved, 11);
  out(row);
  DriverData& d = g.driver;
  if (d.plot_response_rows < kMaxFrequencies) driver_tables.plot_response_omega[d.plot_response_rows++] = omega;
}

std::string unsolved_summary_line() {
  const DriverData& d = g.driver;
  return "*** RESPONSE NOT COMPUTED AT " + std::to_string(d.n_unsolved) + " OF " + std::to_string(d.n_points) +
         " FREQUENCIES: THE EQUATIONS OF MOTION COULD NOT BE SOLVED ***";
}

void write_unsolved_summary() {
  const DriverData& d = g.driver;
  if (d.n_unsolved == 0) return;
  out_empty(2);
  out(Line().x(1).a(unsolved_summary_line()));
  out(Line().x(1).a("*** FREQUENCIES WITHOUT A RESPONSE (MARKED NOT SOLVED ABOVE): ***"));
  out(Line().x(1).a("    Hz    rad/sec"));
  for (int k = 1; k <= d.n_points && k <= kMaxFrequencies; ++k) {
    if (d.unsolved[k - 1] != 1) continue;
    // The frequencies as the result tables above print them.
    const float omega = g.run.load_type == 3 ? analysis_min_frequency() + static_cast<float>(k - 1) * d.step
                                             : d.omega[k - 1];
    out(Line().x(2).f(hertz_of(omega), 7, 2).x(2).f(omega, 7, 2));
  }
}

}  // namespace eng
