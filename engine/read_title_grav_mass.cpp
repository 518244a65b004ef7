// Small readers: MASS (inside FOUN), GRAV, TITL, and the unit labels.
#include "prepass.h"
#include "readers.h"
#include "report.h"
#include "rt/format.h"
#include "rt/units.h"
#include "state.h"

namespace eng {

using rt::Line;

void SET_UNIT_LABELS() {
  UnitLabels& l = g.labels;
  if (g.run.unit_system == 1) {
    l = UnitLabels{"ft", "lb-ft", "lb ", "psf", "lb/ft**3", "ft/s**2", "ft**2", "ft/s", "ft**4",
                   "slug", "slug-ft**2", "lb/ft", "lb-ft/rad", "lb/ft/sec", "lb-ft/rad/sec",
                   "lb/rad", "lb/rad/sec", "slug-ft"};
  } else {
    l = UnitLabels{"m ", "kN-m ", "kN.", "kPa", "kN/m**3 ", "m/s**2 ", "m**2 ", "m/s ", "m**4 ",
                   "Mg  ", "Mg-m**2   ", "kN/m ", "kN-m/rad ", "kN/m/sec ", "kN-m/rad/sec ",
                   "kN/rad", "kN/rad/sec", "Mg-m   "};
  }
}

void READ_GRAVITY() {
  RunState& r = g.run;
  float v = 0.0f;
  if (read_number(v) <= 0) {
    r.gravity_given = 0;
    input_error({" ERROR ENCOUNTERED WHILE READING GRAV. CONSTANT", " PROGRAM WILL NOT EXECUTE"});
    return;
  }
  r.gravity = v;
  if (r.echo == 1 && r.fatal == 0) {
    r.unit_system = r.gravity > 10.0f ? 1 : 2;
    SET_UNIT_LABELS();
    out_empty(2);
    out(Line().x(1).a("GRAVITATIONAL CONSTANT SET TO").f(r.gravity, 7, 2).x(1).a(g.labels.acceleration));
    out(Line().x(1).fill('*', 44));
  }
}

void READ_TITLE(int& status) {
  std::string rec;
  if (!rt::read_record(g.run.reading_unit, rec)) {
    out_empty(2);
    out(" END OF FILE ENCOUNTERED WHILE READING TITLE");
    status = -1;
    return;
  }
  g.run.title = rt::pad(rec, 80);
  if (g.run.echo == 1) WRITE_PAGE_HEADER(1, g.reader.page_header_done);
  status = 1;
}

void READ_MASS() {
  RunState& r = g.run;
  float* m = g.mass.m;
  for (int i = 0; i < 7; ++i) {
    if (read_number(m[i]) <= 0) {
      input_error({" ERROR ENCOUNTERED IN FOUNDATION MASS DESCRIPTION", " PROGRAM WILL NOT EXECUTE"});
      break;
    }
  }
  if (r.echo != 1) return;

  const UnitLabels& l = g.labels;
  out_empty(2);
  out(" MASS CONSTANTS");
  out(Line().x(1).fill('*', 14));
  out_empty(1);
  out(Line().x(1).a("TOTAL MASS OF FOOTING  .........").pe(m[0], 12, 5).x(1).a(l.mass));
  static const char* const kMoments[6] = {
      "MASS MOMENT ABOUT X-AXIS  ......", "MASS MOMENT ABOUT Y-AXIS  ......",
      "MASS MOMENT ABOUT Z-AXIS  ......", "CROSS PRODUCT X-Y  .............",
      "CROSS PRODUCT X-Z  .............", "CROSS PRODUCT Y-Z  ............."};
  for (int i = 0; i < 6; ++i) out(Line().x(1).a(kMoments[i]).pe(m[i + 1], 12, 5).x(1).a(l.mass_moment));

  // The mass components of the mass file, for the echo only.
  double count = 0;
  if (!rt::unit_is_open(kUnitMass) || !rt::read_list(kUnitMass, &count, 1)) {
    out_empty(2);
    out(" *** MASS FILE COULD NOT BE READ - MASS COMPONENTS NOT LISTED ***");
    return;
  }
  if (!(count >= 1.0)) return;
  const int n = count > 1e6 ? 1000000 : static_cast<int>(count);
  out_empty(2);
  out(Line().x(1).a("MASS COMPONENTS  NUMBER OF DEFINED MASSES -").i(n, 3));
  out(Line().x(1).fill('*', 15));
  out_empty(1);
  out(" "
      "  NO.     MASS     x-local   y-local   z-local  LENGTH-X  LENGTH-Y  LENGTH-Z ");
  Line units;
  units.x(11).a(l.mass).x(7).a(l.length);
  for (int k = 0; k < 5; ++k) units.x(8).a(l.length);
  out(units);
  for (int i = 1; i <= n; ++i) {
    double v[7];
    if (!rt::read_list(kUnitMass, v, 7)) {
      out(" *** MASS FILE ENDS BEFORE ALL MASS COMPONENTS WERE READ ***");
      return;
    }
    Line row;
    row.x(1).i(i, 3).x(1).f(v[0], 11, 3);
    for (int k = 1; k < 7; ++k) row.x(2).f(v[k], 8, 3);
    out(row);
  }
}

}  // namespace eng
