// Pile groups: the pair geometry and static interaction factors, prepared
// once per run, and the 6 x 6 cap impedance at each frequency.
#pragma once

#include "kernels/complex_types.h"
#include "kernels/group_factors.h"
#include "kernels/inverse.h"

namespace eng {

// Fills the pair tables of g.piles (state_piles.h) for the g.run.n_piles
// piles.  Reads: g.run.n_piles, n_layers, battered; g.foundation pile_x,
// pile_y, direction_angles, pile_length, youngs_modulus, layer_depth,
// section_area, inertia_x, inertia_y; g.driver.mean_radius (set by the
// driver); g.soil.layer velocity, unit_weight, poisson, reference_velocity,
// below; g.run.gravity.  Called once before the frequency loop of a PILE
// analysis with the interaction option and more than one pile.
void SETUP_PILE_GROUP();

// Cap impedance Kc (6 x 6 complex, column-major, referred to the centre of
// gravity at height zc) of the group of g.run.n_piles piles, each with the
// head impedance Kp of one vertical pile, at the circular frequency omega.
// With the interaction option, more than one pile and a non-zero velocity of
// the deepest layer the piles interact through the pair tables of
// SETUP_PILE_GROUP; otherwise the pile impedances are summed.  Battered piles
// (g.run.battered and a non-zero ninth direction angle) enter with their
// rotated impedance.  Kc is cleared first; entries (1,2), (1,3), (1,4),
// (2,3), (2,5), (3,6) and their mirrors stay zero.
void PILE_GROUP_IMPEDANCE(const cfloat* Kp, cfloat* Kc, const float& omega);

}  // namespace eng
