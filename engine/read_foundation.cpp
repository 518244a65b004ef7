// The FOUN block reader: foundation type, geometry, mass, layers, piles,
// constants, elements, tip condition, battered piles and interaction.
#include "read_foundation.h"

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

constexpr float kPi = 3.14159f;

enum FoundationType : int { kPile = 1, kHalf = 2, kStratum = 3, kMulti = 4 };

// Reads one word and looks it up in the keyword table (an unknown word gets
// the unrecognised-keyword message there).  At the end of the input the word
// is blank and matches entry 1.
int next_keyword(std::string& word, int& status) {
  status = read_word(word);
  int index = 0;
  int st = 0;
  LOOKUP_KEYWORD(word, index, st);
  return index;
}

// Leaves the word just read for the keyword loop.  Nothing is pushed back at
// the end of the input: no record was read then.
void give_back(int status) {
  if (status > 0) push_back_record();
}

void block_error(std::string_view message) { input_error({message, " PROGRAM WILL NOT EXECUTE"}); }

void wrong_keyword(const std::string& word, std::string_view what) {
  block_error(" INVALID KEYWORD - " + rt::pad(word, 4) + std::string(what));
}

void caption(std::string_view text, int stars) {
  out_empty(2);
  out(Line().x(1).a(text));
  out(Line().x(1).fill('*', stars));
}

// A count given as a real: refused (message, fatal flag, false) above `limit`
// or when it rounds to less than 1; otherwise rounded to the nearest integer,
// halves away from zero.
bool take_count(float value, int limit, std::string_view too_many, std::string_view too_few, int& count) {
  if (!(value <= static_cast<float>(limit))) {
    block_error(too_many);
    return false;
  }
  if (value < 0.5f) {
    block_error(too_few);
    return false;
  }
  count = ROUND_NEAREST(value);
  return true;
}

// LAYE / PARA (PILE and MULT).  False after an error.
bool read_soil_media(int type) {
  RunState& r = g.run;
  std::string word;
  int st = 0;
  const int k = next_keyword(word, st);
  if (k == KW_LAYE) {
    r.soil_profile = 1;
    float v = 0.0f;
    if (read_number(v) <= 0) {
      block_error(" ERROR ENCOUNTERED WHILE READING NUMBER OF LAYERS");
      return false;
    }
    if (!take_count(v, kMaxLayers, " ERROR - NUMBER OF LAYERS EXCEEDS 30",
                    " ERROR - NUMBER OF LAYERS LESS THAN 1", r.n_layers))
      return false;
  } else if (k == KW_PARA) {
    if (type == kMulti) {
      block_error(" MULTILAYER FOUNDATION IS NOT ALLOWED A PARABOLIC SOIL MEDIA");
      return false;
    }
    r.soil_profile = 2;
  } else {
    wrong_keyword(word, " FOR SOIL MEDIA TYPE");
    return false;
  }
  if (r.echo == 1) {
    if (r.soil_profile == 2) {
      caption("SOIL MEDIA IS PARABOLIC", 23);
    } else {
      out_empty(2);
      out(Line().x(1).a("NUMBER OF LAYERS OR ELEMENTS - ").i(r.n_layers, 3));
      out(Line().x(1).fill('*', 28));
    }
  }
  return true;
}

