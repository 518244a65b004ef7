// The SOIL block: READ_SOIL with SOLCST (soil constants), READ_SOIL_BELOW
// (soil under the base) and READ_SIDE_LAYERS (embedded side layers).
//
// Block order: WEAK (optional, repeatable), CONS, then except for a stratum
// BELO, then for piles only SIDE (optional, repeatable) and EMBE.
#include "read_soil.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "keywords.h"
#include "prepass.h"
#include "readers.h"
#include "report.h"
#include "rt/format.h"
#include "state.h"

namespace eng {

using rt::Line;

namespace {

void soil_constants_error() {
  input_error({" ERROR ENCOUNTERED WHILE READING SOIL CONSTANTS", " PROGRAM WILL NOT EXECUTE"});
}

// Reads n numbers into v; false (with the soil-constants message) at the
// first failed read.
bool read_numbers(float* v, int n) {
  for (int k = 0; k < n; ++k) {
    if (read_number(v[k]) <= 0) {
      soil_constants_error();
      return false;
    }
  }
  return true;
}

// Layer counts beyond the 30-entry tables are refused.
bool layer_count_ok(int n, const char* what) {
  if (n <= kMaxLayers) return true;
  input_error({std::string(" ERROR - NUMBER OF ") + what + " EXCEEDS 30", " PROGRAM WILL NOT EXECUTE"});
  return false;
}

// Entry i of a layer table: the soil values and either the four weak values
// read (weak option on) or their defaults.  `zero_unweakened`: a weak shear
// ratio above 0.999 means no weak zone, so its thickness ratio becomes 0.0.
bool read_weak_values(SoilLayerTable& t, int i, bool weak, bool zero_unweakened) {
  if (!weak) {
    t.weak_shear_ratio[i] = 1.0f;
    t.weak_poisson[i] = t.poisson[i];
    t.weak_damping[i] = t.damping[i];
    t.weak_thickness[i] = 0.0f;
    return true;
  }
  float w[4];
  if (!read_numbers(w, 4)) return false;
  t.weak_shear_ratio[i] = w[0];
  t.weak_poisson[i] = w[1];
  t.weak_damping[i] = w[2];
  t.weak_thickness[i] = (zero_unweakened && w[0] > 0.999f) ? 0.0f : w[3];
  return true;
}

// Layer number (dropped), velocity, unit weight, Poisson's ratio, damping.
bool read_soil_row(SoilLayerTable& t, int i) {
  float v[5];
  if (!read_numbers(v, 5)) return false;
  t.velocity[i] = v[1];
  t.unit_weight[i] = v[2];
  t.poisson[i] = v[3];
  t.damping[i] = v[4];
  return true;
}

// Two empty lines, the title, 14 asterisks and an empty line.
void soil_title(std::string_view title) {
  out_empty(2);
  out(Line().x(1).a(title));
  out(Line().x(1).fill('*', 14));
  out_empty(1);
}

void soil_constants_list(const SoilProperties& s) {
  const UnitLabels& l = g.labels;
  soil_title("SOIL CONSTANTS");
  out(Line().x(1).a("SHEAR WAVE VELOCITY  ...........").f(s.velocity, 12, 5).x(1).a(l.velocity));
  out(Line().x(1).a("UNIT WEIGHT  ...................").f(s.unit_weight, 12, 5).x(1).a(l.unit_weight));
  out(Line().x(1).a("POISSONS RATIO  ................").f(s.poisson, 12, 5));
  out(Line().x(1).a("MATERIAL DAMPING  ..............").f(s.damping, 12, 5));
}

// Rows of the layered pile and adjacent-layer tables.
void layer_rows(const SoilLayerTable& t, int n) {
  for (int i = 0; i < n; ++i)
    out(Line().x(1).i(i + 1, 3).x(4).f(t.velocity[i], 9, 3).x(1).f(t.unit_weight[i], 11, 3)
            .x(3).f(t.poisson[i], 5, 3).x(3).f(t.damping[i], 7, 3));
}

// The weak-zone table of SOLCST; its rows only when layer 1 or 2 is weakened.
void weak_table(const SoilLayerTable& t, int n) {
  out_empty(2);
  out(" NONLINEARITY OF SOIL (WEAKENED ZONE)");
  out(Line().x(1).fill('*', 36));
  out_empty(1);
  out(" LAYER  SHEAR MODULUS  ");
  out("  NO.   RATIO          ");
  out_empty(1);
  if (t.weak_shear_ratio[0] > 0.000001f || t.weak_shear_ratio[1] > 0.000001f)
    for (int i = 0; i < n; ++i) out(Line().x(1).i(i + 1, 3).x(5).f(t.weak_shear_ratio[i], 7, 3));
}

// STRA: the soil of the stratum.
void stratum_constants() {
  float v[4];
  if (!read_numbers(v, 4)) return;
  SoilProperties& s = g.soil.stratum;
  s = SoilProperties{v[0], v[1], v[2], v[3]};
  if (g.run.echo == 1) soil_constants_list(s);
}

// PILE with a parabolic profile: one soil whose velocity grows with the
// fourth root of depth, spread over 30 generated layers.
void parabolic_pile_constants() {
  float v[4];
  if (!read_numbers(v, 4)) return;
  SoilData& s = g.soil;
  FoundationData& f = g.foundation;
  const bool echo = g.run.echo == 1;
  s.reference_velocity = v[0];
  if (echo) soil_constants_list(SoilProperties{v[0], v[1], v[2], v[3]});

  // The profile follows the pile: without a length it cannot be built (the
  // weak values are still read so that the block stays in step).
  const float length = f.pile_length;
  SoilLayerTable& L = s.layer;
  if (length > 0.0f) {
    g.run.n_layers = kMaxLayers;
    const float t = length / 40.0f;
    float bottom = 0.0f;
    for (int k = 0; k < kMaxLayers; ++k) {
      const float thickness = k < 20 ? t : 2.0f * t;
      bottom += thickness;
      f.layer_depth[k] = thickness;
      L.velocity[k] = v[0] * std::pow((bottom - thickness / 2.0f) / length, 0.25f);
      L.unit_weight[k] = v[1];
      L.poisson[k] = v[2];
      L.damping[k] = v[3];
      f.radius_x[k] = f.radius_x[0];
      f.radius_y[k] = f.radius_y[0];
      f.section_area[k] = f.section_area[0];
      f.inertia_x[k] = f.inertia_x[0];
      f.inertia_y[k] = f.inertia_y[0];
      f.torsional_stiffness[k] = f.torsional_stiffness[0];
    }
  } else {
    input_error({" ERROR - PILE LENGTH MUST BE GREATER THAN ZERO FOR A PARABOLIC SOIL MEDIA",
                 " PROGRAM WILL NOT EXECUTE"});
  }

  float w[4] = {0.0f, v[2], v[3], 0.0f};
  if (g.run.weak_layer == 1 && !read_numbers(w, 4)) return;
  for (int k = 0; k < kMaxLayers; ++k) {
    L.weak_shear_ratio[k] = w[0];
    L.weak_poisson[k] = w[1];
    L.weak_damping[k] = w[2];
    L.weak_thickness[k] = w[3];
  }
  if (echo && g.run.weak_layer == 1) {
    out(Line().x(1).a("WEAK SHEAR RATIO  ..............").f(w[0], 12, 5));
    out(Line().x(1).a("WEAKPOISSONS RATIO  ..........").f(w[1], 12, 5));
    out(Line().x(1).a("WEAK MATERIAL DAMPING  .........").f(w[2], 12, 5));
    out(Line().x(1).a("WEAK THICKNESS RATIO  ..........").f(w[3], 12, 5));
  }
}

// The velocity of the last layer (0.0 when there is none).
float last_layer_velocity(int n) { return n >= 1 ? g.soil.layer.velocity[n - 1] : 0.0f; }

// PILE with a layered profile: one row per layer of the foundation block.
void layered_pile_constants() {
  SoilData& s = g.soil;
  const bool weak = g.run.weak_layer == 1;
  std::fill(std::begin(s.shear_modulus_ratio), std::end(s.shear_modulus_ratio), 1.0f);
  std::fill(std::begin(s.damping_ratio), std::end(s.damping_ratio), 1.0f);
  const int n = std::clamp(g.run.n_layers, 0, kMaxLayers);
  for (int i = 0; i < n; ++i)
    if (!read_soil_row(s.layer, i) || !read_weak_values(s.layer, i, weak, true)) return;
  s.reference_velocity = last_layer_velocity(n);
  if (g.run.echo != 1) return;

  const UnitLabels& l = g.labels;
  soil_title("SOIL CONSTANTS");
  out(" LAYER  SHEAR WAVE    UNIT   POISSONS  MATERIAL");
  out("  NO.    VELOCITY    WEIGHT    RATIO    DAMPING");
  out(Line().x(11).a(l.velocity).x(6).a(l.unit_weight));
  layer_rows(s.layer, n);
  if (weak) weak_table(s.layer, n);
}

// HALF: the embedded side layers of the footing.
bool half_space_constants() {
  float count = 0.0f;
  if (!read_numbers(&count, 1)) return true;
  const int n = std::max(ROUND_NEAREST(count), 0);
  if (!layer_count_ok(n, "SIDE LAYERS")) return false;
  g.run.n_side_layers = n;
  if (n == 0) return true;

  SoilData& s = g.soil;
  const bool weak = g.run.weak_layer == 1;
  for (int i = 0; i < n; ++i) {
    float v[6];
    if (!read_numbers(v, 6)) return true;
    s.side_thickness[i] = v[1];
    s.side.velocity[i] = v[2];
    s.side.unit_weight[i] = v[3];
    s.side.poisson[i] = v[4];
    s.side.damping[i] = v[5];
    if (!read_weak_values(s.side, i, weak, true)) return true;
  }
  if (g.run.echo == 1) {
    const UnitLabels& l = g.labels;
    soil_title(Line().a("SOIL CONSTANTS  NUMBER OF SIDE LAYERS - ").i(n, 3).str());
    out(" LAYER  LAYER  SHEAR WAVE   UNIT   POISSON'S  MATERIAL");
    out("  NO.   DEPTH   VELOCITY   WEIGHT    RATIO     DAMPING");
    out(Line().x(10).a(l.length).x(7).a(l.velocity).x(5).a(l.unit_weight));
    for (int i = 0; i < n; ++i)
      out(Line().x(1).i(i + 1, 3).x(1).f(s.side_thickness[i], 9, 3).x(2).f(s.side.velocity[i], 8, 3)
              .x(1).f(s.side.unit_weight[i], 10, 3).x(2).f(s.side.poisson[i], 7, 3)
              .x(3).f(s.side.damping[i], 7, 3));
    if (weak) weak_table(s.side, n);
  }
  // The weak thickness of a side layer is given relative to the footing.
  if (weak)
    for (int i = 0; i < n; ++i) s.side.weak_thickness[i] *= g.foundation.r_translation;
  return true;
}

// MULT: the adjacent layers along the shaft, then the layers below it.
bool multilayer_constants() {
  SoilData& s = g.soil;
  float count = 0.0f;
  if (!read_numbers(&count, 1)) return true;
  const int c = std::max(ROUND_NEAREST(count), 0);
  if (!layer_count_ok(c, "ADJACENT LAYERS")) return false;
  s.n_adjacent = count;

  const bool weak = g.run.weak_layer == 1;
  const int n = std::clamp(g.run.n_layers, 0, kMaxLayers);
  for (int i = 0; i < c; ++i)
    if (!read_soil_row(s.layer, i) || !read_weak_values(s.layer, i, weak, true)) return true;
  for (int i = c; i < n; ++i) {
    float v[7];
    if (!read_numbers(v, 7)) return true;
    s.layer.velocity[i] = v[1];
    s.layer.unit_weight[i] = v[2];
    s.layer.poisson[i] = v[3];
    s.layer.damping[i] = v[4];
    s.shear_modulus_ratio[i] = v[5];
    s.damping_ratio[i] = v[6];
    read_weak_values(s.layer, i, false, false);
  }
  s.reference_velocity = last_layer_velocity(n);
  if (g.run.echo != 1) return true;

  const UnitLabels& l = g.labels;
  soil_title(Line().a("SOIL CONSTANTS").x(6).a("NUMBER OF ADJACENT LAYERS -  ").i(c, 3).str());
  out(" LAYER  SHEAR WAVE   UNIT    POISSONS  MATERIAL");
  out("  NO.    VELOCITY   WEIGHT    RATIO     DAMPING");
  out(Line().x(11).a(l.velocity).x(6).a(l.unit_weight));
  layer_rows(s.layer, c);
  if (weak) weak_table(s.layer, c);

  out_empty(2);
  out(" SOIL PROPERTIES BELOW FOUNDATION");
  out(Line().x(1).fill('*', 32));
  out_empty(1);
  out(" LAYER  SHEAR WAVE   UNIT   POISSON'S  MATERIAL  SHEAR MODULUS  DAMPING RATIO");
  out("  NO.    VELOCITY   WEIGHT    RATIO     DAMPING  RATIO(IN/OUT)      (IN/OUT)");
  out(Line().x(10).a(l.velocity).x(8).a(l.unit_weight));
  for (int i = c; i < n; ++i)
    out(Line().x(1).i(i + 1, 3).x(5).f(s.layer.velocity[i], 7, 3).x(2).f(s.layer.unit_weight[i], 9, 3)
            .x(1).f(s.layer.poisson[i], 7, 3).x(3).f(s.layer.damping[i], 7, 3)
            .x(6).f(s.shear_modulus_ratio[i], 7, 3).x(8).f(s.damping_ratio[i], 7, 3));
  return true;
}

}  // namespace

bool SOLCST() {
  const RunState& r = g.run;
  switch (r.foundation_type) {
    case 3:
      stratum_constants();
      return true;
    case 1:
      if (r.soil_profile == 2)
        parabolic_pile_constants();
      else
        layered_pile_constants();
      return true;
    case 2:
      return half_space_constants();
    case 4:
      return multilayer_constants();
    default:
      input_error({" THE FOUNDATION TYPE HAS NOT BEEN ESTABLISHED",
                   "    THE PROGRAM SHOULD NEVER ENCOUNTER THIS ERROR (SOLCST)"});
      return false;
  }
}

void READ_SOIL_BELOW() {
  float v[4];
  for (float& x : v) {
    if (read_number(x) <= 0) {
      out_empty(3);
      out("  *** BAD DATA IN SOIL DESCRIPTION BELOW PILE ***");
      out("      - WILL CONTINUE TO PROCESS DATA");
      out("      - CANNOT    EXECUTE THIS PROBLEM SET");
      g.run.fatal = 1;
      return;
    }
  }
  SoilProperties& b = g.soil.below;
  b = SoilProperties{v[0], v[1], v[2], v[3]};
  if (g.run.echo != 1) return;

  out_empty(2);
  switch (g.run.foundation_type) {
    case 1:
      out(" SOIL BELOW PILE");
      out(Line().x(1).fill('*', 15));
      break;
    case 2:
      out(" HALF-SPACE SOIL");
      out(Line().x(1).fill('*', 15));
      break;
    default:
      out(" SOIL BELOW MULTILAYER SYSTEM");
      out(Line().x(1).fill('*', 28));
      break;
  }
  out_empty(1);
  out(" SHEAR WAVE    UNIT    POISSON'S   MATERIAL");
  out("  VELOCITY    WEIGHT     RATIO     DAMPING");
  out(Line().x(5).a(g.labels.velocity).x(6).a(g.labels.unit_weight));
  out(Line().x(1).pe(b.velocity, 9, 2).x(1).f(b.unit_weight, 11, 4).x(3).f(b.poisson, 5, 3)
          .x(3).f(b.damping, 7, 3));
}

void READ_SIDE_LAYERS() {
  RunState& r = g.run;
  SoilData& s = g.soil;
  auto drop_options = [] {
    out_empty(2);
    out(" ERROR ENCOUNTERED WHILE READING EMBEDDED OR ISO   LATION DATA");
    out(" PROGRAM WILL IGNORE THESE OPTIONS");
    g.run.embedded = 0;
    g.run.side_cap = 0;
    g.run.n_side_layers = 0;
  };

  float count = 0.0f;
  if (read_number(count) <= 0) return drop_options();
  const int n = std::max(ROUND_NEAREST(count), 0);
  if (!layer_count_ok(n, "SIDE LAYERS")) {
    r.n_side_layers = 0;
    return;
  }
  r.n_side_layers = n;
  const bool cap = r.side_cap == 1;
  for (int i = 0; i < n; ++i) {
    float v[6];
    for (float& x : v)
      if (read_number(x) <= 0) return drop_options();
    s.side_thickness[i] = v[1];
    s.side.velocity[i] = v[2];
    s.side.unit_weight[i] = v[3];
    s.side.poisson[i] = v[4];
    s.side.damping[i] = v[5];
    if (cap) {
      float w[4];
      for (float& x : w)
        if (read_number(x) <= 0) return drop_options();
      s.side.weak_shear_ratio[i] = w[0];
      s.side.weak_poisson[i] = w[1];
      s.side.weak_damping[i] = w[2];
      s.side.weak_thickness[i] = w[3];
    } else {
      read_weak_values(s.side, i, false, false);
    }
  }

  if (r.echo == 1) {
    const UnitLabels& l = g.labels;
    out_empty(2);
    out(" EMBEDDED OPTION");
    out(Line().x(1).fill('*', 15));
    out_empty(1);
    out(Line().x(1).a("NUMBER OF SIDE LAYERS  -  ").i(n, 3));
    out_empty(1);
    out(" LAYER  THICKNESS  SHEAR WAVE   UNIT    POISSONS  MATERIAL");
    out("  NO.    OF LAYER   VELOCITY   WEIHT    RATIO     DAMPING");
    out(Line().x(11).a(l.length).x(8).a(l.velocity).x(6).a(l.unit_weight));
    for (int i = 0; i < n; ++i)
      out(Line().x(1).i(i + 1, 3).x(4).f(s.side_thickness[i], 7, 3).x(3).f(s.side.velocity[i], 7, 2)
              .x(3).f(s.side.unit_weight[i], 9, 3).x(2).f(s.side.poisson[i], 7, 3)
              .x(3).f(s.side.damping[i], 7, 3));
    if (cap) {
      out_empty(2);
      out(" SIDE-CAP (WEAKENING) OF SIDE LAYERS");
      out(Line().x(1).fill('*', 36));
      out_empty(1);
      out(" LAYER  SHEAR MODULUS  ");
      out("  NO.       RATIO        ");
      out_empty(1);
      for (int i = 0; i < n; ++i)
        out(Line().x(1).i(i + 1, 3).x(5).f(s.side.weak_shear_ratio[i], 7, 3).x(6));
    }
  }
  // The weak thickness of a side layer is given relative to the cap.
  if (cap)
    for (int i = 0; i < n; ++i) s.side.weak_thickness[i] *= g.foundation.r_translation;
}

void READ_SOIL() {
  RunState& r = g.run;
  std::string word;
  read_word(word);
  int kw = lookup_keyword(word);
  while (kw == KW_WEAK) {
    if (r.foundation_type == 3) {
      input_error({" WEAK IS AN IMPROPER KEYWORD FOR THIS FOUNDATION   TYPE", " PROGRAM WILL NOT EXECUTE"});
      goto done;
    }
    r.weak_layer = 1;
    read_word(word);
    kw = lookup_keyword(word);
  }
  if (kw != KW_CONS) {
    input_error({" WEAK OR CONSTANT SUBKEYWORDS ARE EXPECTED TO FO   LLOW SOIL KEYWORD",
                 " PROGRAM WILL NOT EXECUTE"});
    goto done;
  }
  if (!SOLCST()) goto done;
  if (r.foundation_type == 3) {
    g.soil.given_for = r.foundation_type;
    goto done;
  }

  read_word(word);
  if (lookup_keyword(word) != KW_BELO) {
    input_error({" BELOW SUBKEYWORD IS EXPECTED TO FOLLOW SOIL CON   STANT DATA", " PROGRAM WILL NOT EXECUTE"});
    goto done;
  }
  READ_SOIL_BELOW();
  g.soil.given_for = r.foundation_type;
  if (r.foundation_type != 1) goto done;

  {
    // SIDE and EMBE are optional: any other word belongs to the keyword
    // loop.  Each word is identified by the keyword look-up, which reports a
    // word it does not know.
    int status = read_word(word);
    kw = lookup_keyword(word);
    while (kw == KW_SIDE) {
      r.side_cap = 1;
      status = read_word(word);
      kw = lookup_keyword(word);
    }
    if (kw == KW_EMBE) {
      r.embedded = 1;
      READ_SIDE_LAYERS();
    } else if (status > 0) {
      push_back_record();
    }
  }

done:
  if (r.side_cap == 1 && r.embedded == 0) {
    out_empty(2);
    out(" SIDE-CAP KEYWORD WAS INPUT WITHOUT THE EMBEDDED KEYWORD - THE SIDE-CAP OPTION WILL BE IGNORED");
    r.side_cap = 0;
  }
}

}  // namespace eng
