// The pile group both group benchmarks time: piles of diameter 1 on a grid at
// 3 m (`row` piles a row), 20 m long in two layers, interaction on, and a
// single-pile head matrix with every term the group routine uses.
#pragma once

#include "kernels/complex_types.h"
#include "pile_group.h"
#include "state.h"

namespace bench {

inline void set_up_group(int n_piles, int row, int head_fixity) {
  eng::reset_engine_state();
  auto& g = eng::g;
  g.run.foundation_type = 1;
  g.run.interaction = 1;
  g.run.head_fixity = head_fixity;
  g.run.gravity = 9.8f;
  g.run.n_piles = n_piles;
  for (int i = 0; i < n_piles; ++i) {
    g.foundation.pile_x[i] = 3.0f * static_cast<float>(i % row);
    g.foundation.pile_y[i] = 3.0f * static_cast<float>(i / row);
  }
  g.run.n_layers = 2;
  g.foundation.pile_length = 20.0f;
  g.foundation.youngs_modulus = 2.5e7f;
  for (int k = 0; k < 2; ++k) {
    g.foundation.layer_depth[k] = 10.0f;
    g.driver.mean_radius[k] = 0.5f;
    g.foundation.section_area[k] = 0.785398f;
    g.foundation.inertia_x[k] = g.foundation.inertia_y[k] = 0.0490874f;
    g.soil.layer.velocity[k] = 150.0f;
    g.soil.layer.unit_weight[k] = 19.0f;
    g.soil.layer.poisson[k] = 0.3f;
  }
  g.soil.reference_velocity = 150.0f;
  g.soil.below = {400.0f, 19.6f, 0.3f, 0.02f};
  eng::SETUP_PILE_GROUP();
}

inline void pile_head_matrix(eng::cfloat* Kp) {
  using eng::at;
  using eng::cfloat;
  for (int i = 0; i < 36; ++i) Kp[i] = cfloat(0.0f, 0.0f);
  at(Kp, 6, 1, 1) = at(Kp, 6, 2, 2) = cfloat(2.0e5f, 3.0e4f);
  at(Kp, 6, 3, 3) = cfloat(1.0e6f, 2.0e5f);
  at(Kp, 6, 4, 4) = at(Kp, 6, 5, 5) = cfloat(4.0e5f, 2.0e4f);
  at(Kp, 6, 6, 6) = cfloat(5.0e4f, 1.0e3f);
  at(Kp, 6, 1, 5) = at(Kp, 6, 5, 1) = cfloat(-1.5e5f, -1.0e4f);
  at(Kp, 6, 2, 4) = at(Kp, 6, 4, 2) = cfloat(1.5e5f, 1.0e4f);
}

}  // namespace bench