// FIXE / PINN, the pile count and the pile lines (PILE); MULT is always fixed.
bool read_head_and_piles(int type) {
  RunState& r = g.run;
  FoundationData& f = g.foundation;
  if (type == kMulti) {
    r.head_fixity = 1;
    f.head_fixity_value = 1.0f;
    return true;
  }
  std::string word;
  int st = 0;
  const int k = next_keyword(word, st);
  if (k == KW_FIXE) {
    r.head_fixity = 1;
    f.head_fixity_value = 1.0f;
  } else if (k == KW_PINN) {
    r.head_fixity = 0;
    f.head_fixity_value = 0.0f;
    if (r.echo == 1) caption("PILES ARE PINNED AT BUTT", 24);
  } else {
    wrong_keyword(word, " FOR FIXED OR PINNED INFOR   MATION");
    return false;
  }

  float v = 0.0f;
  if (read_number(v) <= 0) {
    block_error(" ERROR ENCOUNTERED WHILE READING NUMBER OF PILES");
    return false;
  }
  if (!take_count(v, kMaxPiles, " ERROR - NUMBER OF PILES EXCEEDS 500",
                  " ERROR - NUMBER OF PILES LESS THAN 1", r.n_piles))
    return false;
  for (int i = 0; i < r.n_piles; ++i) {
    if (read_number(f.pile_number[i]) <= 0) {
      block_error(" ERROR ENCOUNTERED WHILE READING PILE NUMBER");
      return false;
    }
    if (read_number(f.pile_x[i]) <= 0) {
      block_error(" ERROR ENCOUNTERED WHILE READING PILE X-LOCATOR");
      return false;
    }
    if (read_number(f.pile_y[i]) <= 0) {
      block_error(" ERROR ENCOUNTERED WHILE READING PILE Y-LOCATOR");
      return false;
    }
  }
  if (r.echo == 1) {
    const std::string& len = g.labels.length;
    caption("LOCATION OF PILES", 17);
    out_empty(1);
    out(" PILE       X           Y");
    out("  NO.     LOCATION    LOCATION");
    out(Line().x(13).a(len, 2).x(11).a(len, 2));
    for (int i = 0; i < r.n_piles; ++i)
      out(Line().x(1).i(i + 1, 3).x(6).f(f.pile_x[i], 7, 3).x(5).f(f.pile_y[i], 7, 3));
  }
  return true;
}

void set_four_radii(FoundationData& f, float t, float rx, float ry, float rt) {
  f.r_translation = t;
  f.r_rock_x = rx;
  f.r_rock_y = ry;
  f.r_torsion = rt;
}

void set_five_radii(FoundationData& f, float v, float h, float rx, float ry, float rt) {
  f.rs_vertical = v;
  f.rs_horizontal = h;
  f.rs_rock_x = rx;
  f.rs_rock_y = ry;
  f.rs_torsion = rt;
}

}  // namespace

void READ_GEOMETRY() {
  RunState& r = g.run;
  FoundationData& f = g.foundation;
  const bool stratum = r.foundation_type == kStratum;
  // A footing's radius or sides that are not positive give no footing:
  // refused like unreadable data.  A pile cap or shaft top has a size that
  // matters only with side layers, which the deck check looks at after the
  // soil block (a cap never sized, 0, is the usual case).
  const bool footing = r.foundation_type == kHalf || stratum;
  auto size_ok = [footing](float v) { return !footing || v > 0.0f; };
  float a = 0.0f;
  float b = 0.0f;
  bool ok = false;
  if (r.geometry == 1) {
    ok = read_number(a) > 0 && size_ok(a);
    if (ok) {
      f.radius = a;
      if (stratum)
        set_five_radii(f, a, a, a, a, a);
      else
        set_four_radii(f, a, a, a, a);
    }
  } else {
    ok = read_number(a) > 0 && read_number(b) > 0 && size_ok(a) && size_ok(b);
    if (ok) {
      f.side_x = a;
      f.side_y = b;
      const float trans = std::sqrt(a * b / kPi);
      const float rx = std::pow(b * b * b * a / (3.0f * kPi), 0.25f);
      const float ry = std::pow(a * a * a * b / (3.0f * kPi), 0.25f);
      const float rt = std::pow((a * a + b * b) * a * b / (6.0f * kPi), 0.25f);
      if (stratum) {
        set_five_radii(f, trans, trans, rx, ry, rt);
        f.radius = (trans + trans + rx + ry + rt) / 5.0f;
      } else {
        set_four_radii(f, trans, rx, ry, rt);
      }
    }
  }
  if (!ok) {
    out_empty(1);
    out("  *** BAD DATA IN GEOMETRY DESCRIPTION ***");
    out("         - WILL CONTINUE TO PROCESS DATA");
    out("      - CANNOT EXECUTE  THIS PROBLEM SET");
    r.fatal = 1;
  }
  if (r.echo != 1) return;
  const std::string& len = g.labels.length;
  out_empty(2);
  if (r.geometry == 1) {
    out(Line().x(1).a("CIRCULAR FOUNDATION  -  RADIUS = ").f(a, 8, 3).x(1).a(len, 2));
    out(Line().x(1).fill('*', 19));
  } else {
    out(Line().x(1).a("RECTANGULAR FOUNDATION  -  ").f(a, 8, 3).x(1).a(len, 2).x(2).a("BY ").f(b, 8, 3).x(1).a(len, 2));
    out(Line().x(1).fill('*', 22));
  }
}

