// Run-state tables of the soil block (part of eng::EngineState, reset at each run).
//
// Filled by READ_SOIL and its helpers (read_soil.cpp): SOLCST (after CONS),
// READ_SOIL_BELOW (after BELO) and READ_SIDE_LAYERS (after EMBE); read by the
// analysis driver and the impedance routines.
//
// Units: lengths in the deck's length unit, velocities in length per second,
// unit weights in force per length cubed; ratios and damping have none.
//
// Indexing: entry [i - 1] holds layer i of the deck.
//
// Soil data kept elsewhere:
//   g.foundation.layer_depth   thickness of each pile layer (ELEM); a parabolic
//                              profile has it generated here, together with the
//                              section properties of entry [0] copied to all
//                              30 layers
//   g.run.n_layers             set to 30 by a parabolic profile
//   g.run.n_side_layers        number of side layers (half-space CONS or EMBE),
//                              rounded to the nearest integer, 0..kMaxLayers
//   g.run.weak_layer, g.run.embedded, g.run.side_cap   the WEAK, EMBE and SIDE options
#pragma once

#include "state_limits.h"

namespace eng {

// Shear wave velocity, unit weight, Poisson's ratio and material damping of
// one soil.
struct SoilProperties {
  float velocity = 0.0f;
  float unit_weight = 0.0f;
  float poisson = 0.0f;
  float damping = 0.0f;
};

// A table of soil layers with their weakened zone next to the shaft.
//   weak_shear_ratio  shear modulus of the weak zone over that of the layer
//   weak_poisson      Poisson's ratio of the weak zone
//   weak_damping      material damping of the weak zone
//   weak_thickness    thickness of the weak zone (0.0 = none); for the pile and
//                     multilayer layers the ratio as read, which the driver
//                     multiplies by the layer's mean pile radius; for the side
//                     layers already a length (the ratio times the translation
//                     equivalent radius, done once by the soil reader)
// Without WEAK (or SIDE for the side layers) every layer gets weak shear ratio
// 1.0, the layer's own Poisson's ratio and damping, and thickness 0.0.
struct SoilLayerTable {
  float velocity[kMaxLayers] = {};
  float unit_weight[kMaxLayers] = {};
  float poisson[kMaxLayers] = {};
  float damping[kMaxLayers] = {};
  float weak_shear_ratio[kMaxLayers] = {};
  float weak_poisson[kMaxLayers] = {};
  float weak_damping[kMaxLayers] = {};
  float weak_thickness[kMaxLayers] = {};
};

struct SoilData {
  // The foundation type whose soil block was read (0 = none): SOLCST and,
  // except for a stratum, READ_SOIL_BELOW reached.
  int given_for = 0;

  // --- Soil along the piles or the multilayer shaft, one entry per layer of
  // g.run.n_layers (PILE and MULT).
  SoilLayerTable layer;
  // Shear modulus ratio and damping ratio (in/out) of each layer: read for the
  // multilayer layers below the adjacent ones; 1.0 for every layer of a
  // layered pile profile.
  float shear_modulus_ratio[kMaxLayers] = {};
  float damping_ratio[kMaxLayers] = {};
  // The velocity read for a parabolic profile, else that of the last layer.
  float reference_velocity = 0.0f;
  // MULT: number of adjacent layers, as read (a real; 0..kMaxLayers accepted).
  float n_adjacent = 0.0f;

  // --- STRA: the soil of the stratum.
  SoilProperties stratum;

  // --- The soil under the base or the pile tips (BELO; PILE, HALF, MULT).
  SoilProperties below;

  // --- Side layers: the embedded sides of a half-space footing (CONS) or of a
  // pile cap (EMBE); g.run.n_side_layers of them.
  float side_thickness[kMaxLayers] = {};
  SoilLayerTable side;
};

}  // namespace eng
