// Checks of the whole deck after reading; the rule and the list are in
// input_checks.h.
#include "input_checks.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>

#include "prepass.h"
#include "report.h"
#include "rt/format.h"
#include "state.h"

namespace eng {

namespace {

enum FoundationType : int { kPile = 1, kHalf = 2, kStratum = 3, kMulti = 4 };

class Checker {
 public:
  // One refused value: " *** <what> <rule> ***", the rule for instance "MUST BE ABOVE 0" or
  // "MUST NOT BE NEGATIVE".
  void refuse(const std::string& what, const std::string& rule) {
    input_error({" *** " + what + " " + rule + " ***", " PROGRAM WILL NOT EXECUTE"});
    ok = false;
  }
  void positive(float v, const std::string& what) {
    if (!(v > 0.0f)) refuse(what, "MUST BE ABOVE 0");
  }
  void not_negative(float v, const std::string& what) {
    if (!(v >= 0.0f)) refuse(what, "MUST NOT BE NEGATIVE");
  }
  // No isotropic elastic medium has a Poisson's ratio above 0.5 or at or
  // below -1: the footing terms 4/(1 - nu) and 8/(3(1 - nu)) grow without
  // bound towards 1 (and divide by zero there), and the soil's Young's modulus
  // 2(1 + nu)G of the pile groups vanishes at -1.  0.5 is the incompressible
  // soil, which the kernels compute as such.  The value is given as read, in
  // the fewest digits that tell it from the limit (0.50001, not 0.50000).
  void poisson(float v, const std::string& what) {
    if (v > -1.0f && v <= 0.5f) return;
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    std::string text(buf, end);
    for (char& ch : text) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    refuse(what, "MUST BE ABOVE -1 AND AT MOST 0.5, NOT " + text);
  }
  bool ok = true;
};

std::string numbered(const char* what, int i) { return std::string(what) + " " + std::to_string(i); }

int clamp_count(int n) { return std::clamp(n, 0, kMaxLayers); }

// The soil values every layer table row carries; `weak` adds its weak zone.
// `who` names the row, for instance "LAYER 3".
void check_layer(Checker& c, const SoilLayerTable& t, int i, const std::string& who, bool weak) {
  c.not_negative(t.velocity[i], "SHEAR WAVE VELOCITY OF " + who);
  c.not_negative(t.unit_weight[i], "UNIT WEIGHT OF " + who);
  c.not_negative(t.damping[i], "MATERIAL DAMPING OF " + who);
  c.poisson(t.poisson[i], "POISSONS RATIO OF " + who);
  if (weak) {
    // A weak zone of some thickness whose shear ratio is not above 0 is an
    // annulus without stiffness around the pile: it takes the soil away (the
    // reactions of the two-zone solution vanish or turn negative).  Without
    // thickness there is no zone and a ratio of 0 means nothing.
    const float ratio = t.weak_shear_ratio[i];
    if (t.weak_thickness[i] != 0.0f && !(ratio > 0.0f)) {
      std::string v = rt::fmt_f(ratio, 12, 5);
      v.erase(0, v.find_first_not_of(' '));
      c.refuse("WEAK SHEAR RATIO OF " + who, "MUST BE ABOVE 0, NOT " + v + " (1 MEANS NO WEAK ZONE)");
    } else {
      c.not_negative(ratio, "WEAK SHEAR RATIO OF " + who);
    }
    // Read with the other weak values, it is checked as they are.
    c.poisson(t.weak_poisson[i], "WEAK POISSONS RATIO OF " + who);
    c.not_negative(t.weak_damping[i], "WEAK MATERIAL DAMPING OF " + who);
    c.not_negative(t.weak_thickness[i], "WEAK ZONE THICKNESS OF " + who);
  }
}

void check_soil(Checker& c, const SoilProperties& s, const std::string& what, bool velocity) {
  if (velocity) c.not_negative(s.velocity, "SHEAR WAVE VELOCITY OF " + what);
  c.not_negative(s.unit_weight, "UNIT WEIGHT OF " + what);
  c.not_negative(s.damping, "MATERIAL DAMPING OF " + what);
  c.poisson(s.poisson, "POISSONS RATIO OF " + what);
}

// The elements of a pile or shaft and the soil along them.
void check_elements(Checker& c) {
  const RunState& r = g.run;
  const FoundationData& f = g.foundation;
  const SoilData& s = g.soil;
  const int n = clamp_count(r.n_layers);
  for (int i = 0; i < n; ++i) {
    // A parabolic profile's thicknesses are made from the pile length, which
    // its reader already requires to be above 0.
    if (r.soil_profile == 1) c.positive(f.layer_depth[i], numbered("THICKNESS OF ELEMENT", i + 1));
    const float* const section[6] = {f.radius_x, f.radius_y, f.section_area, f.inertia_x, f.inertia_y,
                                     f.torsional_stiffness};
    const char* const names[6] = {"PILE RADIUS (X)", "PILE RADIUS (Y)", "CROSS SECTIONAL AREA",
                                  "MOMENT OF INERTIA (X)", "MOMENT OF INERTIA (Y)", "TORSIONAL STIFFNESS"};
    for (int k = 0; k < 6; ++k) c.not_negative(section[k][i], std::string(names[k]) + " OF ELEMENT " + std::to_string(i + 1));
    // The layers below a multilayer shaft's adjacent ones carry no weak zone
    // but a shear modulus ratio of their own.
    const bool adjacent = r.foundation_type != kMulti || i < ROUND_NEAREST(s.n_adjacent);
    check_layer(c, s.layer, i, numbered("LAYER", i + 1), adjacent && r.weak_layer == 1);
    if (!adjacent) c.not_negative(s.shear_modulus_ratio[i], numbered("SHEAR MODULUS RATIO OF LAYER", i + 1));
  }
  c.not_negative(f.pile_unit_weight, "UNIT WEIGHT OF THE PILE MATERIAL");
  c.not_negative(f.pile_damping, "MATERIAL DAMPING OF THE PILE MATERIAL");
  c.not_negative(f.youngs_modulus, "YOUNGS MODULUS");
  // Soil below the tips: any velocity (Vs <= 0 is a free tip).
  check_soil(c, s.below, "THE SOIL BELOW", false);
}

// Side layers in use: a half-space's (CONS) or a pile cap's (EMBE).
int side_layers_in_use() {
  const RunState& r = g.run;
  if (r.foundation_type == kHalf || (r.foundation_type == kPile && r.embedded == 1))
    return clamp_count(r.n_side_layers);
  return 0;
}

void check_side_layers(Checker& c, int n) {
  const SoilData& s = g.soil;
  const bool weak = g.run.foundation_type == kHalf ? g.run.weak_layer == 1 : g.run.side_cap == 1;
  for (int i = 0; i < n; ++i) {
    c.not_negative(s.side_thickness[i], numbered("THICKNESS OF SIDE LAYER", i + 1));
    check_layer(c, s.side, i, numbered("SIDE LAYER", i + 1), weak);
  }
}

// The footing's radius or sides, where its size enters the result.
void check_footing_size(Checker& c) {
  const FoundationData& f = g.foundation;
  if (g.run.geometry == 1)
    c.positive(f.radius, "FOUNDATION RADIUS (SIDE LAYERS IN USE)");
  else
    c.positive(std::min(f.side_x, f.side_y), "FOUNDATION SIDE (SIDE LAYERS IN USE)");
}

}  // namespace

bool CHECK_PHYSICAL_INPUT() {
  const RunState& r = g.run;
  Checker c;
  const int type = r.foundation_type;

  if (g.soil.given_for != type) {
    c.refuse("NO SOIL DATA FOR THIS FOUNDATION TYPE (SOIL BLOCK)", "MISSING");
  } else {
    switch (type) {
      case kPile:
      case kMulti:
        check_elements(c);
        break;
      case kHalf:
        // Vs of the half-space itself: the driver's own message.
        check_soil(c, g.soil.below, "THE HALF-SPACE", false);
        break;
      case kStratum:
        check_soil(c, g.soil.stratum, "THE STRATUM", true);
        c.not_negative(g.foundation.embedment, "DEPTH OF EMBEDMENT");
        break;
      default:
        break;
    }
    const int n_side = side_layers_in_use();
    check_side_layers(c, n_side);
    // Half-space and stratum footings are refused by the geometry reader.
    if (type == kPile && n_side > 0) check_footing_size(c);
  }

  const char* const masses[4] = {"MASS", "MASS MOMENT ABOUT X", "MASS MOMENT ABOUT Y", "MASS MOMENT ABOUT Z"};
  for (int i = 0; i < 4; ++i) c.not_negative(g.mass.m[i], masses[i]);
  if (r.load_type == 1) c.positive(g.load.time_step, "TIME STEP OF THE TRANSIENT LOAD");
  return c.ok;
}

}  // namespace eng