void READ_FOUNDATION_CONSTANTS() {
  RunState& r = g.run;
  FoundationData& f = g.foundation;
  const int type = r.foundation_type;
  const bool centre_ok = read_number(f.xc) > 0 && read_number(f.yc) > 0 && read_number(f.zc) > 0;
  if (!centre_ok) {
    input_error({" ERROR ENCOUNTERED WHILE READING CENTRE OF GRAVITY VARIABLES", " PROGRAM WILL NOT EXECUTE"});
  } else if (type == kStratum) {
    if (read_number(f.embedment) > 0 && read_number(f.stratum_depth) > 0) {
      const float R = f.radius;
      const float E = f.embedment;
      const float H = f.stratum_depth;
      // The ratios need a footing and a layer of positive size; otherwise the
      // stratum formulas would divide by zero, so such data are refused too.
      bool good = R > 0.0f && H > 0.0f;
      if (good) {
        f.e_over_r = E / R;
        f.e_over_h = E / H;
        f.r_over_h = R / H;
        good = !(f.e_over_r > 1.5f) && !(f.e_over_h > 0.75f);
      }
      if (!good) {
        out_empty(2);
        out(" THE STRATUM OPTION IS NOT GOOD FOR THIS CASE");
        out(" CHECK YOUR E/R,E/H,R/H VALUES");
        r.fatal = 1;
      }
    } else {
      input_error({" ERROR ENCOUNTERED WHILE READING FOUNDATION CONSTANTS", " PROGRAM WILL NOT EXECUTE"});
    }
  } else if (type == kPile || type == kMulti) {
    float* const values[7] = {&f.pile_length,  &f.pile_unit_weight, &f.static_load, &f.pile_poisson,
                              &f.pile_damping, &f.rigidity,         &f.youngs_modulus};
    for (float* v : values) {
      if (read_number(*v) <= 0) {
        input_error({" ERROR ENCOUNTERED WHILE READING FOUNDATION CONSTANTS", " PROGRAM WILL NOT EXECUTE"});
        break;
      }
    }
  }

  if (r.echo != 1) return;
  const UnitLabels& l = g.labels;
  auto length_line = [&](const char* cap, float v) {
    out(Line().x(1).a(cap).f(v, 12, 5).x(1).a(l.length, 2));
  };
  if (type == kPile || type == kMulti) {
    if (type == kPile)
      caption("PILE PROPERTIES", 15);
    else
      caption("FOUNDATION PROPERTIES", 21);
    out_empty(1);
    length_line("X-LOCATION CENTRE OF GRAV.  ....", f.xc);
    length_line("Y-LOCATION CENTRE OF GRAV.  ....", f.yc);
    length_line("HEIGHT OF CENTRE OF GRAV.  .....", f.zc);
    length_line("TOTAL LENGTH  ..................", f.pile_length);
    out(Line().x(1).a("UNIT WEIGHT  ...................").f(f.pile_unit_weight, 12, 5).x(1).a(l.unit_weight, 8));
    out(Line().x(1).a("STATIC LOAD ON BODY  ...........").pe(f.static_load, 12, 5).x(1).a(l.force, 3));
    out(Line().x(1).a("POISSONS RATIO  ............... ").f(f.pile_poisson, 12, 5));
    out(Line().x(1).a("MATERIAL DAMPING  ..............").f(f.pile_damping, 12, 5));
    out(Line().x(1).a("COEFF. OF RIGIDITY  ............").f(f.rigidity, 12, 5));
    out(Line().x(1).a("YOUNGS MODULUS  ............... ").pe(f.youngs_modulus, 12, 5).x(1).a(l.stress, 3));
  } else if (type == kHalf || type == kStratum) {
    if (type == kHalf)
      caption("HALF-SPACE FOUNDATION", 21);
    else
      caption("STRATUM PROPERTIES", 18);
    out_empty(1);
    length_line("X-LOCATION CENTRE OF GRAV  .....", f.xc);
    length_line("Y-LOCATION CENTRE OF GRAV  .....", f.yc);
    length_line("HEIGHT OF CENTRE OF GRAV  ......", f.zc);
    if (type == kStratum) {
      length_line("DEPTH OF EMBEDMENT  ............", f.embedment);
      length_line("DEPTH OF LAYER  ................", f.stratum_depth);
    }
  }
}

