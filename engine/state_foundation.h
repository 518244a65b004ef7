// Run-state tables of the foundation block (part of eng::EngineState, reset at each run).
//
// Filled by READ_FOUNDATION and its helpers (read_foundation.cpp); read by the
// soil and load readers, the impedance routines and the analysis driver.
//
// Units: every length is in the deck's length unit (ft or m, fixed by GRAV),
// forces in lb or kN, angles in degrees.  All reals are 32-bit.
//
// Indexing: the per-pile and per-layer tables are plain C++ arrays, so the
// i-th pile or layer of the deck (1-based, as the report numbers them) is
// entry [i - 1].
//
// Codes and counts that belong to the run state proper stay in eng::RunState
// (state.h), set by the same reader:
//   g.run.foundation_type  1 PILE, 2 HALF, 3 STRA, 4 MULT
//   g.run.geometry         1 CIRC, 2 RECT
//   g.run.soil_profile     1 layered (LAYE), 2 parabolic (PARA)
//   g.run.head_fixity      1 fixed (FIXE; always for MULT), 0 pinned (PINN)
//   g.run.pile_tip         1 end-bearing (END-), 0 floating
//   g.run.interaction      1 after INTE
//   g.run.battered         1 after BATT (cleared again when READ_BATTER drops it)
//   g.run.n_piles          number of piles, 1 to kMaxPiles (PILE only); the count
//                          read is rounded to the nearest integer, halves away
//                          from zero, and refused outside 1..kMaxPiles
//   g.run.n_layers         number of layers or elements, 1 to kMaxLayers (LAYE);
//                          rounded and refused in the same way; a parabolic
//                          profile leaves it alone (the soil reader sets 30)
// Values that are refused are never stored.  The tables are not cleared by a
// second FOUN block in one run: it overwrites what it reads and leaves the rest.
#pragma once

#include "state_limits.h"

namespace eng {

struct FoundationData {
  // --- Plan geometry (CIRC / RECT) --------------------------------------
  // Foundation radius R: the radius read after CIRC; for a rectangle on a
  // stratum the mean of the five stratum radii below.  A rectangle under
  // HALF, PILE or MULT leaves it unchanged (0 unless an earlier block set it).
  float radius = 0.0f;
  // The two sides read after RECT: side_x is the length in x (first value),
  // side_y the width in y (second value).  Unchanged for a circle.
  float side_x = 0.0f;
  float side_y = 0.0f;

  // Four equivalent radii of HALF, PILE and MULT (all equal R for a circle):
  //   translation  sqrt(a*b/pi)
  //   rocking x    (b^3*a/(3*pi))^(1/4)
  //   rocking y    (a^3*b/(3*pi))^(1/4)
  //   torsion      ((a^2+b^2)*a*b/(6*pi))^(1/4)
  float r_translation = 0.0f;
  float r_rock_x = 0.0f;
  float r_rock_y = 0.0f;
  float r_torsion = 0.0f;

  // Five equivalent radii of STRA (all equal R for a circle): vertical and
  // horizontal translation (both sqrt(a*b/pi) for a rectangle), rocking about
  // x, rocking about y and torsion (the formulas above).
  float rs_vertical = 0.0f;
  float rs_horizontal = 0.0f;
  float rs_rock_x = 0.0f;
  float rs_rock_y = 0.0f;
  float rs_torsion = 0.0f;

  // --- Foundation constants (CONS) --------------------------------------
  // Centre of gravity: x and y location, and zc its height (length).
  float xc = 0.0f;
  float yc = 0.0f;
  float zc = 0.0f;

  // Stratum only: depth of embedment E, depth of the stratum layer H (length),
  // and the ratios E/R, E/H, R/H with R the foundation radius.
  float embedment = 0.0f;
  float stratum_depth = 0.0f;
  float e_over_r = 0.0f;
  float e_over_h = 0.0f;
  float r_over_h = 0.0f;

  // Pile and multilayer shaft constants.
  float pile_length = 0.0f;       // total length L (length)
  float pile_unit_weight = 0.0f;  // unit weight of the pile material (force/length^3)
  float static_load = 0.0f;       // static load on the body (force)
  float pile_poisson = 0.0f;      // Poisson's ratio of the pile material
  float pile_damping = 0.0f;      // material damping of the pile (ratio)
  float rigidity = 0.0f;          // coefficient of rigidity
  float youngs_modulus = 0.0f;    // Young's modulus (force/length^2)

  // Head fixity as a real: 1.0 fixed, 0.0 pinned (same meaning as g.run.head_fixity).
  float head_fixity_value = 0.0f;

  // --- Pile positions (PILE, after FIXE/PINN) ---------------------------
  // Entry [i-1] for the i-th pile line read.  The pile number read is kept
  // but means nothing: the position in the list identifies a pile.
  float pile_number[kMaxPiles] = {};
  float pile_x[kMaxPiles] = {};  // x location (length)
  float pile_y[kMaxPiles] = {};  // y location (length)

  // --- Element sections (ELEM), entry [i-1] for layer/element i ----------
  // A parabolic profile reads entry [0] only (no layer depth); the soil reader
  // spreads it over all 30 layers and fills layer_depth itself.
  float layer_depth[kMaxLayers] = {};        // thickness of layer i, as read (length)
  float radius_x[kMaxLayers] = {};           // pile/shaft radius in x (length)
  float radius_y[kMaxLayers] = {};           // pile/shaft radius in y (length)
  float section_area[kMaxLayers] = {};       // cross-sectional area (length^2)
  float inertia_x[kMaxLayers] = {};          // moment of inertia about x (length^4)
  float inertia_y[kMaxLayers] = {};          // moment of inertia about y (length^4)
  float torsional_stiffness[kMaxLayers] = {};  // torsional stiffness, as read

  // --- Battered piles (BATT), per pile entry [i-1] ----------------------
  // Nine direction angles in degrees: the angles of the pile's local x axis
  // with global X, Y, Z, then of its local y axis with X, Y, Z, then of its
  // local z axis (the pile axis) with X, Y, Z.  Their cosines are the pile's
  // direction cosines.  Meaningful only while g.run.battered is 1.
  float direction_angles[kMaxPiles][9] = {};
};

}  // namespace eng
