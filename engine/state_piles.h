// Run-state tables of a pile group (eng::group_tables, reached as g.piles;
// zero at load and not cleared between runs, see state.h).
//
// Filled once per run by SETUP_PILE_GROUP (pile_group.cpp) before the first
// frequency, when the foundation is PILE, the interaction option is on and
// there is more than one pile; read at every frequency by PILE_GROUP_IMPEDANCE.
// The per-pile flexibility records and the group matrix are work areas of
// PILE_GROUP_IMPEDANCE, rebuilt at every call; they live here only because
// they are too big for the stack.
//
// Indexing: piles are numbered 1..N as in the pile list of the deck.  A pair
// table entry (r, c) is row r, column c (1-based); every quantity stored is
// symmetric in the pair, so each table packs two quantities, one per triangle:
//
//   table      r < c (upper triangle)               r > c (lower triangle)
//   spacing    static vertical factor alpha_V       spacing ratio s = S/d
//   lateral1   first lateral factor, angle 0        first lateral factor, angle pi/2
//   lateral2   second lateral factor, angle 0       second lateral factor, angle pi/2
//   lateral3   third lateral factor, angle 0        third lateral factor, angle pi/2
//   angle      atan(dy/dx): pair line against x     atan(dx/dy): pair line against y
//
// The diagonal is never written.
#pragma once

#include "kernels/complex_types.h"
#include "state_limits.h"

namespace eng {

// Largest order of the group flexibility matrix: two unknowns per pile.
constexpr int kMaxGroupOrder = 2 * kMaxPiles;

// A 500 x 500 table of reals addressed by pile numbers (1-based).
struct PilePairTable {
  float v[kMaxPiles * kMaxPiles] = {};
  float& operator()(int r, int c) { return v[(c - 1) * kMaxPiles + (r - 1)]; }
  float operator()(int r, int c) const { return v[(c - 1) * kMaxPiles + (r - 1)]; }
};

// Place of pair (i, j), 1 <= i < j <= n, in a packed table of the pairs of
// n piles, row by row: (1, 2) .. (1, n), (2, 3) .. (2, n), ...
inline int pair_index(int i, int j, int n) { return (i - 1) * (2 * n - i) / 2 + (j - i - 1); }

struct PileGroupData {
  // --- Set up once per run (SETUP_PILE_GROUP) ---------------------------
  // Working coordinates for the pair geometry: the head position, moved for
  // a battered pile to the point one third of its length below the head.
  float work_x[kMaxPiles] = {};
  float work_y[kMaxPiles] = {};
  PilePairTable spacing;
  PilePairTable lateral1;
  PilePairTable lateral2;
  PilePairTable lateral3;
  PilePairTable angle;

  // --- Work areas of PILE_GROUP_IMPEDANCE -------------------------------
  // Flexibility record of pile i (entry [i-1]): f11, f22, f33, f44, f55, f66,
  // f15, f24 of the inverse of the pile's head impedance in cap axes.
  cfloat flexibility[kMaxPiles][8] = {};
  // Frequency-dependent pair factors of the current frequency (above
  // 10 rad/s), pair (i, j), i < j, of N piles at pair_index(i, j, N):
  // vertical, then horizontal, coupling and rotation of the x and y problem.
  struct PairFactors {
    cfloat vertical, xh, xm, xr, yh, ym, yr;
  };
  PairFactors pair_factors[kMaxPiles * (kMaxPiles - 1) / 2] = {};
  // Group flexibility matrix, column-major with leading dimension
  // kMaxGroupOrder; inverted in place.
  cfloat group[kMaxGroupOrder * kMaxGroupOrder] = {};
};

}  // namespace eng