void READ_ELEMENTS() {
  RunState& r = g.run;
  FoundationData& f = g.foundation;
  const bool parabolic = r.soil_profile == 2;
  const int n = r.n_layers < 0 ? 0 : (r.n_layers > kMaxLayers ? kMaxLayers : r.n_layers);
  bool ok = true;
  if (parabolic) {
    float* const values[6] = {&f.radius_x[0],  &f.radius_y[0],  &f.section_area[0],
                              &f.inertia_x[0], &f.inertia_y[0], &f.torsional_stiffness[0]};
    for (float* v : values)
      if (read_number(*v) <= 0) {
        ok = false;
        break;
      }
  } else {
    for (int i = 0; i < n && ok; ++i) {
      float layer_no = 0.0f;
      float* const values[8] = {&layer_no,        &f.layer_depth[i], &f.radius_x[i],  &f.radius_y[i],
                                &f.section_area[i], &f.inertia_x[i], &f.inertia_y[i], &f.torsional_stiffness[i]};
      for (float* v : values)
        if (read_number(*v) <= 0) {
          ok = false;
          break;
        }
    }
  }
  if (!ok) input_error({" ERROR ENCOUNTERED WHILE READING ELEMENT DATA PR   OGRAM WILL NOT EXECUTE"});

  if (r.echo != 1) return;
  const UnitLabels& l = g.labels;
  caption("ELEMENT", 7);
  out_empty(1);
  if (parabolic) {
    const char* const caps[6] = {"RADIUS OF PILE (X)  ............", "RADIUS OF PILE (Y)  ............",
                                 "CROSS SECTIONAL AREA  ..........", "MOMENT OF INERTIA (X)  .........",
                                 "MOMENT OF INERTIA (Y)  .........", "TORSIONAL STIFFNESS  ..........."};
    const float vals[6] = {f.radius_x[0],  f.radius_y[0],  f.section_area[0],
                           f.inertia_x[0], f.inertia_y[0], f.torsional_stiffness[0]};
    for (int k = 0; k < 6; ++k) out(Line().x(1).a(caps[k]).f(vals[k], 12, 5));
    return;
  }
  out(" LAYER  LAYER   PILE    PILE     CROSS    MOMENT OF  MOMENT OF  TORSIONAL");
  out("  NO.   DEPTH  RADIUS  RADIUS  SECTIONAL   INERTIA    INERTIA   STIFFNESS");
  out("                 (X)     (Y)      AREA       '(X)      (Y)");
  out(Line()
          .x(10).a(l.length, 2).x(6).a(l.length, 2).x(5).a(l.length, 2)
          .x(5).a(l.area, 7).x(2).a(l.inertia, 9).x(2).a(l.inertia, 9).x(2).a(l.inertia, 9));
  for (int i = 0; i < n; ++i)
    out(Line()
            .x(1).i(i + 1, 3).x(2).f(f.layer_depth[i], 7, 3).x(1).f(f.radius_x[i], 6, 3)
            .x(1).f(f.radius_y[i], 7, 3).x(3).pe(f.section_area[i], 9, 3).x(2).pe(f.inertia_x[i], 9, 3)
            .x(2).pe(f.inertia_y[i], 9, 3).x(2).pe(f.torsional_stiffness[i], 9, 2));
}

void READ_BATTER() {
  RunState& r = g.run;
  FoundationData& f = g.foundation;
  const int n = r.n_piles < 0 ? 0 : (r.n_piles > kMaxPiles ? kMaxPiles : r.n_piles);
  for (int i = 0; i < n; ++i) {
    float pile_no = 0.0f;
    float theta = 0.0f;
    std::string plane;
    // A missing number would otherwise be taken as an angle of 0 degrees.
    const bool read_ok = read_number(pile_no) > 0 && read_word(plane) > 0 && read_number(theta) > 0;
    if (!read_ok) {
      out_empty(2);
      out(" ERROR ENCOUNTERED WHILE READING BATTERED PILE DATA");
      out(" BATTERED OPTION WILL BE IGNORED.");
      r.battered = 0;
      return;
    }
    if (n == 1 && theta == 0.0f) {
      out_empty(2);
      out(" ANGLE BETWEEN PILE AND VERTICAL IS ZERO, THEREFORE THE PILE IS NOT BATTERED.");
      out(" BATTERED OPTION WILL BE IGNORED.");
      r.battered = 0;
      return;
    }
    plane = rt::pad(plane, 4);
    const bool xz = plane == "XZ  ";
    if (!xz && plane != "YZ  ") {
      out_empty(2);
      out(" UNRECOGNIZED PLANE" + plane + "FOR BATTERED PILES");
      out(" BATTERED OPTION WILL BE IGNORED.");
      r.battered = 0;
      return;
    }
    float* d = f.direction_angles[i];
    if (xz) {
      const float v[9] = {theta, 90.0f, theta + 90.0f, 90.0f, 0.0f, 90.0f, 90.0f - theta, 90.0f, theta};
      for (int k = 0; k < 9; ++k) d[k] = v[k];
    } else {
      const float v[9] = {0.0f, 90.0f, 90.0f, 90.0f, theta, theta + 90.0f, 90.0f, 90.0f - theta, theta};
      for (int k = 0; k < 9; ++k) d[k] = v[k];
    }
    if (r.echo == 1) {
      if (i == 0) {
        caption("BATTERED PILES", 14);
        out_empty(2);
      }
      out(Line().x(1).a("PILE NO.").i(i + 1, 3).a(xz ? " BATTERED IN XZ PLANE" : " BATTERED IN YZ PLANE"));
      out(Line().x(1).a("ANGLE BETWEEN PILE AND VERTICAL = ").f(theta, 7, 2).x(1).a("deg."));
    }
  }
}

void READ_FOUNDATION() {
  RunState& r = g.run;
  std::string word;
  int st = 0;

  // 1. Foundation type.
  int k = next_keyword(word, st);
  const char* type_text = nullptr;
  switch (k) {
    case KW_PILE: r.foundation_type = kPile; type_text = "FOUNDATION TYPE - PILE"; break;
    case KW_HALF: r.foundation_type = kHalf; type_text = "FOUNDATION TYPE - HALF-SPACE"; break;
    case KW_STRA: r.foundation_type = kStratum; type_text = "FOUNDATION TYPE - STRATUM"; break;
    case KW_MULT: r.foundation_type = kMulti; type_text = "FOUNDATION TYPE - MULTILAYER"; break;
    default: wrong_keyword(word, " FOR FOUNDATION TYPE"); return;
  }
  if (r.echo == 1) caption(type_text, 15);
  const int type = r.foundation_type;

  // 2. Plan geometry.
  k = next_keyword(word, st);
  if (k == KW_CIRC) {
    r.geometry = 1;
  } else if (k == KW_RECT) {
    r.geometry = 2;
  } else {
    wrong_keyword(word, " FOR GEOMETRY TYPE");
    return;
  }
  READ_GEOMETRY();
  if (type == kHalf || type == kStratum) r.soil_profile = 1;

  // 3. Mass.
  if (next_keyword(word, st) != KW_MASS) {
    wrong_keyword(word, " FOR MASS INFORMATION");
    return;
  }
  READ_MASS();

  // 4. Layers, head fixity and piles.
  if (type == kPile || type == kMulti) {
    if (!read_soil_media(type)) return;
    if (!read_head_and_piles(type)) return;
  }

  // 5. Constants.
  if (next_keyword(word, st) != KW_CONS) {
    wrong_keyword(word, " FOR CONSTANT INFORMATION");
    return;
  }
  READ_FOUNDATION_CONSTANTS();
  if (type == kHalf || type == kStratum) return;

  // 6. Elements.
  if (next_keyword(word, st) != KW_ELEM) {
    wrong_keyword(word, " FOR ELEMENT INFORMATION");
    return;
  }
  READ_ELEMENTS();

  // 7. Pile tip condition (optional).
  k = next_keyword(word, st);
  if (k == KW_END) {
    r.pile_tip = 1;
    if (r.echo == 1) caption("PILE TIP CONDITION : END-BEARING", 32);
  } else if (k != KW_FLOA) {
    give_back(st);
  }
  if (type == kMulti) return;

  // 8. Battered piles and interaction, in either order.
  for (;;) {
    k = next_keyword(word, st);
    if (k == KW_BATT) {
      r.battered = 1;
      READ_BATTER();
      if (r.interaction == 1) return;
    } else if (k == KW_INTE) {
      r.interaction = 1;
      const int k2 = next_keyword(word, st);
      if (k2 != KW_FLOA && k2 != KW_END) give_back(st);
      if (r.battered == 1) return;
    } else {
      give_back(st);
      return;
    }
  }
}

}  // namespace eng
